// One simulated process of the program on a SimDesktop: the Platform the core runs on.
//
// Constructing it plays the process start: it creates, hidden, the main window (which
// is the marker) with its text box, and the hidden application window; with the first
// of them its GUI thread gets its "Default IME" window, as every GUI thread does. Every platform
// call is counted and announced to the desktop's call hook first; once the program has
// asked to quit, calls answer 0, false or nothing (and are counted as calls after quit).
//
// Quit ends the process once the program has unwound: when the outermost handler (a
// dispatched message, or a step run with RunAsHandler) returns, its windows vanish and
// its mutex is released, as when Windows ends a process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/sim/SimAccessibleRounds.h"
#include "backend/sim/SimDesktop.h"
#include "platform/Platform.h"

namespace sevalune::sim {

// The process and thread the program runs as; a second instance runs as the next pair.
inline constexpr ProcessId kProgramProcess = 4000;
inline constexpr ThreadId kProgramThread = 4001;
inline constexpr ProcessId kSecondProcess = 4100;
inline constexpr ThreadId kSecondThread = 4101;

// A message waiting in the process's queue.
struct SimMessage {
  enum class Kind {
    Timer,
    TrayCallback,
    TaskbarCreated,
    Hotkey,
    FinderFrame,
    SettingsFileChanged,
    TargetMoved
  };
  Kind kind = Kind::Timer;
  // For a tray callback: the mouse event on the icon; for a hot key: its id.
  std::uint32_t eventCode = 0;

  static SimMessage Timer() { return {Kind::Timer, 0}; }
  static SimMessage TrayCallback(std::uint32_t code) { return {Kind::TrayCallback, code}; }
  static SimMessage TaskbarCreated() { return {Kind::TaskbarCreated, 0}; }
  static SimMessage Hotkey(int id) { return {Kind::Hotkey, static_cast<std::uint32_t>(id)}; }
  static SimMessage FinderFrame() { return {Kind::FinderFrame, 0}; }
  static SimMessage SettingsFileChanged() { return {Kind::SettingsFileChanged, 0}; }
  static SimMessage TargetMoved() { return {Kind::TargetMoved, 0}; }
};

// The finder's frame as the program last showed it.
struct SimFinderFrame {
  Rect outer;
  std::int32_t thickness = 0;
  Color color = 0;
};

class SimPlatform final : public Platform {
 public:
  static constexpr std::string_view kDefaultExecutableDirectory = "C:\\Program Files\\Sevalune";
  static constexpr std::uint32_t kInitialTimerPeriod = 110;

  SimPlatform(SimDesktop& desktop, ProcessId process, ThreadId thread,
              std::string executableDirectory = std::string(kDefaultExecutableDirectory));
  // A process object that goes away without quitting is killed: its windows vanish
  // silently and its mutex is released.
  ~SimPlatform() override;
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  void SetEventHandler(PlatformEvents* handler) override;
  std::uint16_t GetUserDefaultUILanguage() override;

  // --- user32 ---------------------------------------------------------------------
  WindowHandle GetForegroundWindow() override;
  bool SetForegroundWindow(WindowHandle window) override;
  ThreadProcess GetWindowThreadProcessId(WindowHandle window) override;
  std::optional<bool> GetGUIThreadInfo(ThreadId thread, GuiThreadInfo& info) override;
  bool AttachThreadInput(ThreadId attach, ThreadId attachTo, bool doAttach) override;
  WindowHandle GetFocus() override;
  WindowHandle GetCapture() override;
  bool GetCaretPos(Point& point) override;
  bool ClientToScreen(WindowHandle window, Point& point) override;
  std::string GetClassName(WindowHandle window, int maxCount) override;
  std::string GetWindowText(WindowHandle window, int maxCount) override;
  WindowHandle FindWindow(std::optional<std::string_view> className,
                          std::optional<std::string_view> title) override;
  WindowHandle GetWindow(WindowHandle window, WindowRelation relation) override;
  WindowHandle GetDesktopWindow() override;
  bool IsWindowVisible(WindowHandle window) override;
  bool IsWindowEnabled(WindowHandle window) override;
  bool GetWindowRect(WindowHandle window, Rect& rect) override;
  bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int width,
                    int height, std::uint32_t flags) override;
  bool ShowWindow(WindowHandle window, int command) override;
  bool GetCursorPos(Point& point) override;
  bool SetCursorPos(int x, int y) override;
  std::int16_t GetAsyncKeyState(int virtualKey) override;
  std::optional<std::intptr_t> SendMessageTimeout(WindowHandle window, std::uint32_t message,
                                                  std::uintptr_t wParam, std::intptr_t lParam,
                                                  std::uint32_t timeoutMs) override;
  Rect MonitorRectOf(WindowHandle window) override;
  std::uint32_t MonitorDpiOf(const Rect& rect) override;
  HotkeyRegistration RegisterHotKey(int id, std::uint32_t modifiers,
                                    std::uint32_t virtualKey) override;
  bool UnregisterHotKey(int id) override;

  // --- accessibility ----------------------------------------------------------------
  AccessibleAnswer QueryAccessible(WindowHandle window, std::uint64_t serial) override;

