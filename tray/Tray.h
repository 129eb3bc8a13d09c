// The tray icon, its pop-up menu and the menu's commands, with what they work with. The
// icon is owned here; the settings, the shared state and the marker belong to the program.
#pragma once

#include <cstdint>

#include "marker/Marker.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tracking/AppState.h"
#include "tray/TrayIcon.h"

namespace sevalune {

struct Tray {
  Tray(Platform& p, const Settings& t, AppState& s, Marker& m)
      : platform(p), settings(t), state(s), marker(m), icon(p) {}

  Platform& platform;
  const Settings& settings;  // the language of the commands' boxes and help page
  AppState& state;
  Marker& marker;
  TrayIcon icon;
};

// The icon's callback: the shell reports the mouse event over the icon as the x of a
// mouse-move message. A released left or right button opens the pop-up menu.
void OnTrayIconCallback(Tray& tray, std::uint32_t eventCode);

// The task bar was created anew (the shell restarted): the icon is added again with its
// current picture, and the new task bar is remembered.
void RestoreTrayIcon(Tray& tray);

// The main window's unload: the icon is removed.
void Form_Unload(Tray& tray);

}  // namespace sevalune
