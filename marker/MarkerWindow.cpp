#include "marker/MarkerWindow.h"

namespace sevalune {
namespace {

bool AlreadyAt(Platform& platform, WindowHandle marker, const MarkerRect& rect) {
  Rect current;
  if (!platform.GetWindowRect(marker, current)) return false;
  return current.left == rect.x && current.top == rect.y &&
         std::int64_t{current.right} - current.left == rect.width &&
         std::int64_t{current.bottom} - current.top == rect.height;
}

}  // namespace

void HideMarker(Platform& platform) {
  const WindowHandle marker = platform.MarkerWindow();
  Rect rect;
  if (platform.GetWindowRect(marker, rect) && rect.bottom - rect.top > 0) {
    platform.SetWindowPos(marker, kInsertTop, 0, 0, 0, 0, swp::NoZOrder | swp::NoActivate);
  }
}

void HideMarkerTopmost(Platform& platform) {
  platform.SetWindowPos(platform.MarkerWindow(), kInsertTopmost, 0, 0, 0, 0, swp::NoActivate);
}

void PlaceMarker(Platform& platform, const MarkerRect& rect, Color color) {
  const WindowHandle marker = platform.MarkerWindow();
  // Moving a window to where it already is changes nothing but still costs a round trip
  // through the window manager, on every tick that the caret stands still.
  if (!AlreadyAt(platform, marker, rect)) {
    platform.SetWindowPos(marker, kInsertTop, rect.x, rect.y, rect.width, rect.height,
                          swp::NoZOrder | swp::NoActivate);
  }
  if (platform.MarkerColor() != color) platform.SetMarkerColor(color);
}

}  // namespace sevalune
