#include "harness/MarkerWatch.h"

#include <algorithm>
#include <utility>

#include "harness/Desktop.h"

namespace sevalune::e2e {
namespace {

constexpr int kMenuSquareInset = 3;
constexpr int kMenuSquareSize = 18;
// The screen shows a move a few milliseconds late; a colour that is right on this many
// reads in a row (one poll interval apart) is what the marker really shows, not a moment
// of its painting.
constexpr int kSteadyReads = 3;

using Clock = std::chrono::steady_clock;

double MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Mean(const std::vector<double>& values) {
  if (values.empty()) return 0;
  double sum = 0;
  for (const double value : values) sum += value;
  return sum / static_cast<double>(values.size());
}

void AddIfNew(std::vector<RECT>& rects, const RECT& rect) {
  const auto same = [&](const RECT& known) { return SameRect(known, rect); };
  if (std::none_of(rects.begin(), rects.end(), same)) rects.push_back(rect);
}

// The first pixel inside the rectangle with another colour (its colour and place), else
// the colour itself; CLR_INVALID when nothing could be read.
std::pair<COLORREF, std::optional<POINT>> ColorInside(const RECT& area, COLORREF color) {
  const std::vector<COLORREF> pixels = ScreenPixels(area);
  if (pixels.empty()) return {CLR_INVALID, std::nullopt};
  const LONG width = area.right - area.left;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (pixels[i] == color) continue;
    const auto index = static_cast<LONG>(i);
    return {pixels[i], POINT{area.left + index % width, area.top + index / width}};
  }
  return {color, std::nullopt};
}

}  // namespace

bool IsPlaced(const RECT& rect) { return rect.right > rect.left && rect.bottom > rect.top; }

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT CaretMarkerRect(POINT caretLowerLeft) {
  return RECT{caretLowerLeft.x, caretLowerLeft.y, caretLowerLeft.x + kCaretMarkerWidth,
              caretLowerLeft.y + kCaretMarkerHeight};
}

RECT UnderlineRect(const RECT& control, int height) {
  return RECT{control.left, control.bottom - 1, control.right, control.bottom - 1 + height};
}

RECT LeftBarRect(const RECT& control, int width) {
  const LONG left = std::max<LONG>(1, control.left - 1);
  return RECT{left, control.top, left + width, control.bottom};
}

RECT MenuSquareRect(const RECT& window) {
  const LONG left = window.left + kMenuSquareInset;
  const LONG top = window.top + kMenuSquareInset;
  return RECT{left, top, left + kMenuSquareSize, top + kMenuSquareSize};
}

std::string MarkerObservation::Describe() const {
  // Appended piece by piece: GCC 12 warns falsely about "literal" + std::string&&.
  std::string text = "marker last seen at ";
  text += e2e::Describe(lastRect);
  text += reachedPlace ? ", reached the expected place" : ", never at the expected place";
  if (colorInside) text.append(", screen inside it ").append(DescribeColor(*colorInside));
  if (otherColorAt) {
    text.append(" at ").append(std::to_string(otherColorAt->x)).append(",");
    text.append(std::to_string(otherColorAt->y));
  }
  return text;
}

MarkerObservation WatchForMarker(HWND marker, const RECT& expected, COLORREF color,
                                 Milliseconds timeout) {
  MarkerObservation seen;
  int goodReadsInARow = 0;
  WaitUntil(
      [&] {
        seen.lastRect = WindowRectOf(marker);
        if (!SameRect(seen.lastRect, expected)) {
          goodReadsInARow = 0;
          return false;
        }
        seen.reachedPlace = true;
        const auto [inside, where] = ColorInside(expected, color);
        // Only pixels read while the marker stayed in place count.
        if (!SameRect(WindowRectOf(marker), expected)) return false;
        seen.colorInside = inside;
        seen.otherColorAt = where;
        goodReadsInARow = inside == color ? goodReadsInARow + 1 : 0;
        return goodReadsInARow == kSteadyReads;
      },
      timeout);
  return seen;
}

std::vector<MarkerSample> RecordMarker(HWND marker, Milliseconds duration) {
  std::vector<MarkerSample> samples;
  SampleFor(duration, [&] { samples.push_back(MarkerSample{Clock::now(), WindowRectOf(marker)}); });
  return samples;
}

double BlinkSummary::ShownShare() const {
  const int all = shownSamples + hiddenSamples;
  return all == 0 ? 0 : static_cast<double>(shownSamples) / all;
}

std::string BlinkSummary::Describe() const {
  std::string text = std::to_string(shownSamples);
  text.append(" samples shown, ").append(std::to_string(hiddenSamples));
  text.append(" hidden, ").append(std::to_string(hides));
  text.append(" hides, ").append(std::to_string(shows));
  text.append(" shows, mean run shown ").append(std::to_string(static_cast<int>(meanShownMs)));
  text.append(" ms, hidden ").append(std::to_string(static_cast<int>(meanHiddenMs)));
  text.append(" ms; shown at");
  for (const RECT& rect : shownRects) text.append(" ").append(e2e::Describe(rect));
  text.append("; hidden at");
  for (const RECT& rect : hiddenRects) text.append(" ").append(e2e::Describe(rect));
  return text;
}

BlinkSummary SummariseBlinking(const std::vector<MarkerSample>& samples) {
  BlinkSummary summary;
  std::vector<double> shownRuns;
  std::vector<double> hiddenRuns;
  std::optional<Clock::time_point> runStart;  // of the current run, once a change was seen
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const bool shown = IsPlaced(samples[i].rect);
    (shown ? summary.shownSamples : summary.hiddenSamples) += 1;
    AddIfNew(shown ? summary.shownRects : summary.hiddenRects, samples[i].rect);
    if (i == 0 || shown == IsPlaced(samples[i - 1].rect)) continue;
    (shown ? summary.shows : summary.hides) += 1;
    // The run that just ended, measured only when its start was seen too.
    if (runStart)
      (shown ? hiddenRuns : shownRuns).push_back(MillisecondsBetween(*runStart, samples[i].at));
    runStart = samples[i].at;
  }
  summary.meanShownMs = Mean(shownRuns);
  summary.meanHiddenMs = Mean(hiddenRuns);
  return summary;
}

}  // namespace sevalune::e2e
