// The gates of the real sevalune.exe's tick where they meet the real user32: a class list
// read from a real settings file matched against notepad's real class, a real combo box's
// drop-down list, and the text box that another process fills with WM_SETTEXT. The rules
// of the gates themselves are shown in tests/scenarios/gates_*.sim.
#include <gtest/gtest.h>

#include <optional>

#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"
#include "harness/MarkerWatch.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

// More than one whole cycle: a marker that is shown at all is seen.
constexpr Milliseconds kOneCycle = 1200ms;

// The underline below the focused control of the target program.
RECT UnderlineOfFocusIn(HWND target) {
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(target);
  return UnderlineRect(WindowRectOf(thread ? thread->focus : nullptr));
}

// --- a class list ---------------------------------------------------------------------

using ClassList = DesktopTest;

TEST_F(ClassList, NotepadsRealClassOnTheListNeverGetsTheMarker) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker =
      StartSevalune(Utf16SettingsFile(L"[Sevalune]\r\nKirainaKurasu1=Edit,Notepad,xxx\r\n"));
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"listed"));
  // Start-up leaves a 15 x 6 block; the first tick hides it, and it stays hidden.
  ExpectMarkerHiddenFor(marker, kOneCycle);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L" more"));
  ExpectMarkerHiddenFor(marker, kOneCycle);
}

// --- an open drop-down list -------------------------------------------------------------

using DropDownList = DesktopTest;

TEST_F(DropDownList, AnOpenOneHidesTheMarker) {
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

// --- the text box that other programs fill --------------------------------------------------

using TextBoxSwitch = DesktopTest;

TEST_F(TextBoxSwitch, OneFromAnotherProcessHidesTheMarkerAndEmptyBringsItBack) {
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
  for (const Step step : {Step{L"1", true}, Step{L"", false}}) {
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
