// The settings window of the real sevalune.exe, driven by the keyboard as a user drives
// it: the tray menu's Settings opens it; a change typed into a field and confirmed with
// Enter changes exactly that key's line of sevalune.ini and the marker takes it; Escape
// leaves the file byte for byte as it was; a read-only file is refused with a message
// naming the folder, and nothing is lost; start with Windows writes and removes the Run
// value, as `reg query` sees it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "TrayFixture.h"
#include "backend/win32/WideText.h"
#include "harness/ChildProcess.h"
#include "harness/Desktop.h"
#include "harness/MarkerExpectations.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

constexpr const char* kUsersFile =
    "; my settings\r\n"
    "[Sevalune]\r\n"
    "; Saizu - sizes\r\n"
    ";Saizu=10,9,18,8,5,3\r\n"
    "Unknown=keep me\r\n"
    "\r\n"
    "[Other]\r\n"
    "Saizu=1\r\n";
constexpr const wchar_t* kRunKey = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The access key marked in a label ("Sizes: &Caret width" gives C).
std::optional<WORD> AccessKeyOf(const std::wstring& label) {
  const std::size_t mark = label.find(L'&');
  if (mark == std::wstring::npos || mark + 1 >= label.size()) return std::nullopt;
  return static_cast<WORD>(::towupper(label[mark + 1]));
}

// The first control of the window whose text, without its access key's mark, starts with
// `start` and holds `part`.
std::optional<HWND> ControlWithText(HWND window, std::wstring_view className,
                                    std::wstring_view start, std::wstring_view part = L"") {
  for (HWND child : ChildrenOfClass(window, className)) {
    std::wstring text = TextOf(child);
    std::erase(text, L'&');
    if (text.starts_with(start) && text.find(part) != std::wstring::npos) return child;
  }
  return std::nullopt;
}

// The user's own file, without Gengo: the window speaks the English of the Wine the tests
// run in.
class SettingsWindow : public TrayTest {
 protected:
  SettingsWindow() { settingsFile_ = kUsersFile; }

  void TearDown() override {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                         L"Sevalune");
    if (!settingsFile().empty())
      ::SetFileAttributesW(settingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
    TrayTest::TearDown();
  }

  std::filesystem::path settingsFile() const {
    return sevaluneCopy().empty() ? std::filesystem::path()
                                  : sevaluneCopy().parent_path() / L"sevalune.ini";
  }

  // Chooses Settings in the tray menu by its access key and waits for the window.
  // The window, once it takes the keyboard: under Wine that can come a moment after it
  // shows, and keys pressed before then go elsewhere.
  std::optional<HWND> OpenSettingsWindow() {
    if (!OpenMenu()) return std::nullopt;
    PressChord({'S'});
    if (!WaitUntilNoMenu()) return std::nullopt;
    const std::optional<HWND> window = WaitForAnyBox(sevalune().id(), kTickTimeout);
    if (!window) return std::nullopt;
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == *window; }, kTickTimeout))
        << "foreground: " << DescribeWindow(::GetForegroundWindow());
    return window;
  }

  // Moves to the field by its label's access key and types the text over its value.
  static void TypeIntoField(HWND window, std::wstring_view labelStart, std::wstring_view text) {
    const std::optional<HWND> label = ControlWithText(window, L"Static", labelStart);
    ASSERT_TRUE(label.has_value()) << "no label starting with that text";
    const std::optional<WORD> key = AccessKeyOf(TextOf(*label));
    ASSERT_TRUE(key.has_value()) << "the label has no access key";
    PressChord({VK_MENU, *key});
    PressChord({VK_HOME});
    PressChord({VK_SHIFT, VK_END});
    TypeText(text);
  }

  bool WaitUntilClosed(HWND window) {
    return WaitUntil([&] { return !::IsWindow(window); }, kTickTimeout);
  }

  // Another box of the program than the settings window (a message it shows).
  std::optional<HWND> WaitForMessageOver(HWND settings) {
    return WaitForValue(
        [&]() -> std::optional<HWND> {
          for (HWND window : TopLevelWindowsOf(sevalune().id())) {
            if (window != settings && ClassNameOf(window) == L"#32770" &&
                ::IsWindowVisible(window)) {
              return window;
            }
          }
          return std::nullopt;
        },
        kTickTimeout);
  }

  // `reg query` of the Run value: its exit code and what it printed.
  std::pair<DWORD, std::string> QueryRunValue() {
    const std::filesystem::path output = sevaluneCopy().parent_path() / L"reg-query.txt";
    ChildProcess reg(L"C:\\windows\\system32\\cmd.exe", L"/c reg query \"" + std::wstring(kRunKey) +
                                                            L"\" /v Sevalune > \"" +
                                                            output.wstring() + L"\"");
    const std::optional<DWORD> code = reg.WaitForExit(kTickTimeout);
    return {code.value_or(~0u), FileBytes(output)};
  }
};

