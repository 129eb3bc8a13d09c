// Rectangles of windows and displays, as the program's records.
#pragma once

#include "backend/win32/WindowsHeaders.h"
#include "platform/Platform.h"

namespace sevalune::win32 {

inline Rect ToRect(const RECT& rect) { return Rect{rect.left, rect.top, rect.right, rect.bottom}; }

// The whole rectangle of the display nearest to the window; the primary display's when
// there is no window. Zero when the system cannot say.
inline Rect DisplayRectOf(HWND window) {
  HMONITOR monitor =
      window == nullptr ? nullptr : ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  // The primary display is the one that holds the screen origin.
  if (monitor == nullptr) monitor = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (::GetMonitorInfoW(monitor, &info) == FALSE) return {};
  return ToRect(info.rcMonitor);
}

// The whole rectangle of the display that shares the largest area with the rectangle, else
// of the nearest one (MonitorFromRect): a window spanning two displays may hold its caret on
// either. A line without width is taken one pixel wide. Zero when the system cannot say.
inline Rect DisplayRectHolding(const Rect& rect) {
  const RECT asked{rect.left, rect.top, rect.right > rect.left ? rect.right : rect.left + 1,
                   rect.bottom};
  HMONITOR monitor = ::MonitorFromRect(&asked, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor == nullptr || ::GetMonitorInfoW(monitor, &info) == FALSE) return {};
  return ToRect(info.rcMonitor);
}

}  // namespace sevalune::win32
