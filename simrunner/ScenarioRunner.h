// Runs the program's real core on the simulated desktop, driven by the commands of a
// scenario, and prints what a person watching the screen would see: a state line after
// each running step, and event lines for what the program did.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimProgram.h"
#include "settings/Hotkey.h"

namespace sevalune::sim {

// The fields of a state line, by name; the visibility word is kept under "shown".
using StateFields = std::map<std::string, std::string, std::less<>>;

// Changes of one window by the `set` command; unset members stay as they are.
struct WindowChange {
  std::optional<std::string> title;
  std::optional<std::string> className;
  std::optional<Rect> rect;
  std::optional<bool> visible;
  std::optional<bool> enabled;
  std::optional<bool> topmost;
};

enum class ButtonAction { Down, Up, Click };
enum class TaskbarAction { Present, Remove, Restart };

// A mouse event on the tray icon: its scenario name and the code the shell reports.
struct TrayEvent {
  std::string_view name;
  std::uint32_t code = 0;
};

// A thread's GUI state with windows named as in the scenario.
struct GuiStateByName {
  std::string focus;
  std::string capture;
  std::string caretWindow;
  Rect caretRect;
  std::uint32_t flags = 0;
};

class ScenarioRunner {
 public:
  explicit ScenarioRunner(std::ostream& out);
  ~ScenarioRunner();
  ScenarioRunner(const ScenarioRunner&) = delete;
  ScenarioRunner& operator=(const ScenarioRunner&) = delete;

  // --- desktop set-up ----------------------------------------------------------------
  void SetPlatformNew(bool hasGuiThreadInfo);
  // Before start: the file the program will find. After: the file is written now, a change
  // the program's folder watch notices at the next `settle`.
  void SetSettingsFile(std::optional<std::string> bytes);
  // The file is written while the program reads it: right after its next read of one key.
  void WriteSettingsFileDuringRead(std::string bytes);
  void SetFolderWatching(bool on);
  // Another program registers or releases the combination as its hot key.
  void TakeHotkey(const Hotkey& hotkey);
  void FreeHotkey(const Hotkey& hotkey);
  void AddMonitor(const MonitorInfo& monitor);
  void SetExecutableDirectory(std::string directory);
  void AddWindow(NewWindow window, const std::string& above, const std::string& below);
  void AddChild(NewChild child, const std::string& parent);
  void ChangeWindow(const std::string& name, const WindowChange& change);
  void Raise(const std::string& name);
  void Lower(const std::string& name);
  void Close(const std::string& name);
  void SetForeground(const std::string& name);
  void SetLock(bool on);
  void SetGuiState(ThreadId thread, const GuiStateByName& state);
  void SetImeOpen(ProcessId process, bool open, std::uint32_t conversionMode);
  void SetUiLanguage(std::uint16_t language);
  void SetHung(ProcessId process, bool hung);
  // nullopt: the window publishes nothing any more.
  void SetAccessible(const std::string& name, const std::optional<SimAccessible>& published);
  void SetUiAutomation(bool available);
  void SetCursor(Point point);
  void Button(ButtonAction action);
  void SetYokusi(const std::string& text);
  void Taskbar(TaskbarAction action);
  void AnswerMenu(const std::string& item, int afterTicks);
  void AnswerBox(bool ok, int afterTicks);

  // --- running -------------------------------------------------------------------------
  void Start();
  void StartSecondInstance();
  void Tick(int count);
  void Tray(const TrayEvent& event);
  // Moments between ticks: the caret watch looks `count` times.
  void BetweenTicks(int count);
  // The system raises a notification that the target may have moved (`what` names it).
  void NotifyTargetMoved(std::string_view what);
  void PrintSettings();
  // The user presses the combination (nullopt: the one the program registered).
  void PressHotkey(const std::optional<Hotkey>& hotkey);
  // N periods of the finder's frame timer pass.
  void Frames(int count);
  // Time passes until the watched folder has settled after its changes.
  void Settle();

  // --- checking ------------------------------------------------------------------------
  void ExpectFields(int line, const StateFields& wanted);
  void ExpectEvent(int line, const std::string& text, bool present);
  bool AllExpectationsHeld() const { return expectationsHeld_; }

 private:
  WindowHandle Handle(const std::string& name) const;
  void Emit(const std::string& line);
  void BeginRunningStep();
  // Runs a step of the program; when the process ends inside it, says so.
  void RunStep(const std::function<void()>& step);
  void RunNestedTick();
  void RunOneTick();
  void PrintState(const std::string& what);
  StateFields CurrentState() const;
  void PlaceSettingsFile();

  std::ostream& out_;
  SimDesktop desktop_;
  std::string executableDirectory_ = std::string(SimPlatform::kDefaultExecutableDirectory);
  std::optional<std::string> settingsFile_;
  std::optional<std::string> writeDuringRead_;
  int readsBeforeWrite_ = 0;
  std::string yokusi_;
  bool monitorsGiven_ = false;
  std::vector<MonitorInfo> monitors_;
  std::unique_ptr<SimProgram> program_;
  int ticks_ = 0;
  std::vector<std::string> stepEvents_;
  StateFields lastState_;
  bool expectationsHeld_ = true;
};

// Parses and runs a whole scenario; returns the exit status (0 all held, 1 an `expect`
// failed, 2 malformed).
int RunScenario(const std::string& text, std::ostream& out);

}  // namespace sevalune::sim
