// Where the marker belongs after a tick that placed it, worked out from what the desktop
// shows (the foreground thread's caret, focus, capture and menu mode, the focus window's
// rectangle, the input method), without the program's own code: the soak compares the
// program's placement with it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "tests/soak/SoakProfile.h"

namespace sevalune::soak {

struct Placement {
  std::string_view kind;  // "menu", "caret" or "parts"
  Rect rect;              // as the desktop will show the marker's window
  Color color = 0;
};

// What the soak saw of a window that publishes through the accessibility interfaces, at the
// start of a tick: what it publishes, its rectangle and display, and whether UI Automation
// existed. An answer the program uses was asked for on the tick before.
struct AccessibleView {
  sim::SimAccessible published;
  Rect window;
  Rect display;
  bool uiAutomation = true;
};
using AccessibleViews = std::map<WindowHandle, AccessibleView>;

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

  // The placements a tick may make: the one above, and where the system shows no caret,
  // the one for what the window asked about published on the tick before (`before`, taken
  // at that tick's start) or on this one (`now`: the answer to this tick's own request,
  // used between ticks when a notice is handled in the tick's own message pump), if the
  // documented rules believe it. The program may also not have had that answer (a grace, a
  // memory, a slow or hung provider): both are fine.
  std::vector<Placement> Acceptable(const TickConditions& tick, const AccessibleViews& before,
                                    const AccessibleViews& now) const;

  // The window the accessibility fallback asks about on this tick, or 0 when it asks
  // nothing (the system shows a caret or a menu, the fallback is off).
  WindowHandle AccessibleAsked(const TickConditions& tick) const;

  AccessibleViews ViewAccessibles() const;

  // Why no tick may place the marker for a target of `kind` under these conditions;
  // nullopt when one may.
  std::optional<std::string> ReasonNotToPlace(const TickConditions& tick,
                                              std::string_view kind) const;

  // Whether the input method of the process the user types into answers "open": the first
  // "Default IME" window of that process above the foreground window is asked.
  bool InputMethodOpen(WindowHandle foreground) const;
  // That process: the foreground thread's focus window's where it differs from the
  // foreground window's (a packaged app inside its frame), else the foreground window's.
  ProcessId TypingProcess(const sim::SimWindow& foreground) const;

 private:
  struct Located {
    std::string_view kind;
    Point caret;
    WindowHandle focus = 0;
  };

  Located LocateByThreadInfo(WindowHandle foreground) const;
  std::optional<Placement> AccessiblePlacement(const AccessibleView& view, bool ime) const;
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
