// The program on a simulated desktop: its process (the platform), its handlers wired to
// it, and what a person watching the screen sees of it. The one set-up shared by the
// scenario runner, the core tests, the soak and the benchmarks.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Application.h"
#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"

namespace sevalune::sim {

// What a person watching the screen sees of the program, windows by their names.
struct VisibleState {
  Rect marker;
  bool markerShown = false;
  bool markerTopmost = false;
  Color color = 0;
  std::string foreground;  // "none" while no window holds it
  std::string icon;        // "on", "off", or "none" while no icon is shown
  bool menuOpen = false;
  friend bool operator==(const VisibleState&, const VisibleState&) = default;
};

// Puts the settings file beside the executable in that directory.
void PutSettingsFile(
    SimDesktop& desktop, std::string_view text,
    std::string_view executableDirectory = SimPlatform::kDefaultExecutableDirectory);

class SimProgram {
 public:
  struct Options {
    ProcessId process = kProgramProcess;
    ThreadId thread = kProgramThread;
    std::string executableDirectory = std::string(SimPlatform::kDefaultExecutableDirectory);
  };

  // The process starts: its windows exist, the handlers are wired; nothing has run yet.
  explicit SimProgram(SimDesktop& desktop);
  SimProgram(SimDesktop& desktop, Options options);
  // The handlers go before the process, the process before its desktop.
  ~SimProgram();
  SimProgram(const SimProgram&) = delete;
  SimProgram& operator=(const SimProgram&) = delete;

  // The main window's load handler.
  void Start();
  // One message of the periodic timer, dispatched as the idle message loop would.
  void Tick();
  // The shell reports a mouse event (0x200 to 0x205) on the program's tray icon.
  void TrayEvent(std::uint32_t eventCode);

  // Routes every message through `events` first; it must hand each on to app().
  void InterposeEvents(PlatformEvents& events);

  SimPlatform& process() { return *process_; }
  const SimPlatform& process() const { return *process_; }
  Application& app() { return *app_; }
  const Program& program() const { return app_->program(); }
  bool Ended() const { return process_->Ended(); }
  std::optional<int> ExitCode() const { return process_->ExitCode(); }

  VisibleState Visible() const;

 private:
  SimDesktop& desktop_;
  std::unique_ptr<SimPlatform> process_;
  std::unique_ptr<Application> app_;
};

}  // namespace sevalune::sim
