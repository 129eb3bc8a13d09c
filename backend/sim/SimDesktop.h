// The simulated desktop: the world that every simulated process of the program shares.
//
// It holds the windows and their z-order, the foreground window, each GUI thread's
// focus, capture and caret, the input methods, the mouse, the displays, the task bar
// and its notification area, the files, and the answers that scenarios script for
// pop-up menus and modal boxes.
//
// Scenario-side setters change the world silently. Changes that a program makes
// through its platform calls are printed to the event sink as event lines (without the
// two leading blanks the scenario runner adds).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "backend/sim/Monitors.h"
#include "backend/sim/SimAccessible.h"
#include "backend/sim/SimFiles.h"
#include "backend/sim/SimTray.h"
#include "backend/sim/SimWindow.h"
#include "backend/sim/WindowTree.h"
#include "platform/Platform.h"

namespace sevalune::sim {

class SimPlatform;

// Who changed the world: the scenario (silently) or a program through a platform call.
enum class Cause { Scenario, Program };

// The scripted answer of the next pop-up menu.
struct MenuAnswer {
  std::string item;  // the item's keyword (Help, About, WindowClass, Quit, Enabled) or "none"
  int afterTicks = 0;
};

// A registered hot key: the window (0 for a thread's own) and id it was registered with.
struct SimHotkey {
  ProcessId process = 0;
  WindowHandle window = 0;
  int id = 0;
  std::uint32_t modifiers = 0;  // without MOD_NOREPEAT, which does not tell hot keys apart
  std::uint32_t virtualKey = 0;
};

// The scripted answer of the next modal box (message box or input box).
struct BoxAnswer {
  bool ok = true;
  int afterTicks = 0;
};

class SimDesktop {
 public:
  using EventSink = std::function<void(const std::string& line)>;
  using CallHook = std::function<void(std::string_view callName)>;

  // The shell's process and threads: the task bar and the desktop's own window.
  static constexpr ProcessId kShellProcess = 3000;
  static constexpr ThreadId kTaskbarThread = 3001;
  static constexpr ThreadId kProgmanThread = 3002;
  // The simulated user works in Japanese unless a scenario says otherwise.
  static constexpr std::uint16_t kJapaneseUiLanguage = 0x411;

  enum class Shell { TaskbarAndDesktop, None };

  explicit SimDesktop(Shell shell = Shell::TaskbarAndDesktop);
  // Every simulated process must be destroyed before its desktop.
  ~SimDesktop();
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  // --- windows, changed by the scenario --------------------------------------------
  WindowHandle CreateWindow(const NewWindow& request);
  WindowHandle CreateChild(const NewChild& request);  // 0 when the parent does not exist
  // Each answers false for a window that does not exist.
  bool SetTitle(WindowHandle window, std::string_view title);
  bool SetClass(WindowHandle window, std::string_view className);
  bool SetRect(WindowHandle window, const Rect& rect);  // children move along
  // Hiding or disabling the foreground window from the scenario leaves the foreground.
  bool SetVisible(WindowHandle window, bool visible);
  bool SetEnabled(WindowHandle window, bool enabled);
  bool SetTopmost(WindowHandle window, bool topmost);  // to the top of the new band
  bool Raise(WindowHandle window);                     // top of its band
  bool Lower(WindowHandle window);                     // bottom of its band
  // Destroys the window; if it held the foreground, the system activates another.
  bool Close(WindowHandle window);
  // 0 for no foreground window.
  bool SetForeground(WindowHandle window);

  // --- lookups ---------------------------------------------------------------------
  WindowHandle Lookup(std::string_view name) const;
  // "none" for 0; the scenario's name; a hexadecimal handle for an unnamed window.
  std::string NameOf(WindowHandle window) const;
  const SimWindow* Window(WindowHandle window) const;  // living windows only
  // Destroyed windows too, with their last state (a state line after the process ended).
  const SimWindow* WindowEvenDestroyed(WindowHandle window) const {
    return windows_.FindEvenDestroyed(window);
  }
  WindowTree& Windows() { return windows_; }
  const WindowTree& Windows() const { return windows_; }
  WindowHandle DesktopWindow() const { return windows_.Desktop(); }
  WindowHandle Taskbar() const;  // 0 while there is none
  WindowHandle Foreground() const { return foreground_; }

