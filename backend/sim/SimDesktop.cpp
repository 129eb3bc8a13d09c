#include "backend/sim/SimDesktop.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "backend/sim/SimPlatform.h"
#include "platform/ScopedFlag.h"

namespace sevalune::sim {
namespace {

constexpr std::int32_t kTaskbarHeight = 40;

bool Contains(const std::vector<WindowHandle>& windows, WindowHandle window) {
  return window != 0 && std::find(windows.begin(), windows.end(), window) != windows.end();
}

void SetMembership(std::set<ProcessId>& processes, ProcessId process, bool member) {
  if (member) {
    processes.insert(process);
  } else {
    processes.erase(process);
  }
}

}  // namespace

SimDesktop::SimDesktop(Shell shell) : monitors_(DefaultMonitors()) {
  windows_.Find(windows_.Desktop())->rect = PrimaryMonitorRect(monitors_);
  if (shell == Shell::TaskbarAndDesktop) CreateShellWindows();
}

SimDesktop::~SimDesktop() = default;

// --- windows --------------------------------------------------------------------------

WindowHandle SimDesktop::CreateWindow(const NewWindow& request) {
  return windows_.AddTopLevel(request);
}

WindowHandle SimDesktop::CreateChild(const NewChild& request) { return windows_.AddChild(request); }

bool SimDesktop::SetTitle(WindowHandle window, std::string_view title) {
  SimWindow* found = windows_.Find(window);
  if (found == nullptr) return false;
  found->title = title;
  return true;
}

bool SimDesktop::SetClass(WindowHandle window, std::string_view className) {
  SimWindow* found = windows_.Find(window);
  if (found == nullptr) return false;
  found->className = className;
  return true;
}

bool SimDesktop::SetRect(WindowHandle window, const Rect& rect) {
  if (windows_.Find(window) == nullptr) return false;
  windows_.SetRect(window, rect);
  return true;
}

bool SimDesktop::SetVisible(WindowHandle window, bool visible) {
  SimWindow* found = windows_.Find(window);
  if (found == nullptr) return false;
  found->visible = visible;
  return true;
}

bool SimDesktop::SetEnabled(WindowHandle window, bool enabled) {
  SimWindow* found = windows_.Find(window);
  if (found == nullptr) return false;
  found->enabled = enabled;
  return true;
}

bool SimDesktop::SetTopmost(WindowHandle window, bool topmost) {
  const SimWindow* found = windows_.Find(window);
  if (found == nullptr || found->parent != 0) return false;
  // Only a change of band moves the window.
  if (found->topmost != topmost) windows_.SetTopmost(window, topmost);
  return true;
}

bool SimDesktop::Raise(WindowHandle window) {
  if (windows_.Find(window) == nullptr) return false;
  windows_.BringToTop(window);
  return true;
}

bool SimDesktop::Lower(WindowHandle window) {
  if (windows_.Find(window) == nullptr) return false;
  windows_.SendToBottom(window);
  return true;
}

bool SimDesktop::Close(WindowHandle window) {
  if (windows_.Find(window) == nullptr || window == windows_.Desktop()) return false;
  DestroyWindows({window}, Cause::Scenario);
  return true;
}

bool SimDesktop::SetForeground(WindowHandle window) {
  if (window != 0 && windows_.Find(window) == nullptr) return false;
  ChangeForeground(window, Cause::Scenario);
  return true;
}

// --- lookups --------------------------------------------------------------------------

WindowHandle SimDesktop::Lookup(std::string_view name) const { return windows_.Lookup(name); }

std::string SimDesktop::NameOf(WindowHandle window) const {
  if (window == 0) return "none";
  const SimWindow* found = windows_.FindEvenDestroyed(window);
  if (found != nullptr && !found->name.empty()) return found->name;
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(window));
  return hex;
}

const SimWindow* SimDesktop::Window(WindowHandle window) const { return windows_.Find(window); }

WindowHandle SimDesktop::Taskbar() const {
  return windows_.Find(taskbar_) != nullptr ? taskbar_ : 0;
}

// --- threads, input methods and input -------------------------------------------------

void SimDesktop::SetGuiState(ThreadId thread, const GuiThreadInfo& info) {
  guiStates_.insert_or_assign(thread, info);
}

std::optional<GuiThreadInfo> SimDesktop::GuiState(ThreadId thread) const {
  const auto it = guiStates_.find(thread);
  if (it == guiStates_.end() && !windows_.HasWindowOnThread(thread)) return std::nullopt;
  GuiThreadInfo info = it != guiStates_.end() ? it->second : GuiThreadInfo{};
  const SimWindow* foreground = windows_.Find(foreground_);
  if (info.active == 0 && foreground != nullptr && foreground->thread == thread) {
    info.active = foreground_;
  }
  return info;
}

