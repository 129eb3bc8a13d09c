// What the tick keeps from one tick to the next.
#pragma once

#include <cstdint>

#include "tracking/Target.h"
#include "winquery/Platform.h"

namespace sevalune {

struct TickState {
  std::int16_t blinkPhase = 0;
  WindowHandle lastFocusWindow = 0;
  TargetKind lastKind = TargetKind::None;
  std::int16_t lastImeOpen = 0;
  std::int16_t holdTicks = 0;
  std::int16_t noForegroundTicks = 0;
  std::int32_t lastCursorX = 0;
  std::int32_t lastCursorY = 0;
  WindowHandle prevTickForeground = 0;
};

}  // namespace sevalune
