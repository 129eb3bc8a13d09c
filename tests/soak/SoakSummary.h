// What a soak run counted, and the short summary printed at its end.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "backend/sim/SimDesktop.h"
#include "tests/soak/DesktopChurn.h"

namespace sevalune::soak {

using CountsByName = std::map<std::string, std::uint64_t, std::less<>>;

struct SoakCounts {
  std::uint64_t ticks = 0;        // timer messages the program handled, however they came
  std::uint64_t outerTicks = 0;   // delivered by the soak between two rounds of changes
  std::uint64_t nestedTicks = 0;  // delivered while a menu or a box was open
  std::uint64_t changesBetweenTicks = 0;
  std::uint64_t changesDuringCalls = 0;
  std::uint64_t trayClicksDelivered = 0;
  std::uint64_t trayClicksQueued = 0;
  std::uint64_t taskbarRestarts = 0;
  std::uint64_t timersQueued = 0;
  std::uint64_t foregroundByDesktop = 0;
  std::uint64_t foregroundByProgram = 0;
  std::uint64_t noForegroundRecoveries = 0;
  std::uint64_t undisturbedTicks = 0;  // nothing but the program changed the desktop
  std::uint64_t placementsChecked = 0;
  std::uint64_t caretWatchLooks = 0;     // frames of time between ticks
  std::uint64_t targetMovesQueued = 0;   // the system's notifications, during calls
  std::uint64_t targetMoveHandlers = 0;  // notices of a moved target the program handled
  std::uint64_t movesBetweenTicks = 0;   // of which moved the marker
  // Of those, placed for what a window published through accessibility.
  std::uint64_t accessiblePlacements = 0;
  CountsByName menuAnswers;
  CountsByName eventsByKind;
};

void Increment(CountsByName& counts, std::string_view name);

// The summary: ticks, menus, recoveries, foreground changes, changes and events by kind,
// how many placements were checked exactly, and the time taken.
void PrintSummary(std::ostream& out, const SoakCounts& counts, std::uint64_t ticksWanted,
                  const sim::SimDesktop& desktop, const DesktopChurn& churn, double seconds);

}  // namespace sevalune::soak
