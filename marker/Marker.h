// The marker window: every move, size and colour it takes, and the blink cycle's memory.
// The marker never takes the activation, and clicks pass through it.
#pragma once

#include <cstdint>
#include <optional>

#include "marker/Blink.h"
#include "marker/MarkerGeometry.h"
#include "marker/Target.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

namespace sevalune {

// What the blink cycle remembers from one update to the next: the phase, and the target
// whose change restarts the cycle.
struct BlinkMemory {
  std::int16_t phase = 0;
  WindowHandle lastFocusWindow = 0;
  TargetKind lastKind = TargetKind::None;
  std::int16_t lastImeOpen = 0;
};

class Marker {
 public:
  Marker(Platform& platform, const Settings& settings);
  Marker(const Marker&) = delete;
  Marker& operator=(const Marker&) = delete;

  // Advances the blink cycle and, in its "on" part, puts the marker on the target in the
  // colour and size for the kind of target and the input-method status.
  void Update(const Target& target, WindowHandle foreground, std::int16_t imeOpen);

  // Between ticks: moves a marker that the blink cycle shows now onto the target, as the
  // last update would have placed it there. The cycle is not advanced, and a marker that a
  // tick has hidden (by the cycle or a gate) stays hidden.
  void MoveBetweenTicks(const Target& target, WindowHandle foreground, std::int16_t imeOpen);
  // Whether the marker stands shown now: the blink cycle shows it and no gate has shrunk it.
  bool ShownNow() const;
  // Whether the blink cycle shows the marker after the last update.
  bool BlinkShowsIt() const { return BlinkShows(blink_.phase, settings_.blinkFactor); }

  // Shrinks the marker to 0 x 0 at the screen origin, keeping its z-order; nothing is
  // called when it is already 0 pixels high.
  void Shrink();

  // Shrinks the marker to 0 x 0 at the screen origin and puts it on top of the topmost
  // windows again.
  void ShrinkOnTop();

  const BlinkMemory& blink() const { return blink_; }

  struct Placement {
    MarkerRect rect;
    Color color = 0;
  };

  // Where and in which colour the marker goes for the target (nullopt: nowhere), without
  // moving it; the finder converges on the same place.
  std::optional<Placement> PlacementFor(const Target& target, WindowHandle foreground,
                                        bool imeOpen) const;

 private:
  // Moves and sizes the marker without touching its z-order (only when it is not already
  // there), then colours it (only when the colour changes).
  void Place(const Placement& placement);
  bool AlreadyAt(const MarkerRect& rect);
  // The DPI the marker's sizes are scaled to for a target at `place`: that of the display
  // holding it (sharing the largest area with it, else the nearest), or 96 while scaling
  // is switched off. The place is the caret point for a caret block (the block's top-left
  // pixel), the focused control's rectangle for a bar, and the rectangle of the window
  // whose menu is open for the menu square.
  std::uint32_t DpiOfDisplayHolding(const Rect& place) const;

  Platform& platform_;
  const Settings& settings_;
  BlinkMemory blink_;
};

}  // namespace sevalune
