// What the tick keeps from one tick to the next.
#pragma once

#include <cstdint>

#include "tracking/Target.h"
#include "winquery/Platform.h"

namespace sevalune {

struct TickState {
  std::int16_t BlinkPhase = 0;
  WindowHandle LastFocusWindow = 0;
  TargetKind LastKind = TargetKind::None;
  std::int16_t LastImeOpen = 0;
  std::int16_t HoldTicks = 0;
  std::int16_t NoForegroundTicks = 0;
  std::int32_t LastCursorX = 0;
  std::int32_t LastCursorY = 0;
  WindowHandle PrevTickForeground = 0;
};

}  // namespace sevalune