void SimDesktop::SetImeOpen(ProcessId process, bool open) {
  SetMembership(openInputMethods_, process, open);
}

bool SimDesktop::ImeOpen(ProcessId process) const { return openInputMethods_.contains(process); }

void SimDesktop::SetImeConversionMode(ProcessId process, std::uint32_t mode) {
  imeConversionModes_.insert_or_assign(process, mode);
}

std::uint32_t SimDesktop::ImeConversionMode(ProcessId process) const {
  const auto it = imeConversionModes_.find(process);
  return it == imeConversionModes_.end() ? 0 : it->second;
}

void SimDesktop::SetHung(ProcessId process, bool hung) {
  SetMembership(hungProcesses_, process, hung);
}

bool SimDesktop::IsHung(ProcessId process) const { return hungProcesses_.contains(process); }

void SimDesktop::ButtonDown() {
  if (!buttonDown_) buttonPressedSinceQuery_ = true;
  buttonDown_ = true;
  lastInputProcess_ = 0;
}

void SimDesktop::ButtonUp() {
  buttonDown_ = false;
  lastInputProcess_ = 0;
}

void SimDesktop::ButtonClick() {
  buttonPressedSinceQuery_ = true;
  buttonDown_ = false;
  lastInputProcess_ = 0;
}

std::int16_t SimDesktop::QueryLeftButton() {
  const std::uint16_t state = static_cast<std::uint16_t>((buttonDown_ ? 0x8000u : 0u) |
                                                         (buttonPressedSinceQuery_ ? 1u : 0u));
  buttonPressedSinceQuery_ = false;
  return static_cast<std::int16_t>(state);
}

void SimDesktop::SetMonitors(std::vector<MonitorInfo> monitors) {
  monitors_ = monitors.empty() ? DefaultMonitors() : std::move(monitors);
  windows_.Find(windows_.Desktop())->rect = PrimaryMonitorRect(monitors_);
}

// --- accessibility ------------------------------------------------------------------------

bool SimDesktop::SetAccessible(WindowHandle window, std::optional<SimAccessible> published) {
  if (windows_.Find(window) == nullptr) return false;
  if (published) {
    accessibles_.insert_or_assign(window, *published);
  } else {
    accessibles_.erase(window);
  }
  return true;
}

SimAccessible* SimDesktop::Accessible(WindowHandle window) {
  const auto it = accessibles_.find(window);
  return it != accessibles_.end() && windows_.Find(window) != nullptr ? &it->second : nullptr;
}

const SimAccessible* SimDesktop::Accessible(WindowHandle window) const {
  const auto it = accessibles_.find(window);
  return it != accessibles_.end() && windows_.Find(window) != nullptr ? &it->second : nullptr;
}

// --- task bar and notification area ---------------------------------------------------

void SimDesktop::SetTaskbarPresent() {
  if (Taskbar() == 0) CreateAnnouncedTaskbar();
}

void SimDesktop::RemoveTaskbar() {
  if (Taskbar() != 0) DestroyWindows({taskbar_}, Cause::Scenario);
  taskbar_ = 0;
  tray_.Clear();
}

void SimDesktop::RestartTaskbar() {
  RemoveTaskbar();
  CreateAnnouncedTaskbar();
}

void SimDesktop::CreateAnnouncedTaskbar() {
  CreateTaskbarWindow();
  // Copied: a handler may start or end processes.
  const std::vector<SimPlatform*> running = processes_;
  for (SimPlatform* process : running) {
    if (std::find(processes_.begin(), processes_.end(), process) != processes_.end() &&
        !process->Ended()) {
      process->Notify(SimMessage::TaskbarCreated());
    }
  }
}

bool SimDesktop::SendTrayEvent(WindowHandle window, std::uint32_t id, std::uint32_t eventCode) {
  const SimWindow* owner = windows_.Find(window);
  if (tray_.Find(window, id) == nullptr || owner == nullptr) return false;
  SimPlatform* process = ProcessOf(owner->process);
  if (process == nullptr) return false;
  // The user's click went to the shell.
  lastInputProcess_ = 0;
  process->Notify(SimMessage::TrayCallback(eventCode));
  return true;
}

// --- files ----------------------------------------------------------------------------

void SimDesktop::SettleFileChanges() {
  // Copied: a handler may start or end processes.
  const std::vector<SimPlatform*> running = processes_;
  for (SimPlatform* process : running) {
    if (std::find(processes_.begin(), processes_.end(), process) != processes_.end()) {
      process->SettleWatchedFolder();
    }
  }
}

