#include "simrunner/ScenarioRunner.h"

#include <cstdio>
#include <functional>

#include "backend/sim/EventText.h"
#include "settings/Settings.h"
#include "simrunner/ScenarioText.h"

namespace sevalune::sim {
namespace {

constexpr ProcessId kProgramProcess = 4000;
constexpr ThreadId kProgramThread = 4001;
constexpr ProcessId kSecondProcess = 4100;
constexpr ThreadId kSecondThread = 4101;
constexpr std::uint32_t kTrayIconId = 1;

std::uint32_t TrayEventCode(const std::string& event) {
  if (event == "move") return 0x200;
  if (event == "ldown") return 0x201;
  if (event == "lup") return 0x202;
  if (event == "ldouble") return 0x203;
  if (event == "rdown") return 0x204;
  if (event == "rup") return 0x205;
  throw ScenarioError("unknown tray event: " + event);
}

std::string Hex6(Color color) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(color & 0xFFFFFFu));
  return text;
}

std::string PointText(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

// The fields in the order of the state line.
constexpr const char* kFieldOrder[] = {"marker", "shown", "color", "fg", "cursor", "icon", "menu"};

std::string FieldText(const std::string& name, const std::string& value) {
  return name == "shown" ? value : name + "=" + value;
}

}  // namespace

ScenarioRunner::ScenarioRunner(std::ostream& out) : out_(out) {
  desktop_.SetEventSink([this](const std::string& line) { Emit(line); });
}

ScenarioRunner::~ScenarioRunner() {
  // The process must go before its desktop, the handlers before the process.
  if (process_) process_->SetEventHandler(nullptr);
  app_.reset();
  process_.reset();
}

WindowHandle ScenarioRunner::Handle(const std::string& name) const {
  if (name == "none" || name.empty()) return 0;
  return desktop_.Lookup(name);
}

void ScenarioRunner::Emit(const std::string& line) {
  out_ << "  " << line << "\n";
  stepEvents_.push_back(line);
}

// --- desktop set-up --------------------------------------------------------------------

void ScenarioRunner::SetPlatformNew(bool hasGuiThreadInfo) {
  desktop_.SetPlatformNew(hasGuiThreadInfo);
}

void ScenarioRunner::SetSettingsFile(std::optional<std::string> bytes) {
  settingsFile_ = std::move(bytes);
}

void ScenarioRunner::AddMonitor(const Rect& rect, bool primary) {
  if (!monitorsGiven_) monitors_.clear();
  monitorsGiven_ = true;
  monitors_.push_back(MonitorInfo{rect, primary});
  desktop_.SetMonitors(monitors_);
}

void ScenarioRunner::SetExecutableDirectory(std::string directory) {
  executableDirectory_ = std::move(directory);
}

void ScenarioRunner::AddWindow(NewWindow window, const std::string& above,
                               const std::string& below) {
  window.above = Handle(above);
  window.below = Handle(below);
  desktop_.CreateWindow(window);
}

void ScenarioRunner::AddChild(NewChild child, const std::string& parent) {
  child.parent = Handle(parent);
  desktop_.CreateChild(child);
}

void ScenarioRunner::ChangeWindow(const std::string& name, const WindowChange& change) {
  const WindowHandle window = Handle(name);
  if (change.title) desktop_.SetTitle(window, *change.title);
  if (change.className) desktop_.SetClass(window, *change.className);
  if (change.rect) desktop_.SetRect(window, *change.rect);
  if (change.visible) desktop_.SetVisible(window, *change.visible);
  if (change.enabled) desktop_.SetEnabled(window, *change.enabled);
  if (change.topmost) desktop_.SetTopmost(window, *change.topmost);
}

void ScenarioRunner::Raise(const std::string& name) { desktop_.Raise(Handle(name)); }
void ScenarioRunner::Lower(const std::string& name) { desktop_.Lower(Handle(name)); }
void ScenarioRunner::Close(const std::string& name) { desktop_.Close(Handle(name)); }
void ScenarioRunner::SetForeground(const std::string& name) {
  desktop_.SetForeground(Handle(name));
}
void ScenarioRunner::SetLock(bool on) { desktop_.SetForegroundLock(on); }

