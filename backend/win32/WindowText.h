// The whole text of a window or control, however long.
#pragma once

#include <cstddef>
#include <string>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32 {

inline std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace sevalune::win32
