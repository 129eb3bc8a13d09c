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
  const MarkerSizeList& sizes = program.settings.markerSizes;
  switch (target.kind) {
    case TargetKind::Menu: {
      const std::optional<MarkerRect> rect = MenuMarker(WindowRectOrZero(platform, foreground));
      if (!rect) return std::nullopt;
      return Placement{*rect, state.menuColor};
    }
    case TargetKind::Caret:
      return Placement{CaretMarker(target.caretPoint, imeOpen, sizes),
                       imeOpen ? state.caretImeColor : state.caretColor};
    case TargetKind::Parts: {
      const WindowHandle focus = target.threadInfo.focus;
      const Rect control = WindowRectOrZero(platform, focus);
      // Only the bar beside a tall control depends on the display that holds it.
      const std::int32_t monitorLeft =
          IsTallControl(control) ? platform.MonitorRectOf(focus).left : 0;
      const std::optional<MarkerRect> rect = PartsMarker(control, sizes, monitorLeft);
      if (!rect) return std::nullopt;
      return Placement{*rect, imeOpen ? state.partsImeColor : state.partsColor};
    }
    case TargetKind::None: break;
  }
  return std::nullopt;
}

}  // namespace

void UpdateMarker(Program& program, const Target& target, WindowHandle foreground,
                  std::int16_t imeOpen) {
  TickState& tick = program.tick;
  const WindowHandle focus = target.threadInfo.focus;
  const bool targetChanged = target.kind != tick.lastKind ||
                             focus != tick.lastFocusWindow || imeOpen != tick.lastImeOpen;
  const std::int32_t factor = program.settings.blinkFactor;
  tick.blinkPhase = NextBlinkPhase(targetChanged, tick.blinkPhase, factor);

  switch (BlinkActionAt(tick.blinkPhase, factor)) {
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

  tick.lastFocusWindow = focus;
  tick.lastKind = target.kind;
  tick.lastImeOpen = imeOpen;
}

}  // namespace sevalune