void ScenarioRunner::SetGuiState(ThreadId thread, const GuiStateByName& state) {
  GuiThreadInfo info;
  info.flags = state.flags;
  info.focus = Handle(state.focus);
  info.capture = Handle(state.capture);
  info.caret = Handle(state.caretWindow);
  if (info.caret != 0) info.caretRect = state.caretRect;
  desktop_.SetGuiState(thread, info);
}

void ScenarioRunner::SetImeOpen(ProcessId process, bool open) {
  desktop_.SetImeOpen(process, open);
}
void ScenarioRunner::SetHung(ProcessId process, bool hung) { desktop_.SetHung(process, hung); }
void ScenarioRunner::SetCursor(Point point) { desktop_.SetCursor(point); }

void ScenarioRunner::Button(const std::string& action) {
  if (action == "down") desktop_.ButtonDown();
  if (action == "up") desktop_.ButtonUp();
  if (action == "click") desktop_.ButtonClick();
}

void ScenarioRunner::SetYokusi(const std::string& text) {
  // Given before start, the text is in the box from the moment the window exists.
  yokusi_ = text;
  if (process_) desktop_.SetTitle(process_->TextBox(), text);
}

void ScenarioRunner::Taskbar(const std::string& action) {
  if (action == "present") desktop_.SetTaskbarPresent();
  if (action == "none") desktop_.RemoveTaskbar();
  if (action == "restart") {
    if (process_) {
      RunGuarded([this] { desktop_.RestartTaskbar(); });
    } else {
      desktop_.RestartTaskbar();
    }
  }
}

void ScenarioRunner::AnswerMenu(const std::string& item, int afterTicks) {
  desktop_.QueueMenuAnswer(MenuAnswer{item, afterTicks});
}

void ScenarioRunner::AnswerBox(bool ok, int afterTicks) {
  desktop_.QueueBoxAnswer(BoxAnswer{ok, afterTicks});
}

// --- running -----------------------------------------------------------------------------

void ScenarioRunner::PlaceSettingsFile() {
  const std::string path = SettingsFilePath(executableDirectory_);
  if (settingsFile_) {
    desktop_.Files().Put(path, *settingsFile_);
  } else {
    desktop_.Files().Remove(path);
  }
}

void ScenarioRunner::BeginRunningStep() { stepEvents_.clear(); }

// Runs a step of the program; when the process ends inside it, says so.
void ScenarioRunner::RunGuarded(const std::function<void()>& step) {
  try {
    step();
  } catch (const SimProcessExit& exit) {
    Emit("exit " + std::to_string(exit.code));
  }
}

void ScenarioRunner::Start() {
  BeginRunningStep();
  PlaceSettingsFile();
  process_ = std::make_unique<SimPlatform>(desktop_, kProgramProcess, kProgramThread,
                                           executableDirectory_);
  desktop_.SetTitle(process_->TextBox(), yokusi_);
  app_ = std::make_unique<Application>(*process_);
  process_->SetEventHandler(app_.get());
  process_->SetNestedTickDriver([this] { RunNestedTick(); });
  RunGuarded([this] { app_->Start(); });
  PrintState("start");
}

void ScenarioRunner::StartSecondInstance() {
  BeginRunningStep();
  PlaceSettingsFile();
  bool exited = false;
  {
    SimPlatform second(desktop_, kSecondProcess, kSecondThread, executableDirectory_);
    Application secondApp(second);
    second.SetEventHandler(&secondApp);
    try {
      secondApp.Start();
    } catch (const SimProcessExit&) {
      exited = true;
    }
    second.SetEventHandler(nullptr);
  }
  Emit(exited ? "second-instance exited" : "second-instance kept running");
}

void ScenarioRunner::RunNestedTick() {
  ++ticks_;
  // Time passes inside the box; the program ticks only if its timer runs (not yet while
  // start-up shows its settings box).
  if (process_) process_->Deliver(SimMessage::Timer());
  PrintState("tick " + std::to_string(ticks_));
}

void ScenarioRunner::RunOneTick() {
  ++ticks_;
  if (process_) {
    RunGuarded([this] { process_->Deliver(SimMessage::Timer()); });
  }
  PrintState("tick " + std::to_string(ticks_));
}

