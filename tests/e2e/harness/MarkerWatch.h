// Watching the marker from outside: where it is, what colour the screen shows there, and
// how it blinks over time.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "backend/win32/WindowsHeaders.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {

// Default marker sizes and colours (0x00BBGGRR, as GetPixel answers).
inline constexpr int kCaretMarkerWidth = 10;
inline constexpr int kCaretMarkerHeight = 9;
inline constexpr int kUnderlineHeight = 5;
inline constexpr int kLeftBarWidth = 3;
inline constexpr COLORREF kMagenta = RGB(0xFF, 0x00, 0xFF);
inline constexpr COLORREF kYellow = RGB(0xFF, 0xFF, 0x00);

bool IsPlaced(const RECT& rect);
bool SameRect(const RECT& a, const RECT& b);

// Where the marker belongs for each kind of target.
RECT CaretMarkerRect(POINT caretLowerLeft);
RECT UnderlineRect(const RECT& control, int height = kUnderlineHeight);
RECT LeftBarRect(const RECT& control, int width = kLeftBarWidth);
RECT MenuSquareRect(const RECT& window);

struct MarkerObservation {
  bool reachedPlace = false;  // the marker was seen at the expected rectangle
  RECT lastRect{};            // the rectangle seen last
  // While it was there: the first pixel inside it that had another colour, or the colour.
  std::optional<COLORREF> colorInside;
  std::optional<POINT> otherColorAt;  // where that pixel is on the screen
  std::string Describe() const;
};

// Watches until the marker sits at `expected` with the screen showing `color` on every
// pixel inside it on a few reads in a row, or the time is up.
MarkerObservation WatchForMarker(HWND marker, const RECT& expected, COLORREF color,
                                 Milliseconds timeout);

struct MarkerSample {
  std::chrono::steady_clock::time_point at;
  RECT rect{};
};
std::vector<MarkerSample> RecordMarker(HWND marker, Milliseconds duration);

// The shown/hidden pattern of a recording: the marker counts as shown while it has an area.
struct BlinkSummary {
  int shownSamples = 0;
  int hiddenSamples = 0;
  int hides = 0;                  // shown -> hidden
  int shows = 0;                  // hidden -> shown
  std::vector<RECT> shownRects;   // each distinct rectangle it was shown at
  std::vector<RECT> hiddenRects;  // each distinct rectangle without area it had
  double meanShownMs = 0;         // of the runs that began and ended inside the recording
  double meanHiddenMs = 0;
  double ShownShare() const;
  std::string Describe() const;
};
BlinkSummary SummariseBlinking(const std::vector<MarkerSample>& samples);

}  // namespace sevalune::e2e
