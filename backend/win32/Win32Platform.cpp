// The program's own windows, the periodic timer and the message pump.
#include "backend/win32/Win32Platform.h"

#include <system_error>

#include "backend/win32/HandleCast.h"
#include "backend/win32/WideText.h"
#include "backend/win32/WindowInstance.h"
#include "backend/win32/WindowText.h"
#include "platform/AppIdentity.h"
#include "resources/ResourceIds.h"

namespace sevalune::win32 {
namespace {

constexpr const wchar_t* kAppClassName = L"SevaluneApp";
constexpr const wchar_t* kMarkerClassName = L"SevaluneMarker";
constexpr const wchar_t* kMenuClassName = L"SevaluneMenu";
constexpr const wchar_t* kMenuTitle = L"Sevalune Menu";
// Its windows are made and painted in Win32Finder.cpp.
constexpr const wchar_t* kFinderClassName = L"SevaluneFinder";
constexpr UINT_PTR kTmrTimerId = 1;
constexpr UINT_PTR kFinderTimerId = 2;
// One-shot: the watched folder has been quiet for the settle time.
constexpr UINT_PTR kSettleTimerId = 3;
// The longest a change waits for the folder to become quiet.
constexpr ULONGLONG kLongestSettleWaitMs = 2000;
constexpr int kTextBoxId = 1;
// The marker never grows anywhere near this far, so the text box is never seen.
constexpr int kTextBoxLeft = 1000;
constexpr int kIconSize = 32;

ScopedIcon LoadProgramIcon(HINSTANCE instance, int resourceId) {
  HANDLE image = ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, kIconSize,
                              kIconSize, LR_DEFAULTCOLOR);
  if (image != nullptr) return ScopedIcon(static_cast<HICON>(image));
  // A program built without the icon resources (a test, say) gets the stock icon.
  return ScopedIcon(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
}

WNDCLASSEXW WindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HICON icon) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  return windowClass;
}

HWND CreateAt(DWORD extendedStyle, const wchar_t* className, const std::wstring& title, DWORD style,
              RECT place, HWND parent, HMENU idOrMenu, HINSTANCE instance, void* createParameter) {
  return ::CreateWindowExW(extendedStyle, className, title.c_str(), style, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent, idOrMenu,
                           instance, createParameter);
}

// For the windows the program cannot run without, created once at start-up.
HWND CreateOrThrow(DWORD extendedStyle, const wchar_t* className, const std::wstring& title,
                   DWORD style, RECT place, HWND parent, HMENU idOrMenu, HINSTANCE instance,
                   void* createParameter) {
  HWND window = CreateAt(extendedStyle, className, title, style, place, parent, idOrMenu, instance,
                         createParameter);
  if (window == nullptr) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                            "CreateWindowExW");
  }
  return window;
}

}  // namespace

Win32Platform::Win32Platform(Win32Options options)
    : instance_(::GetModuleHandleW(nullptr)),
      forceOldMethod_(options.forceOldMethod),
      enabledIcon_(LoadProgramIcon(instance_, SEVALUNE_ICON_ENABLED)),
      disabledIcon_(LoadProgramIcon(instance_, SEVALUNE_ICON_DISABLED)),
      appClass_(WindowClass(instance_, kAppClassName, &::DefWindowProcW, enabledIcon_.get())),
      markerClass_(WindowClass(instance_, kMarkerClassName, &MarkerProcedure, enabledIcon_.get())),
      menuClass_(WindowClass(instance_, kMenuClassName, &::DefWindowProcW, disabledIcon_.get())),
      finderClass_(WindowClass(instance_, kFinderClassName, &FinderProcedure, nullptr)),
      taskbarCreatedMessage_(::RegisterWindowMessageW(L"TaskbarCreated")),
      markerBrush_(::CreateSolidBrush(markerColor_)) {
  // The application window: found by other code through its title, never shown.
  appWindow_.reset(CreateOrThrow(0, kAppClassName, Widen(kAppTitle), WS_OVERLAPPED,
                                 RECT{0, 0, 0, 0}, nullptr, nullptr, instance_, nullptr));

  // The marker: a borderless overlay that lets every click through to the window below,
  // never takes the activation and has no task-bar button.
  constexpr DWORD kMarkerExtendedStyle =
      WS_EX_TRANSPARENT | WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
  frmSevalune_.reset(CreateOrThrow(kMarkerExtendedStyle, kMarkerClassName, Widen(kMainWindowTitle),
                                   WS_POPUP, RECT{0, 0, 0, 0}, nullptr, nullptr, instance_, this));
  // A layered window shows nothing until its attributes are set: fully opaque.
  ::SetLayeredWindowAttributes(frmSevalune_.get(), 0, 255, LWA_ALPHA);
  // The shell's announcement of a new task bar must get through even when this process
  // runs with higher rights than the shell (user interface privilege isolation).
  ::ChangeWindowMessageFilterEx(frmSevalune_.get(), taskbarCreatedMessage_, MSGFLT_ALLOW, nullptr);

  // The text box other programs find with FindWindowEx(main, NULL, "Edit", NULL). Hidden,
  // so that a marker wide enough to reach it is still one colour from end to end.
  txtYokusi_ =
      CreateOrThrow(0, L"Edit", L"", WS_CHILD | ES_AUTOHSCROLL,
                    RECT{kTextBoxLeft, 0, kTextBoxLeft + 120, 20}, frmSevalune_.get(),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextBoxId)), instance_, nullptr);

  targetWatch_.emplace(frmSevalune_.get(), kMsgTargetMoved);
}

