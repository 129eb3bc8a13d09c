// The one narrow seam between the program's logic and the desktop it runs on.
//
// Every call mirrors a Windows service (user32, shell32, kernel32) or a service of the
// small windowing layer the program is built on (timer, message pump, boxes, menus).
// Two backends implement it: the real Win32 one and the simulated desktop. The core
// never includes <windows.h>; everything it needs from the platform goes through here.
//
// Conventions shared by both backends:
//  - Text is UTF-8. Backends convert to and from the platform's UTF-16 ("W") calls.
//    Buffer sizes (maxCount) count UTF-16 code units, as the W functions do: a buffer of
//    100 holds at most 99 units and the terminator.
//  - A window handle of 0 means "no window". A call given 0 or a destroyed window
//    answers 0, false or the empty text, as user32 does.
//  - Results the program does not look at are still returned, so tests can check them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sevalune {

struct SettingsWindowForm;
class SettingsWindowHandler;

using WindowHandle = std::uintptr_t;
using ThreadId = std::uint32_t;
using ProcessId = std::uint32_t;
using Color = std::uint32_t;  // 0x00BBGGRR, red in the low byte

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The answer of GetGUIThreadInfo, field for field (cbSize is the backend's business).
struct GuiThreadInfo {
  std::uint32_t flags = 0;
  WindowHandle active = 0;
  WindowHandle focus = 0;
  WindowHandle capture = 0;
  WindowHandle menuOwner = 0;
  WindowHandle moveSize = 0;
  WindowHandle caret = 0;
  Rect caretRect;
};

struct ThreadProcess {
  ThreadId thread = 0;
  ProcessId process = 0;
};

// GetWindow commands.
enum class WindowRelation : std::uint32_t { Next = 2, Previous = 3, FirstChild = 5 };

// SetWindowPos insert-after values and flags.
inline constexpr WindowHandle kInsertTop = 0;
inline constexpr WindowHandle kInsertTopmost = static_cast<WindowHandle>(-1);
namespace swp {
inline constexpr std::uint32_t NoSize = 0x0001;
inline constexpr std::uint32_t NoMove = 0x0002;
inline constexpr std::uint32_t NoZOrder = 0x0004;
inline constexpr std::uint32_t NoActivate = 0x0010;
inline constexpr std::uint32_t ShowWindow = 0x0040;
inline constexpr std::uint32_t HideWindow = 0x0080;
}  // namespace swp

// The DPI of a display at 100 % scaling (USER_DEFAULT_SCREEN_DPI).
inline constexpr std::uint32_t kDefaultScreenDpi = 96;

// ShowWindow commands used by the program.
inline constexpr int kShowHide = 0;
inline constexpr int kShowNormal = 1;

// Message numbers and codes the program sends or receives.
inline constexpr std::uint32_t kMsgMouseMove = 0x0200;
inline constexpr std::uint32_t kMsgLeftButtonUp = 0x0202;
inline constexpr std::uint32_t kMsgRightButtonUp = 0x0205;
inline constexpr std::uint32_t kMsgImeControl = 0x0283;
inline constexpr std::uintptr_t kImcGetOpenStatus = 5;
inline constexpr std::uintptr_t kImcGetConversionMode = 1;
// The conversion mode's bit for the language's own script (IME_CMODE_NATIVE): kana, Hangul or
// Chinese characters rather than Latin letters.
inline constexpr std::intptr_t kImeConversionNative = 0x1;
inline constexpr int kVirtualKeyLeftButton = 0x01;
// A virtual key that Windows documents as unassigned: keyboard layouts give it no
// character and programs have no reason to bind it, so pressing it changes nothing but who
// received the last input event. (Alt would activate the menu bar on its release; 0x07,
// once free, now opens the game bar.)
inline constexpr int kVirtualKeyUnassigned = 0xE8;

// Shell_NotifyIcon.
enum class TrayMessage : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };
enum class TrayPicture { Enabled, Disabled };
namespace nif {
inline constexpr std::uint32_t Message = 0x1;
inline constexpr std::uint32_t Icon = 0x2;
inline constexpr std::uint32_t Tip = 0x4;
inline constexpr std::uint32_t Info = 0x10;  // a balloon over the icon
}  // namespace nif
// The balloon's symbol (dwInfoFlags).
inline constexpr std::uint32_t kBalloonWarning = 0x2;

