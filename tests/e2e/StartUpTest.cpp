// Start-up of the real sevalune.exe: the marker as start-up leaves it, the hidden windows,
// the single-instance rule, a settings file that cannot be read, and the version
// information of the executable.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerWatch.h"
#include "harness/MenusAndBoxes.h"
#include "harness/VersionInfo.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

constexpr const wchar_t* kAppTitle = L"Sevalune Version 1.01";
// The first tick a minute away: whatever the tests see meanwhile is start-up's doing.
constexpr const char* kTickFarAway = "[Sevalune]\r\nMimawariKankaku=60000\r\n";
constexpr RECT kStartMarkerRect{0, 0, 15, 6};
constexpr Milliseconds kNoTickWatch = 1500ms;

using StartUp = DesktopTest;

// A tick period that keeps every tick away from the marker for a while.
struct QuietPeriodCase {
  const char* name;
  const char* settingsFile;
  friend void PrintTo(const QuietPeriodCase& c, std::ostream* out) { *out << c.name; }
};

class StartUpMarker : public DesktopTest, public ::testing::WithParamInterface<QuietPeriodCase> {};

TEST_P(StartUpMarker, IsAVisibleTopmostCornerBlockAndTheForegroundStaysWithNotepad) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(AnsiSettingsFile(GetParam().settingsFile));
  ASSERT_NE(marker, nullptr);

  EXPECT_TRUE(SameRect(WindowRectOf(marker), kStartMarkerRect)) << Describe(WindowRectOf(marker));
  EXPECT_TRUE(::IsWindowVisible(marker));
  EXPECT_TRUE(IsTopmost(marker));
  EXPECT_NE(ExtendedStyleOf(marker) & WS_EX_NOACTIVATE, 0)
      << "the marker could take the activation";
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == notepad; }, kTickTimeout))
      << "foreground: " << DescribeWindow(::GetForegroundWindow());

  // No tick runs before its period: the block stays where start-up put it.
  const BlinkSummary untouched = SummariseBlinking(RecordMarker(marker, kNoTickWatch));
  EXPECT_EQ(untouched.hiddenSamples, 0) << untouched.Describe();
  ASSERT_EQ(untouched.shownRects.size(), 1u) << untouched.Describe();
  EXPECT_TRUE(SameRect(untouched.shownRects[0], kStartMarkerRect)) << untouched.Describe();
  EXPECT_EQ(::GetForegroundWindow(), notepad);
}

INSTANTIATE_TEST_SUITE_P(E2e, StartUpMarker,
                         ::testing::Values(QuietPeriodCase{"FirstTickAMinuteAway", kTickFarAway}),
                         CaseName{});

TEST_F(StartUp, TextBoxAndApplicationWindowAreThereForOtherPrograms) {
  const HWND marker = StartSevalune(AnsiSettingsFile(kTickFarAway));
  ASSERT_NE(marker, nullptr);

  const std::optional<HWND> textBox = FindChildWindow(marker, L"Edit");
  ASSERT_TRUE(textBox.has_value()) << "FindWindowEx(main, NULL, \"Edit\", NULL) found nothing";
  EXPECT_EQ(TextOf(*textBox), L"");

  const std::optional<HWND> app = FindTopLevelWindow(sevalune().id(), L"SevaluneApp", kAppTitle);
  ASSERT_TRUE(app.has_value()) << "no application window titled "
                               << "\"Sevalune Version 1.01\"";
  EXPECT_FALSE(::IsWindowVisible(*app));
  EXPECT_EQ(::FindWindowW(nullptr, kAppTitle), *app) << "another window has the application title";
}

TEST_F(StartUp, SecondInstanceEndsAtOnceAndLeavesTheFirstAlone) {
  const HWND marker = StartSevalune(AnsiSettingsFile(kTickFarAway));
  ASSERT_NE(marker, nullptr);

  ChildProcess second(sevaluneCopy().wstring(), L"");
  const std::optional<DWORD> exitCode = second.WaitForExit(kStartTimeout);
  ASSERT_TRUE(exitCode.has_value()) << "the second instance is still running";
  EXPECT_EQ(*exitCode, 0u);

  std::vector<HWND> markers;
  for (HWND window : TopLevelWindowsOfClass(L"SevaluneMarker")) {
    if (TextOf(window) == L"Sevalune") markers.push_back(window);
  }
  ASSERT_EQ(markers.size(), 1u);
  EXPECT_EQ(markers[0], marker);
  EXPECT_TRUE(sevalune().IsRunning());
  EXPECT_TRUE(::IsWindowVisible(marker));
  EXPECT_TRUE(SameRect(WindowRectOf(marker), kStartMarkerRect)) << Describe(WindowRectOf(marker));
}

