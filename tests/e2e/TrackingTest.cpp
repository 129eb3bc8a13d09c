// Tracking by the real sevalune.exe: the marker under notepad's caret, its blinking, the
// bar beside a focused control, the square on an open menu, and the older location method.
// What the settings and the debug switch decide is shown in scenarios (marker_*.sim,
// locate_*.sim); here the real windows, carets and pixels.
#include <gtest/gtest.h>

#include <iostream>
#include <ostream>
#include <string>
#include <thread>

#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"
#include "harness/MarkerWatch.h"
#include "harness/UserInput.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

// About four cycles at the default 110 ms period and cycle of 8 ticks.
constexpr Milliseconds kFourCycles = 3600ms;
// More than one whole cycle: a marker that is shown at all is seen.
constexpr Milliseconds kOneCycle = 1200ms;
// What GetPixel answers for the colour group FF8000 (blue FF, green 80, red 00).
constexpr COLORREF kAzure = RGB(0x00, 0x80, 0xFF);
constexpr int kOldMethodCaretDrop = 14;
constexpr int kClickInset = 5;

// --- the caret marker in notepad ------------------------------------------------------

struct CaretCase {
  const char* name;
  std::optional<std::string> settingsFile;
  COLORREF color;
  int width;
  int height;
  friend void PrintTo(const CaretCase& c, std::ostream* out) { *out << c.name; }
};

class CaretMarker : public DesktopTest, public ::testing::WithParamInterface<CaretCase> {};

TEST_P(CaretMarker, HangsBelowTheCaretAndFollowsIt) {
  const CaretCase& c = GetParam();
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(c.settingsFile);
  ASSERT_NE(marker, nullptr);

  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"hello"));
  const std::optional<RECT> first = CaretMarkerRectFor(notepad, c.width, c.height);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, first, c.color));

  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L", world"));
  const std::optional<RECT> second = CaretMarkerRectFor(notepad, c.width, c.height);
  ASSERT_TRUE(second.has_value());
  EXPECT_GT(second->left, first->left) << "the caret did not move right";
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, second, c.color));

  EXPECT_TRUE(IsTopmost(marker));
  EXPECT_EQ(::GetForegroundWindow(), notepad)
      << "foreground: " << DescribeWindow(::GetForegroundWindow());
}

INSTANTIATE_TEST_SUITE_P(
    E2e, CaretMarker,
    ::testing::Values(
        CaretCase{"DefaultMagenta", std::nullopt, kMagenta, kCaretMarkerWidth, kCaretMarkerHeight},
        CaretCase{"IroFromUtf16File",
                  Utf16SettingsFile(L"[Sevalune]\r\nIro=FF8000,0000FF,FF8000,0000FF,00FFFF\r\n"),
                  kAzure, kCaretMarkerWidth, kCaretMarkerHeight},
        CaretCase{"SaizuSizes", AnsiSettingsFile("[Sevalune]\r\nSaizu=20,4,18,8,7,6\r\n"), kMagenta,
                  20, 4}),
    CaseName{});

// Between ticks: with a tick only every three seconds, each key typed moves the marker to
// the new caret long before the next tick could, because the program watches a caret that
// has just moved (notepad's caret raises none of the system's events under Wine).
using FollowingBetweenTicks = DesktopTest;

TEST_F(FollowingBetweenTicks, EachKeyMovesTheMarkerBeforeTheNextTickCould) {
  constexpr Milliseconds kWithinAFractionOfATick = 600ms;
  constexpr int kKeys = 4;
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(AnsiSettingsFile("[Sevalune]\r\nMimawariKankaku=3000\r\n"));
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"hello"));
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerFollows(
      marker, [&] { return CaretMarkerRectFor(notepad); }, kMagenta));

  // Four keys a third of a second apart: a tick can have moved the marker for one at most.
  for (int key = 0; key < kKeys; ++key) {
    ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"x"));
    const std::optional<RECT> caret = CaretMarkerRectFor(notepad);
    ASSERT_TRUE(caret.has_value());
    EXPECT_TRUE(
        WaitUntil([&] { return SameRect(WindowRectOf(marker), *caret); }, kWithinAFractionOfATick))
        << "key " << key << ": the marker stayed at " << Describe(WindowRectOf(marker));
    std::this_thread::sleep_for(300ms);
  }
  EXPECT_EQ(::GetForegroundWindow(), notepad);
}

using Blinking = DesktopTest;

