#include "marker/UpdateMarker.h"

#include <optional>

#include "marker/Blink.h"
#include "marker/MarkerGeometry.h"
#include "marker/MarkerWindow.h"

namespace sevalune {
namespace {

struct Placement {
  MarkerRect rect;
  Color color = 0;
};

Rect WindowRectOrZero(Platform& platform, WindowHandle window) {
  Rect rect;
  if (!platform.GetWindowRect(window, rect)) rect = Rect{};
  return rect;
}

std::optional<Placement> PlacementFor(Program& program, const Target& target,
                                      WindowHandle foreground, bool imeOpen) {
  Platform& platform = program.platform;
  const AppState& state = program.state;
  const MarkerSizeList& sizes = program.settings.MarkerSizes;
  switch (target.TargetKind) {
    case TargetKind::Menu: {
      const std::optional<MarkerRect> rect = MenuMarker(WindowRectOrZero(platform, foreground));
      if (!rect) return std::nullopt;
      return Placement{*rect, state.MenuColor};
    }
    case TargetKind::Caret:
      return Placement{CaretMarker(target.CaretPoint, imeOpen, sizes),
                       imeOpen ? state.CaretImeColor : state.CaretColor};
    case TargetKind::Parts: {
      const WindowHandle focus = target.ThreadGuiInfo.focus;
      const Rect control = WindowRectOrZero(platform, focus);
      // Only the bar beside a tall control depends on the display that holds it.
      const std::int32_t monitorLeft =
          IsTallControl(control) ? platform.MonitorRectOf(focus).left : 0;
      const std::optional<MarkerRect> rect = PartsMarker(control, sizes, monitorLeft);
      if (!rect) return std::nullopt;
      return Placement{*rect, imeOpen ? state.PartsImeColor : state.PartsColor};
    }
    case TargetKind::None:
      break;
  }
  return std::nullopt;
}

}  // namespace

void UpdateMarker(Program& program, const Target& target, WindowHandle foreground,
                  std::int16_t imeOpen) {
  TickState& tick = program.TickState;
  const WindowHandle focus = target.ThreadGuiInfo.focus;
  const bool targetChanged = target.TargetKind != tick.LastKind || focus != tick.LastFocusWindow ||
                             imeOpen != tick.LastImeOpen;
  const std::int32_t factor = program.settings.BlinkFactor;
  tick.BlinkPhase = NextBlinkPhase(targetChanged, tick.BlinkPhase, factor);

  switch (BlinkActionAt(tick.BlinkPhase, factor)) {
    case BlinkAction::Place:
      if (const auto placement = PlacementFor(program, target, foreground, imeOpen != 0)) {
        PlaceMarker(program.platform, placement->rect, placement->color);
      }
      break;
    case BlinkAction::Hide:
      HideMarkerTopmost(program.platform);
      break;
    case BlinkAction::Nothing:
      break;
  }

  tick.LastFocusWindow = focus;
  tick.LastKind = target.TargetKind;
  tick.LastImeOpen = imeOpen;
}

}  // namespace sevalune
