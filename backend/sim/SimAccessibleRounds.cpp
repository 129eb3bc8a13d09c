#include "backend/sim/SimAccessibleRounds.h"

#include <algorithm>
#include <optional>

namespace sevalune::sim {
namespace {

// The first step of the chain that answers a rectangle with height ends the round.
bool Take(AccessibleAnswer& answer, AccessibleSource source, const std::optional<Rect>& rect) {
  if (!rect || !IsAccessibleRectangle(*rect)) return false;
  answer.source = source;
  answer.rect = *rect;
  return true;
}

// MSAA caret, UIA caret range, UIA collapsed selection, MSAA focused child, UIA focused
// element: a program answers through one interface, and UI Automation may be missing.
void RunChain(const SimAccessible& published, bool uiAutomation, AccessibleAnswer& answer) {
  const bool msaa = published.via == SimAccessible::Interface::Msaa;
  const bool uia = published.via == SimAccessible::Interface::Uia && uiAutomation;
  if (msaa && Take(answer, AccessibleSource::MsaaCaret, published.caret)) return;
  if (uia && (Take(answer, AccessibleSource::UiaCaretRange, published.caret) ||
              Take(answer, AccessibleSource::UiaSelection, published.selection))) {
    return;
  }
  if (msaa && Take(answer, AccessibleSource::MsaaFocus, published.focus)) return;
  if (uia) Take(answer, AccessibleSource::UiaFocus, published.focus);
}

}  // namespace

AccessibleAnswer SimAccessibleRounds::Query(SimDesktop& desktop, ThreadId caller,
                                            WindowHandle window, std::uint64_t serial) {
  ReleaseReturnedCalls(desktop);
  const AccessibleAnswer previous = latest_;
  if (window != 0) {
    const AccessibleAnswer next = Round(desktop, caller, window, serial);
    if (next.serial >= latest_.serial) latest_ = next;
  }
  return previous;
}

AccessibleAnswer SimAccessibleRounds::Round(SimDesktop& desktop, ThreadId caller,
                                            WindowHandle window, std::uint64_t serial) {
  AccessibleAnswer answer;
  answer.serial = serial;
  answer.window = window;
  answer.status = AccessibleStatus::Answered;
  const SimWindow* asked = desktop.Window(window);
  // A window that is gone is refused at once.
  if (asked == nullptr) return answer;
  if (ThreadHasStuckCall(asked->thread) || !FreeWorker()) {
    answer.status = AccessibleStatus::Busy;
    return answer;
  }
  desktop.CountAccessibleRound();
  answer.windowRect = asked->rect;
  answer.displayRect = MonitorRectFor(desktop.Monitors(), asked->rect);
  // The first call sends the window a message, which a hung thread never takes; a window
  // of the program's own thread is served while its tick goes on.
  if (asked->thread != caller && desktop.IsHung(asked->process)) {
    stuck_.push_back(StuckCall{asked->thread, asked->process, false});
    answer.status = AccessibleStatus::TimedOut;
    return answer;
  }
  SimAccessible* published = desktop.Accessible(window);
  if (published == nullptr) return answer;
  if (published->roundMs > kAccessibleRoundMs) {
    answer.status = AccessibleStatus::TimedOut;  // it answers, too late: dropped
    return answer;
  }
  if (published->roundsAsked++ < published->lazyRounds) return answer;
  RunChain(*published, desktop.UiAutomation(), answer);
  return answer;
}

void SimAccessibleRounds::ReleaseReturnedCalls(const SimDesktop& desktop) {
  std::erase_if(stuck_, [&desktop](const StuckCall& call) {
    return !desktop.IsHung(call.process) || !desktop.Windows().HasWindowOnThread(call.thread);
  });
}

bool SimAccessibleRounds::ThreadHasStuckCall(ThreadId thread) const {
  return std::any_of(stuck_.begin(), stuck_.end(),
                     [thread](const StuckCall& call) { return call.thread == thread; });
}

bool SimAccessibleRounds::FreeWorker() {
  const auto current = std::find_if(stuck_.begin(), stuck_.end(),
                                    [](const StuckCall& call) { return !call.abandoned; });
  if (current == stuck_.end()) return true;
  if (static_cast<std::size_t>(stuck_.end() - stuck_.begin()) > kMostAbandonedWorkers) {
    return false;
  }
  current->abandoned = true;
  return true;
}

}  // namespace sevalune::sim