// The notification-icon record, field for field; the backend adds cbSize and turns the
// picture into the icon handle it owns. The balloon's texts hold at most 255 and 63
// UTF-16 units; the backend cuts longer ones.
struct NotifyIconData {
  WindowHandle window = 0;
  std::uint32_t id = 0;
  std::uint32_t flags = 0;
  std::uint32_t callbackMessage = 0;
  TrayPicture picture = TrayPicture::Enabled;
  std::string tip;
  std::string info;       // the balloon's text
  std::string infoTitle;  // the balloon's title
  std::uint32_t infoFlags = 0;
};

// RegisterHotKey's answer.
enum class HotkeyRegistration {
  Registered,
  Taken,   // another hot key (of any program, this one included) has the combination
  Failed,  // any other refusal
};

// GetPrivateProfileString's answer: the characters placed (UTF-16 units, the terminator
// not counted) and the text itself.
struct ProfileString {
  std::size_t count = 0;
  std::string text;
};

struct PopupMenuItem {
  std::string caption;
  bool checked = false;
};

// Message box styles and answers.
inline constexpr std::uint32_t kBoxOk = 0;
inline constexpr std::uint32_t kBoxYesNo = 4;
inline constexpr std::uint32_t kBoxStop = 16;
inline constexpr std::uint32_t kBoxQuestion = 32;
inline constexpr std::uint32_t kBoxWarning = 48;
inline constexpr int kAnswerYes = 6;

// A file's bytes as ReadFile gives them.
enum class FileReading { Read, Missing, Unreadable };
struct FileBytes {
  FileReading status = FileReading::Missing;
  std::string bytes;
};

// How a replacement of a file's bytes ended. Whatever the failure, the file is as it was.
enum class FileWrite {
  Written,
  FileReadOnly,       // the file has the read-only attribute
  FolderNotWritable,  // no file can be made in its folder (access denied)
  Failed,             // anything else (a full disk, a file locked by another program)
};

// Where a program publishes its caret or focused element through the accessibility
// interfaces, in the order a round asks them; the first that answers a rectangle ends it.
enum class AccessibleSource {
  None,           // nothing found
  MsaaCaret,      // Active Accessibility: the window's OBJID_CARET object
  UiaCaretRange,  // UI Automation: the focused element's caret range (text pattern 2)
  UiaSelection,   // UI Automation: a collapsed selection of the focused element's text
  MsaaFocus,      // Active Accessibility: the focused child of the window's OBJID_CLIENT
  UiaFocus,       // UI Automation: the focused element
};

enum class AccessibleStatus {
  NotAsked,  // no request has been answered yet
  Answered,  // the round ended within its time (source None: nothing found)
  TimedOut,  // a provider did not answer within the round: given up for that round
  Busy,      // not asked: a call into that window's thread has not returned yet
};

// One round's answer about one window. Rectangles are screen pixels as the provider and
// the system gave them when the round ran, unjudged: the program decides what to use.
struct AccessibleAnswer {
  std::uint64_t serial = 0;  // the request answered
  WindowHandle window = 0;   // the window asked about
  AccessibleStatus status = AccessibleStatus::NotAsked;
  AccessibleSource source = AccessibleSource::None;
  Rect rect;         // the caret or element found
  Rect windowRect;   // the window asked about, as it was then
  Rect displayRect;  // the display nearest to that window, as it was then
  friend bool operator==(const AccessibleAnswer&, const AccessibleAnswer&) = default;
};

