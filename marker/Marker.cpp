#include "marker/Marker.h"

#include "marker/Blink.h"

namespace sevalune {
namespace {

Rect WindowRectOrZero(Platform& platform, WindowHandle window) {
  Rect rect;
  if (!platform.GetWindowRect(window, rect)) rect = Rect{};
  return rect;
}

}  // namespace

Marker::Marker(Platform& platform, const Settings& settings)
    : platform_(platform), settings_(settings) {}

void Marker::Update(const Target& target, WindowHandle foreground, std::int16_t imeOpen) {
  const WindowHandle focus = target.threadGuiInfo.focus;
  const bool targetChanged = target.kind != blink_.lastKind || focus != blink_.lastFocusWindow ||
                             imeOpen != blink_.lastImeOpen;
  const std::int32_t factor = settings_.blinkFactor;
  blink_.phase = NextBlinkPhase(targetChanged, blink_.phase, factor);

  switch (BlinkActionAt(blink_.phase, factor)) {
    case BlinkAction::Place:
      if (const auto placement = PlacementFor(target, foreground, imeOpen != 0)) Place(*placement);
      break;
    case BlinkAction::Hide:
      ShrinkOnTop();
      break;
    case BlinkAction::Nothing:
      break;
  }

  blink_.lastFocusWindow = focus;
  blink_.lastKind = target.kind;
  blink_.lastImeOpen = imeOpen;
}

bool Marker::ShownNow() const {
  if (!BlinkShows(blink_.phase, settings_.blinkFactor)) return false;
  Rect current;
  if (!platform_.GetWindowRect(platform_.MarkerWindow(), current)) return false;
  return current.bottom - current.top > 0;
}

void Marker::MoveBetweenTicks(const Target& target, WindowHandle foreground, std::int16_t imeOpen) {
  if (!ShownNow()) return;
  if (const auto placement = PlacementFor(target, foreground, imeOpen != 0)) Place(*placement);
}

std::optional<Marker::Placement> Marker::PlacementFor(const Target& target, WindowHandle foreground,
                                                      bool imeOpen) const {
  const MarkerColors& colors = settings_.colors;
  switch (target.kind) {
    case TargetKind::Menu: {
      const Rect window = WindowRectOrZero(platform_, foreground);
      const std::optional<MarkerRect> rect = MenuMarker(window, DpiOfDisplayHolding(window));
      if (!rect) return std::nullopt;
      return Placement{*rect, colors.menu};
    }
    case TargetKind::Caret: {
      const std::optional<MarkerRect> rect =
          CaretMarker(target.caretPoint, imeOpen, settings_.sizes,
                      DpiOfDisplayHolding(PixelAt(target.caretPoint)));
      if (!rect) return std::nullopt;
      return Placement{*rect, imeOpen ? colors.caretIme : colors.caret};
    }
    case TargetKind::FocusedControl: {
      const WindowHandle focus = target.threadGuiInfo.focus;
      const Rect control =
          target.element ? target.element->rect : WindowRectOrZero(platform_, focus);
      // Only the bar beside a tall control depends on the display's edge; an element came
      // with the display of its window.
      std::int32_t monitorLeft = 0;
      if (IsTallControl(control)) {
        monitorLeft =
            target.element ? target.element->display.left : platform_.MonitorRectOf(focus).left;
      }
      const std::optional<MarkerRect> rect =
          PartsMarker(control, settings_.sizes, monitorLeft, DpiOfDisplayHolding(control));
      if (!rect) return std::nullopt;
      return Placement{*rect, imeOpen ? colors.partsIme : colors.parts};
    }
    case TargetKind::None:
      break;
  }
  return std::nullopt;
}

std::uint32_t Marker::DpiOfDisplayHolding(const Rect& place) const {
  if (!settings_.dpiScaling) return kDefaultScreenDpi;
  const std::uint32_t dpi = platform_.MonitorDpiOf(place);
  return dpi != 0 ? dpi : kDefaultScreenDpi;
}

void Marker::Shrink() {
  const WindowHandle marker = platform_.MarkerWindow();
  Rect rect;
  if (platform_.GetWindowRect(marker, rect) && rect.bottom - rect.top > 0) {
    platform_.SetWindowPos(marker, kInsertTop, 0, 0, 0, 0, swp::NoZOrder | swp::NoActivate);
  }
}

void Marker::ShrinkOnTop() {
  platform_.SetWindowPos(platform_.MarkerWindow(), kInsertTopmost, 0, 0, 0, 0, swp::NoActivate);
}

void Marker::Place(const Placement& placement) {
  const MarkerRect& rect = placement.rect;
  // Moving a window to where it already is changes nothing but still costs a round trip
  // through the window manager, on every tick that the caret stands still.
  if (!AlreadyAt(rect)) {
    platform_.SetWindowPos(platform_.MarkerWindow(), kInsertTop, rect.x, rect.y, rect.width,
                           rect.height, swp::NoZOrder | swp::NoActivate);
  }
  // Repainting on every tick would flicker; only a new colour is painted.
  if (platform_.MarkerColor() != placement.color) platform_.SetMarkerColor(placement.color);
}

bool Marker::AlreadyAt(const MarkerRect& rect) {
  Rect current;
  if (!platform_.GetWindowRect(platform_.MarkerWindow(), current)) return false;
  return current.left == rect.x && current.top == rect.y &&
         std::int64_t{current.right} - current.left == rect.width &&
         std::int64_t{current.bottom} - current.top == rect.height;
}

}  // namespace sevalune
