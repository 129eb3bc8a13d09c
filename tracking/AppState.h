// What the tick and the tray menu share. Everything starts zero or false; nothing is
// saved between runs. The program owns the one instance; the tick and the menu borrow it.
#pragma once

#include "platform/Platform.h"
#include "tracking/LocationMethod.h"

namespace sevalune {

struct AppState {
  LocationMethod method = LocationMethod::GuiThreadInfo;  // chosen once at start-up
  bool isEnabled = false;             // tracking on; switched from the tray menu
  bool menuIsOpen = false;            // the tray menu step runs: ticks only hide
  WindowHandle lastActiveWindow = 0;  // the last foreground window the tick saw
  WindowHandle trayWindow = 0;        // the task bar, looked up again now and then
  WindowHandle appWindow = 0;         // the program's hidden application window
};

}  // namespace sevalune
