// What the tick does when it finds no usable window in the foreground: it gives the
// foreground to a window the user can work in, so that later ticks find a target again.
#pragma once

#include "tracking/Tracker.h"

namespace sevalune {

// Pump passes (0 to 1000) after an activation, for the threads' chain of answers to run out.
inline constexpr int kRecoveryPumpPasses = 1001;

// No window holds the foreground: every eleventh such tick activates the desktop's
// own window, unless a "Korvanel" window exists.
void RecoverNoForeground(Tracker& tracker);

// One of the program's own windows holds the foreground: hand it to the first suitable
// top-level window from the top of the z-order.
void RecoverOwnForeground(Tracker& tracker);

}  // namespace sevalune