// A settings file that cannot be taken (in either encoding the profile reader knows) and
// the text of the box that says so.
struct UnreadableSettings {
  const char* name;
  std::string fileBytes;
  const wchar_t* message;
  friend void PrintTo(const UnreadableSettings& c, std::ostream* out) { *out << c.name; }
};

class SettingsFailure : public DesktopTest,
                        public ::testing::WithParamInterface<UnreadableSettings> {};

std::optional<HWND> MessageTextOf(HWND box) {
  // The box's text is its one static control with text (the other static holds the icon).
  for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassNameOf(child) == L"Static" && !TextOf(child).empty()) return child;
  }
  return std::nullopt;
}

TEST_P(SettingsFailure, ShowsTheKeyInAMessageBoxAndEndsWhenItIsClosed) {
  ChildProcess& process = LaunchSevalune(GetParam().fileBytes);
  const std::optional<HWND> box = WaitForAnyBox(process.id(), kStartTimeout);
  ASSERT_TRUE(box.has_value()) << "no message box appeared";

  EXPECT_EQ(TextOf(*box), kAppTitle);
  const std::optional<HWND> text = MessageTextOf(*box);
  ASSERT_TRUE(text.has_value()) << "the box has no text";
  EXPECT_EQ(TextOf(*text), GetParam().message);
  EXPECT_TRUE(process.IsRunning()) << "the process ended before the box was closed";
  // Style 16: an icon (the stop icon; Wine's icon handles are per process, so which icon
  // cannot be compared from here) and one OK button.
  EXPECT_EQ(ButtonIdsOf(*box), std::vector<int>{IDOK});
  EXPECT_TRUE(ShowsAnIcon(*box)) << "the box shows no icon";

  // The user presses OK.
  ::PostMessageW(*box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(*box, IDOK)));
  const std::optional<DWORD> exitCode = process.WaitForExit(kStartTimeout);
  ASSERT_TRUE(exitCode.has_value()) << "the process still runs after OK";
  EXPECT_TRUE(TopLevelWindowsOfClass(L"SevaluneMarker").empty()) << "a marker window is left";
}

INSTANTIATE_TEST_SUITE_P(
    E2e, SettingsFailure,
    ::testing::Values(
        UnreadableSettings{"SaizuTooShortAnsi", AnsiSettingsFile("[Sevalune]\r\nSaizu=1,2,3,4\r\n"),
                           L"エラー（ＩＮＩファイル読み込み） : Saizu\r5\rinvalid argument"},
        UnreadableSettings{"SaizuTooShortUtf16",
                           Utf16SettingsFile(L"[Sevalune]\r\nSaizu=1,2,3,4\r\n"),
                           L"エラー（ＩＮＩファイル読み込み） : Saizu\r5\rinvalid argument"},
        UnreadableSettings{"SaizuItemOverflow",
                           AnsiSettingsFile("[Sevalune]\r\nSaizu=1,2,3,4,40000\r\n"),
                           L"エラー（ＩＮＩファイル読み込み） : Saizu\r6\roverflow"},
        UnreadableSettings{
            "PeriodAboveTimerRange", AnsiSettingsFile("[Sevalune]\r\nMimawariKankaku=70000\r\n"),
            L"エラー（ＩＮＩファイル読み込み） : MimawariKankaku\r380\rinvalid property value"}),
    CaseName{});

TEST(VersionInformation, NamesTheProductTheVersionAndTheFile) {
  const std::optional<VersionInfo> info = ReadVersionInfo(SevaluneExecutable());
  ASSERT_TRUE(info.has_value()) << "sevalune.exe has no version information";
  ASSERT_TRUE(info->translation.has_value()) << "no translation is listed";

  const std::vector<std::pair<std::wstring, std::wstring>> expected = {
      {L"ProductName", L"Sevalune Version 1.01"},
      {L"FileVersion", L"1.01"},
      {L"ProductVersion", L"1.01"},
      {L"InternalName", L"sevalune"},
      {L"OriginalFilename", L"sevalune.exe"},
      {L"FileDescription", L"Sevalune　キャレット・フォーカスの位置を明示する"},
  };
  for (const auto& [name, value] : expected) {
    const auto found = info->strings.find(name);
    ASSERT_NE(found, info->strings.end()) << "missing: " << ::testing::PrintToString(name);
    EXPECT_EQ(found->second, value) << ::testing::PrintToString(name);
  }
}

}  // namespace
}  // namespace sevalune::e2e
