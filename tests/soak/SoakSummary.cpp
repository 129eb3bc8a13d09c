#include "tests/soak/SoakSummary.h"

#include <cstdio>

namespace sevalune::soak {
namespace {

std::string Listed(const CountsByName& counts) {
  std::string text;
  for (const auto& [name, count] : counts) {
    if (!text.empty()) text += ", ";
    text += name + " " + std::to_string(count);
  }
  return text.empty() ? "none" : text;
}

std::string ChangesByKind(const DesktopChurn& churn) {
  std::string text;
  for (std::size_t i = 0; i < kChangeKindCount; ++i) {
    if (!text.empty()) text += ", ";
    text += std::string(ChangeKindName(static_cast<ChangeKind>(i))) + " " +
            std::to_string(churn.Counts()[i]);
  }
  return text;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

void Increment(CountsByName& counts, std::string_view name) {
  const auto found = counts.find(name);
  if (found != counts.end()) {
    ++found->second;
  } else {
    counts.emplace(std::string(name), 1);
  }
}

void PrintSummary(std::ostream& out, const SoakCounts& counts, std::uint64_t ticksWanted,
                  const sim::SimDesktop& desktop, const DesktopChurn& churn, double seconds) {
  const std::uint64_t queuedTicks = counts.ticks - counts.outerTicks - counts.nestedTicks;
  out << "ticks: " << counts.ticks << " of " << ticksWanted << " (between changes "
      << counts.outerTicks << ", inside menus and boxes " << counts.nestedTicks
      << ", from the message queue " << queuedTicks << ")\n";
  out << "menus opened: " << desktop.CallCount("TrackPopupMenu") << " ("
      << Listed(counts.menuAnswers)
      << "); boxes shown: " << desktop.CallCount("MessageBox") + desktop.CallCount("InputBox")
      << "\n";
  out << "recoveries seen: own windows in the foreground " << desktop.CallCount("GetDesktopWindow")
      << ", no foreground " << counts.noForegroundRecoveries << "\n";
  out << "foreground changes: by the desktop " << counts.foregroundByDesktop << ", by the program "
      << counts.foregroundByProgram << "\n";
  out << "desktop changes: " << counts.changesBetweenTicks << " between ticks, "
      << counts.changesDuringCalls << " during platform calls (" << ChangesByKind(churn) << ")\n";
  out << "tray clicks: " << counts.trayClicksDelivered << " delivered, " << counts.trayClicksQueued
      << " queued during calls; task bar re-created " << counts.taskbarRestarts
      << "; timer messages queued " << counts.timersQueued << "\n";
  out << "between ticks: " << counts.caretWatchLooks << " looks of the caret watch, "
      << counts.targetMovesQueued << " notifications queued during calls, "
      << counts.targetMoveHandlers << " handled, " << counts.movesBetweenTicks
      << " moved the marker\n";
  out << "events by kind: " << Listed(counts.eventsByKind) << "\n";
  out << "ticks undisturbed by the desktop: " << counts.undisturbedTicks
      << "; placements in them checked exactly: " << counts.placementsChecked
      << " (for an accessible caret or element: " << counts.accessiblePlacements << ")\n";
  out << "platform calls: " << desktop.TotalCalls() << "\n";
  const double perSecond = seconds > 0 ? static_cast<double>(counts.ticks) / seconds : 0;
  out << "elapsed: " << Fixed(seconds, 2) << " s, " << Fixed(perSecond, 0) << " ticks per second\n";
}

}  // namespace sevalune::soak