// --- hot keys -------------------------------------------------------------------------

HotkeyRegistration SimDesktop::RegisterHotkey(const SimHotkey& hotkey) {
  const bool taken = std::any_of(hotkeys_.begin(), hotkeys_.end(), [&](const SimHotkey& held) {
    return held.modifiers == hotkey.modifiers && held.virtualKey == hotkey.virtualKey;
  });
  if (taken) return HotkeyRegistration::Taken;
  hotkeys_.push_back(hotkey);
  return HotkeyRegistration::Registered;
}

bool SimDesktop::UnregisterHotkey(ProcessId process, WindowHandle window, int id) {
  const auto it = std::find_if(hotkeys_.begin(), hotkeys_.end(), [&](const SimHotkey& held) {
    return held.process == process && held.window == window && held.id == id;
  });
  if (it == hotkeys_.end()) return false;
  hotkeys_.erase(it);
  return true;
}

void SimDesktop::ReleaseHotkeys(ProcessId process) {
  std::erase_if(hotkeys_, [process](const SimHotkey& held) { return held.process == process; });
}

bool SimDesktop::PressHotkey(std::uint32_t modifiers, std::uint32_t virtualKey) {
  const auto it = std::find_if(hotkeys_.begin(), hotkeys_.end(), [&](const SimHotkey& held) {
    return held.modifiers == modifiers && held.virtualKey == virtualKey;
  });
  if (it == hotkeys_.end()) return false;
  SimPlatform* process = ProcessOf(it->process);
  if (process == nullptr) return false;
  process->Notify(SimMessage::Hotkey(it->id));
  return true;
}

// --- scripted answers -----------------------------------------------------------------

std::optional<MenuAnswer> SimDesktop::TakeMenuAnswer() {
  if (menuAnswers_.empty()) return std::nullopt;
  MenuAnswer answer = std::move(menuAnswers_.front());
  menuAnswers_.pop_front();
  return answer;
}

std::optional<BoxAnswer> SimDesktop::TakeBoxAnswer() {
  if (boxAnswers_.empty()) return std::nullopt;
  const BoxAnswer answer = boxAnswers_.front();
  boxAnswers_.pop_front();
  return answer;
}

// --- observers ------------------------------------------------------------------------

std::uint64_t SimDesktop::CallCount(std::string_view callName) const {
  const auto it = callCounts_.find(callName);
  return it == callCounts_.end() ? 0 : it->second;
}

std::uint64_t SimDesktop::TotalCalls() const {
  return std::accumulate(callCounts_.begin(), callCounts_.end(), std::uint64_t{0},
                         [](std::uint64_t sum, const auto& entry) { return sum + entry.second; });
}

// --- used by the simulated processes --------------------------------------------------

void SimDesktop::Emit(const std::string& line) {
  if (eventSink_) eventSink_(line);
}

void SimDesktop::NoteCall(std::string_view callName) {
  const auto it = callCounts_.find(callName);
  if (it != callCounts_.end()) {
    ++it->second;
  } else {
    callCounts_.emplace(std::string(callName), 1);
  }
  // A hook that makes platform calls of its own does not run itself again.
  if (!callHook_ || insideCallHook_) return;
  const ScopedFlag inside(insideCallHook_);
  callHook_(callName);
}

void SimDesktop::ChangeForeground(WindowHandle window, Cause cause) {
  if (window == foreground_) return;
  foreground_ = window;
  if (cause == Cause::Program) Emit("foreground " + NameOf(window));
}

void SimDesktop::DestroyWindows(const std::vector<WindowHandle>& windows, Cause cause) {
  const std::vector<WindowHandle> zOrder = windows_.TopLevelZOrder();
  std::vector<WindowHandle> destroyed;
  for (const WindowHandle window : windows) {
    const WindowHandle heir = FocusHeir(window);
    const std::vector<WindowHandle> gone = windows_.Destroy(window);
    ForgetWindows(gone, heir);
    destroyed.insert(destroyed.end(), gone.begin(), gone.end());
  }
  if (Contains(destroyed, foreground_)) ActivateReplacement(zOrder, foreground_, cause);
}

void SimDesktop::HideWindow(WindowHandle window, Cause cause) {
  SimWindow* found = windows_.Find(window);
  if (found == nullptr) return;
  found->visible = false;
  if (cause != Cause::Program) return;
  const WindowHandle heir = found->parent;
  for (auto& [thread, info] : guiStates_) {
    if (IsWithin(info.focus, window)) info.focus = heir;
  }
  if (window == foreground_) ActivateReplacement(windows_.TopLevelZOrder(), window, cause);
}

