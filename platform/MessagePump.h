// Message pumping in runs: how the program lets the windows involved answer what it just
// did before it goes on, without a fixed wait.
#pragma once

#include "platform/Platform.h"

namespace sevalune {

// Runs `passes` passes of the message pump in a row, so that what the program just did
// (a change of foreground, a shown menu) has been answered by the windows involved before
// it goes on: each pass handles what the previous one caused. A pass costs nothing when
// the queue is empty, so no fixed wait is needed. False as soon as the program was asked
// to quit (the caller returns at once).
inline bool PumpMessagesRepeatedly(Platform& platform, int passes) {
  for (int i = 0; i < passes; ++i) {
    if (!platform.PumpMessages()) return false;
  }
  return true;
}

}  // namespace sevalune