  // --- threads, input methods and input --------------------------------------------
  void SetGuiState(ThreadId thread, const GuiThreadInfo& info);
  // The thread's state as GetGUIThreadInfo reports it; nullopt for an unknown thread
  // (one with neither a window nor a state set).
  std::optional<GuiThreadInfo> GuiState(ThreadId thread) const;
  void SetImeOpen(ProcessId process, bool open);
  bool ImeOpen(ProcessId process) const;
  // The conversion mode (IME_CMODE_* bits) the process's input-method windows answer.
  void SetImeConversionMode(ProcessId process, std::uint32_t mode);
  std::uint32_t ImeConversionMode(ProcessId process) const;
  // The user's UI language (GetUserDefaultUILanguage): Japanese, 0x411, unless set.
  void SetUiLanguage(std::uint16_t language) { uiLanguage_ = language; }
  std::uint16_t UiLanguage() const { return uiLanguage_; }
  // Sent messages to a hung process time out.
  void SetHung(ProcessId process, bool hung);
  bool IsHung(ProcessId process) const;
  void SetCursor(Point point) { cursor_ = point; }
  Point Cursor() const { return cursor_; }
  void ButtonDown();
  void ButtonUp();
  // A press already released: seen once by the next query.
  void ButtonClick();
  // GetAsyncKeyState of the left button: 0x8000 while it is down, plus the low bit when
  // it was pressed since the previous query.
  std::int16_t QueryLeftButton();
  // While on, the programs' SetForegroundWindow calls are refused, except those of the
  // process that received the last input event (see NoteInjectedInput).
  void SetForegroundLock(bool on) { foregroundLock_ = on; }
  bool ForegroundLocked() const { return foregroundLock_; }
  // A program injected a key press: until the user's next input (a mouse button, a click
  // on a tray icon) it is the process that received the last input event, which Windows
  // lets set the foreground.
  void NoteInjectedInput(ProcessId process) { lastInputProcess_ = process; }
  bool MaySetForeground(ProcessId process) const {
    return !foregroundLock_ || lastInputProcess_ == process;
  }
  // Whether user32 has GetGUIThreadInfo (default: it has).
  void SetPlatformNew(bool hasGuiThreadInfo) { platformNew_ = hasGuiThreadInfo; }
  bool PlatformNew() const { return platformNew_; }
  // An empty list restores the default display.
  void SetMonitors(std::vector<MonitorInfo> monitors);
  const std::vector<MonitorInfo>& Monitors() const { return monitors_; }

  // --- accessibility ------------------------------------------------------------------
  // What the window publishes through the accessibility interfaces; nullopt: nothing (a
  // program that draws no caret of its own, or answers through neither interface).
  // False for a window that does not exist.
  bool SetAccessible(WindowHandle window, std::optional<SimAccessible> published);
  SimAccessible* Accessible(WindowHandle window);
  const SimAccessible* Accessible(WindowHandle window) const;
  // Every window that publishes something, destroyed ones left out.
  const std::map<WindowHandle, SimAccessible>& Accessibles() const { return accessibles_; }
  // Whether UI Automation can be created (default: it can, as on Windows; under Wine it
  // cannot).
  void SetUiAutomation(bool available) { uiAutomation_ = available; }
  bool UiAutomation() const { return uiAutomation_; }
  // Rounds of accessibility calls the programs made into other programs.
  std::uint64_t AccessibleRounds() const { return accessibleRounds_; }
  void CountAccessibleRound() { ++accessibleRounds_; }

  // --- task bar and notification area -----------------------------------------------
  // A task bar where there was none; a shell that starts announces it as a restart does.
  void SetTaskbarPresent();
  // The task bar goes away, and with it every tray icon.
  void RemoveTaskbar();
  // The task bar is destroyed and created anew with an empty notification area; the
  // shell then announces "TaskbarCreated" to every running process.
  void RestartTaskbar();
  SimTray& Tray() { return tray_; }
  const SimTray& Tray() const { return tray_; }
  // The shell reports a mouse event on an icon to the process owning the icon's window;
  // false when there is no such icon or process.
  bool SendTrayEvent(WindowHandle window, std::uint32_t id, std::uint32_t eventCode);

  // --- files -------------------------------------------------------------------------
  SimFiles& Files() { return files_; }
  const SimFiles& Files() const { return files_; }
  // Whether folders can be watched at all (default on); off plays a share that gives no
  // change notifications.
  void SetFolderWatching(bool on) { folderWatching_ = on; }
  bool FolderWatching() const { return folderWatching_; }
  // Time passes until every changed, watched folder has been quiet for its settle time:
  // each process watching such a folder is told once.
  void SettleFileChanges();

