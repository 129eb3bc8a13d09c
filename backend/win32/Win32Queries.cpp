// The user32 calls: plain W calls, with handles and records converted at the boundary.
#include <cstddef>

#include "backend/win32/Displays.h"
#include "backend/win32/HandleCast.h"
#include "backend/win32/WideText.h"
#include "backend/win32/Win32Platform.h"

namespace sevalune::win32 {
namespace {

#if defined(_WIN32) && !defined(_WIN64)
// The record the program was designed around: cbSize, flags, six window handles and the
// caret rectangle, 48 bytes on a 32-bit system.
static_assert(sizeof(GUITHREADINFO) == 48);
#endif

Point ToPoint(POINT point) { return Point{point.x, point.y}; }
POINT ToPOINT(Point point) { return POINT{point.x, point.y}; }

GuiThreadInfo ToGuiThreadInfo(const GUITHREADINFO& raw) {
  GuiThreadInfo info;
  info.flags = raw.flags;
  info.active = ToHandle(raw.hwndActive);
  info.focus = ToHandle(raw.hwndFocus);
  info.capture = ToHandle(raw.hwndCapture);
  info.menuOwner = ToHandle(raw.hwndMenuOwner);
  info.moveSize = ToHandle(raw.hwndMoveSize);
  info.caret = ToHandle(raw.hwndCaret);
  info.caretRect = ToRect(raw.rcCaret);
  return info;
}

// GetClassNameW and GetWindowTextW share this shape: a buffer of maxCount units.
template <typename Reader>
std::string ReadIntoBuffer(int maxCount, Reader reader) {
  if (maxCount < 1) return {};
  std::wstring buffer(static_cast<std::size_t>(maxCount), L'\0');
  const int copied = reader(buffer.data(), maxCount);
  if (copied <= 0) return {};
  buffer.resize(static_cast<std::size_t>(copied < maxCount ? copied : maxCount - 1));
  return NarrowTruncated(buffer);
}

std::optional<std::wstring> WidenOptional(std::optional<std::string_view> text) {
  if (!text) return std::nullopt;
  return Widen(*text);
}

const wchar_t* PointerOrNull(const std::optional<std::wstring>& text) {
  return text ? text->c_str() : nullptr;
}

}  // namespace

WindowHandle Win32Platform::GetForegroundWindow() { return ToHandle(::GetForegroundWindow()); }

bool Win32Platform::SetForegroundWindow(WindowHandle window) {
  return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
}

ThreadProcess Win32Platform::GetWindowThreadProcessId(WindowHandle window) {
  DWORD process = 0;
  const DWORD thread = ::GetWindowThreadProcessId(ToHwnd(window), &process);
  if (thread == 0) return {};
  return ThreadProcess{thread, process};
}

Win32Platform::GetGuiThreadInfoFunction Win32Platform::GuiThreadInfoFunction() {
  if (!getGuiThreadInfo_) {
    // Looked up at run time, so the executable still loads where user32 lacks it.
    FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetGUIThreadInfo");
    // Through the generic function pointer type, which every compiler accepts quietly.
    getGuiThreadInfo_ =
        reinterpret_cast<GetGuiThreadInfoFunction>(reinterpret_cast<void (*)()>(found));
  }
  return *getGuiThreadInfo_;
}

std::optional<bool> Win32Platform::GetGUIThreadInfo(ThreadId thread, GuiThreadInfo& info) {
  if (forceOldMethod_) return std::nullopt;
  GetGuiThreadInfoFunction function = GuiThreadInfoFunction();
  if (function == nullptr) return std::nullopt;
  GUITHREADINFO raw{};
  raw.cbSize = sizeof raw;  // Wine and Windows refuse any other size
  const bool answered = function(thread, &raw) != FALSE;
  info = answered ? ToGuiThreadInfo(raw) : GuiThreadInfo{};
  return answered;
}

bool Win32Platform::AttachThreadInput(ThreadId attach, ThreadId attachTo, bool doAttach) {
  return ::AttachThreadInput(attach, attachTo, doAttach ? TRUE : FALSE) != FALSE;
}

WindowHandle Win32Platform::GetFocus() { return ToHandle(::GetFocus()); }

WindowHandle Win32Platform::GetCapture() { return ToHandle(::GetCapture()); }

bool Win32Platform::GetCaretPos(Point& point) {
  POINT raw{};
  if (::GetCaretPos(&raw) == FALSE) return false;
  point = ToPoint(raw);
  return true;
}

bool Win32Platform::ClientToScreen(WindowHandle window, Point& point) {
  POINT raw = ToPOINT(point);
  if (::ClientToScreen(ToHwnd(window), &raw) == FALSE) return false;
  point = ToPoint(raw);
  return true;
}

std::string Win32Platform::GetClassName(WindowHandle window, int maxCount) {
  return ReadIntoBuffer(maxCount, [window](wchar_t* buffer, int size) {
    return ::GetClassNameW(ToHwnd(window), buffer, size);
  });
}

std::string Win32Platform::GetWindowText(WindowHandle window, int maxCount) {
  return ReadIntoBuffer(maxCount, [window](wchar_t* buffer, int size) {
    return ::GetWindowTextW(ToHwnd(window), buffer, size);
  });
}

WindowHandle Win32Platform::FindWindow(std::optional<std::string_view> className,
                                       std::optional<std::string_view> title) {
  const std::optional<std::wstring> wideClass = WidenOptional(className);
  const std::optional<std::wstring> wideTitle = WidenOptional(title);
  return ToHandle(::FindWindowW(PointerOrNull(wideClass), PointerOrNull(wideTitle)));
}

WindowHandle Win32Platform::GetWindow(WindowHandle window, WindowRelation relation) {
  return ToHandle(::GetWindow(ToHwnd(window), static_cast<UINT>(relation)));
}

WindowHandle Win32Platform::GetDesktopWindow() { return ToHandle(::GetDesktopWindow()); }

bool Win32Platform::IsWindowVisible(WindowHandle window) {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

bool Win32Platform::IsWindowEnabled(WindowHandle window) {
  return ::IsWindowEnabled(ToHwnd(window)) != FALSE;
}

bool Win32Platform::IsHungAppWindow(WindowHandle window) {
  return ::IsHungAppWindow(ToHwnd(window)) != FALSE;
}

bool Win32Platform::GetWindowRect(WindowHandle window, Rect& rect) {
  RECT raw{};
  if (::GetWindowRect(ToHwnd(window), &raw) == FALSE) return false;
  rect = ToRect(raw);
  return true;
}

bool Win32Platform::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y,
                                 int width, int height, std::uint32_t flags) {
  return ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, width, height, flags) != FALSE;
}

