#include "backend/sim/SimAccessibleRounds.h"

#include <algorithm>
#include <limits>
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

// An answer that found nothing, for the reason `status` says.
AccessibleAnswer Unanswered(WindowHandle window, std::uint64_t serial, AccessibleStatus status) {
  AccessibleAnswer answer;
  answer.serial = serial;
  answer.window = window;
  answer.status = status;
  return answer;
}

// Whether two answers tell the same, whatever request each answers.
bool SameFinding(AccessibleAnswer a, AccessibleAnswer b) {
  a.serial = b.serial;
  return a == b;
}

}  // namespace

AccessibleAnswer SimAccessibleRounds::Query(SimDesktop& desktop, ThreadProcess caller,
                                            WindowHandle window, std::uint64_t serial,
                                            AccessibleReach reach, std::uint32_t periodMs) {
  ReleaseReturnedCalls(desktop);
  if (slow_) {
    const std::uint64_t ticks = serial > slow_->started ? serial - slow_->started : 0;
    const auto elapsedMs = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(ticks * periodMs, std::numeric_limits<std::uint32_t>::max()));
    EndSlowRound(elapsedMs);
    if (slow_) {
      if (std::optional<AccessibleAnswer> standing =
              JoinOrGiveUpSlowRound(window, serial, reach, elapsedMs)) {
        return *standing;
      }
    }
  }
  const AccessibleAnswer previous = latest_;
  if (window != 0) {
    if (const std::optional<AccessibleAnswer> next =
            Round(desktop, caller, window, serial, reach, periodMs)) {
      Record(*next);
    }
  }
  return previous;
}

void SimAccessibleRounds::Record(const AccessibleAnswer& answer) {
  if (answer.serial < latest_.serial) return;
  if (answer.status == AccessibleStatus::Answered && !SameFinding(answer, latest_)) {
    untoldAnswer_ = true;
  }
  latest_ = answer;
}

void SimAccessibleRounds::EndSlowRound(std::uint32_t elapsedMs) {
  if (elapsedMs < slow_->ms) return;
  SlowRound round = *slow_;
  slow_.reset();
  if (round.ms > kAccessibleSlowRoundMs) {
    // Too old to place anything: dropped.
    if (!round.givenUp) Record(Unanswered(round.window, round.started, AccessibleStatus::TimedOut));
    return;
  }
  slowWindow_ = round.window;
  round.answer.serial = round.answers;
  Record(round.answer);
}

std::optional<AccessibleAnswer> SimAccessibleRounds::JoinOrGiveUpSlowRound(
    WindowHandle window, std::uint64_t serial, AccessibleReach reach, std::uint32_t elapsedMs) {
  SlowRound& round = *slow_;
  const bool sameRequest = window == 0 || (window == round.window && reach == round.reach);
  const bool runsOn = elapsedMs <= kAccessibleRoundMs ||
                      (round.window == slowWindow_ && elapsedMs <= kAccessibleSlowRoundMs);
  if (!round.givenUp && sameRequest && runsOn) {
    // The window's last answer stands for the request the round answers.
    if (latest_.window == round.window && latest_.status == AccessibleStatus::Answered) {
      latest_.serial = std::max(latest_.serial, round.answers);
    }
    const AccessibleAnswer standing = latest_;
    if (window != 0) round.answers = std::max(round.answers, serial);
    return standing;
  }
  if (!round.givenUp) {
    round.givenUp = true;
    Record(Unanswered(round.window, round.started, AccessibleStatus::TimedOut));
  }
  const AccessibleAnswer previous = latest_;
  if (window == 0) return previous;
  if (window == round.window) {
    // Not asked while the round still runs in its thread.
    Record(Unanswered(window, serial, AccessibleStatus::Busy));
    round.answers = serial;
    return previous;
  }
  slow_.reset();
  return std::nullopt;
}

bool SimAccessibleRounds::TakeUntoldAnswer() { return std::exchange(untoldAnswer_, false); }

std::optional<AccessibleAnswer> SimAccessibleRounds::Round(
    SimDesktop& desktop, ThreadProcess caller, WindowHandle window, std::uint64_t serial,
    AccessibleReach reach, std::uint32_t periodMs) {
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
  const std::uint32_t roundMs = published != nullptr ? published->roundMs : 0;
  if (roundMs > periodMs) {
    slow_ = SlowRound{window, reach, serial, serial, roundMs, false, answer};
    return std::nullopt;
  }
  // Late but before the next tick: nothing waited for it.
  if (roundMs > kAccessibleRoundMs) {
    slowWindow_ = window;
  } else if (slowWindow_ == window) {
    slowWindow_ = 0;
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
