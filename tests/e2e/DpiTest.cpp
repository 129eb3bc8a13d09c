// The real sevalune.exe on a desktop at 150 % (144 DPI): the default caret block of 10 x 9
// (given for 96 DPI) is 15 x 14 under notepad's caret. Run in a Wine prefix whose
// HKCU\Control Panel\Desktop LogPixels is 144 (CTest makes one: tests/e2e/CMakeLists.txt);
// on Windows, on a single display at 150 %. At 96 DPI the tracking tests check 10 x 9.
//
// What else 144 DPI changes under Wine 8 (seen here): notepad's title and menu bars are
// taller and its frame a pixel thicker, so after "hello" its caret's lower left end is at
// (147, 159) on screen instead of (146, 140); the caret itself (1 x 14 at (39, 1) in the
// client area), the text's advance and notepad's window size are those of 96 DPI. So the
// block's place is taken from the caret as read, and only its size is fixed here.
#include <gtest/gtest.h>

#include <iostream>

#include "backend/win32/WindowsHeaders.h"
#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"
#include "harness/MarkerWatch.h"

namespace sevalune::e2e {
namespace {

constexpr UINT kScaledDpi = 144;
constexpr int kScaledBlockWidth = 15;   // 10 x 1.5
constexpr int kScaledBlockHeight = 14;  // 9 x 1.5 = 13.5, a half rounding up

using ScaledDisplay = DesktopTest;

TEST_F(ScaledDisplay, DefaultCaretBlockIsScaledTo15By14) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const UINT dpi = ::GetDpiForWindow(notepad);
  ASSERT_EQ(dpi, kScaledDpi) << "this desktop is not at 144 DPI: set LogPixels = 144 in "
                                "HKCU\\Control Panel\\Desktop before Wine starts";
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);

  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"hello"));
  const std::optional<ThreadCaret> caret = CaretOfThreadOf(notepad);
  ASSERT_TRUE(caret.has_value());
  std::cout << "[ 144 dpi  ] notepad " << Describe(WindowRectOf(notepad)) << ", caret "
            << Describe(caret->caretClient) << " in its client area, lower left on screen "
            << caret->lowerLeftOnScreen.x << "," << caret->lowerLeftOnScreen.y << "\n";
  const std::optional<RECT> place =
      CaretMarkerRectFor(notepad, kScaledBlockWidth, kScaledBlockHeight);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, place, kMagenta));

  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L", world"));
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(
      marker, CaretMarkerRectFor(notepad, kScaledBlockWidth, kScaledBlockHeight), kMagenta));
  EXPECT_EQ(::GetForegroundWindow(), notepad);
}

}  // namespace
}  // namespace sevalune::e2e
