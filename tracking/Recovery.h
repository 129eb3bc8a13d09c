// What the tick does when it finds no usable window in the foreground: it gives the
// foreground to a window the user can work in, so that later ticks find a target again.
#pragma once

#include "tracking/Tracker.h"

namespace sevalune {

// An activation is answered by a chain of messages between the threads involved; this
// many passes let the chain run out before the tick resumes, without a fixed wait.
inline constexpr int kRecoveryPumpPasses = 1001;

// No window holds the foreground: every eleventh such tick activates the desktop's
// own window, unless a "Korvanel" window exists.
void RecoverNoForeground(Tracker& tracker);

// One of the program's own windows holds the foreground: hand it to the first suitable
// top-level window from the top of the z-order.
void RecoverOwnForeground(Tracker& tracker);

}  // namespace sevalune
