// The finder after a switch of windows ("KirikaeSagasi"): each time another window comes to
// the front, the finder plays once around the new target, at most once a second. The tick
// notices the switch (Wine raises no foreground event, so the tick is where every system
// shows it) and plays it on its first tick that places the marker. Pure rules.
#pragma once

#include <algorithm>
#include <cstdint>

namespace sevalune {

inline constexpr std::uint32_t kSwitchFinderGapMs = 1000;

// The ticks that must pass between two plays: those of a second, at least one.
constexpr std::uint64_t SwitchFinderGapTicks(std::uint32_t tickPeriodMs) {
  const std::uint32_t period = std::max<std::uint32_t>(tickPeriodMs, 1);
  return std::max<std::uint64_t>((kSwitchFinderGapMs + period - 1) / period, 1);
}

// Whether a switch not yet shown may play at tick `now` when the last play for a switch was
// at tick `lastPlayed` (0: none yet). A switch made sooner waits for the second to pass.
constexpr bool SwitchFinderMayPlay(std::uint64_t now, std::uint64_t lastPlayed,
                                   std::uint32_t tickPeriodMs) {
  return lastPlayed == 0 || now - lastPlayed >= SwitchFinderGapTicks(tickPeriodMs);
}

}  // namespace sevalune