// How much of the chain a round may ask. Some programs pay for every client that asks
// them more than where their caret is: a browser engine answers the OBJID_CARET object
// from what it has anyway, but builds its whole accessibility tree, and keeps it up to
// date on every change of the page, for a client that asks its OBJID_CLIENT object or UI
// Automation.
enum class AccessibleReach {
  Everything,  // the whole chain
  CaretOnly,   // the OBJID_CARET object alone: never OBJID_CLIENT, never UI Automation
};

// The rounds last at most this long; a provider still answering after it is given up.
inline constexpr std::uint32_t kAccessibleRoundMs = 50;
// Except a provider that is slow but answers: once a round into a window has ended late
// within this time, the window's rounds may take this long (Wine 10's UI Automation client
// takes 300-700 ms a round on a busy machine; Windows' own ends each call after the 300 ms
// the program sets). Meanwhile the window's last answer stands for each request it is
// asked again, and the round's answer, when it comes, answers the newest of them.
inline constexpr std::uint32_t kAccessibleSlowRoundMs = 1000;

// What a step of a round takes for an answer: a rectangle with height and no negative
// width (a caret is often a line without width). Providers say "no caret now" with an
// empty rectangle, so such a step answers nothing and the round goes on.
constexpr bool IsAccessibleRectangle(const Rect& rect) {
  return rect.bottom > rect.top && rect.right >= rect.left;
}

// What a notice of OnTargetMoved tells of. Notices that come in a row arrive as one, with
// what each told merged.
struct TargetNotice {
  static constexpr std::size_t kCaretThreads = 4;
  // The GUI threads whose caret raised an event of the system (its OBJID_CARET object
  // shown or moved), as far as they fit; beyond that `manyCaretThreads`.
  std::array<ThreadId, kCaretThreads> caretThreads{};
  bool manyCaretThreads = false;
  // A round of accessibility calls ended with an answer unlike the latest one before it.
  bool accessibleAnswer = false;

  void AddCaretThread(ThreadId thread) {
    if (thread == 0 || CaretEventFrom(thread)) return;
    for (ThreadId& slot : caretThreads) {
      if (slot == 0) {
        slot = thread;
        return;
      }
    }
    manyCaretThreads = true;
  }
  // Whether the thread's caret raised an event; with more threads than fit, any may have.
  bool CaretEventFrom(ThreadId thread) const {
    if (thread == 0) return false;
    if (manyCaretThreads) return true;
    for (const ThreadId slot : caretThreads) {
      if (slot == thread) return true;
    }
    return false;
  }
  void Merge(const TargetNotice& other) {
    for (const ThreadId thread : other.caretThreads) AddCaretThread(thread);
    manyCaretThreads = manyCaretThreads || other.manyCaretThreads;
    accessibleAnswer = accessibleAnswer || other.accessibleAnswer;
  }
  friend bool operator==(const TargetNotice&, const TargetNotice&) = default;
};

// The program's handlers, called by the backend's message dispatch: from the message
// loop, from PumpMessages, and from inside the modal loops of menus and boxes.
class PlatformEvents {
 public:
  virtual void OnTimer() = 0;
  // The tray icon's callback (message 0x200); eventCode is the low word of lParam.
  virtual void OnTrayCallback(std::uint32_t eventCode) = 0;
  // The shell announced a new task bar ("TaskbarCreated").
  virtual void OnTaskbarCreated() = 0;
  // The user pressed a combination registered with RegisterHotKey (WM_HOTKEY). A held
  // combination may repeat: MOD_NOREPEAT is not honoured everywhere.
  virtual void OnHotkey(int id) = 0;
  // The finder's frame timer came due.
  virtual void OnFinderFrame() = 0;
  // The watched settings file's folder changed and has then been quiet for the settle
  // time given to WatchSettingsFolder.
  virtual void OnSettingsFileChanged() = 0;
  // The target may have moved since the last tick: a caret moved, the focus or the
  // foreground changed, a menu opened or closed (as the system's notifications, or the
  // caret watch of FollowCaret, tell), or a round of accessibility calls brought a new
  // answer. Several in a row arrive as one; the notice says which threads' carets raised
  // an event and whether an answer came.
  virtual void OnTargetMoved(const TargetNotice& notice) = 0;

