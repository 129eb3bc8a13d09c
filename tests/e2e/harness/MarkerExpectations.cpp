#include "harness/MarkerExpectations.h"

#include <gtest/gtest.h>

#include "harness/Desktop.h"

namespace sevalune::e2e {

std::optional<RECT> CaretMarkerRectFor(HWND window, int width, int height) {
  const std::optional<ThreadCaret> caret = CaretOfThreadOf(window);
  if (!caret || caret->caretWindow == nullptr) return std::nullopt;
  const POINT corner = caret->lowerLeftOnScreen;
  return RECT{corner.x, corner.y, corner.x + width, corner.y + height};
}

void ExpectMarkerShows(HWND marker, const std::optional<RECT>& expected, COLORREF color) {
  ASSERT_TRUE(expected.has_value()) << "no place to expect the marker at";
  const MarkerObservation seen = WatchForMarker(marker, *expected, color, kTickTimeout);
  EXPECT_TRUE(seen.reachedPlace && seen.colorInside == color)
      << "expected " << Describe(*expected) << " in " << DescribeColor(color) << "; "
      << seen.Describe();
}

void ExpectMarkerHiddenFor(HWND marker, Milliseconds duration) {
  const bool hidden = WaitUntil([&] { return !IsPlaced(WindowRectOf(marker)); }, kTickTimeout);
  ASSERT_TRUE(hidden) << "the marker stays at " << Describe(WindowRectOf(marker));
  const BlinkSummary seen = SummariseBlinking(RecordMarker(marker, duration));
  EXPECT_EQ(seen.shownSamples, 0) << seen.Describe();
}

}  // namespace sevalune::e2e
