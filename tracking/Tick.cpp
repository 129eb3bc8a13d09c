#include "tracking/Tick.h"

#include <optional>

#include "platform/AppIdentity.h"
#include "tracking/AccessibleFallback.h"
#include "tracking/ClassList.h"
#include "tracking/Following.h"
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

// Between ticks the mouse is only looked at: the tick that follows counts the hold.
bool MouseMovedSinceTick(Tracker& t) {
  Point cursor = t.tick.lastCursor;
  t.platform.GetCursorPos(cursor);
  return cursor != t.tick.lastCursor;
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

// The gates on the foreground window after the pointer may have been parked.
bool LaterWindowGatesPass(Platform& platform, WindowHandle foreground) {
  return !DropDownListIsOpen(platform) && IsUsableTarget(platform, foreground);
}

// Once the caret moves, it is followed between ticks until it has rested for about a second
// of ticks; the platform watches it only while the blink cycle shows the marker, as there is
// nothing to move otherwise. Following counts ticks, not moves, so the blink cycle's clock
// and the tick's other counters are left alone.
void WatchCaret(Tracker& t, ThreadId thread) {
  if (thread == t.tick.watchedThread) return;
  t.tick.watchedThread = thread;
  t.platform.FollowCaret(thread);
}

void CountDownFollowing(Tracker& t) {
  if (t.tick.followTicks == 0 || --t.tick.followTicks > 0) return;
  t.tick.followedThread = 0;
  WatchCaret(t, 0);
}

void NoteCaretMove(Tracker& t, const Target& target) {
  const bool moved = target.caretPoint != t.tick.lastCaretPoint;
  t.tick.lastCaretPoint = target.caretPoint;
  if (!moved || target.kind != TargetKind::Caret || target.thread == 0) return;
  t.tick.followTicks = FollowTicksFor(t.settings.tickPeriodMs);
  t.tick.followedThread = target.thread;
}

}  // namespace

void tmrTimer_Timer(Tracker& t) {
  Platform& platform = t.platform;
  const Settings& settings = t.settings;
  AppState& state = t.state;

  CountDownFollowing(t);
  ++t.tick.ticks;
  if (state.menuIsOpen) return t.marker.Shrink();
  const bool oldMethod = state.method == LocationMethod::AttachThreadInput;
  if (HoldsOnMouseMove(settings.hold, oldMethod) && MouseMovedSinceLastTick(t)) {
    return t.marker.Shrink();
  }

  const WindowHandle foreground = platform.GetForegroundWindow();
  if (!IsProgramOrTaskbarWindow(t, foreground)) state.lastActiveWindow = foreground;
  if (!platform.PumpMessages()) return;
  if (IsSuppressed(t)) return t.marker.Shrink();

  if (foreground == 0) {
    // Nothing holds the keyboard: a marker left where it was would point at a caret that is
    // gone, for as long as the foreground stays empty.
    t.marker.Shrink();
    return RecoverNoForeground(t);
  }
  if (foreground == platform.MarkerWindow() || foreground == state.appWindow) {
    return RecoverOwnForeground(t);
  }
  t.tick.noForegroundTicks = 0;

  const std::string className = platform.GetClassName(foreground, kClassBufferSize);
  if (ClassListContains(settings.classLists.neverMark, className)) return t.marker.Shrink();
  if (IsHiddenFormWindow(platform, foreground, className)) return t.marker.Shrink();
  ParkCursorForNewListedWindow(t, foreground, className);
  if (!LaterWindowGatesPass(platform, foreground)) return t.marker.Shrink();

  const std::int16_t imeOpen = GetImeOpenStatus(platform);
  std::optional<Target> target = LocateTarget(t, foreground);
  if (!target) return;
  if (state.method == LocationMethod::GuiThreadInfo) NoteCaretMove(t, *target);
  if (ClassListContains(settings.classLists.menusOnly, className) &&
      target->kind != TargetKind::Menu) {
    return t.marker.Shrink();
  }
  ApplyAccessibleFallback(t, foreground, *target);
  ApplyDebugMode(settings.debugMode, *target);
  t.marker.Update(*target, foreground, imeOpen);
  WatchCaret(t, t.marker.BlinkShowsIt() ? t.tick.followedThread : 0);
  platform.PumpMessages();
}

void PlaceBetweenTicks(Tracker& t) {
  Platform& platform = t.platform;
  const Settings& settings = t.settings;
  const AppState& state = t.state;

  // The menu step owns the marker while it runs; a running hold is the tick's to count;
  // and a marker that is not shown has nowhere to move (nothing more is asked then).
  if (state.menuIsOpen || t.tick.holdTicks > 0 || !t.marker.ShownNow()) return;
  const bool oldMethod = state.method == LocationMethod::AttachThreadInput;
  if (HoldsOnMouseMove(settings.hold, oldMethod) && MouseMovedSinceTick(t)) {
    return t.marker.Shrink();
  }

  const WindowHandle foreground = platform.GetForegroundWindow();
  if (foreground == 0 || foreground == platform.MarkerWindow() || foreground == state.appWindow ||
      foreground == platform.MenuFormWindow() || foreground == state.trayWindow) {
    return;  // the tick's recovery, if any, is the tick's business
  }
  if (IsSuppressed(t)) return t.marker.Shrink();
  const std::string className = platform.GetClassName(foreground, kClassBufferSize);
  if (ClassListContains(settings.classLists.neverMark, className) ||
      IsHiddenFormWindow(platform, foreground, className) ||
      !LaterWindowGatesPass(platform, foreground)) {
    return t.marker.Shrink();
  }

  // A focused control without a system caret may owe its place to the accessibility
  // fallback, whose answers come by the tick: its bar is left to the tick.
  const std::optional<Target> target = LocateBetweenTicks(t, foreground);
  if (!target || target->kind == TargetKind::FocusedControl) return;
  if (ClassListContains(settings.classLists.menusOnly, className) &&
      target->kind != TargetKind::Menu) {
    return t.marker.Shrink();
  }
  // The input method's state is the one the last tick asked for: asking waits for the other
  // program, which is the tick's to do.
  t.marker.MoveBetweenTicks(*target, foreground, t.marker.blink().lastImeOpen);
}

}  // namespace sevalune
