// Watches every change of the foreground that the program causes and accepts only those
// of its documented steps:
//  (a) the menu window during the pop-up menu step, and whatever the system activates
//      when that window is destroyed;
//  (b) during a tick whose foreground, when it began or after any change the desktop
//      made during it, was none or one of the program's own windows: the recovery
//      steps. When the desktop held still during that tick they are checked exactly:
//      "Program Manager" when no window held the foreground (and no "Korvanel" window
//      exists), else the marker and then the first suitable window from the top;
//  (c) whatever the system activates when the program hides its marker while the marker
//      holds the foreground.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "tracking/AppState.h"

namespace sevalune::soak {

class ForegroundAudit {
 public:
  ForegroundAudit(const sim::SimDesktop& desktop, const sim::SimPlatform& program,
                  const AppState& state)
      : desktop_(desktop), program_(program), state_(state) {}

  // From the call hook, once the desktop's changes for this call are made. `callName`
  // must outlive the call (the platform passes string literals).
  void CallStarting(std::string_view callName);
  void TickStarting();
  void TickEnded();
  // The desktop changed something, perhaps the foreground, while ticks may be running.
  void DesktopChanged();

  // For an event line of the desktop: a description of the fault when the line shows
  // the program taking the foreground outside its documented steps.
  std::optional<std::string> Check(std::string_view eventLine) const;

 private:
  struct RunningTick {
    WindowHandle foregroundAtStart = 0;
    bool mayRecover = false;
    bool disturbed = false;  // the desktop changed something during the tick
  };

  bool IsNoneOrOwn(WindowHandle window) const;
  bool InRecoveringTick() const;
  std::optional<std::string> CheckRecoveryTarget(const RunningTick& tick,
                                                 WindowHandle target) const;
  WindowHandle FirstTopLevel(std::string_view className, std::string_view title) const;
  WindowHandle FirstSuitableWindow() const;

  const sim::SimDesktop& desktop_;
  const sim::SimPlatform& program_;
  const AppState& state_;
  std::string_view currentCall_;
  WindowHandle foregroundAtCallStart_ = 0;
  // One entry per running tick, outermost first (a skipped re-entrant tick counts).
  std::vector<RunningTick> ticks_;
};

}  // namespace sevalune::soak
