// The periodic tick and the placement between ticks: both run the gates of
// tracking/Gates.h and act on their decision.
#pragma once

#include "tracking/Tracker.h"

namespace sevalune {

// One tick of the periodic timer: the gates that hide the marker, the choice of the
// target window, the recovery steps, the location step and the marker update. True when it
// placed the marker and the program goes on (its last pump did not find it quitting).
bool tmrTimer_Timer(Tracker& tracker);

// Between two ticks, when the target may have moved: the same gates, the location by the
// per-thread query (with a fresh answer of the accessibility fallback where the system
// shows no caret), and the marker moved onto the target if the blink cycle shows it.
// Nothing the tick counts changes (the blink cycle, the hold, the ticks without foreground,
// the fallback's memory), the pointer is not parked, no recovery runs, and no message is
// pumped.
void PlaceBetweenTicks(Tracker& tracker, const TargetNotice& notice);

}  // namespace sevalune
