// What the helper programs of the end-to-end tests share: a plain window class and the
// message loop that runs until the program is closed.
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

}  // namespace sevalune::e2e::tools
