// Locating the target in the foreground window's GUI thread: the caret, the focused control
// or an open menu, for the tick, between ticks and for the finder.
#pragma once

#include <optional>

#include "marker/Target.h"
#include "tracking/LocationMethod.h"
#include "tracking/Tracker.h"

namespace sevalune {

// Finds the focus window, the caret and any open menu in the foreground window's GUI
// thread, by the per-thread GUI query or, on the older method, by attaching to that
// thread's input for a moment. nullopt only when the program was asked to quit while
// messages were pumped. Touches nothing of the tick's (the finder uses it too).
std::optional<Target> FindTarget(Platform& platform, LocationMethod method, bool debugMode,
                                 WindowHandle foreground);

// The debug switch shows the caret block on a focused control that has no caret, to see
// where the program thinks the focus is.
void ApplyDebugMode(bool debugMode, Target& target);

// The tick's location step: the tick's holds, then the location as the system reports it,
// before the accessibility fallback and the debug switch, which the tick applies after it.
// nullopt also when the tick is held (hold countdown, or the left button in use on the
// older method).
std::optional<Target> LocateTarget(Tracker& tracker, WindowHandle foreground);

// The same location between ticks, by the per-thread query alone: no hold is counted down
// and no message pumped, and neither the accessibility fallback nor the debug switch is
// applied (a target that needs them is left to the tick). nullopt on the older method,
// whose attaching to another thread's input is left to the tick, and while a hold runs,
// which the tick counts.
std::optional<Target> LocateBetweenTicks(Tracker& tracker, WindowHandle foreground);

}  // namespace sevalune
