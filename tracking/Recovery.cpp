#include "tracking/Recovery.h"

#include "app/AppIdentity.h"
#include "tracking/MessagePump.h"
#include "winquery/WindowQueries.h"

namespace sevalune {
namespace {

constexpr std::int16_t kEmptyForegroundTicksBeforeRecovery = 10;
constexpr int kRecoveryPumpPasses = 1001;
constexpr int kClassBufferSize = 100;

bool NamesThunderAndMain(std::string_view className) {
  return className.find("Thunder") != std::string_view::npos &&
         className.find("Main") != std::string_view::npos;
}

struct ExcludedWindows {
  WindowHandle marker;
  WindowHandle app;
  WindowHandle bi;
  WindowHandle taskbar;
};

bool IsSuitableForeground(Platform& platform, WindowHandle window, const ExcludedWindows& ex) {
  if (window == ex.marker || window == ex.app) return false;
  if (window == ex.bi || window == ex.taskbar) return false;
  if (!platform.IsWindowVisible(window)) return false;
  if (!platform.IsWindowEnabled(window)) return false;
  return !NamesThunderAndMain(platform.GetClassName(window, kClassBufferSize));
}

// The first suitable top-level window from the top of the z-order, or 0.
WindowHandle FindSuitableForeground(Platform& platform, const ExcludedWindows& excluded) {
  WindowHandle window = platform.GetWindow(platform.GetDesktopWindow(), WindowRelation::FirstChild);
  for (std::size_t visited = 0; window != 0 && visited < kWindowWalkLimit; ++visited) {
    if (IsSuitableForeground(platform, window, excluded)) return window;
    window = platform.GetWindow(window, WindowRelation::Next);
  }
  return 0;
}

}  // namespace

void RecoverNoForeground(Program& program) {
  Platform& platform = program.platform;
  TickState& tick = program.TickState;
  ++tick.NoForegroundTicks;
  if (tick.NoForegroundTicks <= kEmptyForegroundTicksBeforeRecovery) return;
  tick.NoForegroundTicks = 0;
  if (platform.FindWindow(std::nullopt, "Korvanel") == 0) {
    platform.SetForegroundWindow(platform.FindWindow(std::nullopt, "Program Manager"));
  }
  PumpMessagesRepeatedly(platform, kRecoveryPumpPasses);
}

void RecoverOwnForeground(Program& program) {
  Platform& platform = program.platform;
  const WindowHandle marker = platform.MarkerWindow();
  const ExcludedWindows excluded{marker, program.AppWindow, platform.FindWindow(std::nullopt, "び"),
                                 platform.FindWindow(kTaskbarClass, std::nullopt)};
  if (const WindowHandle candidate = FindSuitableForeground(platform, excluded)) {
    platform.SetForegroundWindow(marker);
    platform.SetForegroundWindow(candidate);
  }
  platform.ShowWindow(marker, kShowHide);
  PumpMessagesRepeatedly(platform, kRecoveryPumpPasses);
  platform.SetWindowPos(
      marker, kInsertTopmost, 0, 0, 0, 0,
      swp::NoSize | swp::NoMove | swp::NoZOrder | swp::NoActivate | swp::ShowWindow);
}

}  // namespace sevalune
