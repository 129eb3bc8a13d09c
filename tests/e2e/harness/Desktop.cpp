#include "harness/Desktop.h"

#include <cstdio>

#include "backend/win32/WideText.h"
#include "harness/Pictures.h"

namespace sevalune::e2e {
namespace {

constexpr int kNameBufferSize = 256;
constexpr int kTextBufferSize = 4096;
constexpr UINT kTextTimeoutMs = 5000;

struct WindowSearch {
  DWORD processId = 0;  // 0: any process
  std::wstring className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  const bool processMatches = search->processId == 0 || owner == search->processId;
  const bool classMatches = search->className.empty() || ClassNameOf(window) == search->className;
  if (processMatches && classMatches) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> CollectTopLevelWindows(WindowSearch search) {
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

POINT ToScreen(HWND window, LONG x, LONG y) {
  POINT point{x, y};
  ::ClientToScreen(window, &point);
  return point;
}

}  // namespace

void UsePhysicalPixels() {
  // Fails harmlessly when the awareness was set before (a second test) or is unknown.
  ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  return process;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[kNameBufferSize] = {};
  const int length = ::GetClassNameW(window, name, kNameBufferSize);
  return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring TextOf(HWND window) {
  std::wstring text(kTextBufferSize, L'\0');
  DWORD_PTR copied = 0;
  if (::SendMessageTimeoutW(window, WM_GETTEXT, kTextBufferSize,
                            reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kTextTimeoutMs,
                            &copied) == 0) {
    return {};
  }
  text.resize(copied < kTextBufferSize ? copied : 0);
  return text;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  return CollectTopLevelWindows(WindowSearch{processId, {}, {}});
}

std::vector<HWND> TopLevelWindowsOfClass(std::wstring_view className) {
  return CollectTopLevelWindows(WindowSearch{0, std::wstring(className), {}});
}

std::optional<HWND> FindTopLevelWindow(DWORD processId, std::wstring_view className,
                                       std::optional<std::wstring_view> title) {
  for (HWND window : CollectTopLevelWindows(WindowSearch{processId, std::wstring(className), {}})) {
    if (!title || TextOf(window) == *title) return window;
  }
  return std::nullopt;
}

std::optional<HWND> FindChildWindow(HWND parent, std::wstring_view className) {
  const std::wstring name(className);
  HWND child = ::FindWindowExW(parent, nullptr, name.c_str(), nullptr);
  if (child == nullptr) return std::nullopt;
  return child;
}

bool PopupMenuIsShowing() {
  const HWND popup = ::FindWindowW(L"#32768", nullptr);
  return popup != nullptr && ::IsWindowVisible(popup);
}

RECT WindowRectOf(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

LONG_PTR ExtendedStyleOf(HWND window) { return ::GetWindowLongPtrW(window, GWL_EXSTYLE); }

bool IsTopmost(HWND window) { return (ExtendedStyleOf(window) & WS_EX_TOPMOST) != 0; }

std::vector<COLORREF> ScreenPixels(const RECT& area) { return ScreenPicture(area).pixels; }

std::optional<ThreadCaret> CaretOfThreadOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;  // the only size Wine accepts
  if (::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) == FALSE) {
    return std::nullopt;
  }
  ThreadCaret caret;
  caret.flags = info.flags;
  caret.focus = info.hwndFocus;
  caret.capture = info.hwndCapture;
  caret.menuOwner = info.hwndMenuOwner;
  caret.caretWindow = info.hwndCaret;
  caret.caretClient = info.rcCaret;
  caret.lowerLeftOnScreen = ToScreen(info.hwndFocus, info.rcCaret.left, info.rcCaret.bottom);
  caret.upperLeftOnScreen = ToScreen(info.hwndFocus, info.rcCaret.left, info.rcCaret.top);
  return caret;
}

std::string Describe(const RECT& rect) {
  char text[96];
  std::snprintf(text, sizeof text, "(%ld,%ld) %ldx%ld", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
  return text;
}

std::string DescribeColor(COLORREF color) {
  char text[16];
  std::snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(color));
  return text;
}

std::string DescribeWindow(HWND window) {
  if (window == nullptr) return "no window";
  // Appended piece by piece: GCC 12 warns falsely about "literal" + std::string&&.
  std::string text = "class \"";
  text.append(win32::Narrow(ClassNameOf(window)))
      .append("\" title \"")
      .append(win32::Narrow(TextOf(window)));
  return text.append("\"");
}

}  // namespace sevalune::e2e
