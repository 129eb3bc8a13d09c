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
bool HoldModeActive(const Settings& settings, const AppState& state) {
  const std::string& oazuke = settings.oazukeSetting;
  if (oazuke.empty()) return false;
  return oazuke[0] == '2' || (oazuke[0] == '1' && state.platformMark == kOldMethodMark);
}

std::int16_t HoldLengthTicks(const Settings& settings) {
  const std::string& oazuke = settings.oazukeSetting;
  if (oazuke.size() < 2 || oazuke[1] < '0' || oazuke[1] > '9') return 0;
  return static_cast<std::int16_t>(oazuke[1] - '0');
}

// True when the mouse moved since the last check: the tick is then held.
bool MouseMovedSinceLastTick(Program& program) {
  Point cursor{program.tick.lastCursorX, program.tick.lastCursorY};
  program.platform.GetCursorPos(cursor);
  const bool moved = cursor.x != program.tick.lastCursorX || cursor.y != program.tick.lastCursorY;
  program.tick.lastCursorX = cursor.x;
  program.tick.lastCursorY = cursor.y;
  if (moved) program.tick.holdTicks = HoldLengthTicks(program.settings);
  return moved;
}

bool IsProgramOrTaskbarWindow(Program& program, WindowHandle window) {
  Platform& platform = program.platform;
  return window == platform.MarkerWindow() || window == program.appWindow ||
         window == platform.MenuFormWindow() || window == 0 ||
         window == program.state.trayWindow;
}

bool IsSuppressed(Program& program) {
  return program.platform.TextBoxText() == "1" || !program.state.isEnabled;
}

bool IsHiddenFormWindow(Platform& platform, WindowHandle window, std::string_view className) {
  if (className != kHiddenFormClass) return false;
  return platform.GetWindowText(window, kTitleBufferSize).starts_with(kHiddenFormTitlePrefix);
}

// Parks the pointer once each time a window of a listed class becomes the target.
void ParkCursorForNewListedWindow(Program& program, WindowHandle foreground,
                                  std::string_view className) {
  if (ClassListContains(program.settings.excludedClasses3, className) &&
      foreground != program.tick.prevTickForeground) {
    program.platform.SetCursorPos(kParkedCursorX, kParkedCursorY);
  }
  program.tick.prevTickForeground = foreground;
}

bool DropDownListIsOpen(Platform& platform) {
  const WindowHandle list = platform.FindWindow(kDropDownListClass, std::nullopt);
  return list != 0 && platform.IsWindowVisible(list);
}

bool IsUsableTarget(Platform& platform, WindowHandle window) {
  return platform.IsWindowVisible(window) && platform.IsWindowEnabled(window);
}

}  // namespace

void TimerTick(Program& program) {
  Platform& platform = program.platform;
  const Settings& settings = program.settings;

  if (program.state.menuIsOpen) return HideMarker(platform);
  if (HoldModeActive(settings, program.state) && MouseMovedSinceLastTick(program)) {
    return HideMarker(platform);
  }

  const WindowHandle foreground = platform.GetForegroundWindow();
  if (!IsProgramOrTaskbarWindow(program, foreground)) program.state.lastActiveWindow = foreground;
  platform.PumpMessages();
  if (IsSuppressed(program)) return HideMarker(platform);

  if (foreground == 0) return RecoverNoForeground(program);
  if (foreground == platform.MarkerWindow() || foreground == program.appWindow) {
    return RecoverOwnForeground(program);
  }
  program.tick.noForegroundTicks = 0;

  const std::string className = platform.GetClassName(foreground, kClassBufferSize);
  if (ClassListContains(settings.excludedClasses1, className)) return HideMarker(platform);
  if (IsHiddenFormWindow(platform, foreground, className)) return HideMarker(platform);
  ParkCursorForNewListedWindow(program, foreground, className);
  if (DropDownListIsOpen(platform)) return HideMarker(platform);
  if (!IsUsableTarget(platform, foreground)) return HideMarker(platform);

  const std::int16_t imeOpen = GetImeOpenStatus(platform);
  const std::optional<Target> target = LocateTarget(program, foreground);
  if (!target) return;
  if (ClassListContains(settings.excludedClasses2, className) && target->kind != TargetKind::Menu) {
    return HideMarker(platform);
  }
  UpdateMarker(program, *target, foreground, imeOpen);
  platform.PumpMessages();
}

}  // namespace sevalune
