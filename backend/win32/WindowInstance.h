// The object a window procedure serves, kept in the window's user data: taken from the
// creation parameter at WM_NCCREATE, the first message that carries it, and read back on
// every message; null for the few messages a window gets before WM_NCCREATE.
#pragma once

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32 {

template <typename Object>
Object* WindowInstance(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  return reinterpret_cast<Object*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace sevalune::win32