  // --- shell32 --------------------------------------------------------------------
  bool ShellNotifyIcon(TrayMessage message, const NotifyIconData& data) override;
  std::intptr_t ShellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                             std::string_view parameters, std::string_view directory,
                             int showCommand) override;

  // --- kernel32 -------------------------------------------------------------------
  ProfileString GetPrivateProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue, std::size_t bufferSize,
                                        std::string_view fileName) override;

  // --- windowing layer ------------------------------------------------------------
  WindowHandle MarkerWindow() override;
  WindowHandle MenuFormWindow() override;
  WindowHandle EnsureMenuForm() override;
  void DestroyMenuForm() override;
  std::string TextBoxText() override;
  Color MarkerColor() override;
  void SetMarkerColor(Color color) override;
  void FollowCaret(ThreadId thread) override;
  void SetTimerPeriod(std::uint32_t milliseconds) override;
  void EnableTimer(bool enabled) override;
  bool PumpMessages() override;
  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) override;
  std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                      std::string_view defaultText) override;
  void InjectUnassignedKey() override;
  int TrackPopupMenu(WindowHandle owner, const std::vector<PopupMenuItem>& items) override;
  void ShowFinderFrame(const Rect& outer, std::int32_t thickness, Color color) override;
  void HideFinderFrame() override;
  void SetFinderTimer(std::uint32_t milliseconds) override;
  bool WatchSettingsFolder(std::string_view filePath, std::uint32_t settleMs) override;
  std::string ExecutableDirectory() override;
  bool AnotherInstanceRunning() override;
  void Quit(int exitCode) override;

  // --- for the scenario runner, tests and the soak test ---------------------------
  ProcessId Process() const { return process_; }
  ThreadId Thread() const { return thread_; }
  bool Ended() const { return ended_; }
  bool QuitRequested() const { return exitCode_.has_value(); }
  std::optional<int> ExitCode() const { return exitCode_; }
  // Platform calls the program made after it asked to quit: there must be none.
  std::uint64_t CallsAfterQuit() const { return callsAfterQuit_; }
  PlatformEvents* EventHandler() const { return handler_; }
  WindowHandle Marker() const { return frmSevalune_; }
  WindowHandle TextBox() const { return txtYokusi_; }
  WindowHandle ApplicationWindow() const { return app_; }
  WindowHandle ExistingMenuForm() const;  // 0 while there is none
  bool MenuOpen() const { return menuOpen_; }
  Color CurrentMarkerColor() const { return markerColor_; }
  std::uint32_t TimerPeriod() const { return timerPeriod_; }
  bool TimerEnabled() const { return timerEnabled_; }
  ThreadId AttachedThread() const { return attachedTo_; }
  // The finder's frame while it is shown.
  const std::optional<SimFinderFrame>& FinderFrameShown() const { return finderFrame_; }
  std::uint32_t FinderTimerPeriod() const { return finderTimerPeriod_; }
  // The watched folder; empty while none is watched.
  const std::string& WatchedFolder() const { return watchedFolder_; }
  // The watched folder has changed since the program was last told: it is told now.
  void SettleWatchedFolder();
  // Accessibility workers left stuck in calls into hung programs.
  std::size_t StuckAccessibleWorkers() const { return accessibleRounds_.StuckWorkers(); }
  // What a modal loop runs for each tick it waits: by default a timer message, which is
  // dropped while the timer is off.
  void SetNestedTickDriver(std::function<void()> driver) { nestedTickDriver_ = std::move(driver); }
  // The thread whose caret FollowCaret watches, or 0.
  ThreadId FollowedThread() const { return followedThread_; }
  // One look of the caret watch between ticks (a frame of time): a move of the watched
  // thread's caret or focus since the last look is reported with OnTargetMoved.
  void WatchCaretOnce();
  // Queues a message for the next PumpMessages; a timer tick, or a move of the target,
  // never piles up.
  void Post(SimMessage message);
  // Dispatches at once, as the idle message loop would.
  void Deliver(SimMessage message);
  // Runs a handler of the program that the backend calls directly (the load handler); the
  // process ends afterwards if the program asked to quit in it.
  void RunAsHandler(const std::function<void()>& handler);
  // Delivers, or queues when the process is inside a platform call (the call hook runs
  // there), since handlers run only where the program pumps messages.
  void Notify(SimMessage message);
  std::size_t QueuedMessages() const { return queue_.size(); }

 private:
  // Counts the call and runs the hook; false once the program asked to quit.
  bool Enter(std::string_view callName);
  WindowHandle CreateOwnWindow(std::string_view baseName, std::string_view className,
                               std::string_view title, bool noActivate);
  std::string UniqueName(std::string_view baseName) const;
  void ActivateIfAllowed(WindowHandle window);
  bool ApplyInsertAfter(WindowHandle window, WindowHandle insertAfter);
  ThreadId InputThread() const;
  void Dispatch(const SimMessage& message);
  void RunNestedTicks(int count);
  void EndProcess(Cause cause);

  SimDesktop& desktop_;
  ProcessId process_;
  ThreadId thread_;
  std::string executableDirectory_;
  PlatformEvents* handler_ = nullptr;
  WindowHandle frmSevalune_ = 0;
  WindowHandle txtYokusi_ = 0;
  WindowHandle app_ = 0;
  WindowHandle frmMenu_ = 0;
  Color markerColor_ = 0;
  std::uint32_t timerPeriod_ = kInitialTimerPeriod;
  bool timerEnabled_ = false;
  ThreadId attachedTo_ = 0;
  int handlerDepth_ = 0;
  ThreadId followedThread_ = 0;
  GuiThreadInfo watchedState_;
  std::uint64_t callsAfterQuit_ = 0;
  std::optional<bool> anotherInstanceRunning_;
  bool menuOpen_ = false;
  bool ended_ = false;
  std::optional<int> exitCode_;
  std::deque<SimMessage> queue_;
  std::function<void()> nestedTickDriver_;
  std::optional<SimFinderFrame> finderFrame_;
  std::uint32_t finderTimerPeriod_ = 0;
  std::string watchedFolder_;
  std::uint64_t watchedChangesSeen_ = 0;
  SimAccessibleRounds accessibleRounds_;
};

}  // namespace sevalune::sim
