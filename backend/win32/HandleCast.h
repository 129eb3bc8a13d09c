// Conversions between the program's plain window numbers and the platform's handles.
#pragma once

#include "backend/win32/WindowsHeaders.h"
#include "platform/Platform.h"

namespace sevalune::win32 {

inline HWND ToHwnd(WindowHandle window) noexcept { return reinterpret_cast<HWND>(window); }

inline WindowHandle ToHandle(HWND window) noexcept {
  return reinterpret_cast<WindowHandle>(window);
}

}  // namespace sevalune::win32
