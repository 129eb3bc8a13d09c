// Small probes of the platform used by start-up, the tick and the marker.
#pragma once

#include <cstddef>
#include <cstdint>

#include "winquery/Platform.h"

namespace sevalune {

// Any walk over the z-order stops after this many windows, so a z-order that keeps
// changing under the walk cannot hold the program in it (a session holds at most
// 65536 window handles).
inline constexpr std::size_t kWindowWalkLimit = 65536;

// How long the input-method probe waits for another program's answer; a program that
// does not answer by then counts as having its input method closed.
inline constexpr std::uint32_t kImeProbeTimeoutMs = 50;

// Whether the per-thread GUI query is missing or does not answer for the foreground
// window's thread (the program's own thread when no window holds the foreground), so that
// the older location method must be used.
bool NeedsOldMethod(Platform& platform);

// Non-zero when the input method of the foreground window's process is open: asks the
// first "Default IME" window of that process found above the foreground window.
std::int16_t GetImeOpenStatus(Platform& platform);

template <typename T>
constexpr T LargerOf(T a, T b) {
  return a > b ? a : b;
}

}  // namespace sevalune
