// Everything the tick works with. The tick's own memory is owned here; the settings, the
// shared state, the marker and the finder belong to the program and are lent for its
// lifetime.
#pragma once

#include "marker/Marker.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tracking/AppState.h"
#include "tracking/Finder.h"
#include "tracking/TickState.h"

namespace sevalune {

struct Tracker {
  Platform& platform;
  const Settings& settings;
  AppState& state;
  Marker& marker;
  Finder& finder;  // played after a switch of windows when the settings ask for it
  TickState tick;
};

}  // namespace sevalune
