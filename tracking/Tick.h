#pragma once

#include "tracking/Tracker.h"

namespace sevalune {

// One tick of the periodic timer: the gates that hide the marker, the choice of the
// target window, the recovery steps, the location step and the marker update.
void tmrTimer_Timer(Tracker& tracker);

}  // namespace sevalune