TEST_F(SettingsWindow, AKeyboardChangeWritesItsLineAndTheMarkerTakesIt) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  const std::optional<HWND> window = OpenSettingsWindow();
  ASSERT_TRUE(window.has_value()) << "the menu's Settings opened no window";

  ASSERT_NO_FATAL_FAILURE(TypeIntoField(*window, L"Sizes: Caret width", L"20"));
  PressChord({VK_RETURN});
  ASSERT_TRUE(WaitUntilClosed(*window)) << "Enter left the window open";
  EXPECT_EQ(FileBytes(settingsFile()),
            "; my settings\r\n"
            "[Sevalune]\r\n"
            "; Saizu - sizes\r\n"
            ";Saizu=10,9,18,8,5,3\r\n"
            "Saizu=20,9,18,8,5,3\r\n"
            "Unknown=keep me\r\n"
            "\r\n"
            "[Other]\r\n"
            "Saizu=1\r\n");

  ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
  ExpectMarkerFollows(
      marker(), [&] { return CaretMarkerRectFor(notepad(), 20, 9); }, kMagenta);
  EXPECT_TRUE(sevalune().IsRunning());
}

TEST_F(SettingsWindow, EscapeLeavesTheFileByteForByte) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  const std::optional<HWND> window = OpenSettingsWindow();
  ASSERT_TRUE(window.has_value());
  ASSERT_NO_FATAL_FAILURE(TypeIntoField(*window, L"Sizes: Caret width", L"30"));
  PressChord({VK_ESCAPE});
  ASSERT_TRUE(WaitUntilClosed(*window)) << "Escape left the window open";
  EXPECT_EQ(FileBytes(settingsFile()), kUsersFile);
}

TEST_F(SettingsWindow, AReadOnlyFileIsRefusedAndNothingIsLost) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  ASSERT_TRUE(::SetFileAttributesW(settingsFile().c_str(), FILE_ATTRIBUTE_READONLY));
  const std::optional<HWND> window = OpenSettingsWindow();
  ASSERT_TRUE(window.has_value());
  ASSERT_NO_FATAL_FAILURE(TypeIntoField(*window, L"Sizes: Caret width", L"20"));
  PressChord({VK_RETURN});

  const std::optional<HWND> message = WaitForMessageOver(*window);
  ASSERT_TRUE(message.has_value()) << "no message said why nothing was saved";
  const std::wstring folder = sevaluneCopy().parent_path().wstring();
  EXPECT_TRUE(ControlWithText(*message, L"Static", L"", folder).has_value())
      << "the message does not name the folder " << win32::Narrow(folder);
  PressChord({VK_RETURN});
  ASSERT_TRUE(WaitUntilClosed(*message));
  EXPECT_TRUE(::IsWindowVisible(*window)) << "the settings window closed";
  const std::optional<HWND> sizes = ControlWithText(*window, L"Edit", L"20");
  EXPECT_TRUE(sizes.has_value()) << "the typed value is gone";
  EXPECT_EQ(FileBytes(settingsFile()), kUsersFile);
  PressChord({VK_ESCAPE});
  EXPECT_TRUE(WaitUntilClosed(*window));
}

TEST_F(SettingsWindow, StartWithWindowsWritesAndRemovesTheRunValue) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  ASSERT_EQ(QueryRunValue().first, 1u) << "a Run value was there before the test";

  for (const bool on : {true, false}) {
    SCOPED_TRACE(on ? "ticked" : "cleared");
    ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
    const std::optional<HWND> window = OpenSettingsWindow();
    ASSERT_TRUE(window.has_value());
    const std::optional<HWND> box = ControlWithText(*window, L"Button", L"Start this copy");
    ASSERT_TRUE(box.has_value()) << "no start-with-Windows box";
    EXPECT_EQ(::SendMessageW(*box, BM_GETCHECK, 0, 0), on ? BST_UNCHECKED : BST_CHECKED);
    const std::optional<WORD> key = AccessKeyOf(TextOf(*box));
    ASSERT_TRUE(key.has_value());
    PressChord({VK_MENU, *key});
    PressChord({VK_RETURN});
    ASSERT_TRUE(WaitUntilClosed(*window));

    const auto [code, printed] = QueryRunValue();
    if (on) {
      EXPECT_EQ(code, 0u) << printed;
      std::string quoted(1, '"');
      quoted += win32::Narrow(sevaluneCopy().wstring());
      quoted += '"';
      EXPECT_NE(printed.find(quoted), std::string::npos) << printed;
    } else {
      EXPECT_EQ(code, 1u) << printed;
    }
  }
}

}  // namespace
}  // namespace sevalune::e2e
