#include "app/Application.h"

#include "app/StartUp.h"
#include "tracking/Tick.h"
#include "tray/TrayIcon.h"

namespace sevalune {
namespace {

// Sets a flag for as long as it lives, also when a handler leaves by an exception.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

Application::Application(Platform& platform) : program_(platform) {}

Application::~Application() = default;

void Application::Start() { FormLoad(program_); }

void Application::OnTimer() {
  // A tick pumps messages, and a pump can dispatch the next timer message: that tick is
  // skipped rather than run inside the one still going.
  if (tickRunning_) return;
  ScopedFlag running(tickRunning_);
  TimerTick(program_);
}

void Application::OnTrayCallback(std::uint32_t eventCode) { OnTrayMouseEvent(program_, eventCode); }

void Application::OnTaskbarCreated() { RestoreTrayIcon(program_); }

}  // namespace sevalune
