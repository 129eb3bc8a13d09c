// The gates of the real sevalune.exe's tick, seen from outside: the three class lists, the
// title rule, an open drop-down list, a disabled foreground window, and the text box that
// other programs fill to hide the marker.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"
#include "harness/MarkerWatch.h"
#include "harness/UserInput.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

// More than one whole cycle: a marker that is shown at all is seen.
constexpr Milliseconds kOneCycle = 1200ms;
constexpr POINT kParkedPointer{2, 2};
constexpr POINT kPointerAwayFromWindows{1150, 950};

POINT PointerPosition() {
  POINT pointer{};
  ::GetCursorPos(&pointer);
  return pointer;
}

bool PointerIsAt(POINT expected) {
  const POINT pointer = PointerPosition();
  return pointer.x == expected.x && pointer.y == expected.y;
}

// The underline below the focused control of the target program.
RECT UnderlineOfFocusIn(HWND target) {
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(target);
  return UnderlineRect(WindowRectOf(thread ? thread->focus : nullptr));
}

// --- class list 1: never ------------------------------------------------------------------

struct ClassListCase {
  const char* name;
  std::string settingsFile;
  bool hidesNotepad;
  friend void PrintTo(const ClassListCase& c, std::ostream* out) { *out << c.name; }
};

class NeverClasses : public DesktopTest, public ::testing::WithParamInterface<ClassListCase> {};

TEST_P(NeverClasses, ListedFrameNeverGetsTheMarker) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(GetParam().settingsFile);
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"listed"));

  if (!GetParam().hidesNotepad) {
    ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta);
    return;
  }
  // Start-up leaves a 15 x 6 block; the first tick hides it, and it stays hidden.
  ExpectMarkerHiddenFor(marker, kOneCycle);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L" more"));
  ExpectMarkerHiddenFor(marker, kOneCycle);
}

INSTANTIATE_TEST_SUITE_P(
    E2e, NeverClasses,
    ::testing::Values(
        ClassListCase{"Notepad", AnsiSettingsFile("[Sevalune]\r\nKirainaKurasu1=Notepad\r\n"),
                      true},
        ClassListCase{"AmongOthersUtf16",
                      Utf16SettingsFile(L"[Sevalune]\r\nKirainaKurasu1=Edit,Notepad,xxx\r\n"),
                      true},
        ClassListCase{"OtherCase", AnsiSettingsFile("[Sevalune]\r\nKirainaKurasu1=notepad\r\n"),
                      false}),
    CaseName{});

// --- class list 2: menus only ---------------------------------------------------------------

using MenuOnlyClasses = DesktopTest;

TEST_F(MenuOnlyClasses, ListedFrameGetsTheMarkerOnlyWhileAMenuIsOpen) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(AnsiSettingsFile("[Sevalune]\r\nKirainaKurasu2=Notepad\r\n"));
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"menus only"));
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerHiddenFor(marker, kOneCycle));

  PressChord({VK_MENU, 'F'});
  ASSERT_TRUE(WaitUntil(PopupMenuIsShowing, kTickTimeout)) << "Alt+F opened no menu";
  ExpectMarkerShows(marker, MenuSquareRect(WindowRectOf(notepad)), kYellow);

  PressChord({VK_ESCAPE});
  PressChord({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([] { return !PopupMenuIsShowing(); }, kTickTimeout));
  ExpectMarkerHiddenFor(marker, kOneCycle);
}

// --- class list 3: the pointer is parked --------------------------------------------------

using ParkingClasses = DesktopTest;

TEST_F(ParkingClasses, PointerIsParkedOnceWhenAListedWindowBecomesTheTarget) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  MovePointerTo(kPointerAwayFromWindows);
  const HWND marker = StartSevalune(AnsiSettingsFile("[Sevalune]\r\nKirainaKurasu3=Notepad\r\n"));
  ASSERT_NE(marker, nullptr);

  EXPECT_TRUE(WaitUntil([] { return PointerIsAt(kParkedPointer); }, kTickTimeout))
      << "the pointer is at " << PointerPosition().x << "," << PointerPosition().y;
  // Otherwise the window is tracked as usual.
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"parked"));
  ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta);

  // The same window stays the target: the pointer is left where the user puts it.
  MovePointerTo(kPointerAwayFromWindows);
  SampleFor(kOneCycle, [] {});
  EXPECT_TRUE(PointerIsAt(kPointerAwayFromWindows))
      << "parked again at " << PointerPosition().x << "," << PointerPosition().y;
}

