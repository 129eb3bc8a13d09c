// The finder ("find my caret"): on the user's hotkey, a frame that shrinks from the edges
// of the display onto the target the tick would mark (the caret, else the focused control,
// else an open menu) in its colour, on a timer of its own. It works whether tracking is on
// or off, but not while the tray menu is open; it never moves or hides the marker and
// leaves the tick's memory alone. The tick also plays it after a switch of windows.
#pragma once

#include "marker/FinderAnimation.h"
#include "marker/Marker.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tracking/AppState.h"

namespace sevalune {

// Where the frame goes: from `start` (the display that holds the target) to `end`.
struct FinderPath {
  Rect start;
  Rect end;
  Color color = 0;
  friend bool operator==(const FinderPath&, const FinderPath&) = default;
};

class Finder {
 public:
  Finder(Platform& platform, const Settings& settings, const AppState& state, const Marker& marker);
  Finder(const Finder&) = delete;
  Finder& operator=(const Finder&) = delete;

  // The hotkey was pressed: starts the animation unless it plays or a press came just
  // now (FinderCycle), or the tray menu is open.
  void OnHotkey();
  // Another window came to the front (the tick decides when): plays as for the hotkey.
  void OnForegroundSwitch();
  // The frame timer came due: the next frame, the end, or the end of the quiet time.
  void OnFrame();

  FinderCycle::Phase phase() const { return cycle_.phase(); }

 private:
  // nullopt only when the program was asked to quit while the target was looked for.
  std::optional<FinderPath> Locate();
  void ShowFrame(std::int32_t frame);
  void Stop();

  Platform& platform_;
  const Settings& settings_;
  const AppState& state_;
  const Marker& marker_;
  FinderCycle cycle_;
  FinderPath path_;
};

}  // namespace sevalune
