#include "tracking/Tick.h"

#include <optional>

#include "app/AppIdentity.h"
#include "marker/MarkerWindow.h"
#include "marker/UpdateMarker.h"
#include "tracking/ClassList.h"
#include "tracking/LocateTarget.h"
#include "tracking/Recovery.h"
#include "winquery/WindowQueries.h"

namespace sevalune {
namespace {

constexpr int kClassBufferSize = 100;
constexpr int kTitleBufferSize = 201;
constexpr std::string_view kHiddenFormClass = "ThunderForm";
constexpr std::string_view kHiddenFormTitlePrefix = "_うおう_";
constexpr std::string_view kDropDownListClass = "ComboLBox";
constexpr int kParkedCursorX = 2;
constexpr int kParkedCursorY = 2;

// The hold after mouse movement applies always ("2"), or only on the older location
// method ("1").
bool HoldMode(const Settings& settings, const AppState& state) {
  const std::string& oazuke = settings.OazukeSetting;
  if (oazuke.empty()) return false;
  return oazuke[0] == '2' || (oazuke[0] == '1' && state.PlatformMark == kOldMethodMark);
}

std::int16_t HoldLengthTicks(const Settings& settings) {
  const std::string& oazuke = settings.OazukeSetting;
  if (oazuke.size() < 2 || oazuke[1] < '0' || oazuke[1] > '9') return 0;
  return static_cast<std::int16_t>(oazuke[1] - '0');
}

// True when the mouse moved since the last check: the tick is then held.
bool MouseMovedSinceLastTick(Program& program) {
  Point cursor{program.TickState.LastCursorX, program.TickState.LastCursorY};
  program.platform.GetCursorPos(cursor);
  const bool moved =
      cursor.x != program.TickState.LastCursorX || cursor.y != program.TickState.LastCursorY;
  program.TickState.LastCursorX = cursor.x;
  program.TickState.LastCursorY = cursor.y;
  if (moved) program.TickState.HoldTicks = HoldLengthTicks(program.settings);
  return moved;
}

bool IsProgramOrTaskbarWindow(Program& program, WindowHandle window) {
  Platform& platform = program.platform;
  return window == platform.MarkerWindow() || window == program.AppWindow ||
         window == platform.MenuFormWindow() || window == 0 || window == program.state.TrayWindow;
}

bool IsSuppressed(Program& program) {
  return program.platform.TextBoxText() == "1" || !program.state.IsEnabled;
}

bool IsHiddenFormWindow(Platform& platform, WindowHandle window, std::string_view className) {
  if (className != kHiddenFormClass) return false;
  return platform.GetWindowText(window, kTitleBufferSize).starts_with(kHiddenFormTitlePrefix);
}

// Parks the pointer once each time a window of a listed class becomes the target.
void ParkCursorForNewListedWindow(Program& program, WindowHandle foreground,
                                  std::string_view className) {
  if (ClassListContains(program.settings.ExcludedClasses3, className) &&
      foreground != program.TickState.PrevTickForeground) {
    program.platform.SetCursorPos(kParkedCursorX, kParkedCursorY);
  }
  program.TickState.PrevTickForeground = foreground;
}

bool DropDownListIsOpen(Platform& platform) {
  const WindowHandle list = platform.FindWindow(kDropDownListClass, std::nullopt);
  return list != 0 && platform.IsWindowVisible(list);
}

bool IsUsableTarget(Platform& platform, WindowHandle window) {
  return platform.IsWindowVisible(window) && platform.IsWindowEnabled(window);
}

}  // namespace

void tmrTimer_Timer(Program& program) {
  Platform& platform = program.platform;
  const Settings& settings = program.settings;

  if (program.state.MenuIsOpen) return HideMarker(platform);
  if (HoldMode(settings, program.state) && MouseMovedSinceLastTick(program)) {
    return HideMarker(platform);
  }

  const WindowHandle ForegroundWindow = platform.GetForegroundWindow();
  if (!IsProgramOrTaskbarWindow(program, ForegroundWindow))
    program.state.LastActiveWindow = ForegroundWindow;
  platform.PumpMessages();
  if (IsSuppressed(program)) return HideMarker(platform);

  if (ForegroundWindow == 0) {
    // Nothing holds the keyboard: a marker left where it was would point at a caret that is
    // gone, for as long as the foreground stays empty.
    HideMarker(platform);
    return RecoverNoForeground(program);
  }
  if (ForegroundWindow == platform.MarkerWindow() || ForegroundWindow == program.AppWindow) {
    return RecoverOwnForeground(program);
  }
  program.TickState.NoForegroundTicks = 0;

  const std::string ForegroundClass = platform.GetClassName(ForegroundWindow, kClassBufferSize);
  if (ClassListContains(settings.ExcludedClasses1, ForegroundClass)) return HideMarker(platform);
  if (IsHiddenFormWindow(platform, ForegroundWindow, ForegroundClass)) return HideMarker(platform);
  ParkCursorForNewListedWindow(program, ForegroundWindow, ForegroundClass);
  if (DropDownListIsOpen(platform)) return HideMarker(platform);
  if (!IsUsableTarget(platform, ForegroundWindow)) return HideMarker(platform);

  const std::int16_t ImeOpen = GetImeOpenStatus(platform);
  const std::optional<Target> target = LocateTarget(program, ForegroundWindow);
  if (!target) return;
  if (ClassListContains(settings.ExcludedClasses2, ForegroundClass) &&
      target->TargetKind != TargetKind::Menu) {
    return HideMarker(platform);
  }
  UpdateMarker(program, *target, ForegroundWindow, ImeOpen);
  platform.PumpMessages();
}

}  // namespace sevalune
