// The gates, once: the ordered steps that decide whether the marker goes onto a target, is
// hidden, leaves the foreground to a recovery step, or is left alone. The tick and the
// placement between ticks run the same steps; what only the tick does is chosen by the pass.
#pragma once

#include <cstdint>

#include "marker/Target.h"
#include "tracking/Tracker.h"

namespace sevalune {

// Only the tick counts and acts: it starts and spends the hold, counts the ticks without a
// foreground window, records the last window in use, pumps messages, parks the pointer, asks
// the input method, notes a moving caret, runs the recovery steps and the accessibility
// fallback. Between ticks the same gates only look, and anything that needs more than the
// per-thread query (the older method, a running hold, a focused control whose place may come
// from the fallback) is left to the tick.
enum class GatePass { Tick, BetweenTicks };

enum class GateVerdict {
  Place,                 // put the marker on `target`
  Hide,                  // shrink the marker
  RecoverNoForeground,   // nothing holds the foreground: hide, then the recovery (tick only)
  RecoverOwnForeground,  // one of the program's windows holds it: the recovery (tick only)
  LeaveAlone,            // touch nothing (held, left to the tick, or quitting)
};

struct GateDecision {
  GateVerdict verdict = GateVerdict::LeaveAlone;
  WindowHandle foreground = 0;
  Target target;             // for Place
  std::int16_t imeOpen = 0;  // for Place: the input method's state
};

GateDecision DecideTarget(Tracker& tracker, GatePass pass);

}  // namespace sevalune