  // --- hot keys ------------------------------------------------------------------------
  // Fails (Taken) when any hot key has the combination.
  HotkeyRegistration RegisterHotkey(const SimHotkey& hotkey);
  bool UnregisterHotkey(ProcessId process, WindowHandle window, int id);
  // The hot keys of an ended process go with it.
  void ReleaseHotkeys(ProcessId process);
  // The user presses the combination: the process holding it is sent its id; false when
  // none holds it (the keys then go to the foreground window, which the desktop ignores).
  bool PressHotkey(std::uint32_t modifiers, std::uint32_t virtualKey);
  const std::vector<SimHotkey>& Hotkeys() const { return hotkeys_; }

  // --- scripted answers --------------------------------------------------------------
  void QueueMenuAnswer(MenuAnswer answer) { menuAnswers_.push_back(std::move(answer)); }
  void QueueBoxAnswer(BoxAnswer answer) { boxAnswers_.push_back(answer); }
  std::optional<MenuAnswer> TakeMenuAnswer();
  std::optional<BoxAnswer> TakeBoxAnswer();

  // --- observers ---------------------------------------------------------------------
  void SetEventSink(EventSink sink) { eventSink_ = std::move(sink); }
  // Called at the start of every platform call of every process (not while it runs).
  void SetCallHook(CallHook hook) { callHook_ = std::move(hook); }
  std::uint64_t CallCount(std::string_view callName) const;
  std::uint64_t TotalCalls() const;
  void ResetCallCounts() { callCounts_.clear(); }
  const std::map<std::string, std::uint64_t, std::less<>>& CallCounts() const {
    return callCounts_;
  }

  // --- used by the simulated processes -----------------------------------------------
  void Emit(const std::string& line);
  // Counts a platform call and runs the call hook.
  void NoteCall(std::string_view callName);
  bool InsideCallHook() const { return insideCallHook_; }
  // Prints `foreground NAME|none` when a program changed it.
  void ChangeForeground(WindowHandle window, Cause cause);
  // Destroys the windows; when the foreground window was among them, the system
  // activates the next window below it that can take the activation, else the first
  // such window from the top. A focused visible child hands the focus to its parent.
  void DestroyWindows(const std::vector<WindowHandle>& windows, Cause cause);
  // Hides the window; a program hiding the foreground window makes the system activate
  // another one, chosen as above, and hiding the focus (or a window holding it) moves
  // the focus to the hidden window's parent.
  void HideWindow(WindowHandle window, Cause cause);
  // The single-instance name: it exists while any process that asked for it runs; true
  // when it existed already.
  bool AskMutex(ProcessId process);
  void ReleaseMutex(ProcessId process);
  void RegisterProcess(SimPlatform& process);
  void UnregisterProcess(SimPlatform& process);

 private:
  void CreateShellWindows();
  void CreateTaskbarWindow();
  // Creates the task bar and announces "TaskbarCreated" to every running process.
  void CreateAnnouncedTaskbar();
  void ActivateReplacement(const std::vector<WindowHandle>& zOrder, WindowHandle lost, Cause cause);
  bool CanTakeActivation(WindowHandle window) const;
  WindowHandle FocusHeir(WindowHandle window) const;
  bool IsWithin(WindowHandle window, WindowHandle ancestor) const;
  void ForgetWindows(const std::vector<WindowHandle>& destroyed, WindowHandle focusHeir);
  SimPlatform* ProcessOf(ProcessId process) const;

  WindowTree windows_;
  WindowHandle foreground_ = 0;
  WindowHandle taskbar_ = 0;
  std::map<ThreadId, GuiThreadInfo> guiStates_;
  std::set<ProcessId> openInputMethods_;
  std::map<ProcessId, std::uint32_t> imeConversionModes_;
  std::uint16_t uiLanguage_ = kJapaneseUiLanguage;
  std::set<ProcessId> hungProcesses_;
  Point cursor_;
  bool buttonDown_ = false;
  bool buttonPressedSinceQuery_ = false;
  bool foregroundLock_ = false;
  ProcessId lastInputProcess_ = 0;  // 0: the user's own input
  bool platformNew_ = true;
  std::vector<MonitorInfo> monitors_;
  std::map<WindowHandle, SimAccessible> accessibles_;
  bool uiAutomation_ = true;
  std::uint64_t accessibleRounds_ = 0;
  SimTray tray_;
  SimFiles files_;
  bool folderWatching_ = true;
  std::vector<SimHotkey> hotkeys_;
  std::deque<MenuAnswer> menuAnswers_;
  std::deque<BoxAnswer> boxAnswers_;
  EventSink eventSink_;
  CallHook callHook_;
  bool insideCallHook_ = false;
  std::map<std::string, std::uint64_t, std::less<>> callCounts_;
  std::set<ProcessId> mutexHolders_;
  std::vector<SimPlatform*> processes_;
};

}  // namespace sevalune::sim