// --- the title rule for one class ---------------------------------------------------------

struct TitleRuleCase {
  const char* name;
  const wchar_t* frameClass;
  const wchar_t* title;
  bool hides;
  friend void PrintTo(const TitleRuleCase& c, std::ostream* out) { *out << c.name; }
};

class HiddenFormTitle : public DesktopTest, public ::testing::WithParamInterface<TitleRuleCase> {};

TEST_P(HiddenFormTitle, HidesTheMarkerOnlyForThatClassAndTitle) {
  const TitleRuleCase& c = GetParam();
  const HWND target =
      StartTarget(std::wstring(L"class=") + c.frameClass + L" title=" + c.title, c.frameClass);
  ASSERT_NE(target, nullptr);
  ASSERT_EQ(TextOf(target), c.title);
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);

  if (c.hides) {
    ExpectMarkerHiddenFor(marker, kOneCycle);
  } else {
    ExpectMarkerShows(marker, UnderlineOfFocusIn(target), kMagenta);
  }
}

INSTANTIATE_TEST_SUITE_P(
    E2e, HiddenFormTitle,
    ::testing::Values(TitleRuleCase{"ClassAndTitle", L"ThunderForm", L"_うおう_target", true},
                      TitleRuleCase{"ClassOnly", L"ThunderForm", L"target_うおう_", false},
                      TitleRuleCase{"TitleOnly", L"SevaluneE2eForm", L"_うおう_target", false}),
    CaseName{});

// --- an open drop-down list, a disabled window ---------------------------------------------

using UsableTarget = DesktopTest;

TEST_F(UsableTarget, AnOpenDropDownListHidesTheMarker) {
  const HWND target = StartTarget(L"kind=combo height=20");
  ASSERT_NE(target, nullptr);
  const std::optional<HWND> combo = FindChildWindow(target, L"ComboBox");
  ASSERT_TRUE(combo.has_value());
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, UnderlineOfFocusIn(target), kMagenta));

  ::SendMessageW(*combo, CB_SHOWDROPDOWN, TRUE, 0);
  const bool listShowing = WaitUntil(
      [&] {
        const std::optional<HWND> list = FindTopLevelWindow(ProcessOf(target), L"ComboLBox");
        return list && ::IsWindowVisible(*list);
      },
      kTickTimeout);
  ASSERT_TRUE(listShowing) << "no top-level ComboLBox window is showing";
  ExpectMarkerHiddenFor(marker, kOneCycle);

  ::SendMessageW(*combo, CB_SHOWDROPDOWN, FALSE, 0);
  ExpectMarkerShows(marker, UnderlineOfFocusIn(target), kMagenta);
}

TEST_F(UsableTarget, ADisabledForegroundWindowHidesTheMarker) {
  const HWND target = StartTarget(L"kind=button height=30");
  ASSERT_NE(target, nullptr);
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, UnderlineOfFocusIn(target), kMagenta));

  ::EnableWindow(target, FALSE);
  ASSERT_EQ(::GetForegroundWindow(), target);
  ExpectMarkerHiddenFor(marker, kOneCycle);

  ::EnableWindow(target, TRUE);
  ExpectMarkerShows(marker, UnderlineOfFocusIn(target), kMagenta);
}

// --- the text box that other programs fill --------------------------------------------------

using TextBoxSwitch = DesktopTest;

TEST_F(TextBoxSwitch, ExactlyOneHidesTheMarkerAndAnythingElseBringsItBack) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);
  const std::optional<HWND> textBox = FindChildWindow(marker, L"Edit");
  ASSERT_TRUE(textBox.has_value());
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"switch"));
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta));

  struct Step {
    const wchar_t* text;
    bool hides;
  };
  for (const Step step : {Step{L"1", true}, Step{L"", false}, Step{L"01", false},
                          Step{L"1 ", false}, Step{L"1", true}, Step{L"", false}}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(step.text)));
    ::SendMessageW(*textBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.text));
    if (step.hides) {
      ExpectMarkerHiddenFor(marker, kOneCycle);
    } else {
      ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta);
    }
  }
  EXPECT_EQ(::GetForegroundWindow(), notepad);
}

}  // namespace
}  // namespace sevalune::e2e
