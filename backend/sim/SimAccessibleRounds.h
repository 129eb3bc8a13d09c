// The program's accessibility worker as the simulated desktop plays it. A request is run
// at once, as the real worker runs it long before the next tick, and its answer is kept
// for the next call; an answer unlike the latest one before it waits to be told to the
// program (SimPlatform::TellAccessibleAnswer), as the real worker tells it once its round
// has ended. A round into a hung program leaves its worker stuck there until the program
// answers again: further requests into that thread are then not asked (Busy), and others
// go to a fresh worker; a program with two stuck calls is not asked either, and only when
// sixteen workers are left stuck is every request refused. Each request a
// round makes of the program is printed as an event line of its kind:
//
//   access-request msaa-caret window=NAME    the OBJID_CARET object
//   access-request uia window=NAME           UI Automation (where it exists), for the round
//                                            about NAME
//   access-request msaa-focus window=NAME    OBJID_CLIENT's focused child
#pragma once

#include <cstddef>
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

  // Platform::QueryAccessible for the program's process, whose GUI thread is `caller.thread`.
  AccessibleAnswer Query(SimDesktop& desktop, ThreadProcess caller, WindowHandle window,
                         std::uint64_t serial, AccessibleReach reach);
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

  AccessibleAnswer Round(SimDesktop& desktop, ThreadProcess caller, WindowHandle window,
                         std::uint64_t serial, AccessibleReach reach);
  // Calls return once their program answers again (or is gone).
  void ReleaseReturnedCalls(const SimDesktop& desktop);
  // A stuck call waits on the window's thread, or enough of them on its program.
  bool IntoStuckProgram(const SimWindow& window) const;
  // False when the current worker is stuck and no other may be started.
  bool FreeWorker();

  std::size_t mostAbandoned_ = kMostAbandonedWorkers;
  std::vector<StuckCall> stuck_;
  AccessibleAnswer latest_;
  bool untoldAnswer_ = false;
};

}  // namespace sevalune::sim
