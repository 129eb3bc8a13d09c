#include "app/Application.h"

#include "app/ScopedFlag.h"
#include "app/StartUp.h"
#include "tracking/Tick.h"
#include "tray/TrayIcon.h"

namespace sevalune {

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
