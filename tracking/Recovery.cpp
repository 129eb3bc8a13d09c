#include "tracking/Recovery.h"

#include "platform/AppIdentity.h"
#include "platform/MessagePump.h"
#include "platform/TextBuffers.h"
#include "tracking/CompanionWindows.h"
#include "tracking/ProgramWindows.h"
#include "tracking/WindowWalk.h"

namespace sevalune {
namespace {

constexpr std::int16_t kEmptyForegroundTicksBeforeRecovery = 10;
constexpr std::string_view kDesktopTitle = "Program Manager";

// Classic rapid-development runtimes give each program a hidden main window ("ThunderMain",
// "ThunderRT6Main") that owns its real forms; activating one sends the keyboard nowhere.
bool NamesThunderAndMain(std::string_view className) {
  return className.find("Thunder") != std::string_view::npos &&
         className.find("Main") != std::string_view::npos;
}

// Windows that are never handed the foreground besides the program's own.
struct ExcludedWindows {
  WindowHandle neverActivated;
  WindowHandle taskbar;
};

bool IsSuitableForeground(Tracker& t, WindowHandle window, const ExcludedWindows& ex) {
  Platform& platform = t.platform;
  if (IsProgramWindow(platform, t.state, window)) return false;
  if (window == ex.neverActivated || window == ex.taskbar) return false;
  if (!platform.IsWindowVisible(window)) return false;
  if (!platform.IsWindowEnabled(window)) return false;
  return !NamesThunderAndMain(platform.GetClassName(window, kClassNameBuffer));
}

// The first suitable top-level window from the top of the z-order, or 0.
WindowHandle FindSuitableForeground(Tracker& t, const ExcludedWindows& excluded) {
  Platform& platform = t.platform;
  WindowHandle window = platform.GetWindow(platform.GetDesktopWindow(), WindowRelation::FirstChild);
  for (std::size_t visited = 0; window != 0 && visited < kWindowWalkLimit; ++visited) {
    if (IsSuitableForeground(t, window, excluded)) return window;
    window = platform.GetWindow(window, WindowRelation::Next);
  }
  return 0;
}

}  // namespace

void RecoverNoForeground(Tracker& t) {
  Platform& platform = t.platform;
  ++t.tick.noForegroundTicks;
  if (t.tick.noForegroundTicks <= kEmptyForegroundTicksBeforeRecovery) return;
  t.tick.noForegroundTicks = 0;
  if (platform.FindWindow(std::nullopt, kCompanionTitle) == 0) {
    platform.SetForegroundWindow(platform.FindWindow(std::nullopt, kDesktopTitle));
  }
  PumpMessagesRepeatedly(platform, kRecoveryPumpPasses);
}

void RecoverOwnForeground(Tracker& t) {
  Platform& platform = t.platform;
  const WindowHandle marker = platform.MarkerWindow();
  const ExcludedWindows excluded{platform.FindWindow(std::nullopt, kCompanionNeverActivatedTitle),
                                 platform.FindWindow(kTaskbarClass, std::nullopt)};
  if (const WindowHandle candidate = FindSuitableForeground(t, excluded)) {
    // Taking the foreground first makes this process its holder, which may hand it on.
    platform.SetForegroundWindow(marker);
    platform.SetForegroundWindow(candidate);
  }
  platform.ShowWindow(marker, kShowHide);
  if (!PumpMessagesRepeatedly(platform, kRecoveryPumpPasses)) return;
  platform.SetWindowPos(
      marker, kInsertTopmost, 0, 0, 0, 0,
      swp::NoSize | swp::NoMove | swp::NoZOrder | swp::NoActivate | swp::ShowWindow);
}

}  // namespace sevalune