TEST_F(Blinking, CaretMarkerIsShownAndHiddenInTurnAboutHalfTheTime) {
  HWND notepad = nullptr;
  HWND marker = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartTrackingNotepad(std::nullopt, L"blink", notepad, marker));
  const RECT place = CaretMarkerRectFor(notepad).value();

  const BlinkSummary blink = SummariseBlinking(RecordMarker(marker, kFourCycles));
  std::cout << "[ blink    ] " << blink.Describe() << "\n";
  EXPECT_GE(blink.hides, 2) << blink.Describe();
  EXPECT_GE(blink.shows, 2) << blink.Describe();
  EXPECT_GE(blink.ShownShare(), 1.0 / 3) << blink.Describe();
  EXPECT_LE(blink.ShownShare(), 2.0 / 3) << blink.Describe();
  ASSERT_EQ(blink.shownRects.size(), 1u) << "shown off the caret: " << blink.Describe();
  EXPECT_TRUE(SameRect(blink.shownRects[0], place)) << blink.Describe();
  // Hidden means shrunk to nothing at the screen origin.
  ASSERT_EQ(blink.hiddenRects.size(), 1u) << blink.Describe();
  EXPECT_TRUE(SameRect(blink.hiddenRects[0], RECT{0, 0, 0, 0})) << blink.Describe();
  EXPECT_TRUE(IsTopmost(marker));
  EXPECT_TRUE(::IsWindowVisible(marker));
  EXPECT_EQ(::GetForegroundWindow(), notepad);
}

// A period of 0.4 ms passes the "greater than 0" test and rounds to 0: the tick then runs
// at the timer's shortest period instead of stopping, and the marker blinks quickly.
TEST_F(Blinking, PeriodRoundingToZeroRunsAtTheShortestPeriod) {
  HWND notepad = nullptr;
  HWND marker = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartTrackingNotepad(
      AnsiSettingsFile("[Sevalune]\r\nMimawariKankaku=0.4\r\n"), L"fast", notepad, marker));

  const BlinkSummary blink = SummariseBlinking(RecordMarker(marker, kFourCycles));
  EXPECT_GE(blink.hides, 4) << blink.Describe();
  EXPECT_GE(blink.shows, 4) << blink.Describe();
}

// --- the bar beside a focused control without a caret ---------------------------------

struct ControlBarCase {
  const char* name;
  std::optional<std::string> settingsFile;
  int buttonWidth;
  int buttonHeight;
  bool underline;  // else the bar along the left edge
  int barSize;     // the underline's height or the left bar's width
  friend void PrintTo(const ControlBarCase& c, std::ostream* out) { *out << c.name; }
};

constexpr int kButtonWidth = 180;
// Wider than the distance at which the marker window's text box sits inside it.
constexpr int kWideButtonWidth = 1150;

class ControlBar : public DesktopTest, public ::testing::WithParamInterface<ControlBarCase> {};

TEST_P(ControlBar, MarksTheFocusedButtonOfTheTargetProgram) {
  const ControlBarCase& c = GetParam();
  const HWND target = StartTarget(L"kind=button height=" + std::to_wstring(c.buttonHeight) +
                                  L" width=" + std::to_wstring(c.buttonWidth));
  ASSERT_NE(target, nullptr);
  const std::optional<HWND> button = FindChildWindow(target, L"Button");
  ASSERT_TRUE(button.has_value());
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(target);
  ASSERT_TRUE(thread.has_value());
  ASSERT_EQ(thread->focus, *button) << "the button does not hold the focus";
  ASSERT_EQ(thread->caretWindow, nullptr) << "the button has a caret";

  const HWND marker = StartSevalune(c.settingsFile);
  ASSERT_NE(marker, nullptr);
  const RECT control = WindowRectOf(*button);
  ASSERT_EQ(control.bottom - control.top, c.buttonHeight);
  const RECT expected =
      c.underline ? UnderlineRect(control, c.barSize) : LeftBarRect(control, c.barSize);
  ExpectMarkerShows(marker, expected, kMagenta);
  EXPECT_EQ(::GetForegroundWindow(), target);
}

INSTANTIATE_TEST_SUITE_P(
    E2e, ControlBar,
    ::testing::Values(
        ControlBarCase{"Underline49", std::nullopt, kButtonWidth, 49, true, kUnderlineHeight},
        ControlBarCase{"LeftBar50", std::nullopt, kButtonWidth, 50, false, kLeftBarWidth},
        ControlBarCase{"UnderlineSaizu", AnsiSettingsFile("[Sevalune]\r\nSaizu=10,9,18,8,7,6\r\n"),
                       kButtonWidth, 20, true, 7},
        ControlBarCase{"LeftBarSaizu", AnsiSettingsFile("[Sevalune]\r\nSaizu=10,9,18,8,7,6\r\n"),
                       kButtonWidth, 80, false, 6},
        // The whole bar is one colour, also where the text box sits inside the window.
        ControlBarCase{"WideUnderline", std::nullopt, kWideButtonWidth, 30, true,
                       kUnderlineHeight}),
    CaseName{});

// --- an open menu -----------------------------------------------------------------------

using OpenMenu = DesktopTest;

