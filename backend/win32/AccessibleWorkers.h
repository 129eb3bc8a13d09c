// The threads that make the accessibility calls for the GUI thread, which never waits for
// them. Such calls go to another process and wait for as long as it does not read its
// messages (under Wine without any time limit), so:
//
//  - one worker takes one request at a time; a newer request replaces one still waiting;
//  - the GUI thread reads the latest answer and leaves a new request, under a lock held
//    only for that; a round that ends with an answer unlike the latest one before it says
//    so (`answered`), so that the GUI thread can use it at once;
//  - a round that takes longer than its limit is given up: its answer reads "timed out"
//    from the moment the GUI thread sees it running too long. A late result that still
//    comes within the slow limit answers the newest request for its window made meanwhile,
//    and makes the window a slow provider: its next rounds are not given up before the slow
//    limit, and while one runs, what the window answered last stands for each request it
//    answers (one that ends in time makes the window an ordinary one again);
//  - a worker stuck in such a call cannot be interrupted. It is abandoned (it ends by
//    itself once its call returns) and a fresh worker takes the next request, unless that
//    request is for the thread a stuck call waits on, or for a program two stuck calls
//    wait on (it is answered "busy" without asking). So a program that stops answering
//    costs one worker (two at most) and every other program is asked as before; only when
//    many programs hang at once (`mostAbandoned` workers wait) is every request answered
//    "busy" until one of them returns.
//
// The round itself (COM, the accessibility interfaces) is given by a factory, so that the
// mechanics can be tested with rounds that take as long as a test wants.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Platform.h"

namespace sevalune::win32 {

// One worker's way of running a round; made and destroyed on that worker's thread.
class AccessibleRound {
 public:
  virtual ~AccessibleRound() = default;
  // Everything but the serial and the window, which the workers fill in.
  virtual AccessibleAnswer Read(WindowHandle window, AccessibleReach reach) = 0;
};

struct AccessibleWorkerOptions {
  std::function<std::unique_ptr<AccessibleRound>()> makeRound;
  // The thread and the process that serve a window; a request into the thread of a stuck
  // call, or into a program with `mostStuckPerProgram` stuck calls, waits.
  std::function<std::uint32_t(WindowHandle)> threadOf;
  std::function<std::uint32_t(WindowHandle)> processOf;
  // Called on a worker's thread, outside the lock, when its round ended within its limit
  // with an answer unlike the latest one before it (the serial aside); must not block.
  std::function<void()> answered;
  std::chrono::milliseconds roundLimit{kAccessibleRoundMs};
  std::chrono::milliseconds slowRoundLimit{kAccessibleSlowRoundMs};
  std::size_t mostAbandoned = 16;
  std::size_t mostStuckPerProgram = 2;
};

class AccessibleWorkers {
 public:
  explicit AccessibleWorkers(AccessibleWorkerOptions options);
  // Tells the workers to end, without waiting for them: ending, a worker releases what it
  // holds of other programs, which waits for as long as one of them hangs.
  ~AccessibleWorkers();
  AccessibleWorkers(const AccessibleWorkers&) = delete;
  AccessibleWorkers& operator=(const AccessibleWorkers&) = delete;

  // Platform::QueryAccessible: the latest answer, and a request for `window`. For 0 no
  // request, but a worker is started (and makes its round ready) if none runs.
  AccessibleAnswer Query(WindowHandle window, std::uint64_t serial, AccessibleReach reach);

  // Workers stuck in a call that was given up, the current one included.
  std::size_t StuckWorkers() const;
  // Worker threads started so far.
  std::size_t WorkersStarted() const;

 private:
  struct Shared;
  struct Worker;

  // A round running past its limit: a slow provider's takes the request (the answer then
  // standing is returned), any other is given up. Under the lock.
  std::optional<AccessibleAnswer> JoinOrGiveUpLateRound(WindowHandle window, std::uint64_t serial,
                                                        AccessibleReach reach);
  // False when no thread could be started.
  bool StartWorker();
  // Whether a stuck call waits on the window's thread, or enough of them on its program,
  // for the window not to be asked now. Under the lock.
  bool IntoStuckProgram(const Worker* current, WindowHandle window) const;
  static void RunWorker(std::shared_ptr<Shared> shared, std::shared_ptr<Worker> worker,
                        AccessibleWorkerOptions options) noexcept;

  AccessibleWorkerOptions options_;
  std::shared_ptr<Shared> shared_;
  std::shared_ptr<Worker> current_;  // the worker that takes the next request, or none yet
};

}  // namespace sevalune::win32
