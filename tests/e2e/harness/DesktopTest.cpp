#include "harness/DesktopTest.h"

#include "backend/win32/LaunchOptions.h"
#include "backend/win32/ModulePath.h"
#include "harness/Desktop.h"
#include "harness/MarkerExpectations.h"
#include "harness/UserInput.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

constexpr const wchar_t* kMarkerClass = L"SevaluneMarker";
constexpr const wchar_t* kMarkerTitle = L"Sevalune";

// The visible top-level window of the process with this class, once it holds the foreground.
std::optional<HWND> WaitForForegroundWindow(const ChildProcess& process,
                                            std::wstring_view className) {
  return WaitForValue(
      [&]() -> std::optional<HWND> {
        const std::optional<HWND> window = FindTopLevelWindow(process.id(), className);
        if (!window || !::IsWindowVisible(*window) || ::GetForegroundWindow() != *window) {
          return std::nullopt;
        }
        return window;
      },
      kStartTimeout);
}

bool HasFocusAndCaret(HWND frame, HWND control) {
  const std::optional<ThreadCaret> caret = CaretOfThreadOf(frame);
  return caret && caret->focus == control && caret->caretWindow == control;
}

}  // namespace

std::filesystem::path ProgramFromEnvironmentOr(const wchar_t* variable,
                                               const std::filesystem::path& besideThisProgram) {
  const std::optional<std::wstring> value = win32::EnvironmentValue(variable);
  if (value && !value->empty()) return std::filesystem::path(*value).make_preferred();
  return std::filesystem::path(win32::ExecutablePath()).parent_path() / besideThisProgram;
}

std::filesystem::path SevaluneExecutable() {
  return ProgramFromEnvironmentOr(L"SEVALUNE_E2E_EXE", L"../../backend/win32/sevalune.exe");
}

std::filesystem::path TargetExecutable() {
  return ProgramFromEnvironmentOr(L"SEVALUNE_E2E_TARGET", L"sevalune_e2e_target.exe");
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::wstring name, const std::wstring& value)
    : name_(std::move(name)), previous_(win32::EnvironmentValue(name_.c_str())) {
  ::SetEnvironmentVariableW(name_.c_str(), value.c_str());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  ::SetEnvironmentVariableW(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
}

void DesktopTest::SetUp() {
  UsePhysicalPixels();
  // Every program of an earlier test has ended; a marker still there belongs to an
  // instance outside the tests, and the single-instance rule would spoil every test.
  ASSERT_TRUE(WaitUntil([] { return TopLevelWindowsOfClass(kMarkerClass).empty(); }, kTickTimeout))
      << "another sevalune.exe is running on this desktop";
}

void DesktopTest::TearDown() {
  sevalune_.reset();
  target_.reset();
  notepad_.reset();
  folder_.reset();
}

HWND DesktopTest::StartNotepad() {
  notepad_.emplace(L"notepad.exe", L"");
  const std::optional<HWND> frame = WaitForForegroundWindow(*notepad_, L"Notepad");
  if (!frame) {
    ADD_FAILURE() << "notepad's frame did not show up in the foreground; foreground: "
                  << DescribeWindow(::GetForegroundWindow());
    return nullptr;
  }
  notepadEdit_ = FindChildWindow(*frame, L"Edit").value_or(nullptr);
  EXPECT_NE(notepadEdit_, nullptr) << "notepad has no Edit control";
  // Activation reaches notepad's thread a little after its frame is in the foreground;
  // keys typed before its text area has the focus would be lost.
  EXPECT_TRUE(WaitUntil([&] { return HasFocusAndCaret(*frame, notepadEdit_); }, kStartTimeout))
      << "notepad's text area never got the focus";
  ::SetWindowPos(*frame, nullptr, kNotepadOrigin.x, kNotepadOrigin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(
      WaitUntil([&] { return WindowRectOf(*frame).left == kNotepadOrigin.x; }, kTickTimeout));
  return *frame;
}

void DesktopTest::TypeIntoNotepad(std::wstring_view text) {
  TypeText(text);
  const bool arrived =
      WaitUntil([&] { return TextOf(notepadEdit_).ends_with(text); }, kTickTimeout);
  ASSERT_TRUE(arrived) << "typed text did not reach notepad; it holds "
                       << ::testing::PrintToString(TextOf(notepadEdit_))
                       << "; foreground: " << DescribeWindow(::GetForegroundWindow());
}

void DesktopTest::StartTrackingNotepad(const std::optional<std::string>& settingsFile,
                                       std::wstring_view text, HWND& notepad, HWND& marker) {
  notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  marker = StartSevalune(settingsFile);
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(text));
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta));
}

HWND DesktopTest::StartTarget(const std::wstring& arguments, std::wstring_view frameClass) {
  target_.emplace(TargetExecutable().wstring(), arguments);
  const std::optional<HWND> frame = WaitForForegroundWindow(*target_, frameClass);
  if (!frame) {
    ADD_FAILURE() << "the target program did not show up in the foreground; foreground: "
                  << DescribeWindow(::GetForegroundWindow());
    return nullptr;
  }
  const HWND control = ::GetWindow(*frame, GW_CHILD);
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::optional<ThreadCaret> thread = CaretOfThreadOf(*frame);
        return thread && thread->focus == control;
      },
      kStartTimeout))
      << "the target's control never got the focus";
  return *frame;
}

ChildProcess& DesktopTest::LaunchSevalune(const std::optional<std::string>& settingsFile,
                                          const std::wstring& arguments) {
  sevalune_.reset();
  folder_.emplace(SevaluneExecutable(), settingsFile);
  sevalune_.emplace(folder_->executable().wstring(), arguments);
  return *sevalune_;
}

HWND DesktopTest::StartSevalune(const std::optional<std::string>& settingsFile,
                                const std::wstring& arguments) {
  const ChildProcess& process = LaunchSevalune(settingsFile, arguments);
  const std::optional<HWND> marker = WaitForValue(
      [&]() -> std::optional<HWND> {
        const std::optional<HWND> window =
            FindTopLevelWindow(process.id(), kMarkerClass, kMarkerTitle);
        if (!window || !::IsWindowVisible(*window)) return std::nullopt;
        return window;
      },
      kStartTimeout);
  if (!marker) {
    ADD_FAILURE() << "sevalune.exe showed no marker window";
    return nullptr;
  }
  // The program is idle only in its message loop, which it enters after the whole start-up.
  EXPECT_TRUE(process.WaitUntilIdle(kStartTimeout)) << "sevalune.exe never became idle";
  return *marker;
}

}  // namespace sevalune::e2e