bool Win32Platform::ShowWindow(WindowHandle window, int command) {
  // The answer is whether the window was visible before, as ShowWindow gives it.
  return ::ShowWindow(ToHwnd(window), command) != FALSE;
}

bool Win32Platform::GetCursorPos(Point& point) {
  POINT raw{};
  if (::GetCursorPos(&raw) == FALSE) return false;
  point = ToPoint(raw);
  return true;
}

bool Win32Platform::SetCursorPos(int x, int y) { return ::SetCursorPos(x, y) != FALSE; }

std::int16_t Win32Platform::GetAsyncKeyState(int virtualKey) {
  return ::GetAsyncKeyState(virtualKey);
}

std::optional<std::intptr_t> Win32Platform::SendMessageTimeout(WindowHandle window,
                                                               std::uint32_t message,
                                                               std::uintptr_t wParam,
                                                               std::intptr_t lParam,
                                                               std::uint32_t timeoutMs) {
  DWORD_PTR result = 0;
  const LRESULT sent = ::SendMessageTimeoutW(ToHwnd(window), message, wParam, lParam,
                                             SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result);
  if (sent == 0) return std::nullopt;
  return static_cast<std::intptr_t>(result);
}

Rect Win32Platform::MonitorRectOf(WindowHandle window) { return DisplayRectOf(ToHwnd(window)); }

Win32Platform::GetDpiForMonitorFunction Win32Platform::DpiForMonitorFunction() {
  if (!getDpiForMonitor_) {
    // shcore.dll and its GetDpiForMonitor exist from Windows 8.1 on; the executable still
    // runs on Windows 7, so both are looked up at run time. Only the system folder is
    // searched: a shcore.dll beside the executable is never loaded.
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    shcore_.reset(::LoadLibraryExW(L"shcore.dll", nullptr, kSearchSystem32));
    FARPROC found = shcore_ ? ::GetProcAddress(shcore_.get(), "GetDpiForMonitor") : nullptr;
    getDpiForMonitor_ =
        reinterpret_cast<GetDpiForMonitorFunction>(reinterpret_cast<void (*)()>(found));
  }
  return *getDpiForMonitor_;
}

std::uint32_t Win32Platform::SystemDpi() {
  if (!systemDpi_) {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    systemDpi_ = dpi > 0 ? static_cast<std::uint32_t>(dpi) : kDefaultScreenDpi;
  }
  return *systemDpi_;
}

std::uint32_t Win32Platform::MonitorDpiOf(const Rect& rect) {
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  const RECT area{rect.left, rect.top, rect.right, rect.bottom};
  const HMONITOR monitor = ::MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST);
  const GetDpiForMonitorFunction getDpiForMonitor = DpiForMonitorFunction();
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (monitor != nullptr && getDpiForMonitor != nullptr &&
      SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX != 0) {
    return dpiX;
  }
  return SystemDpi();
}

}  // namespace sevalune::win32
