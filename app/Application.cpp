#include "app/Application.h"

#include <utility>

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
  bool placed = false;
  {
    ScopedFlag running(tickRunning_);
    // A changed settings file applies between ticks, never half way through one.
    program_.reload.ApplyPending();
    placed = tmrTimer_Timer(program_.tracker);
  }
  const std::optional<TargetNotice> notice = std::exchange(noticeDuringTick_, std::nullopt);
  // What came while the tick ran is looked at once it is over; not after a tick that left
  // the marker alone or hid it (nothing to move), nor once the program is quitting.
  if (placed && notice) PlaceBetweenTicks(program_.tracker, *notice);
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

void Application::OnTargetMoved(const TargetNotice& notice) {
  // Inside a tick (one of its pumps): kept for when the tick is over.
  if (tickRunning_) {
    if (!noticeDuringTick_) noticeDuringTick_.emplace();
    noticeDuringTick_->Merge(notice);
    return;
  }
  PlaceBetweenTicks(program_.tracker, notice);
}

}  // namespace sevalune
