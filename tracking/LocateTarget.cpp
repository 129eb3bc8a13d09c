#include "tracking/LocateTarget.h"

#include <limits>

#include "tracking/TargetKinds.h"

namespace sevalune {
namespace {

// GetCaretPos gives the caret's top; the older method guesses its lower end this far down.
constexpr std::int32_t kOldMethodCaretDrop = 14;
// A press of the left button on the older method holds this many ticks: attaching to a
// thread's input while the user drags in it would disturb the drag.
constexpr std::int16_t kLeftButtonHoldTicks = 2;

// Spends one tick of a running hold; true when the tick is held.
bool CountDownHold(TickState& tick) {
  if (tick.holdTicks <= 0) return false;
  --tick.holdTicks;
  return true;
}

std::optional<Target> LocateByAttaching(Platform& platform, WindowHandle foreground) {
  const ThreadId own = platform.GetWindowThreadProcessId(platform.MarkerWindow()).thread;
  const ThreadId other = platform.GetWindowThreadProcessId(foreground).thread;
  Target target;
  Point caret;
  platform.AttachThreadInput(own, other, true);
  target.threadGuiInfo.focus = platform.GetFocus();
  target.threadGuiInfo.capture = platform.GetCapture();
  // A caret position that could not be read counts as no caret.
  const bool caretRead = platform.GetCaretPos(caret);
  platform.AttachThreadInput(own, other, false);

  // A caret at the client origin is indistinguishable from none and counts as none.
  if (caretRead && (caret.x != 0 || caret.y != 0)) {
    target.threadGuiInfo.flags = kGuiCaretBlinking;
    platform.ClientToScreen(target.threadGuiInfo.focus, caret);
    if (caret.y <= std::numeric_limits<std::int32_t>::max() - kOldMethodCaretDrop) {
      caret.y += kOldMethodCaretDrop;
    }
    target.caretPoint = caret;
  }
  if (!platform.PumpMessages()) return std::nullopt;
  target.kind = OldMethodKind(target.threadGuiInfo);
  return target;
}

// The thread's GUI state by the per-thread query, without pumping messages.
Target ReadThreadInfo(Platform& platform, WindowHandle foreground) {
  Target target;
  target.thread = platform.GetWindowThreadProcessId(foreground).thread;
  if (!platform.GetGUIThreadInfo(target.thread, target.threadGuiInfo).value_or(false)) {
    target.threadGuiInfo = GuiThreadInfo{};
  }
  const GuiThreadInfo& info = target.threadGuiInfo;
  target.caretPoint = Point{info.caretRect.left, info.caretRect.bottom};
  // The caret's rectangle is in the client coordinates of the window that holds the caret:
  // the focus window, but for a moment while a program replaces its focused control, when
  // the caret may still be the old control's. Without a caret window, the focus window's.
  const WindowHandle caretWindow = info.caret != 0 ? info.caret : info.focus;
  const bool onScreen = platform.ClientToScreen(caretWindow, target.caretPoint);
  target.kind = GuiInfoKind(info);
  // A caret whose window is gone by now cannot be put on the screen: nothing to mark.
  if (target.kind == TargetKind::Caret && !onScreen) target.kind = TargetKind::None;
  return target;
}

std::optional<Target> LocateByThreadInfo(Platform& platform, WindowHandle foreground) {
  Target target = ReadThreadInfo(platform, foreground);
  if (!platform.PumpMessages()) return std::nullopt;
  return target;
}

std::optional<Target> LocateBySystem(Platform& platform, LocationMethod method,
                                     WindowHandle foreground) {
  return method == LocationMethod::AttachThreadInput ? LocateByAttaching(platform, foreground)
                                                     : LocateByThreadInfo(platform, foreground);
}

// The tick's holds: a running hold countdown, and on the older method the left button in
// use.
bool HoldsThisTick(Tracker& t) {
  if (CountDownHold(t.tick)) return true;
  if (t.state.method != LocationMethod::AttachThreadInput) return false;
  if (t.platform.GetAsyncKeyState(kVirtualKeyLeftButton) == 0) return false;
  t.tick.holdTicks = kLeftButtonHoldTicks;
  t.marker.ShrinkOnTop();
  return true;
}

}  // namespace

std::optional<Target> FindTarget(Platform& platform, LocationMethod method, bool debugMode,
                                 WindowHandle foreground) {
  std::optional<Target> target = LocateBySystem(platform, method, foreground);
  if (target) ApplyDebugMode(debugMode, *target);
  return target;
}

void ApplyDebugMode(bool debugMode, Target& target) {
  if (target.kind == TargetKind::FocusedControl && debugMode) target.kind = TargetKind::Caret;
}

std::optional<Target> LocateTarget(Tracker& t, WindowHandle foreground) {
  if (HoldsThisTick(t)) return std::nullopt;
  return LocateBySystem(t.platform, t.state.method, foreground);
}

std::optional<Target> LocateBetweenTicks(Tracker& t, WindowHandle foreground) {
  if (t.state.method == LocationMethod::AttachThreadInput || t.tick.holdTicks > 0) {
    return std::nullopt;
  }
  return ReadThreadInfo(t.platform, foreground);
}

}  // namespace sevalune
