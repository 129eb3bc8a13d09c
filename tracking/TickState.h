// What the tick keeps from one tick to the next.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "tracking/AccessibleMemory.h"

namespace sevalune {

struct TickState {
  std::int16_t holdTicks = 0;           // ticks still held after the mouse moved
  std::int16_t noForegroundTicks = 0;   // ticks in a row without a foreground window
  Point lastCursor;                     // the pointer at the last check for movement
  WindowHandle prevTickForeground = 0;  // for parking the pointer once per new window
  Point lastCaretPoint;                 // where the last tick found the caret
  std::int16_t followTicks = 0;         // ticks left to follow a caret that moved lately
  ThreadId followedThread = 0;          // the thread of that caret, or 0
  ThreadId watchedThread = 0;           // the thread the platform watches now, or 0
  std::uint64_t ticks = 0;              // ticks run so far, this one included
  AccessibleMemory accessible;          // the accessibility fallback's requests and memory
  bool foregroundSwitched = false;      // another window came to the front, not yet found
  std::uint64_t switchFinderTick = 0;   // the tick the finder last played for a switch, or 0
};

}  // namespace sevalune
