// One worker's round of accessibility calls about a window: the Active Accessibility caret
// object, then (where UI Automation exists) the focused element's caret range and its
// collapsed selection, then the focused child of the window's client object, then the
// focused element's rectangle. The first step that answers a visible rectangle with
// height ends the round; a caret-only round asks the caret object alone.
#pragma once

#include <memory>
#include <optional>

#include "backend/win32/AccessibleWorkers.h"
#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32 {

// What one reader keeps between its rounds.
struct AccessibleReaderCache;

class AccessibleReader final : public AccessibleRound {
 public:
  // Joins the multithreaded apartment of the calling (worker) thread and loads what the
  // rounds need.
  AccessibleReader();
  ~AccessibleReader() override;
  AccessibleReader(const AccessibleReader&) = delete;
  AccessibleReader& operator=(const AccessibleReader&) = delete;

  AccessibleAnswer Read(WindowHandle window, AccessibleReach reach) override;

  // Whether UI Automation could be created in this process; nullopt before the first
  // try. It is tried once, when a round first needs it: under Wine its class is not
  // registered, and that failure is remembered for every worker.
  static std::optional<bool> UiAutomationFound();

 private:
  bool apartment_;
  std::unique_ptr<AccessibleReaderCache> cache_;
};

}  // namespace sevalune::win32
