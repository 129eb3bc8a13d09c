#include "backend/win32/AccessibleWorkers.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32 {

using Clock = std::chrono::steady_clock;

namespace {

// The system's slim lock and condition variable. Waking the worker with them costs the GUI
// thread a fraction of what the threads library's condition variable costs under Wine (about
// 50-110 us against 180-280 us a request, bench/Win32CallCost.cpp).
class SlimLock {
 public:
  void lock() { ::AcquireSRWLockExclusive(&lock_); }
  void unlock() { ::ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* native() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
 public:
  template <typename Ready>
  void wait(std::unique_lock<SlimLock>& lock, Ready ready) {
    while (!ready()) ::SleepConditionVariableSRW(&condition_, lock.mutex()->native(), INFINITE, 0);
  }
  void notify_all() { ::WakeAllConditionVariable(&condition_); }

 private:
  CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

struct Job {
  WindowHandle window = 0;
  std::uint64_t serial = 0;
  // The newest request the round answers: a slow round answers the requests for its window
  // that came while it ran.
  std::uint64_t answers = 0;
  AccessibleReach reach = AccessibleReach::Everything;
  std::uint32_t thread = 0;   // known once the job is given up
  std::uint32_t process = 0;  // likewise
};

AccessibleAnswer AnswerFor(const Job& job, AccessibleStatus status) {
  AccessibleAnswer answer;
  answer.serial = job.serial;
  answer.window = job.window;
  answer.status = status;
  return answer;
}

}  // namespace

// What a worker shares with the GUI thread; guarded by Shared::mutex.
struct AccessibleWorkers::Worker {
  std::optional<Job> waiting;  // the next request
  std::optional<Job> running;  // the request in its call now
  Clock::time_point started;
  bool givenUp = false;    // its running request was given up
  bool abandoned = false;  // a fresh worker took over; it ends once its call returns
  bool stop = false;
  bool ended = false;  // its thread could not start or failed: it takes no more requests
};

// Outlives the workers' owner: an abandoned worker may return long after.
struct AccessibleWorkers::Shared {
  SlimLock mutex;
  SlimCondition wake;
  AccessibleAnswer latest;
  std::vector<std::shared_ptr<Worker>> abandoned;
  std::size_t started = 0;
  // The window whose last round ended late but within the slow limit: its rounds are let
  // run that long.
  WindowHandle slowWindow = 0;

  // Keeps the answer to the newest request; true when it tells something new (whatever
  // request each answers).
  bool Record(const AccessibleAnswer& answer) {
    if (answer.serial < latest.serial) return false;
    AccessibleAnswer before = latest;
    before.serial = answer.serial;
    latest = answer;
    return !(before == answer);
  }

