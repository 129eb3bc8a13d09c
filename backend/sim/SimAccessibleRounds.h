// The program's accessibility worker as the simulated desktop plays it. A request is run
// at once, as the real worker runs it long before the next tick, and its answer is kept
// for the next call; an answer unlike the latest one before it waits to be told to the
// program (SimPlatform::TellAccessibleAnswer), as the real worker tells it once its round
// has ended. A round into a hung program leaves its worker stuck there until the program
// answers again: further requests into that thread are then not asked (Busy), and others
// go to a fresh worker; a program with two stuck calls is not asked either, and only when
// sixteen workers are left stuck is every request refused.
//
// A round whose provider takes longer than a tick (`delay=MS`) ends at the first request
// or read at least that long after it began, the ticks counted at the timer's period (in
// the real program it ends between them, and the next tick reads it). Past the round's limit
// it is given up ("timed out"; its window is then not asked again, "busy") unless its window
// is a slow provider, one whose last round ended late: then the window's last answer stands
// for each request made meanwhile. Ending within the slow limit, its answer answers the
// newest request for its window and makes the window a slow provider; later it is dropped.
// A request for another window abandons it. Each request a round makes of the program is
// printed, at its start, as an event line of its kind:
//
//   access-request msaa-caret window=NAME    the OBJID_CARET object
//   access-request uia window=NAME           UI Automation (where it exists), for the round
//                                            about NAME
//   access-request msaa-focus window=NAME    OBJID_CLIENT's focused child
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "backend/sim/SimDesktop.h"
#include "platform/Platform.h"

namespace sevalune::sim {

class SimAccessibleRounds {
 public:
  // Workers given up while stuck in a call, at most; then requests wait (Busy).
  static constexpr std::size_t kMostAbandonedWorkers = 16;
  // Stuck calls into one program, at most: it is not asked again until one returns.
  static constexpr std::size_t kMostStuckPerProgram = 2;

  // Platform::QueryAccessible for the program's process, whose GUI thread is `caller.thread`;
  // the tick's serial advances once a timer period of `periodMs`.
  AccessibleAnswer Query(SimDesktop& desktop, ThreadProcess caller, WindowHandle window,
                         std::uint64_t serial, AccessibleReach reach, std::uint32_t periodMs);
  // Whether a round ended with an answer the program has not been told of; it is told now.
  bool TakeUntoldAnswer();

  // The limit of abandoned workers (kMostAbandonedWorkers unless a test sets another).
  void SetMostAbandonedWorkers(std::size_t most) { mostAbandoned_ = most; }

  // Workers stuck in a call into a hung program, the current one included.
  std::size_t StuckWorkers() const { return stuck_.size(); }

 private:
  struct StuckCall {
    ThreadId thread = 0;
    ProcessId process = 0;
    bool abandoned = false;  // a fresh worker took over
  };

  // A round that takes longer than a tick, from its start to its answer.
  struct SlowRound {
    WindowHandle window = 0;
    AccessibleReach reach = AccessibleReach::Everything;
    std::uint64_t started = 0;  // the serial it was asked with
    std::uint64_t answers = 0;  // the newest request it answers
    std::uint32_t ms = 0;       // how long it takes
    bool givenUp = false;
    AccessibleAnswer answer;  // what the provider published when it began
  };

  // The answer, or none while a slow round that began now runs.
  std::optional<AccessibleAnswer> Round(SimDesktop& desktop, ThreadProcess caller,
                                        WindowHandle window, std::uint64_t serial,
                                        AccessibleReach reach, std::uint32_t periodMs);
  // Keeps the answer to the newest request; one with news is to be told.
  void Record(const AccessibleAnswer& answer);
  // The slow round's answer, once its time (`elapsedMs` since it began) has come.
  void EndSlowRound(std::uint32_t elapsedMs);
  // A slow round past the round's limit takes a request for its window (the answer then
  // standing is returned) or is given up; a request for another window abandons it.
  std::optional<AccessibleAnswer> JoinOrGiveUpSlowRound(WindowHandle window, std::uint64_t serial,
                                                        AccessibleReach reach,
                                                        std::uint32_t elapsedMs);
  // Calls return once their program answers again (or is gone).
  void ReleaseReturnedCalls(const SimDesktop& desktop);
  // A stuck call waits on the window's thread, or enough of them on its program.
  bool IntoStuckProgram(const SimWindow& window) const;
  // False when the current worker is stuck and no other may be started.
  bool FreeWorker();

  std::size_t mostAbandoned_ = kMostAbandonedWorkers;
  std::vector<StuckCall> stuck_;
  std::optional<SlowRound> slow_;
  WindowHandle slowWindow_ = 0;  // the window whose last round ended late
  AccessibleAnswer latest_;
  bool untoldAnswer_ = false;
};

}  // namespace sevalune::sim
