// The release package as a user unpacks it: sevalune.exe started from the unpacked folder,
// whose name has blanks and Japanese characters, runs from there and reads the
// sevalune.ini beside it. PackageTest.sh makes the zip, checks its contents, unpacks it
// and then runs this program with SEVALUNE_PACKAGE_ROOT naming the folder that holds the
// unpacked folder (a path of plain letters, so that no Japanese text has to pass through
// the environment).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "backend/win32/LaunchOptions.h"
#include "harness/ChildProcess.h"
#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"
#include "harness/MarkerWatch.h"
#include "harness/MenusAndBoxes.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

constexpr const wchar_t* kUnpackedFolderName = L"Seva lune テスト フォルダ";
constexpr const wchar_t* kAppTitle = L"Sevalune Version 1.01";
constexpr COLORREF kGreen = RGB(0x00, 0xFF, 0x00);
constexpr const char* kGreenCaret = "[Sevalune]\r\nIro=00FF00,0000FF,00FF00,0000FF,00FFFF\r\n";
constexpr const char* kTooFewSizes = "[Sevalune]\r\nSaizu=1,2,3,4\r\n";
constexpr const wchar_t* kTooFewSizesMessage =
    L"エラー（ＩＮＩファイル読み込み） : Saizu\r5\rinvalid argument";

std::optional<std::filesystem::path> PackageRoot() {
  const std::optional<std::wstring> value = win32::EnvironmentValue(L"SEVALUNE_PACKAGE_ROOT");
  if (!value) return std::nullopt;
  return std::filesystem::path(*value).make_preferred();
}

std::vector<std::filesystem::path> FoldersIn(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> folders;
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    if (entry.is_directory()) folders.push_back(entry.path());
  }
  return folders;
}

std::wstring ImagePathOf(const ChildProcess& process) {
  std::wstring path(MAX_PATH * 4, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (::QueryFullProcessImageNameW(process.handle(), 0, path.data(), &size) == FALSE) return {};
  path.resize(size);
  return path;
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteSettings(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "could not write " << file.string();
}

class UnpackedPackage : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    const std::optional<std::filesystem::path> root = PackageRoot();
    if (!root) GTEST_SKIP() << "SEVALUNE_PACKAGE_ROOT is not set: run PackageTest.sh";
    const std::vector<std::filesystem::path> folders = FoldersIn(*root);
    ASSERT_EQ(folders.size(), 1u) << "expected one unpacked folder in " << root->string();
    folder_ = folders.front();
    shippedSettings_ = ReadFile(folder_ / L"sevalune.ini");
  }
  void TearDown() override {
    program_.reset();
    // The next test finds the settings file as shipped.
    if (!folder_.empty()) WriteSettings(folder_ / L"sevalune.ini", shippedSettings_);
    DesktopTest::TearDown();
  }

  const std::filesystem::path& folder() const { return folder_; }
  const ChildProcess& program() const { return *program_; }
  std::filesystem::path executable() const { return folder_ / L"sevalune.exe"; }
  ChildProcess& Launch() {
    program_.emplace(executable().wstring(), L"");
    return *program_;
  }
  // Launches the unpacked program and waits for its marker window; null if none came.
  HWND LaunchAndWaitForMarker() {
    const ChildProcess& process = Launch();
    const std::optional<HWND> marker = WaitForValue(
        [&]() -> std::optional<HWND> {
          const std::optional<HWND> window =
              FindTopLevelWindow(process.id(), L"SevaluneMarker", L"Sevalune");
          if (!window || !::IsWindowVisible(*window)) return std::nullopt;
          return window;
        },
        kStartTimeout);
    // Its message loop begins after the whole start-up.
    EXPECT_TRUE(process.WaitUntilIdle(kStartTimeout)) << "sevalune.exe never became idle";
    return marker.value_or(nullptr);
  }

 private:
  std::filesystem::path folder_;
  std::string shippedSettings_;
  std::optional<ChildProcess> program_;
};

TEST_F(UnpackedPackage, FolderKeepsItsNameAndHoldsTheThreeFiles) {
  EXPECT_EQ(folder().filename().wstring(), kUnpackedFolderName)
      << "the folder's name did not survive: " << folder().filename().string();
  for (const wchar_t* name :
       {L"sevalune.exe", L"sevalune.ini", L"sevalune.htm", L"sevalune-en.htm"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(folder() / name))
        << "missing " << std::filesystem::path(name).string();
  }
}

TEST_F(UnpackedPackage, RunsFromThereWithTheShippedSettings) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"shipped"));
  const HWND marker = LaunchAndWaitForMarker();
  ASSERT_NE(marker, nullptr) << "no marker window from " << executable().string();
  EXPECT_EQ(std::filesystem::path(ImagePathOf(program())).filename(), L"sevalune.exe");
  EXPECT_EQ(std::filesystem::path(ImagePathOf(program())).parent_path().filename().wstring(),
            kUnpackedFolderName);
  // The shipped file sets nothing: the default magenta caret marker.
  ExpectMarkerFollows(
      marker, [&] { return CaretMarkerRectFor(notepad); }, kMagenta);
}

TEST_F(UnpackedPackage, ReadsTheSettingsFileBesideIt) {
  ASSERT_NO_FATAL_FAILURE(WriteSettings(folder() / L"sevalune.ini", kTooFewSizes));
  ChildProcess& failing = Launch();
  const std::optional<HWND> box = WaitForAnyBox(failing.id(), kStartTimeout);
  ASSERT_TRUE(box.has_value()) << "no message box for Saizu=1,2,3,4";
  EXPECT_EQ(TextOf(*box), kAppTitle);
  std::wstring message;
  for (HWND child = ::GetWindow(*box, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassNameOf(child) == L"Static" && !TextOf(child).empty()) message = TextOf(child);
  }
  EXPECT_EQ(message, kTooFewSizesMessage);
  ::PostMessageW(*box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(*box, IDOK)));
  ASSERT_TRUE(failing.WaitForExit(kStartTimeout).has_value()) << "still running after OK";

  ASSERT_NO_FATAL_FAILURE(WriteSettings(folder() / L"sevalune.ini", kGreenCaret));
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"green"));
  const HWND marker = LaunchAndWaitForMarker();
  ASSERT_NE(marker, nullptr) << "no marker window with valid settings";
  ExpectMarkerFollows(
      marker, [&] { return CaretMarkerRectFor(notepad); }, kGreen);
}

}  // namespace
}  // namespace sevalune::e2e
