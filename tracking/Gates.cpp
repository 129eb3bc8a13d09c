#include "tracking/Gates.h"

#include <optional>
#include <string>

#include "platform/TextBuffers.h"
#include "tracking/AccessibleFallback.h"
#include "tracking/ClassList.h"
#include "tracking/CompanionWindows.h"
#include "tracking/Following.h"
#include "tracking/ImeProbe.h"
#include "tracking/LocateTarget.h"
#include "tracking/ProgramWindows.h"

namespace sevalune {
namespace {

// While another program keeps exactly this text in the main window's text box, the
// marker stays hidden (a presentation program, a screen recorder).
constexpr std::string_view kSuppressText = "1";
// An open drop-down list: the marker would sit under the list's owner, behind the list.
constexpr std::string_view kDropDownListClass = "ComboLBox";
constexpr Point kParkedCursor{2, 2};

GateDecision Decided(GateVerdict verdict) { return GateDecision{verdict, 0, {}, 0}; }

// Whether the pointer moved since the tick last looked. The tick remembers where it saw it
// and starts the hold; between ticks it is only looked at.
bool PointerMoved(Tracker& t, GatePass pass) {
  Point cursor = t.tick.lastCursor;
  t.platform.GetCursorPos(cursor);
  const bool moved = cursor != t.tick.lastCursor;
  if (pass == GatePass::Tick) {
    t.tick.lastCursor = cursor;
    if (moved) t.tick.holdTicks = t.settings.hold.lengthTicks;
  }
  return moved;
}

// The program's own windows and the task bar are never the last window in use, so a round
// trip through the tray menu or the task bar is no switch of windows; the first window seen
// is none either.
void RecordLastActiveWindow(Tracker& t, WindowHandle foreground) {
  if (foreground == 0 || foreground == t.state.trayWindow) return;
  if (IsProgramWindow(t.platform, t.state, foreground)) return;
  if (t.settings.findOnSwitch && t.state.lastActiveWindow != 0 &&
      t.state.lastActiveWindow != foreground) {
    t.tick.foregroundSwitched = true;
  }
  t.state.lastActiveWindow = foreground;
}

bool IsSuppressed(Tracker& t) {
  return t.platform.TextBoxText() == kSuppressText || !t.state.isEnabled;
}

bool IsCompanionForm(Platform& platform, WindowHandle window, std::string_view className) {
  if (className != kCompanionFormClass) return false;
  return platform.GetWindowText(window, kFormTitleBuffer).starts_with(kCompanionFormTitlePrefix);
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

// Once the caret moves, its thread is followed between ticks for about a second of ticks.
void NoteCaretMove(Tracker& t, const Target& target) {
  const bool moved = target.caretPoint != t.tick.lastCaretPoint;
  t.tick.lastCaretPoint = target.caretPoint;
  if (!moved || target.kind != TargetKind::Caret || target.thread == 0) return;
  t.tick.followTicks = FollowTicksFor(t.settings.tickPeriodMs);
  t.tick.followedThread = target.thread;
}

// The gates that look at the foreground window itself, after the class lists and before the
// location: the hidden companion form, the pointer parked for class list 3, an open drop-down
// list, a hidden or disabled window.
GateVerdict ForegroundWindowGates(Tracker& t, GatePass pass, WindowHandle foreground,
                                  const std::string& className) {
  Platform& platform = t.platform;
  if (ClassListContains(t.settings.classLists.neverMark, className)) return GateVerdict::Hide;
  if (IsCompanionForm(platform, foreground, className)) return GateVerdict::Hide;
  if (pass == GatePass::Tick) ParkCursorForNewListedWindow(t, foreground, className);
  if (DropDownListIsOpen(platform) || !IsUsableTarget(platform, foreground)) {
    return GateVerdict::Hide;
  }
  return GateVerdict::Place;
}

// The location step and the gates on what it found.
GateDecision LocateAndJudge(Tracker& t, GatePass pass, WindowHandle foreground,
                            const std::string& className) {
  const bool tick = pass == GatePass::Tick;
  GateDecision decision{GateVerdict::Place, foreground, {}, 0};
  // Asking the input method waits for the other program, which is the tick's to do; between
  // ticks the last tick's answer holds.
  decision.imeOpen = tick ? GetImeOpenStatus(t.platform, t.settings.imeNeedsNativeMode)
                          : t.marker.blink().lastImeOpen;
  std::optional<Target> target =
      tick ? LocateTarget(t, foreground) : LocateBetweenTicks(t, foreground);
  if (!target) return Decided(GateVerdict::LeaveAlone);
  if (tick && t.state.method == LocationMethod::GuiThreadInfo) NoteCaretMove(t, *target);
  if (ClassListContains(t.settings.classLists.menusOnly, className) &&
      target->kind != TargetKind::Menu) {
    return Decided(GateVerdict::Hide);
  }
  if (tick) {
    ApplyAccessibleFallback(t, foreground, *target);
    ApplyDebugMode(t.settings.debugMode, *target);
  } else if (target->kind == TargetKind::FocusedControl) {
    // Its place may come from the accessibility fallback, whose answers come by the tick.
    return Decided(GateVerdict::LeaveAlone);
  }
  decision.target = std::move(*target);
  return decision;
}

}  // namespace

GateDecision DecideTarget(Tracker& t, GatePass pass) {
  Platform& platform = t.platform;
  const AppState& state = t.state;
  const bool tick = pass == GatePass::Tick;

  // A marker that is not shown has nowhere to move between ticks; nothing more is asked.
  if (!tick && !t.marker.ShownNow()) return Decided(GateVerdict::LeaveAlone);
  if (state.menuIsOpen) return Decided(GateVerdict::Hide);
  const bool oldMethod = state.method == LocationMethod::AttachThreadInput;
  if (HoldsOnMouseMove(t.settings.hold, oldMethod) && PointerMoved(t, pass)) {
    return Decided(GateVerdict::Hide);
  }

  const WindowHandle foreground = platform.GetForegroundWindow();
  if (tick) {
    // The hidden menu window exists from the first tick on, ready for the tray menu.
    platform.EnsureMenuForm();
    RecordLastActiveWindow(t, foreground);
    if (!platform.PumpMessages()) return Decided(GateVerdict::LeaveAlone);
  }
  if (IsSuppressed(t)) {
    // A switch made while the marker is off is not shown later.
    if (tick) t.tick.foregroundSwitched = false;
    return Decided(GateVerdict::Hide);
  }

  // Nothing holds the keyboard: a marker left where it was would point at a caret that is
  // gone, for as long as the foreground stays empty.
  if (foreground == 0) {
    return Decided(tick ? GateVerdict::RecoverNoForeground : GateVerdict::Hide);
  }
  const ProgramWindow own = WhichProgramWindow(platform, state, foreground);
  if (own == ProgramWindow::Marker || own == ProgramWindow::Application) {
    return Decided(tick ? GateVerdict::RecoverOwnForeground : GateVerdict::LeaveAlone);
  }
  if (tick) t.tick.noForegroundTicks = 0;

  const std::string className = platform.GetClassName(foreground, kClassNameBuffer);
  const GateVerdict verdict = ForegroundWindowGates(t, pass, foreground, className);
  if (verdict != GateVerdict::Place) return Decided(verdict);
  return LocateAndJudge(t, pass, foreground, className);
}

}  // namespace sevalune
