// What the helper programs of the end-to-end tests share: a plain window class, the
// message loop that runs until the program is closed, and a paint between BeginPaint and
// EndPaint.
#pragma once

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::e2e::tools {

inline void RegisterToolWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                                    const wchar_t* cursor = IDC_ARROW) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, cursor);
  windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = name;
  ::RegisterClassExW(&windowClass);
}

inline int RunMessageLoop() {
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

// BeginPaint, and EndPaint when it goes out of scope.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace sevalune::e2e::tools
