// The running program: the platform it talks to and every piece of the program's state,
// each with this one owner. Every handler works on it.
#pragma once

#include "app/FinderHotkey.h"
#include "app/SettingsReload.h"
#include "marker/Marker.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tracking/AppState.h"
#include "tracking/Finder.h"
#include "tracking/Tracker.h"
#include "tray/Tray.h"

namespace sevalune {

struct Program {
  explicit Program(Platform& p)
      : platform(p),
        marker(p, settings),
        finder(p, settings, state, marker),
        tracker{p, settings, state, marker, finder, {}},
        tray(p, settings, state, marker),
        hotkey(p, tray.icon),
        reload(p, settings, tray.icon, hotkey) {}
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Platform& platform;
  Settings settings;      // read at start-up, replaced by a changed file's reading
  AppState state;         // shared by the tick and the tray menu
  Marker marker;          // the marker window and its blink cycle
  Finder finder;          // the hotkey's animation, also played after a switch of windows
  Tracker tracker;        // the tick and its memory
  Tray tray;              // the tray icon and its menu
  FinderHotkey hotkey;    // the registration of the finder's combination
  SettingsReload reload;  // the watched settings file and a reading waiting to apply
};

}  // namespace sevalune
