#pragma once

#include <optional>

#include "marker/Target.h"
#include "tracking/Tracker.h"

namespace sevalune {

// Finds the focus window, the caret and any open menu in the foreground window's GUI
// thread, as the system reports them: by the per-thread GUI query or, on the older method,
// by attaching to that thread's input for a moment. nullopt when the tick must end here: it
// is held (hold countdown, or the left button in use on the older method), or the program
// was asked to quit while messages were pumped.
std::optional<Target> LocateTarget(Tracker& tracker, WindowHandle foreground);

}  // namespace sevalune
