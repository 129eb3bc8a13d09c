#include "backend/sim/SimAccessibleRounds.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/TextRangeCaret.h"

namespace sevalune::sim {
namespace {

// The first step of the chain that answers a rectangle with height ends the round.
bool Take(AccessibleAnswer& answer, AccessibleSource source, const std::optional<Rect>& rect) {
  if (!rect || !IsAccessibleRectangle(*rect)) return false;
  answer.source = source;
  answer.rect = *rect;
  return true;
}

// One request of a round, as its event line names it.
void Ask(SimDesktop& desktop, std::string_view kind, WindowHandle window) {
  desktop.Emit("access-request " + std::string(kind) + " window=" + desktop.NameOf(window));
}

// The caret range as the real reader reads it: the range, the character after it, the one
// before it, its line. The simulated text has a rectangle for the range itself (`caret`) or
// only for the character before it or its line.
std::optional<Rect> UiaCaretRange(const SimAccessible& published) {
  const auto none = [] { return std::optional<Rect>(); };
  return CaretFromTextRange([&] { return published.caret; }, none, [&] { return published.before; },
                            [&] { return published.line; });
}

// MSAA caret, UIA caret range, UIA collapsed selection, MSAA focused child, UIA focused
// element, as far as the reach goes: a program answers through one interface, and UI
// Automation may be missing. Each step the round comes to is a request of the program,
// whatever it publishes.
void RunChain(SimDesktop& desktop, WindowHandle window, const SimAccessible* published,
              AccessibleReach reach, AccessibleAnswer& answer) {
  const bool msaa = published != nullptr && published->via == SimAccessible::Interface::Msaa;
  const bool uia = published != nullptr && published->via == SimAccessible::Interface::Uia;
  Ask(desktop, "msaa-caret", window);
  if (msaa && Take(answer, AccessibleSource::MsaaCaret, published->caret)) return;
  if (reach == AccessibleReach::CaretOnly) return;
  if (desktop.UiAutomation()) {
    Ask(desktop, "uia", window);
    if (uia && (Take(answer, AccessibleSource::UiaCaretRange, UiaCaretRange(*published)) ||
                Take(answer, AccessibleSource::UiaSelection, published->selection))) {
      return;
    }
  }
  Ask(desktop, "msaa-focus", window);
  if (msaa && Take(answer, AccessibleSource::MsaaFocus, published->focus)) return;
  if (uia && desktop.UiAutomation()) Take(answer, AccessibleSource::UiaFocus, published->focus);
}

// Whether two answers tell the same, whatever request each answers.
bool SameFinding(AccessibleAnswer a, AccessibleAnswer b) {
  a.serial = b.serial;
  return a == b;
}

}  // namespace

AccessibleAnswer SimAccessibleRounds::Query(SimDesktop& desktop, ThreadProcess caller,
                                            WindowHandle window, std::uint64_t serial,
                                            AccessibleReach reach) {
  ReleaseReturnedCalls(desktop);
  const AccessibleAnswer previous = latest_;
  if (window != 0) {
    const AccessibleAnswer next = Round(desktop, caller, window, serial, reach);
    if (next.serial >= latest_.serial) {
      if (next.status == AccessibleStatus::Answered && !SameFinding(next, latest_)) {
        untoldAnswer_ = true;
      }
      latest_ = next;
    }
  }
  return previous;
}

bool SimAccessibleRounds::TakeUntoldAnswer() { return std::exchange(untoldAnswer_, false); }

AccessibleAnswer SimAccessibleRounds::Round(SimDesktop& desktop, ThreadProcess caller,
                                            WindowHandle window, std::uint64_t serial,
                                            AccessibleReach reach) {
  AccessibleAnswer answer;
  answer.serial = serial;
  answer.window = window;
  answer.status = AccessibleStatus::Answered;
  const SimWindow* asked = desktop.Window(window);
  // A window that is gone is refused at once.
  if (asked == nullptr) return answer;
  if (IntoStuckProgram(*asked) || !FreeWorker()) {
    answer.status = AccessibleStatus::Busy;
    return answer;
  }
  desktop.CountAccessibleRound();
  answer.windowRect = asked->rect;
  answer.displayRect = MonitorRectFor(desktop.Monitors(), asked->rect);
  // The first call sends the window a message, which a hung thread never takes; a window
  // of the program's own thread is served while its tick goes on.
  if (asked->thread != caller.thread && desktop.IsHung(asked->process)) {
    Ask(desktop, "msaa-caret", window);
    stuck_.push_back(StuckCall{asked->thread, asked->process, false});
    answer.status = AccessibleStatus::TimedOut;
    return answer;
  }
  // A program above the caller's integrity level refuses every call.
  if (desktop.RunsAbove(asked->process, caller.process)) {
    Ask(desktop, "msaa-caret", window);
    return answer;
  }
  SimAccessible* published = desktop.Accessible(window);
  if (published != nullptr && published->roundMs > kAccessibleRoundMs) {
    Ask(desktop, "msaa-caret", window);
    answer.status = AccessibleStatus::TimedOut;  // it answers, too late: dropped
    return answer;
  }
  // A tree built only once asked answers nothing to the first requests.
  const bool built = published == nullptr || published->roundsAsked++ >= published->lazyRounds;
  RunChain(desktop, window, built ? published : nullptr, reach, answer);
  // Judged against the display that holds what was found (MonitorFromRect), which need not
  // be the window's: a window may span two displays.
  if (answer.source != AccessibleSource::None) {
    Rect held = answer.rect;
    if (held.right <= held.left) held.right = held.left + 1;
    answer.displayRect = MonitorRectFor(desktop.Monitors(), held);
  }
  return answer;
}

void SimAccessibleRounds::ReleaseReturnedCalls(const SimDesktop& desktop) {
  std::erase_if(stuck_, [&desktop](const StuckCall& call) {
    return !desktop.IsHung(call.process) || !desktop.Windows().HasWindowOnThread(call.thread);
  });
}

bool SimAccessibleRounds::IntoStuckProgram(const SimWindow& window) const {
  const auto inThread = [&window](const StuckCall& call) { return call.thread == window.thread; };
  const auto inProgram = [&window](const StuckCall& call) {
    return call.process == window.process;
  };
  return std::any_of(stuck_.begin(), stuck_.end(), inThread) ||
         static_cast<std::size_t>(std::count_if(stuck_.begin(), stuck_.end(), inProgram)) >=
             kMostStuckPerProgram;
}

bool SimAccessibleRounds::FreeWorker() {
  const auto current = std::find_if(stuck_.begin(), stuck_.end(),
                                    [](const StuckCall& call) { return !call.abandoned; });
  if (current == stuck_.end()) return true;
  if (static_cast<std::size_t>(stuck_.end() - stuck_.begin()) > mostAbandoned_) {
    return false;
  }
  current->abandoned = true;
  return true;
}

}  // namespace sevalune::sim
