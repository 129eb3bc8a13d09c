#include "marker/MarkerWindow.h"

namespace sevalune {

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
  platform.SetWindowPos(platform.MarkerWindow(), kInsertTop, rect.x, rect.y, rect.width,
                        rect.height, swp::NoZOrder | swp::NoActivate);
  if (platform.MarkerColor() != color) platform.SetMarkerColor(color);
}

}  // namespace sevalune
