#include "backend/win32/AccessibleWorkers.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace sevalune::win32 {

using Clock = std::chrono::steady_clock;

namespace {

struct Job {
  WindowHandle window = 0;
  std::uint64_t serial = 0;
  std::uint32_t thread = 0;  // known once the job is given up
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
};

// Outlives the workers' owner: an abandoned worker may return long after.
struct AccessibleWorkers::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  AccessibleAnswer latest;
  std::vector<std::shared_ptr<Worker>> abandoned;
  std::size_t started = 0;

  // Keeps the answer to the newest request.
  void Record(const AccessibleAnswer& answer) {
    if (answer.serial >= latest.serial) latest = answer;
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

AccessibleAnswer AccessibleWorkers::Query(WindowHandle window, std::uint64_t serial) {
  const std::lock_guard lock(shared_->mutex);
  Worker* current = current_.get();
  // A round running past its limit is given up now; its late result will be dropped.
  if (current != nullptr && current->running && !current->givenUp &&
      Clock::now() - current->started > options_.roundLimit) {
    current->givenUp = true;
    current->running->thread = options_.threadOf ? options_.threadOf(current->running->window) : 0;
    shared_->Record(AnswerFor(*current->running, AccessibleStatus::TimedOut));
  }
  const AccessibleAnswer latest = shared_->latest;
  if (window == 0) return latest;

  const Job job{window, serial, 0};
  const auto intoStuckThread = [&](const Worker& worker) {
    if (!worker.running || !worker.givenUp) return false;
    if (worker.running->window == window) return true;
    return options_.threadOf && worker.running->thread != 0 &&
           worker.running->thread == options_.threadOf(window);
  };
  const bool currentStuck = current != nullptr && current->running && current->givenUp;
  const bool anyStuck = currentStuck || !shared_->abandoned.empty();
  if (anyStuck && ((currentStuck && intoStuckThread(*current)) ||
                   std::any_of(shared_->abandoned.begin(), shared_->abandoned.end(),
                               [&](const std::shared_ptr<Worker>& worker) {
                                 return intoStuckThread(*worker);
                               }))) {
    shared_->Record(AnswerFor(job, AccessibleStatus::Busy));
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
  if (!current_) StartWorker();
  current_->waiting = job;
  shared_->wake.notify_all();
  return latest;
}

void AccessibleWorkers::StartWorker() {
  current_ = std::make_shared<Worker>();
  ++shared_->started;
  // Never joined: even an idle worker may wait when it ends, releasing what it holds of a
  // program that hangs. It ends by itself, or with the process.
  std::thread([shared = shared_, worker = current_, makeRound = options_.makeRound,
                                limit = options_.roundLimit] {
    std::unique_ptr<AccessibleRound> round = makeRound();
    std::unique_lock lock(shared->mutex);
    for (;;) {
      shared->wake.wait(lock, [&] { return worker->stop || worker->waiting.has_value(); });
      if (worker->stop) break;
      const Job job = *worker->waiting;
      worker->waiting.reset();
      worker->running = job;
      worker->givenUp = false;
      worker->started = Clock::now();
      lock.unlock();
      AccessibleAnswer answer = round->Read(job.window);
      lock.lock();
      const bool late = Clock::now() - worker->started > limit;
      const bool givenUp = worker->givenUp;
      worker->running.reset();
      if (worker->abandoned) {
        std::erase(shared->abandoned, worker);
        break;
      }
      if (givenUp) continue;  // answered "timed out" already
      answer.serial = job.serial;
      answer.window = job.window;
      if (late) answer = AnswerFor(job, AccessibleStatus::TimedOut);
      shared->Record(answer);
    }
    lock.unlock();
    round.reset();  // on this thread: it may leave the thread's COM apartment
  }).detach();
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
