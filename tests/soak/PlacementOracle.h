// Where the marker belongs after a tick that placed it, worked out from what the desktop
// shows (the foreground thread's caret, focus, capture and menu mode, the focus window's
// rectangle, the input method), without the program's own code: the soak compares the
// program's placement with it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "tests/soak/SoakProfile.h"

namespace sevalune::soak {

struct Placement {
  std::string_view kind;  // "menu", "caret" or "parts"
  Rect rect;              // as the desktop will show the marker's window
  Color color = 0;
};

// What held when a tick began.
struct TickConditions {
  WindowHandle foreground = 0;
  bool MenuIsOpen = false;
  bool trackingOn = true;
  bool oldMethod = false;
};

class PlacementOracle {
 public:
  PlacementOracle(const sim::SimDesktop& desktop, const sim::SimPlatform& program,
                  const SoakProfile& profile)
      : desktop_(desktop), program_(program), profile_(profile) {}

  // The marker for the target the desktop shows in the foreground window.
  Placement Expected(const TickConditions& tick) const;

  // Why no tick may place the marker for a target of `kind` under these conditions;
  // nullopt when one may.
  std::optional<std::string> ReasonNotToPlace(const TickConditions& tick,
                                              std::string_view kind) const;

  // Whether the input method of the foreground window's process answers "open": the
  // first "Default IME" window of that process above the foreground window is asked.
  bool InputMethodOpen(WindowHandle foreground) const;

 private:
  struct Located {
    std::string_view kind;
    Point caret;
    WindowHandle focus = 0;
  };

  Located LocateByThreadInfo(WindowHandle foreground) const;
  Located LocateByAttaching(WindowHandle foreground) const;
  Rect RectOf(WindowHandle window) const;  // zero for a window that does not exist
  Rect PartsRect(WindowHandle focus) const;
  bool DropDownListOpen() const;
  std::string ClassOf(WindowHandle window) const;

  const sim::SimDesktop& desktop_;
  const sim::SimPlatform& program_;
  const SoakProfile& profile_;
};

}  // namespace sevalune::soak
