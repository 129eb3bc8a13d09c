// The displays of the simulated desktop and MonitorFromWindow's (and MonitorFromRect's)
// choice among them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Platform.h"

namespace sevalune::sim {

struct MonitorInfo {
  Rect rect;
  bool primary = false;
  std::uint32_t dpi = kDefaultScreenDpi;  // its effective DPI (GetDpiForMonitor)
};

// One primary display of 1920 x 1080 at the origin.
std::vector<MonitorInfo> DefaultMonitors();

// The primary display: the one marked primary, else the first.
Rect PrimaryMonitorRect(const std::vector<MonitorInfo>& monitors);

// MONITOR_DEFAULTTONEAREST: the display sharing the largest area with the window, else
// the nearest one (the first of equally near ones), else the primary display.
MonitorInfo MonitorFor(const std::vector<MonitorInfo>& monitors, std::optional<Rect> window);
Rect MonitorRectFor(const std::vector<MonitorInfo>& monitors, std::optional<Rect> window);

// Where the mouse cursor ends up when moved to a point: the point itself when a display
// shows it, else the nearest pixel of the nearest display.
Point ClampToDisplays(const std::vector<MonitorInfo>& monitors, Point point);

}  // namespace sevalune::sim