 protected:
  ~PlatformEvents() = default;
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual void SetEventHandler(PlatformEvents* handler) = 0;

  // --- kernel32: the user -----------------------------------------------------------
  // The language identifier of the user's UI language (GetUserDefaultUILanguage), e.g.
  // 0x411 Japanese, 0x409 English (United States).
  virtual std::uint16_t GetUserDefaultUILanguage() = 0;

  // --- user32 ---------------------------------------------------------------------
  virtual WindowHandle GetForegroundWindow() = 0;
  virtual bool SetForegroundWindow(WindowHandle window) = 0;
  // {0, 0} for a window that does not exist.
  virtual ThreadProcess GetWindowThreadProcessId(WindowHandle window) = 0;
  // nullopt when user32 has no GetGUIThreadInfo (looked up when first called);
  // otherwise whether the query answered. A query that did not answer leaves info zero.
  virtual std::optional<bool> GetGUIThreadInfo(ThreadId thread, GuiThreadInfo& info) = 0;
  virtual bool AttachThreadInput(ThreadId attach, ThreadId attachTo, bool doAttach) = 0;
  virtual WindowHandle GetFocus() = 0;
  virtual WindowHandle GetCapture() = 0;
  // Caret position in the caret window's client coordinates.
  virtual bool GetCaretPos(Point& point) = 0;
  virtual bool ClientToScreen(WindowHandle window, Point& point) = 0;
  // At most maxCount - 1 UTF-16 units; empty when the window does not exist.
  virtual std::string GetClassName(WindowHandle window, int maxCount) = 0;
  virtual std::string GetWindowText(WindowHandle window, int maxCount) = 0;
  // nullopt stands for NULL: that criterion is not used.
  virtual WindowHandle FindWindow(std::optional<std::string_view> className,
                                  std::optional<std::string_view> title) = 0;
  virtual WindowHandle GetWindow(WindowHandle window, WindowRelation relation) = 0;
  virtual WindowHandle GetDesktopWindow() = 0;
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  virtual bool IsWindowEnabled(WindowHandle window) = 0;
  virtual bool GetWindowRect(WindowHandle window, Rect& rect) = 0;
  virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int width,
                            int height, std::uint32_t flags) = 0;
  virtual bool ShowWindow(WindowHandle window, int command) = 0;
  virtual bool GetCursorPos(Point& point) = 0;
  virtual bool SetCursorPos(int x, int y) = 0;
  virtual std::int16_t GetAsyncKeyState(int virtualKey) = 0;
  // SendMessageTimeout with SMTO_ABORTIFHUNG | SMTO_BLOCK: nullopt when it timed out
  // or failed (the receiver hangs or is gone), else the receiver's answer.
  virtual std::optional<std::intptr_t> SendMessageTimeout(WindowHandle window,
                                                          std::uint32_t message,
                                                          std::uintptr_t wParam,
                                                          std::intptr_t lParam,
                                                          std::uint32_t timeoutMs) = 0;
  // IsHungAppWindow: whether the system judges the window's thread hung (it has read no
  // message for about 5 s). A thread frozen a moment ago is not judged hung yet.
  virtual bool IsHungAppWindow(WindowHandle window) = 0;
  // The whole rectangle of the display nearest to the window (MonitorFromWindow with
  // MONITOR_DEFAULTTONEAREST); the primary display's rectangle when there is no window.
  virtual Rect MonitorRectOf(WindowHandle window) = 0;
  // The DPI of the display sharing the largest area with the rectangle, else of the
  // nearest one (MonitorFromRect with MONITOR_DEFAULTTONEAREST, then GetDpiForMonitor's
  // effective DPI); the system's DPI where the system has no per-display DPI (before
  // Windows 8.1). Never 0. A point is asked about as the one-pixel rectangle at it.
  virtual std::uint32_t MonitorDpiOf(const Rect& rect) = 0;
  // A system-wide hot key for the main window; the modifiers are MOD_* bits. A second
  // registration of the same id keeps the first: unregister it before.
  virtual HotkeyRegistration RegisterHotKey(int id, std::uint32_t modifiers,
                                            std::uint32_t virtualKey) = 0;
  virtual bool UnregisterHotKey(int id) = 0;

  // --- accessibility (Active Accessibility, UI Automation) -------------------------
  // Answers the latest round that has ended (or was given up), whatever window it asked
  // about, and asks for a fresh round about `window` under `serial`; never waits for it.
  // A round asks, in order: the OBJID_CARET object's location; the focused element's
  // caret range, then a collapsed selection of its text; the focused child of the
  // OBJID_CLIENT object; the focused element's rectangle. With AccessibleReach::CaretOnly
  // it asks the first step alone. A step answers only a rectangle with height (providers
  // report no caret as an empty one) that is visible. The answer to a request arrives at
  // a later call; a round that ends with an answer unlike the latest one before it is
  // also told with OnTargetMoved (`accessibleAnswer`). A window of 0 asks nothing and only
  // reads the latest answer; the backend then also makes itself ready for rounds (what it
  // needs for them is in place from then on).
  virtual AccessibleAnswer QueryAccessible(WindowHandle window, std::uint64_t serial,
                                           AccessibleReach reach) = 0;

  // --- shell32 --------------------------------------------------------------------
  virtual bool ShellNotifyIcon(TrayMessage message, const NotifyIconData& data) = 0;
  virtual std::intptr_t ShellExecute(WindowHandle owner, std::string_view verb,
                                     std::string_view file, std::string_view parameters,
                                     std::string_view directory, int showCommand) = 0;

  // --- kernel32 -------------------------------------------------------------------
  // Whether the window's process runs at a higher integrity level than this one (an
  // administrator's program while this one is not elevated), or its level cannot be read
  // while this one's can. Such a program drops this one's messages unanswered and refuses
  // its accessibility calls; the system still reports its focus and caret.
  virtual bool RunsAboveOurIntegrity(WindowHandle window) = 0;
  // Places at most bufferSize - 1 units; a missing file, section or key gives the
  // default.
  virtual ProfileString GetPrivateProfileString(std::string_view section, std::string_view key,
                                                std::string_view defaultValue,
                                                std::size_t bufferSize,
                                                std::string_view fileName) = 0;

  // Reads the whole file (CreateFileW with sharing for readers and writers, ReadFile).
  virtual FileBytes ReadFileBytes(std::string_view path) = 0;
  // Replaces the file's bytes in one step: a temporary file in the same folder is written
  // and flushed, then takes the file's place (ReplaceFileW, or MoveFileExW with
  // MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH for a file that does not exist yet).
  // A crash or a full disk never leaves a half-written file.
  virtual FileWrite ReplaceFileBytes(std::string_view path, std::string_view bytes) = 0;
  // The ANSI code page's text as UTF-8 (MultiByteToWideChar with CP_ACP).
  virtual std::string AnsiToUtf8(std::string_view ansi) = 0;
  // The text in the ANSI code page (WideCharToMultiByte with CP_ACP); nullopt when it
  // holds a character the code page lacks (the call's lpUsedDefaultChar).
  virtual std::optional<std::string> Utf8ToAnsi(std::string_view utf8) = 0;
  // The current user's start-up programs: the string value of that name under
  // HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run (RegGetValueW,
  // RegSetValueExW, RegDeleteValueW); nullopt when there is none.
  virtual std::optional<std::string> ReadRunValue(std::string_view name) = 0;
  virtual bool WriteRunValue(std::string_view name, std::string_view data) = 0;
  // True also when there was no such value.
  virtual bool DeleteRunValue(std::string_view name) = 0;

  // --- windowing layer ------------------------------------------------------------
  // The main window, which is the marker (created hidden before the load handler runs).
  virtual WindowHandle MarkerWindow() = 0;
  // The hidden menu window, or 0 while it does not exist.
  virtual WindowHandle MenuFormWindow() = 0;
  // The hidden menu window, created (hidden) first when it does not exist; 0 only when
  // it cannot be created.
  virtual WindowHandle EnsureMenuForm() = 0;
  // Destroys the menu window and its menu; the next EnsureMenuForm() creates it afresh.
  virtual void DestroyMenuForm() = 0;
  // The text of the main window's text box, which other programs may set.
  virtual std::string TextBoxText() = 0;
  virtual Color MarkerColor() = 0;
  virtual void SetMarkerColor(Color color) = 0;
  // Watches the caret of a GUI thread between ticks, cheaply, and reports each move with
  // OnTargetMoved; 0 stops watching. For programs whose caret moves raise no notification
  // of the system's (the backend also listens to those: caret, focus, foreground, menus).
  virtual void FollowCaret(ThreadId thread) = 0;
  // The periodic timer; created off with a period of 110 ms.
  virtual void SetTimerPeriod(std::uint32_t milliseconds) = 0;
  virtual void EnableTimer(bool enabled) = 0;
  // One pass that dispatches every waiting message and returns without waiting. False
  // once the program has asked to quit: the caller then stops and returns.
  virtual bool PumpMessages() = 0;
  virtual int MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) = 0;
  // A modal one-line input box; nullopt when cancelled.
  virtual std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                              std::string_view defaultText) = 0;
  // One press and release of kVirtualKeyUnassigned, injected into the system's input
  // (SendInput). It types nothing anywhere; the system then counts this process as the
  // one that received the last input event, which may set the foreground window.
  virtual void InjectUnassignedKey() = 0;
  // Shows the pop-up menu owned by `owner` at the pointer and waits until an item is
  // chosen (its 1-based index) or the menu is dismissed (0).
  virtual int TrackPopupMenu(WindowHandle owner, const std::vector<PopupMenuItem>& items) = 0;
  // The finder's frame: a hollow rectangle `thickness` pixels wide inside `outer`, in the
  // colour, drawn by the backend in windows of its own that are topmost, click-through,
  // never take the activation and are shown without it. Showing it again moves it.
  virtual void ShowFinderFrame(const Rect& outer, std::int32_t thickness, Color color) = 0;
  virtual void HideFinderFrame() = 0;
  // The finder's frame timer (OnFinderFrame), apart from the periodic one; 0 stops it.
  virtual void SetFinderTimer(std::uint32_t milliseconds) = 0;
  // Watches the folder of the file for writes and for files made, renamed or removed,
  // without ever blocking the program's thread; OnSettingsFileChanged follows once the
  // folder has been quiet for settleMs (in a folder that is never quiet, a few seconds after
  // the first change at the latest). False when the folder cannot be watched (missing, a
  // share that does not notify): the program then runs on without.
  virtual bool WatchSettingsFolder(std::string_view filePath, std::uint32_t settleMs) = 0;
  // The settings window, modal, built from the form on the display at form.openAt and laid
  // out for its DPI: it calls the handler on OK and Apply (OK closes it once accepted) and
  // returns when it is closed (OK, Cancel, Escape, the close box); nothing else. While it
  // runs, the program's messages are dispatched as in every modal loop. A call while the
  // window is open brings it to the front, answers false and returns at once.
  virtual bool RunSettingsWindow(const SettingsWindowForm& form,
                                 SettingsWindowHandler& handler) = 0;
  // The executable's full path (GetModuleFileNameW).
  virtual std::string ExecutablePath() = 0;
  // The folder of the executable, without a trailing "\" except at a drive's root.
  virtual std::string ExecutableDirectory() = 0;
  // Whether another instance of the program is already running.
  virtual bool AnotherInstanceRunning() = 0;
  // Asks for the end of the process with this exit code. The call returns: the program
  // then unwinds (PumpMessages answers false from now on, so every handler still running
  // returns at its next pump) and the backend ends the process once the outermost handler
  // has returned. No handler is called after this.
  virtual void Quit(int exitCode) = 0;
};

}  // namespace sevalune