void ScenarioRunner::Tick(int count) {
  BeginRunningStep();
  for (int i = 0; i < count; ++i) RunOneTick();
}

void ScenarioRunner::Tray(const std::string& event) {
  BeginRunningStep();
  const std::uint32_t code = TrayEventCode(event);
  if (process_) {
    RunGuarded([&] { desktop_.SendTrayEvent(process_->Marker(), kTrayIconId, code); });
  }
  PrintState("tray " + event);
}

void ScenarioRunner::PrintSettings() {
  if (!app_) return;
  const Program& program = app_->program();
  const Settings& s = program.settings;
  std::string line = "settings colors=" + Hex6(s.CaretColor) + "," + Hex6(s.CaretImeColor) + "," +
                     Hex6(s.PartsColor) + "," + Hex6(s.PartsImeColor) + "," + Hex6(s.MenuColor);
  line += " period=" + std::to_string(process_->TimerPeriod());
  line += " blink=" + std::to_string(s.BlinkFactor);
  line += std::string(" debug=") + (s.DebugMode ? "on" : "off");
  line += " sizes=";
  for (std::size_t i = 1; i <= 6; ++i) {
    line += std::to_string(s.MarkerSizes[i]) + (i < 6 ? "," : "");
  }
  line += " list1=" + Quoted(s.ExcludedClasses1) + " list2=" + Quoted(s.ExcludedClasses2) +
          " list3=" + Quoted(s.ExcludedClasses3) + " oazuke=" + Quoted(s.OazukeSetting);
  line += " method=" + std::string(program.state.PlatformMark == "95" ? "old" : "new");
  Emit(line);
}

StateFields ScenarioRunner::CurrentState() const {
  StateFields fields;
  const WindowHandle marker = process_ ? process_->Marker() : 0;
  const SimWindow* window = desktop_.Window(marker);
  const Rect r = window ? window->rect : Rect{};
  fields["marker"] = std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                     std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
  const bool shown = window != nullptr && desktop_.Windows().IsVisibleWithAncestors(marker);
  fields["shown"] = shown ? "shown" : "hidden";
  fields["color"] = Hex6(process_ ? process_->CurrentMarkerColor() : 0);
  fields["fg"] = desktop_.NameOf(desktop_.Foreground());
  fields["cursor"] = PointText(desktop_.Cursor());
  const SimTrayIcon* icon = desktop_.Tray().Find(marker, kTrayIconId);
  fields["icon"] = icon == nullptr ? "none" : icon->picture == TrayPicture::Enabled ? "on" : "off";
  fields["menu"] = process_ && process_->MenuOpen() ? "open" : "closed";
  return fields;
}

void ScenarioRunner::PrintState(const std::string& what) {
  lastState_ = CurrentState();
  out_ << what;
  for (const char* name : kFieldOrder) out_ << " " << FieldText(name, lastState_[name]);
  out_ << "\n";
}

// --- checking ----------------------------------------------------------------------------

void ScenarioRunner::ExpectFields(int line, const StateFields& wanted) {
  std::string wantedText;
  std::string gotText;
  for (const auto& [name, value] : wanted) {
    const auto found = lastState_.find(name);
    const std::string got = found == lastState_.end() ? "(no state line)" : found->second;
    if (got == value) continue;
    wantedText += (wantedText.empty() ? "" : " ") + FieldText(name, value);
    gotText += (gotText.empty() ? "" : " ") + FieldText(name, got);
  }
  if (wantedText.empty()) return;
  expectationsHeld_ = false;
  out_ << "expect failed at line " << line << ": wanted " << wantedText << " got " << gotText
       << "\n";
}

void ScenarioRunner::ExpectEvent(int line, const std::string& text, bool present) {
  bool seen = false;
  for (const std::string& event : stepEvents_) seen = seen || event.find(text) != std::string::npos;
  if (seen == present) return;
  expectationsHeld_ = false;
  out_ << "expect failed at line " << line << ": wanted " << (present ? "event " : "noevent ")
       << Quoted(text) << " got " << (seen ? "that event" : "no such event") << "\n";
}

}  // namespace sevalune::sim
