// The running program: the platform it talks to, the shared application state and the
// members of the main window. One instance per process; every handler works on it.
#pragma once

#include "app/AppState.h"
#include "settings/Settings.h"
#include "tracking/TickState.h"
#include "winquery/Platform.h"

namespace sevalune {

struct Program {
  explicit Program(Platform& p) : platform(p) {}

  Platform& platform;
  AppState state;
  Settings settings;
  WindowHandle AppWindow = 0;
  WindowHandle PrevForegroundWindow = 0;
  NotifyIconData TrayIconData;
  sevalune::TickState TickState;
};

}  // namespace sevalune
