#include "backend/sim/SimProgram.h"

#include "settings/Settings.h"
#include "tray/TrayIcon.h"

namespace sevalune::sim {

void PutSettingsFile(SimDesktop& desktop, std::string_view text,
                     std::string_view executableDirectory) {
  desktop.Files().Put(SettingsFilePath(executableDirectory), std::string(text));
}

SimProgram::SimProgram(SimDesktop& desktop) : SimProgram(desktop, Options{}) {}

SimProgram::SimProgram(SimDesktop& desktop, Options options)
    : desktop_(desktop),
      process_(std::make_unique<SimPlatform>(desktop, options.process, options.thread,
                                             std::move(options.executableDirectory))),
      app_(std::make_unique<Application>(*process_)) {
  process_->SetEventHandler(app_.get());
}

SimProgram::~SimProgram() {
  process_->SetEventHandler(nullptr);
  app_.reset();
  process_.reset();
}

void SimProgram::Start() {
  process_->RunAsHandler([this] { app_->Start(); });
}

void SimProgram::Tick() { process_->Deliver(SimMessage::Timer()); }

void SimProgram::TrayEvent(std::uint32_t eventCode) {
  desktop_.SendTrayEvent(process_->Marker(), kTrayIconId, eventCode);
}

void SimProgram::InterposeEvents(PlatformEvents& events) { process_->SetEventHandler(&events); }

VisibleState SimProgram::Visible() const {
  VisibleState state;
  // Once the process has ended its marker is gone: nothing is seen of it.
  if (const SimWindow* marker = desktop_.Window(process_->Marker())) {
    state.marker = marker->rect;
    state.markerShown = desktop_.Windows().IsVisibleWithAncestors(marker->handle);
    state.markerTopmost = marker->topmost;
  }
  state.color = process_->CurrentMarkerColor();
  state.foreground = desktop_.NameOf(desktop_.Foreground());
  const SimTrayIcon* icon = desktop_.Tray().Find(process_->Marker(), kTrayIconId);
  state.icon = icon == nullptr ? "none" : icon->picture == TrayPicture::Enabled ? "on" : "off";
  state.menuOpen = process_->MenuOpen();
  return state;
}

}  // namespace sevalune::sim
