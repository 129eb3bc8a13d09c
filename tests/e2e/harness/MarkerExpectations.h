// GoogleTest expectations about the marker, shared by the test files.
#pragma once

#include <optional>

#include "backend/win32/WindowsHeaders.h"
#include "harness/Desktop.h"
#include "harness/MarkerWatch.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {

// Where the caret marker of the given size belongs for the caret of the thread that owns
// `window` (GetGUIThreadInfo); nullopt when that thread has no caret.
std::optional<RECT> CaretMarkerRectFor(HWND window, int width = kCaretMarkerWidth,
                                       int height = kCaretMarkerHeight);

// The marker reaches `expected` and shows `color` there; a failure says what was seen.
void ExpectMarkerShows(HWND marker, const std::optional<RECT>& expected, COLORREF color);

// The marker loses its area within a few ticks and has none for the whole `duration`.
void ExpectMarkerHiddenFor(HWND marker, Milliseconds duration);

// The marker reaches the rectangle that place() names at that moment and shows `color`
// there. For a caret that has yet to appear or may still move: the program's start-up and
// its tray menu take the activation from the foreground program for a moment, and its
// caret comes back a little later; keys may still be on their way to it.
template <typename Place>
void ExpectMarkerFollows(HWND marker, Place place, COLORREF color) {
  WaitUntil(
      [&] {
        const std::optional<RECT> expected = place();
        return expected && SameRect(WindowRectOf(marker), *expected);
      },
      kTickTimeout);
  ExpectMarkerShows(marker, place(), color);
}

}  // namespace sevalune::e2e
