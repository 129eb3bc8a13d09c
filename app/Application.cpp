#include "app/Application.h"

#include "app/StartUp.h"
#include "platform/ScopedFlag.h"
#include "tracking/Tick.h"
#include "tray/Tray.h"

namespace sevalune {

Application::Application(Platform& platform) : program_(platform) {}

void Application::Start() { Form_Load(program_); }

void Application::OnTimer() {
  // A tick pumps messages, and a pump can dispatch the next timer message: that tick is
  // skipped rather than run inside the one still going.
  if (tickRunning_) return;
  ScopedFlag running(tickRunning_);
  // A changed settings file applies between ticks, never half way through one.
  program_.reload.ApplyPending();
  tmrTimer_Timer(program_.tracker);
}

void Application::OnTrayCallback(std::uint32_t eventCode) {
  // The settings window opens once the menu step is over, so that ticks and the menu run
  // while it is open.
  if (OnTrayIconCallback(program_.tray, eventCode) == MenuCommand::Settings) {
    program_.settingsWindow.Open();
  }
}

void Application::OnTaskbarCreated() { RestoreTrayIcon(program_.tray); }

void Application::OnHotkey(int id) {
  if (id == kFinderHotkeyId) program_.finder.OnHotkey();
}

void Application::OnFinderFrame() { program_.finder.OnFrame(); }

void Application::OnSettingsFileChanged() { program_.reload.OnFileChanged(); }

void Application::OnTargetMoved() {
  // Inside a tick (one of its pumps) the tick itself is about to place the marker.
  if (tickRunning_) return;
  PlaceBetweenTicks(program_.tracker);
}

}  // namespace sevalune
