#include "simrunner/ScenarioRunner.h"

#include <cstdio>
#include <functional>

#include "backend/sim/EventText.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "simrunner/ScenarioText.h"

namespace sevalune::sim {
namespace {

std::string Hex6(Color color) { return ColorText(color); }

// A process of some other program that holds hot keys.
constexpr ProcessId kOtherProgramProcess = 9000;
constexpr int kOtherProgramHotkeyId = 1;

std::string PointText(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

// "never", "always" or "old" (the older location method only), a comma, the length.
std::string HoldText(const HoldPolicy& hold) {
  const char* mode = hold.mode == HoldMode::Always          ? "always"
                     : hold.mode == HoldMode::OldMethodOnly ? "old"
                                                            : "never";
  return std::string(mode) + "," + std::to_string(hold.lengthTicks);
}

// The combination in force, "off", or "unusable" for a value that is no combination.
std::string HotkeySettingText(const HotkeySetting& hotkey) {
  if (!hotkey.unusable.empty()) return "unusable";
  return hotkey.combination ? HotkeyText(*hotkey.combination) : "off";
}

// A key's value in the settings line, from its text as the file would hold it: numbers,
// sizes and colours as that text, a switch as on or off, a class list quoted, the hold and
// the hotkey as what the program made of them.
std::string SettingsLineValue(const SettingKey& key, const Settings& settings) {
  const std::string text = key.text(settings);
  switch (key.kind) {
    case SettingKind::Switch:
      return text == "1" ? "on" : "off";
    case SettingKind::ClassList:
      return Quoted(text);
    case SettingKind::HoldText:
      return HoldText(ParseHoldPolicy(text));
    case SettingKind::KeyCombination:
      return HotkeySettingText(ReadHotkeySetting(text));
    case SettingKind::Language:
      return text.empty() ? "windows" : text;
    case SettingKind::ColorList:
    case SettingKind::SizeList:
    case SettingKind::Number:
      break;
  }
  return text;
}

// Appended piece by piece, as AppendWord below.
void AppendField(std::string& line, std::string_view name, const std::string& value) {
  line += ' ';
  line += name;
  line += '=';
  line += value;
}

// The fields in the order of the state line.
constexpr const char* kFieldOrder[] = {"marker", "shown", "color", "fg", "cursor", "icon", "menu"};

std::string FieldText(const std::string& name, const std::string& value) {
  return name == "shown" ? value : name + "=" + value;
}

// Adds a word to a list of words separated by blanks. Appended piece by piece: a literal
// plus a temporary string trips GCC 12's false -Wrestrict warning with mingw-w64's library.
void AppendWord(std::string& list, const std::string& word) {
  if (!list.empty()) list += ' ';
  list += word;
}

}  // namespace

ScenarioRunner::ScenarioRunner(std::ostream& out) : out_(out) {
  desktop_.SetEventSink([this](const std::string& line) { Emit(line); });
}

ScenarioRunner::~ScenarioRunner() = default;

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
  if (program_) PlaceSettingsFile();
}

void ScenarioRunner::WriteSettingsFileDuringRead(std::string bytes) {
  writeDuringRead_ = std::move(bytes);
  readsBeforeWrite_ = 1;
  // The hook runs as a call begins: the write lands when the read after the next begins.
  desktop_.SetCallHook([this](std::string_view call) {
    if (call != "GetPrivateProfileString" || !writeDuringRead_) return;
    if (readsBeforeWrite_-- > 0) return;
    settingsFile_ = std::move(*writeDuringRead_);
    writeDuringRead_.reset();
    PlaceSettingsFile();
  });
}

void ScenarioRunner::SetFolderWatching(bool on) { desktop_.SetFolderWatching(on); }

void ScenarioRunner::TakeHotkey(const Hotkey& hotkey) {
  desktop_.RegisterHotkey(SimHotkey{kOtherProgramProcess, 0, kOtherProgramHotkeyId,
                                    hotkey.modifiers, hotkey.virtualKey});
}

void ScenarioRunner::FreeHotkey(const Hotkey& hotkey) {
  for (const SimHotkey& held : desktop_.Hotkeys()) {
    if (held.process == kOtherProgramProcess && held.modifiers == hotkey.modifiers &&
        held.virtualKey == hotkey.virtualKey) {
      desktop_.UnregisterHotkey(held.process, held.window, held.id);
      return;
    }
  }
}

void ScenarioRunner::AddMonitor(const MonitorInfo& monitor) {
  if (!monitorsGiven_) monitors_.clear();
  monitorsGiven_ = true;
  monitors_.push_back(monitor);
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

void ScenarioRunner::SetImeOpen(ProcessId process, bool open, std::uint32_t conversionMode) {
  desktop_.SetImeOpen(process, open);
  desktop_.SetImeConversionMode(process, conversionMode);
}

void ScenarioRunner::SetUiLanguage(std::uint16_t language) { desktop_.SetUiLanguage(language); }
void ScenarioRunner::SetHung(ProcessId process, bool hung) { desktop_.SetHung(process, hung); }
void ScenarioRunner::SetAccessible(const std::string& name,
                                   const std::optional<SimAccessible>& published) {
  desktop_.SetAccessible(Handle(name), published);
}
void ScenarioRunner::SetUiAutomation(bool available) { desktop_.SetUiAutomation(available); }
void ScenarioRunner::SetCursor(Point point) { desktop_.SetCursor(point); }

void ScenarioRunner::Button(ButtonAction action) {
  switch (action) {
    case ButtonAction::Down:
      return desktop_.ButtonDown();
    case ButtonAction::Up:
      return desktop_.ButtonUp();
    case ButtonAction::Click:
      return desktop_.ButtonClick();
  }
}

void ScenarioRunner::SetYokusi(const std::string& text) {
  // Given before start, the text is in the box from the moment the window exists.
  yokusi_ = text;
  if (program_) desktop_.SetTitle(program_->process().TextBox(), text);
}

void ScenarioRunner::Taskbar(TaskbarAction action) {
  switch (action) {
    case TaskbarAction::Present:
      return desktop_.SetTaskbarPresent();
    case TaskbarAction::Remove:
      return desktop_.RemoveTaskbar();
    case TaskbarAction::Restart:
      // The running program hears of the new task bar at once.
      if (program_) return RunStep([this] { desktop_.RestartTaskbar(); });
      return desktop_.RestartTaskbar();
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
  if (settingsFile_) {
    PutSettingsFile(desktop_, *settingsFile_, executableDirectory_);
  } else {
    desktop_.Files().Remove(SettingsFilePath(executableDirectory_));
  }
}

void ScenarioRunner::BeginRunningStep() { stepEvents_.clear(); }

void ScenarioRunner::RunStep(const std::function<void()>& step) {
  const bool endedBefore = program_->Ended();
  step();
  if (!endedBefore && program_->Ended() && program_->ExitCode()) {
    Emit("exit " + std::to_string(*program_->ExitCode()));
  }
}

void ScenarioRunner::Start() {
  BeginRunningStep();
  PlaceSettingsFile();
  program_ = std::make_unique<SimProgram>(
      desktop_, SimProgram::Options{.executableDirectory = executableDirectory_});
  desktop_.SetTitle(program_->process().TextBox(), yokusi_);
  program_->process().SetNestedTickDriver([this] { RunNestedTick(); });
  RunStep([this] { program_->Start(); });
  PrintState("start");
}

void ScenarioRunner::StartSecondInstance() {
  BeginRunningStep();
  PlaceSettingsFile();
  bool exited = false;
  {
    SimProgram second(desktop_, {kSecondProcess, kSecondThread, executableDirectory_});
    second.Start();
    exited = second.Ended();
  }
  Emit(exited ? "second-instance exited" : "second-instance kept running");
}

void ScenarioRunner::RunNestedTick() {
  ++ticks_;
  // Time passes inside the box; the program ticks only if its timer runs (not yet while
  // start-up shows its settings box).
  program_->Tick();
  PrintState("tick " + std::to_string(ticks_));
}

void ScenarioRunner::RunOneTick() {
  ++ticks_;
  if (program_) RunStep([this] { program_->Tick(); });
  PrintState("tick " + std::to_string(ticks_));
}

void ScenarioRunner::Tick(int count) {
  BeginRunningStep();
  for (int i = 0; i < count; ++i) RunOneTick();
}

void ScenarioRunner::Tray(const TrayEvent& event) {
  BeginRunningStep();
  if (program_) RunStep([&] { program_->TrayEvent(event.code); });
  PrintState("tray " + std::string(event.name));
}

void ScenarioRunner::PressHotkey(const std::optional<Hotkey>& hotkey) {
  BeginRunningStep();
  std::optional<Hotkey> pressed = hotkey;
  if (!pressed && program_) {
    // The combination the program holds, if it holds one.
    for (const SimHotkey& held : desktop_.Hotkeys()) {
      if (held.process == program_->process().Process())
        pressed = Hotkey{held.modifiers, held.virtualKey};
    }
  }
  if (program_ && pressed) {
    RunStep([&] { desktop_.PressHotkey(pressed->modifiers, pressed->virtualKey); });
  }
  PrintState("hotkey");
}

void ScenarioRunner::Frames(int count) {
  BeginRunningStep();
  for (int i = 0; i < count && program_; ++i) {
    RunStep([this] { program_->process().Deliver(SimMessage::FinderFrame()); });
  }
  PrintState("frames " + std::to_string(count));
}

void ScenarioRunner::Settle() {
  BeginRunningStep();
  if (program_) RunStep([this] { desktop_.SettleFileChanges(); });
  PrintState("settle");
}

void ScenarioRunner::BetweenTicks(int count) {
  BeginRunningStep();
  for (int i = 0; i < count; ++i) {
    if (program_) RunStep([this] { program_->process().WatchCaretOnce(); });
    PrintState("between");
  }
}

void ScenarioRunner::NotifyTargetMoved(std::string_view what) {
  BeginRunningStep();
  if (program_) RunStep([this] { program_->process().Notify(SimMessage::TargetMoved()); });
  PrintState("notify " + std::string(what));
}

void ScenarioRunner::PrintSettings() {
  if (!program_) return;
  const Program& program = program_->program();
  std::string line = "settings";
  for (const SettingKey& key : SettingKeys()) {
    // The period is the one the timer runs at: start-up and a reload hand it on.
    const std::string value = key.name == kTickPeriodKey
                                  ? std::to_string(program_->process().TimerPeriod())
                                  : SettingsLineValue(key, program.settings);
    AppendField(line, key.lineName, value);
    // The location method is no key; it has its place after the hold.
    if (key.name == kHoldKey) {
      AppendField(line, "method",
                  program.state.method == LocationMethod::AttachThreadInput ? "old" : "new");
    }
  }
  Emit(line);
}

StateFields ScenarioRunner::CurrentState() const {
  const VisibleState visible = program_ ? program_->Visible() : VisibleState{};
  const Rect& r = visible.marker;
  StateFields fields;
  fields["marker"] = std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                     std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
  fields["shown"] = visible.markerShown ? "shown" : "hidden";
  fields["color"] = Hex6(visible.color);
  fields["fg"] = program_ ? visible.foreground : desktop_.NameOf(desktop_.Foreground());
  fields["cursor"] = PointText(desktop_.Cursor());
  fields["icon"] = program_ ? visible.icon : "none";
  fields["menu"] = visible.menuOpen ? "open" : "closed";
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
    AppendWord(wantedText, FieldText(name, value));
    AppendWord(gotText, FieldText(name, got));
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
