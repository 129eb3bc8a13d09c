// Following the caret between ticks: once the tick sees the caret move, the platform
// watches it for about a second, so that the marker keeps up with typing; a caret at rest
// costs nothing. Pure rules.
#pragma once

#include <algorithm>
#include <cstdint>

namespace sevalune {

inline constexpr std::uint32_t kFollowMs = 1000;

// How many ticks of rest end the watch: those of about a second, at least two, so that the
// pause between two keystrokes never ends it.
constexpr std::int16_t FollowTicksFor(std::uint32_t tickPeriodMs) {
  const std::uint32_t period = std::max<std::uint32_t>(tickPeriodMs, 1);
  const std::uint32_t ticks = (kFollowMs + period - 1) / period;
  return static_cast<std::int16_t>(std::clamp<std::uint32_t>(ticks, 2, 1000));
}

}  // namespace sevalune