bool SimDesktop::AskMutex(ProcessId process) {
  const bool existed = std::any_of(mutexHolders_.begin(), mutexHolders_.end(),
                                   [process](ProcessId holder) { return holder != process; });
  mutexHolders_.insert(process);
  return existed;
}

void SimDesktop::ReleaseMutex(ProcessId process) { mutexHolders_.erase(process); }

void SimDesktop::RegisterProcess(SimPlatform& process) { processes_.push_back(&process); }

void SimDesktop::UnregisterProcess(SimPlatform& process) { std::erase(processes_, &process); }

// --- private --------------------------------------------------------------------------

void SimDesktop::CreateShellWindows() {
  CreateTaskbarWindow();
  NewWindow progman;
  progman.name = "progman";
  progman.className = "Progman";
  progman.title = "Program Manager";
  progman.process = kShellProcess;
  progman.thread = kProgmanThread;
  progman.rect = PrimaryMonitorRect(monitors_);
  const WindowHandle handle = windows_.AddTopLevel(progman);
  windows_.SendToBottom(handle);
}

void SimDesktop::CreateTaskbarWindow() {
  const Rect screen = PrimaryMonitorRect(monitors_);
  NewWindow taskbar;
  taskbar.name = "taskbar";
  taskbar.className = "Shell_TrayWnd";
  taskbar.process = kShellProcess;
  taskbar.thread = kTaskbarThread;
  taskbar.rect = Rect{screen.left, screen.bottom - kTaskbarHeight, screen.right, screen.bottom};
  taskbar.topmost = true;
  taskbar.noActivate = true;
  taskbar_ = windows_.AddTopLevel(taskbar);
}

// The system's choice after the active window was hidden or destroyed: the next window
// below it in the z-order it had that can take the activation, else the first such
// window from the top.
void SimDesktop::ActivateReplacement(const std::vector<WindowHandle>& zOrder, WindowHandle lost,
                                     Cause cause) {
  const auto usable = [this, lost](WindowHandle candidate) {
    return candidate != lost && CanTakeActivation(candidate);
  };
  const auto at = std::find(zOrder.begin(), zOrder.end(), lost);
  auto next = std::find_if(at == zOrder.end() ? zOrder.end() : at + 1, zOrder.end(), usable);
  if (next == zOrder.end()) next = std::find_if(zOrder.begin(), zOrder.end(), usable);
  foreground_ = next == zOrder.end() ? 0 : *next;
  if (cause == Cause::Program) Emit("foreground " + NameOf(foreground_));
}

bool SimDesktop::CanTakeActivation(WindowHandle window) const {
  const SimWindow* found = windows_.Find(window);
  return found != nullptr && found->parent == 0 && found->visible && found->enabled &&
         !found->noActivate;
}

// Who gets the focus from inside a window that goes away: a visible child is hidden
// first, which hands the focus to its parent; otherwise nobody gets it.
WindowHandle SimDesktop::FocusHeir(WindowHandle window) const {
  const SimWindow* found = windows_.Find(window);
  return (found != nullptr && found->visible) ? found->parent : 0;
}

bool SimDesktop::IsWithin(WindowHandle window, WindowHandle ancestor) const {
  for (const SimWindow* each = windows_.Find(window); each != nullptr;
       each = windows_.Find(each->parent)) {
    if (each->handle == ancestor) return true;
  }
  return false;
}

// The threads' focus, capture and caret do not outlive their windows; with the caret
// goes its blinking bit.
void SimDesktop::ForgetWindows(const std::vector<WindowHandle>& destroyed, WindowHandle focusHeir) {
  constexpr std::uint32_t kCaretBlinking = 1;
  for (const WindowHandle window : destroyed) accessibles_.erase(window);
  for (auto& [thread, info] : guiStates_) {
    if (Contains(destroyed, info.focus)) info.focus = focusHeir;
    for (WindowHandle* field : {&info.active, &info.capture, &info.menuOwner, &info.moveSize}) {
      if (Contains(destroyed, *field)) *field = 0;
    }
    if (Contains(destroyed, info.caret)) {
      info.caret = 0;
      info.caretRect = Rect{};
      info.flags &= ~kCaretBlinking;
    }
  }
}

SimPlatform* SimDesktop::ProcessOf(ProcessId process) const {
  for (SimPlatform* each : processes_) {
    if (each->Process() == process && !each->Ended()) return each;
  }
  return nullptr;
}

}  // namespace sevalune::sim