TEST_F(OpenMenu, GetsTheSquareNearTheWindowCornerInTheMenuColour) {
  HWND notepad = nullptr;
  HWND marker = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartTrackingNotepad(std::nullopt, L"menu", notepad, marker));

  PressChord({VK_MENU, 'F'});
  ASSERT_TRUE(WaitUntil(PopupMenuIsShowing, kTickTimeout)) << "Alt+F opened no menu";
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(notepad);
  ASSERT_TRUE(thread.has_value());
  std::cout << "[ menu     ] GetGUIThreadInfo during the menu: flags " << thread->flags
            << ", capture " << DescribeWindow(thread->capture) << ", focus "
            << DescribeWindow(thread->focus) << ", menu owner " << DescribeWindow(thread->menuOwner)
            << "\n";

  ExpectMarkerShows(marker, MenuSquareRect(WindowRectOf(notepad)), kYellow);
  EXPECT_EQ(::GetForegroundWindow(), notepad);

  PressChord({VK_ESCAPE});
  PressChord({VK_ESCAPE});
  EXPECT_TRUE(WaitUntil([] { return !PopupMenuIsShowing(); }, kTickTimeout));
  ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta);
}

// --- the older location method ------------------------------------------------------------

struct MethodCase {
  const char* name;
  const wchar_t* arguments;
  const wchar_t* oldMethodVariable;  // SEVALUNE_OLD_METHOD, or nullptr for none
  bool oldMethod;
  friend void PrintTo(const MethodCase& c, std::ostream* out) { *out << c.name; }
};

class MethodTest : public DesktopTest, public ::testing::WithParamInterface<MethodCase> {
 protected:
  HWND StartSevaluneForThisCase() {
    std::optional<ScopedEnvironmentVariable> variable;
    if (GetParam().oldMethodVariable != nullptr) {
      variable.emplace(L"SEVALUNE_OLD_METHOD", GetParam().oldMethodVariable);
    }
    return StartSevalune(std::nullopt, GetParam().arguments);
  }
};

class LocationMethod : public MethodTest {};
class OldMethodHolds : public MethodTest {};

// An edit control with a tall font: its caret is far taller than 14 pixels, so the two
// methods put the marker at different heights.
TEST_P(LocationMethod, FindsTheCaretOfATallFontAtItsOwnHeight) {
  const HWND target = StartTarget(L"kind=edit height=40");
  ASSERT_NE(target, nullptr);
  const HWND marker = StartSevaluneForThisCase();
  ASSERT_NE(marker, nullptr);
  const std::optional<HWND> edit = FindChildWindow(target, L"Edit");
  ASSERT_TRUE(edit.has_value());
  TypeText(L"tall");
  ASSERT_TRUE(WaitUntil([&] { return TextOf(*edit) == L"tall"; }, kTickTimeout))
      << ::testing::PrintToString(TextOf(*edit));

  const std::optional<ThreadCaret> caret = CaretOfThreadOf(target);
  ASSERT_TRUE(caret.has_value() && caret->caretWindow != nullptr);
  ASSERT_GT(caret->caretClient.bottom - caret->caretClient.top, kOldMethodCaretDrop);
  const POINT oldMethodPoint{caret->upperLeftOnScreen.x,
                             caret->upperLeftOnScreen.y + kOldMethodCaretDrop};
  const POINT expected = GetParam().oldMethod ? oldMethodPoint : caret->lowerLeftOnScreen;
  ExpectMarkerShows(marker, CaretMarkerRect(expected), kMagenta);
  EXPECT_EQ(::GetForegroundWindow(), target);
}

// A text area that is dragged in captures the mouse itself: the per-thread method keeps
// showing the caret (the capture is the focus window's own), the older method holds the
// marker back while the left button is down.
TEST_P(OldMethodHolds, LeftButtonHeldInTheTextArea) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevaluneForThisCase();
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"drag"));
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta));

  const RECT text = WindowRectOf(notepadEdit());
  const HeldLeftButton held(POINT{text.left + kClickInset, text.top + kClickInset});
  const bool captured = WaitUntil(
      [&] {
        const std::optional<ThreadCaret> thread = CaretOfThreadOf(notepad);
        return thread && thread->capture == notepadEdit();
      },
      kTickTimeout);
  ASSERT_TRUE(captured) << "the text area did not capture the mouse";
  if (GetParam().oldMethod) {
    ExpectMarkerHiddenFor(marker, kOneCycle);
  } else {
    ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta);
  }
  EXPECT_EQ(::GetForegroundWindow(), notepad);
}

constexpr MethodCase kPerThreadInformation{"PerThreadInformation", L"", nullptr, false};
constexpr MethodCase kOldByArgument{"OldByArgument", L"--old-method", nullptr, true};
constexpr MethodCase kOldByEnvironment{"OldByEnvironment", L"", L"1", true};

INSTANTIATE_TEST_SUITE_P(E2e, LocationMethod,
                         ::testing::Values(kPerThreadInformation, kOldByArgument,
                                           kOldByEnvironment),
                         CaseName{});
INSTANTIATE_TEST_SUITE_P(E2e, OldMethodHolds,
                         ::testing::Values(kPerThreadInformation, kOldByArgument), CaseName{});

}  // namespace
}  // namespace sevalune::e2e