  // While a slow round runs, what its window answered last stands for the request that
  // round answers.
  void StandFor(const Job& job) {
    if (latest.window == job.window && latest.status == AccessibleStatus::Answered &&
        latest.serial < job.answers) {
      latest.serial = job.answers;
    }
  }
};

AccessibleWorkers::AccessibleWorkers(AccessibleWorkerOptions options)
    : options_(std::move(options)), shared_(std::make_shared<Shared>()) {}

AccessibleWorkers::~AccessibleWorkers() {
  if (!current_) return;
  {
    const std::lock_guard lock(shared_->mutex);
    current_->stop = true;
    current_->waiting.reset();
  }
  shared_->wake.notify_all();
}

AccessibleAnswer AccessibleWorkers::Query(WindowHandle window, std::uint64_t serial,
                                          AccessibleReach reach) {
  const std::lock_guard lock(shared_->mutex);
  Worker* current = current_.get();
  if (std::optional<AccessibleAnswer> standing = JoinOrGiveUpLateRound(window, serial, reach)) {
    return *standing;
  }
  const AccessibleAnswer latest = shared_->latest;
  if (window == 0) {
    // Nothing to ask: a worker is started, ready for the rounds to come.
    if (current_ && current_->ended) current_.reset();
    if (!current_) StartWorker();
    return latest;
  }

  const Job job{window, serial, serial, reach, 0, 0};
  const bool currentStuck = current != nullptr && current->running && current->givenUp;
  if ((currentStuck || !shared_->abandoned.empty()) && IntoStuckProgram(current, window)) {
    shared_->Record(AnswerFor(job, AccessibleStatus::Busy));
    if (currentStuck && current->running->window == window) current->running->answers = serial;
    return latest;
  }
  if (currentStuck) {
    if (shared_->abandoned.size() >= options_.mostAbandoned) {
      shared_->Record(AnswerFor(job, AccessibleStatus::Busy));
      return latest;
    }
    current->abandoned = true;
    current->waiting.reset();
    shared_->abandoned.push_back(current_);
    current_.reset();
  }
  if (current_ && current_->ended) current_.reset();
  if (!current_ && !StartWorker()) {
    shared_->Record(AnswerFor(job, AccessibleStatus::Busy));
    return latest;
  }
  current_->waiting = job;
  shared_->wake.notify_all();
  return latest;
}

std::optional<AccessibleAnswer> AccessibleWorkers::JoinOrGiveUpLateRound(WindowHandle window,
                                                                         std::uint64_t serial,
                                                                         AccessibleReach reach) {
  Worker* current = current_.get();
  if (current == nullptr || !current->running || current->givenUp) return std::nullopt;
  Job& running = *current->running;
  const Clock::duration runFor = Clock::now() - current->started;
  if (runFor <= options_.roundLimit) return std::nullopt;
  const bool sameRequest = window == 0 || (window == running.window && reach == running.reach);
  if (sameRequest && running.window == shared_->slowWindow && runFor <= options_.slowRoundLimit) {
    // A slow provider at work on this request: the window's last answer stands meanwhile.
    shared_->StandFor(running);
    if (window != 0) running.answers = std::max(running.answers, serial);
    return shared_->latest;
  }
  // Given up. Its answer still comes if it ends within the slow limit and no other window
  // is asked meanwhile.
  current->givenUp = true;
  running.thread = options_.threadOf ? options_.threadOf(running.window) : 0;
  running.process = options_.processOf ? options_.processOf(running.window) : 0;
  shared_->Record(AnswerFor(running, AccessibleStatus::TimedOut));
  return std::nullopt;
}

bool AccessibleWorkers::IntoStuckProgram(const Worker* current, WindowHandle window) const {
  const std::uint32_t thread = options_.threadOf ? options_.threadOf(window) : 0;
  const std::uint32_t process = options_.processOf ? options_.processOf(window) : 0;
  std::size_t stuckInProgram = 0;
  bool stuckInThread = false;
  const auto count = [&](const Worker& worker) {
    if (!worker.running || !worker.givenUp) return;
    const Job& stuck = *worker.running;
    if (stuck.window == window || (thread != 0 && stuck.thread == thread)) stuckInThread = true;
    if (process != 0 && stuck.process == process) ++stuckInProgram;
  };
  if (current != nullptr) count(*current);
  for (const std::shared_ptr<Worker>& worker : shared_->abandoned) count(*worker);
  return stuckInThread || stuckInProgram >= options_.mostStuckPerProgram;
}

bool AccessibleWorkers::StartWorker() {
  auto worker = std::make_shared<Worker>();
  try {
    // Never joined: even an idle worker may wait when it ends, releasing what it holds of a
    // program that hangs. It ends by itself, or with the process.
    std::thread(&AccessibleWorkers::RunWorker, shared_, worker, options_).detach();
  } catch (const std::system_error&) {
    return false;  // no thread to be had now: asked again on a later tick
  }
  current_ = std::move(worker);
  ++shared_->started;
  return true;
}

void AccessibleWorkers::RunWorker(std::shared_ptr<Shared> shared, std::shared_ptr<Worker> worker,
                                  AccessibleWorkerOptions options) noexcept {
  std::unique_ptr<AccessibleRound> round;
  std::unique_lock lock(shared->mutex, std::defer_lock);
  try {
    round = options.makeRound();
    lock.lock();
    for (;;) {
      shared->wake.wait(lock, [&] { return worker->stop || worker->waiting.has_value(); });
      if (worker->stop) break;
      const Job job = *worker->waiting;
      worker->waiting.reset();
      worker->running = job;
      worker->givenUp = false;
      worker->started = Clock::now();
      lock.unlock();
      AccessibleAnswer answer = round->Read(job.window, job.reach);
      lock.lock();
      const Clock::duration took = Clock::now() - worker->started;
      const Job answered = *worker->running;  // with the requests it answers by now
      const bool givenUp = worker->givenUp;
      worker->running.reset();
      if (worker->abandoned) {
        std::erase(shared->abandoned, worker);
        break;
      }
      if (took > options.slowRoundLimit) {
        // Too old to place anything: dropped ("timed out" unless said already).
        if (!givenUp) shared->Record(AnswerFor(job, AccessibleStatus::TimedOut));
        continue;
      }
      // A late answer makes its window a slow provider, one in time ends that.
      const bool late = took > options.roundLimit;
      if (late) {
        shared->slowWindow = job.window;
      } else if (shared->slowWindow == job.window) {
        shared->slowWindow = 0;
      }
      answer.serial = answered.answers;
      answer.window = job.window;
      if (shared->Record(answer) && options.answered) {
        lock.unlock();
        options.answered();
        lock.lock();
      }
    }
  } catch (...) {
    // Out of memory, say: this worker ends, and the next request starts another.
    if (!lock.owns_lock()) lock.lock();
    worker->running.reset();
    if (worker->abandoned) std::erase(shared->abandoned, worker);
  }
  worker->ended = true;
  lock.unlock();
  round.reset();  // on this thread: it may leave the thread's COM apartment
}

std::size_t AccessibleWorkers::StuckWorkers() const {
  const std::lock_guard lock(shared_->mutex);
  const bool currentStuck = current_ && current_->running && current_->givenUp;
  return shared_->abandoned.size() + (currentStuck ? 1 : 0);
}

std::size_t AccessibleWorkers::WorkersStarted() const {
  const std::lock_guard lock(shared_->mutex);
  return shared_->started;
}

}  // namespace sevalune::win32
