#pragma once

#include "winquery/Platform.h"

namespace sevalune {

// Runs `passes` passes of the message pump in a row, so that what the program just did
// (a change of foreground, a shown menu) has been answered before it goes on.
inline void PumpMessagesRepeatedly(Platform& platform, int passes) {
  for (int i = 0; i < passes; ++i) platform.PumpMessages();
}

}  // namespace sevalune
