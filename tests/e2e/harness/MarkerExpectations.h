// GoogleTest expectations about the marker, shared by the test files.
#pragma once

#include <optional>

#include "harness/MarkerWatch.h"
#include "harness/Waiting.h"
#include "harness/Win32.h"

namespace sevalune::e2e {

// Where the caret marker of the given size belongs for the caret of the thread that owns
// `window` (GetGUIThreadInfo); nullopt when that thread has no caret.
std::optional<RECT> CaretMarkerRectFor(HWND window, int width = kCaretMarkerWidth,
                                       int height = kCaretMarkerHeight);

// The marker reaches `expected` and shows `color` there; a failure says what was seen.
void ExpectMarkerShows(HWND marker, const std::optional<RECT>& expected, COLORREF color);

// The marker loses its area within a few ticks and has none for the whole `duration`.
void ExpectMarkerHiddenFor(HWND marker, Milliseconds duration);

}  // namespace sevalune::e2e
