#include "backend/sim/Monitors.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace sevalune::sim {
namespace {

std::int64_t OverlapArea(const Rect& a, const Rect& b) {
  const std::int64_t width = std::int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
  const std::int64_t height = std::int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
  return (width > 0 && height > 0) ? width * height : 0;
}

// Squared distance between two rectangles along both axes; 0 when they touch.
std::int64_t DistanceSquared(const Rect& a, const Rect& b) {
  const std::int64_t dx =
      std::max<std::int64_t>({0, std::int64_t{b.left} - a.right, std::int64_t{a.left} - b.right});
  const std::int64_t dy =
      std::max<std::int64_t>({0, std::int64_t{b.top} - a.bottom, std::int64_t{a.top} - b.bottom});
  return dx * dx + dy * dy;
}

// A window of no width or height still lies on the display under its corner.
Rect AtLeastOnePixel(Rect rect) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  if (rect.right <= rect.left && rect.left < kLargest) rect.right = rect.left + 1;
  if (rect.bottom <= rect.top && rect.top < kLargest) rect.bottom = rect.top + 1;
  return rect;
}

// The one marked primary, else the first.
MonitorInfo PrimaryMonitor(const std::vector<MonitorInfo>& monitors) {
  if (monitors.empty()) return DefaultMonitors().front();
  const auto primary = std::find_if(monitors.begin(), monitors.end(),
                                    [](const MonitorInfo& monitor) { return monitor.primary; });
  return primary != monitors.end() ? *primary : monitors.front();
}

}  // namespace

std::vector<MonitorInfo> DefaultMonitors() { return {MonitorInfo{Rect{0, 0, 1920, 1080}, true}}; }

Rect PrimaryMonitorRect(const std::vector<MonitorInfo>& monitors) {
  return PrimaryMonitor(monitors).rect;
}

MonitorInfo MonitorFor(const std::vector<MonitorInfo>& monitors, std::optional<Rect> window) {
  if (!window || monitors.empty()) return PrimaryMonitor(monitors);
  const Rect footprint = AtLeastOnePixel(*window);
  const MonitorInfo* best = nullptr;
  std::int64_t bestArea = 0;
  for (const MonitorInfo& monitor : monitors) {
    const std::int64_t area = OverlapArea(monitor.rect, footprint);
    if (area > bestArea) best = &monitor, bestArea = area;
  }
  if (best != nullptr) return *best;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  for (const MonitorInfo& monitor : monitors) {
    const std::int64_t distance = DistanceSquared(monitor.rect, footprint);
    if (distance < bestDistance) best = &monitor, bestDistance = distance;
  }
  return *best;
}

Rect MonitorRectFor(const std::vector<MonitorInfo>& monitors, std::optional<Rect> window) {
  return MonitorFor(monitors, window).rect;
}

Point ClampToDisplays(const std::vector<MonitorInfo>& monitors, Point point) {
  const Rect display = MonitorRectFor(monitors, Rect{point.x, point.y, point.x, point.y});
  if (display.right <= display.left || display.bottom <= display.top) return point;
  point.x = std::clamp(point.x, display.left, display.right - 1);
  point.y = std::clamp(point.y, display.top, display.bottom - 1);
  return point;
}

}  // namespace sevalune::sim
