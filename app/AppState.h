// The one process-wide record of shared state. Everything starts zero, empty or false;
// nothing is saved between runs.
#pragma once

#include <string>

#include "winquery/Platform.h"

namespace sevalune {

struct AppState {
  Color caretColor = 0;     // caret, input method closed
  Color caretImeColor = 0;  // caret, input method open
  Color partsColor = 0;     // focused control, input method closed
  Color partsImeColor = 0;  // focused control, input method open
  Color menuColor = 0;      // open menu
  std::string platformMark;  // "95" while the older location method is in force
  bool isEnabled = false;
  WindowHandle lastActiveWindow = 0;
  WindowHandle trayWindow = 0;
  bool menuIsOpen = false;
};

}  // namespace sevalune
