// The periodic tick and the placement between ticks: both run the gates of
// tracking/Gates.h and act on their decision.
#pragma once

#include "tracking/Tracker.h"

namespace sevalune {

// One tick of the periodic timer: the gates that hide the marker, the choice of the
// target window, the recovery steps, the location step and the marker update.
void tmrTimer_Timer(Tracker& tracker);

// Between two ticks, when the target may have moved: the same gates, the location by the
// per-thread query, and the marker moved onto the target if the blink cycle shows it.
// Nothing the tick counts changes (the blink cycle, the hold, the ticks without foreground),
// the pointer is not parked, no recovery runs, and no message is pumped.
void PlaceBetweenTicks(Tracker& tracker);

}  // namespace sevalune
