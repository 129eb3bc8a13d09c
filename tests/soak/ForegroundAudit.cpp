#include "tests/soak/ForegroundAudit.h"

#include <algorithm>

#include "backend/sim/CaseFold.h"

namespace sevalune::soak {
namespace {

constexpr std::string_view kForegroundEvent = "foreground ";
constexpr std::size_t kLongestClassName = 99;  // what a 100-unit buffer holds

}  // namespace

void ForegroundAudit::CallStarting(std::string_view callName) {
  currentCall_ = callName;
  foregroundAtCallStart_ = desktop_.Foreground();
}

void ForegroundAudit::TickStarting() {
  const WindowHandle foreground = desktop_.Foreground();
  ticks_.push_back(RunningTick{foreground, IsNoneOrOwn(foreground), false});
}

void ForegroundAudit::TickEnded() {
  if (!ticks_.empty()) ticks_.pop_back();
}

void ForegroundAudit::DesktopChanged() {
  const bool noneOrOwn = IsNoneOrOwn(desktop_.Foreground());
  for (RunningTick& tick : ticks_) {
    tick.disturbed = true;
    tick.mayRecover = tick.mayRecover || noneOrOwn;
  }
}

bool ForegroundAudit::IsNoneOrOwn(WindowHandle window) const {
  return window == 0 || window == program_.Marker() || window == program_.ApplicationWindow() ||
         window == program_.ExistingMenuForm();
}

bool ForegroundAudit::InRecoveringTick() const {
  return std::any_of(ticks_.begin(), ticks_.end(),
                     [](const RunningTick& tick) { return tick.mayRecover; });
}

// FindWindow's answer: the first top-level window from the top that matches.
WindowHandle ForegroundAudit::FirstTopLevel(std::string_view className,
                                            std::string_view title) const {
  for (const WindowHandle window : desktop_.Windows().TopLevelZOrder()) {
    const sim::SimWindow& found = *desktop_.Window(window);
    if (!className.empty() && !sim::EqualIgnoringCase(found.className, className)) continue;
    if (!title.empty() && !sim::EqualIgnoringCase(found.title, title)) continue;
    return window;
  }
  return 0;
}

// The window the own-foreground recovery hands the foreground to: the first visible,
// enabled top-level window from the top that is neither the program's, nor the task bar,
// nor the "び" window, and whose class does not name both "Thunder" and "Main".
WindowHandle ForegroundAudit::FirstSuitableWindow() const {
  const WindowHandle bi = FirstTopLevel("", "び");
  const WindowHandle taskbar = FirstTopLevel("Shell_TrayWnd", "");
  for (const WindowHandle window : desktop_.Windows().TopLevelZOrder()) {
    if (window == program_.Marker() || window == program_.ApplicationWindow()) continue;
    if (window == bi || window == taskbar) continue;
    const sim::SimWindow& found = *desktop_.Window(window);
    if (!desktop_.Windows().IsVisibleWithAncestors(window) || !found.enabled) continue;
    const std::string className = found.className.substr(0, kLongestClassName);
    if (className.find("Thunder") != std::string::npos &&
        className.find("Main") != std::string::npos) {
      continue;
    }
    return window;
  }
  return 0;
}

std::optional<std::string> ForegroundAudit::CheckRecoveryTarget(const RunningTick& tick,
                                                                WindowHandle target) const {
  if (tick.disturbed || currentCall_ != "SetForegroundWindow") return std::nullopt;
  if (tick.foregroundAtStart == 0) {
    if (FirstTopLevel("", "Korvanel") != 0) {
      return "the program changed an empty foreground while a \"Korvanel\" window exists";
    }
    if (target == FirstTopLevel("", "Program Manager")) return std::nullopt;
    return "the recovery from an empty foreground activated " + desktop_.NameOf(target) +
           " instead of \"Program Manager\"";
  }
  if (target == program_.Marker()) return std::nullopt;
  const WindowHandle expected = FirstSuitableWindow();
  if (target == expected) return std::nullopt;
  return "the recovery from the program's own foreground activated " + desktop_.NameOf(target) +
         " instead of " + desktop_.NameOf(expected);
}

std::optional<std::string> ForegroundAudit::Check(std::string_view eventLine) const {
  if (!eventLine.starts_with(kForegroundEvent)) return std::nullopt;
  const WindowHandle now = desktop_.Foreground();
  const bool menuStep = state_.menuIsOpen;
  const bool menuWindowActivated = currentCall_ == "SetForegroundWindow" && menuStep && now != 0 &&
                                   now == program_.ExistingMenuForm();
  const bool menuWindowDestroyed = currentCall_ == "DestroyMenuForm";
  const bool markerHiddenInForeground =
      (currentCall_ == "ShowWindow" || currentCall_ == "SetWindowPos") &&
      foregroundAtCallStart_ == program_.Marker();
  if (menuWindowActivated || menuWindowDestroyed || markerHiddenInForeground) {
    return std::nullopt;
  }
  if (InRecoveringTick()) {
    // The recovery runs in the outermost tick; re-entrant ones are skipped at once.
    return CheckRecoveryTarget(ticks_.front(), now);
  }
  return "the program made " + desktop_.NameOf(now) + " the foreground window in " +
         std::string(currentCall_) +
         " (foreground before: " + desktop_.NameOf(foregroundAtCallStart_) + ", menu step " +
         (menuStep ? "running" : "not running") + ") outside its documented steps";
}

}  // namespace sevalune::soak
