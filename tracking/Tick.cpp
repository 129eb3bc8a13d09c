#include "tracking/Tick.h"

#include <optional>

#include "platform/AppIdentity.h"
#include "tracking/AccessibleFallback.h"
#include "tracking/ClassList.h"
#include "tracking/ImeProbe.h"
#include "tracking/LocateTarget.h"
#include "tracking/Recovery.h"

namespace sevalune {
namespace {

constexpr int kClassBufferSize = 100;
constexpr int kTitleBufferSize = 201;
// While another program keeps exactly this text in the main window's text box, the
// marker stays hidden (a presentation program, a screen recorder).
constexpr std::string_view kSuppressText = "1";
// A companion program's own forms (this class, a title with this prefix) are never
// marked, whatever the class lists say.
constexpr std::string_view kHiddenFormClass = "ThunderForm";
constexpr std::string_view kHiddenFormTitlePrefix = "_うおう_";
// An open drop-down list: the marker would sit under the list's owner, behind the list.
constexpr std::string_view kDropDownListClass = "ComboLBox";
constexpr Point kParkedCursor{2, 2};

// True when the mouse moved since the last check: the tick is then held.
bool MouseMovedSinceLastTick(Tracker& t) {
  Point cursor = t.tick.lastCursor;
  t.platform.GetCursorPos(cursor);
  const bool moved = cursor != t.tick.lastCursor;
  t.tick.lastCursor = cursor;
  if (moved) t.tick.holdTicks = t.settings.hold.lengthTicks;
  return moved;
}

// The program's own windows and the task bar are never the last window in use. The
// hidden menu window is brought into being here when it does not exist, so that it
// exists from the first tick on, ready for the tray menu.
bool IsProgramOrTaskbarWindow(Tracker& t, WindowHandle window) {
  if (window == t.platform.MarkerWindow() || window == t.state.appWindow) return true;
  if (window == t.platform.EnsureMenuForm()) return true;
  return window == 0 || window == t.state.trayWindow;
}

bool IsSuppressed(Tracker& t) {
  return t.platform.TextBoxText() == kSuppressText || !t.state.isEnabled;
}

bool IsHiddenFormWindow(Platform& platform, WindowHandle window, std::string_view className) {
  if (className != kHiddenFormClass) return false;
  return platform.GetWindowText(window, kTitleBufferSize).starts_with(kHiddenFormTitlePrefix);
}

// Parks the pointer once each time a window of a listed class becomes the target: such
// programs (full-screen games, kiosk viewers) react to a pointer resting over them.
void ParkCursorForNewListedWindow(Tracker& t, WindowHandle foreground, std::string_view className) {
  if (ClassListContains(t.settings.classLists.parkCursor, className) &&
      foreground != t.tick.prevTickForeground) {
    t.platform.SetCursorPos(kParkedCursor.x, kParkedCursor.y);
  }
  t.tick.prevTickForeground = foreground;
}

bool DropDownListIsOpen(Platform& platform) {
  const WindowHandle list = platform.FindWindow(kDropDownListClass, std::nullopt);
  return list != 0 && platform.IsWindowVisible(list);
}

bool IsUsableTarget(Platform& platform, WindowHandle window) {
  return platform.IsWindowVisible(window) && platform.IsWindowEnabled(window);
}

}  // namespace

void tmrTimer_Timer(Tracker& t) {
  Platform& platform = t.platform;
  const Settings& settings = t.settings;
  AppState& state = t.state;

  ++t.tick.ticks;
  if (state.menuIsOpen) return t.marker.Hide();
  const bool oldMethod = state.method == LocationMethod::AttachThreadInput;
  if (HoldsOnMouseMove(settings.hold, oldMethod) && MouseMovedSinceLastTick(t)) {
    return t.marker.Hide();
  }

  const WindowHandle foreground = platform.GetForegroundWindow();
  if (!IsProgramOrTaskbarWindow(t, foreground)) state.lastActiveWindow = foreground;
  if (!platform.PumpMessages()) return;
  if (IsSuppressed(t)) return t.marker.Hide();

  if (foreground == 0) {
    // Nothing holds the keyboard: a marker left where it was would point at a caret that is
    // gone, for as long as the foreground stays empty.
    t.marker.Hide();
    return RecoverNoForeground(t);
  }
  if (foreground == platform.MarkerWindow() || foreground == state.appWindow) {
    return RecoverOwnForeground(t);
  }
  t.tick.noForegroundTicks = 0;

  const std::string className = platform.GetClassName(foreground, kClassBufferSize);
  if (ClassListContains(settings.classLists.neverMark, className)) return t.marker.Hide();
  if (IsHiddenFormWindow(platform, foreground, className)) return t.marker.Hide();
  ParkCursorForNewListedWindow(t, foreground, className);
  if (DropDownListIsOpen(platform)) return t.marker.Hide();
  if (!IsUsableTarget(platform, foreground)) return t.marker.Hide();

  const std::int16_t imeOpen = GetImeOpenStatus(platform);
  std::optional<Target> target = LocateTarget(t, foreground);
  if (!target) return;
  if (ClassListContains(settings.classLists.menusOnly, className) &&
      target->kind != TargetKind::Menu) {
    return t.marker.Hide();
  }
  ApplyAccessibleFallback(t, foreground, *target);
  // The debug switch shows the caret block on a focused control that has no caret, to
  // see where the program thinks the focus is.
  if (target->kind == TargetKind::Parts && settings.debugMode) target->kind = TargetKind::Caret;
  t.marker.Update(*target, foreground, imeOpen);
  platform.PumpMessages();
}

}  // namespace sevalune
