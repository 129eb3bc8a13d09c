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

std::optional<Target> LocateByAttaching(Tracker& t, WindowHandle foreground) {
  Platform& platform = t.platform;
  if (CountDownHold(t.tick)) return std::nullopt;
  if (platform.GetAsyncKeyState(kVirtualKeyLeftButton) != 0) {
    t.tick.holdTicks = kLeftButtonHoldTicks;
    t.marker.HideTopmost();
    return std::nullopt;
  }

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

std::optional<Target> LocateByThreadInfo(Tracker& t, WindowHandle foreground) {
  Platform& platform = t.platform;
  if (CountDownHold(t.tick)) return std::nullopt;

  Target target;
  const ThreadId thread = platform.GetWindowThreadProcessId(foreground).thread;
  if (!platform.GetGUIThreadInfo(thread, target.threadGuiInfo).value_or(false)) {
    target.threadGuiInfo = GuiThreadInfo{};
  }
  const GuiThreadInfo& info = target.threadGuiInfo;
  target.caretPoint = Point{info.caretRect.left, info.caretRect.bottom};
  platform.ClientToScreen(info.focus, target.caretPoint);
  if (!platform.PumpMessages()) return std::nullopt;
  target.kind = GuiInfoKind(info);
  return target;
}

}  // namespace

std::optional<Target> LocateTarget(Tracker& t, WindowHandle foreground) {
  return t.state.method == LocationMethod::AttachThreadInput ? LocateByAttaching(t, foreground)
                                                             : LocateByThreadInfo(t, foreground);
}

}  // namespace sevalune