Win32Platform::~Win32Platform() {
  RemoveRemainingTrayIcons();
  for (ScopedWindow& bar : finderBars_) bar.reset();
  // Cut the marker loose from this object first: its WM_DESTROY must not end the message
  // loop of whatever runs after this object is gone. Its hot keys go with it.
  for (const UINT_PTR timer : {kTmrTimerId, kFinderTimerId, kSettleTimerId}) {
    ::KillTimer(frmSevalune_.get(), timer);
  }
  ::SetWindowLongPtrW(frmSevalune_.get(), GWLP_USERDATA, 0);
}

void Win32Platform::SetEventHandler(PlatformEvents* handler) { handler_ = handler; }

LRESULT CALLBACK Win32Platform::MarkerProcedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) noexcept {
  // noexcept: an exception must not unwind through user32's frames; it ends the process.
  auto* self = WindowInstance<Win32Platform>(window, message, lParam);
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMarkerMessage(window, message, wParam, lParam);
}

LRESULT Win32Platform::HandleMarkerMessage(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  // Once the program has asked to quit, none of its handlers runs again.
  PlatformEvents* handler = quitCode_ ? nullptr : handler_;
  switch (message) {
    case WM_TIMER:
      if (wParam == kSettleTimerId) {
        ::KillTimer(window, kSettleTimerId);
        settleSince_.reset();
      }
      if (handler == nullptr) return 0;
      if (wParam == kTmrTimerId) handler->OnTimer();
      if (wParam == kFinderTimerId) handler->OnFinderFrame();
      if (wParam == kSettleTimerId) handler->OnSettingsFileChanged();
      return 0;
    case WM_HOTKEY:
      if (handler != nullptr) handler->OnHotkey(static_cast<int>(wParam));
      return 0;
    case kMsgTargetMoved: {
      const TargetNotice notice = targetWatch_->Take();
      if (handler != nullptr) handler->OnTargetMoved(notice);
      return 0;
    }
    case kMsgAccessibleAnswer: {
      TargetNotice notice;
      notice.accessibleAnswer = true;
      if (handler != nullptr) handler->OnTargetMoved(notice);
      return 0;
    }
    case kMsgMouseMove:
      // The tray icon's callback message: the icon's mouse event is in the low word.
      if (handler != nullptr) handler->OnTrayCallback(LOWORD(lParam));
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND: {
      RECT client{};
      ::GetClientRect(window, &client);
      FillBackground(reinterpret_cast<HDC>(wParam), client);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC deviceContext = ::BeginPaint(window, &paint);
      FillBackground(deviceContext, paint.rcPaint);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      // Closed from outside (WM_CLOSE): leave no icon behind and end the message loop.
      RemoveRemainingTrayIcons();
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
    if (handler != nullptr) handler->OnTaskbarCreated();
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32Platform::FillBackground(HDC deviceContext, const RECT& area) const {
  ::FillRect(deviceContext, &area, markerBrush_.get());
}

WindowHandle Win32Platform::MarkerWindow() { return ToHandle(frmSevalune_.get()); }

HWND Win32Platform::CreateMenuForm() const {
  // Created during ticks and menus, where a failure (no window handles left) must not end
  // the program: the caller gets no window, and the next call tries again.
  return CreateAt(0, kMenuClassName, kMenuTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                  RECT{0, 0, 0, 0}, nullptr, nullptr, instance_, nullptr);
}

WindowHandle Win32Platform::MenuFormWindow() {
  // Another program may have closed it; then the old handle is stale, not ours to destroy.
  if (frmMenu_ && !::IsWindow(frmMenu_.get())) frmMenu_.release();
  return ToHandle(frmMenu_.get());
}

WindowHandle Win32Platform::EnsureMenuForm() {
  if (MenuFormWindow() == 0) frmMenu_.reset(CreateMenuForm());
  return ToHandle(frmMenu_.get());
}

void Win32Platform::DestroyMenuForm() {
  if (frmMenu_ && !::IsWindow(frmMenu_.get())) frmMenu_.release();
  frmMenu_.reset();
}

std::string Win32Platform::TextBoxText() { return Narrow(WindowText(txtYokusi_)); }

Color Win32Platform::MarkerColor() { return markerColor_; }

void Win32Platform::SetMarkerColor(Color color) {
  if (color == markerColor_) return;
  markerColor_ = color;
  // The top byte would select a palette entry; only the RGB part is a colour.
  markerBrush_.reset(::CreateSolidBrush(color & 0x00FFFFFFu));
  ::InvalidateRect(frmSevalune_.get(), nullptr, TRUE);
  // Paint now (WM_PAINT is sent, nothing else is dispatched), so the new colour shows
  // together with the move that usually follows.
  ::UpdateWindow(frmSevalune_.get());
}

void Win32Platform::FollowCaret(ThreadId thread) { targetWatch_->Follow(thread); }

void Win32Platform::SetTimerPeriod(std::uint32_t milliseconds) {
  if (milliseconds == timerPeriod_) return;
  timerPeriod_ = milliseconds;
  ApplyTimer();
}

void Win32Platform::EnableTimer(bool enabled) {
  if (enabled == timerEnabled_) return;
  timerEnabled_ = enabled;
  ApplyTimer();
}

void Win32Platform::SetFinderTimer(std::uint32_t milliseconds) {
  if (milliseconds > 0) {
    ::SetTimer(frmSevalune_.get(), kFinderTimerId, milliseconds, nullptr);
  } else {
    ::KillTimer(frmSevalune_.get(), kFinderTimerId);
  }
}

void Win32Platform::ApplyTimer() {
  // A period of 0 stops the tick, as it does for the framework timer the program expects;
  // SetTimer itself would raise it to 10 ms.
  if (timerEnabled_ && timerPeriod_ > 0) {
    ::SetTimer(frmSevalune_.get(), kTmrTimerId, timerPeriod_, nullptr);
  } else {
    ::KillTimer(frmSevalune_.get(), kTmrTimerId);
  }
}

bool Win32Platform::PumpMessages() {
  MSG message{};
  while (!quitCode_ && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (message.message == WM_QUIT) {
      // Leave the quit request for the message loop that owns it.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return !quitCode_;
}

int Win32Platform::RunMessageLoop() {
  while (!quitCode_) {
    if (const std::optional<int> code = WaitAndDispatch(INFINITE)) return *code;
  }
  return *quitCode_;
}

std::optional<int> Win32Platform::WaitAndDispatch(DWORD timeoutMs) {
  // The folder watch is one more thing to wait for beside the messages: no thread of its
  // own, and a changed file is noticed even while the program sleeps in its loop.
  HANDLE watch = folderWatch_.get();
  const DWORD handles = watch != nullptr ? 1 : 0;
  const DWORD woken =
      ::MsgWaitForMultipleObjectsEx(handles, &watch, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (handles == 1 && woken == WAIT_OBJECT_0) {
    NoteFolderChange();
  } else if (woken == WAIT_FAILED) {
    // A handle that cannot be waited for would make this loop spin: the watch is given up.
    folderWatch_.reset();
  }
  MSG message{};
  while (!quitCode_ && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return std::nullopt;
}

void Win32Platform::NoteFolderChange() {
  // A folder that keeps failing (a share that went away) is no longer watched.
  if (::FindNextChangeNotification(folderWatch_.get()) == FALSE) folderWatch_.reset();
  const ULONGLONG now = ::GetTickCount64();
  if (!settleSince_) settleSince_ = now;
  // Each change starts the settle time again; the program hears of the change once the
  // writer has been quiet for that long. In a folder that is never quiet for long (another
  // program writes a log beside the file) the timer is left to come due all the same.
  if (now - *settleSince_ < kLongestSettleWaitMs) {
    ::SetTimer(frmSevalune_.get(), kSettleTimerId, settleMs_, nullptr);
  }
}

}  // namespace sevalune::win32
