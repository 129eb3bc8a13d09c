#pragma once

#include <optional>

#include "app/Program.h"
#include "tracking/Target.h"

namespace sevalune {

// Finds the focus window, the caret and any open menu in the foreground window's GUI
// thread, by the per-thread GUI query or, on the older method, by attaching to that
// thread's input for a moment. nullopt when the tick is held (hold countdown, or the
// left button in use on the older method) and must end here.
std::optional<Target> LocateTarget(Program& program, WindowHandle foreground);

}  // namespace sevalune
