// The one process-wide record of shared state. Everything starts zero, empty or false;
// nothing is saved between runs.
#pragma once

#include <string>

#include "winquery/Platform.h"

namespace sevalune {

struct AppState {
  Color CaretColor = 0;      // caret, input method closed
  Color CaretImeColor = 0;   // caret, input method open
  Color PartsColor = 0;      // focused control, input method closed
  Color PartsImeColor = 0;   // focused control, input method open
  Color MenuColor = 0;       // open menu
  std::string PlatformMark;  // "95" while the older location method is in force
  bool IsEnabled = false;
  WindowHandle LastActiveWindow = 0;
  WindowHandle TrayWindow = 0;
  bool MenuIsOpen = false;
};

}  // namespace sevalune
