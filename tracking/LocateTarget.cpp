#include "tracking/LocateTarget.h"

#include <limits>

#include "app/AppIdentity.h"
#include "marker/MarkerWindow.h"

namespace sevalune {
namespace {

constexpr std::uint32_t kCaretBlinking = 1;
constexpr std::int32_t kFirstMenuFlag = 4;  // in-menu, system-menu and pop-up-menu bits
// GetCaretPos gives the caret's top; the older method guesses its lower end this far down.
constexpr std::int32_t kOldMethodCaretDrop = 14;
constexpr std::int16_t kLeftButtonHoldTicks = 2;

// Spends one tick of a running hold; true when the tick is held.
bool CountDownHold(TickState& tick) {
  if (tick.HoldTicks <= 0) return false;
  --tick.HoldTicks;
  return true;
}

TargetKind OldMethodKind(const GuiThreadInfo& info) {
  if (info.capture != 0) return TargetKind::Menu;
  return info.flags == kCaretBlinking ? TargetKind::Caret : TargetKind::Parts;
}

TargetKind GuiInfoKind(const GuiThreadInfo& info) {
  const bool inMenuMode = static_cast<std::int32_t>(info.flags) >= kFirstMenuFlag;
  const bool foreignCapture = info.capture != 0 && info.capture != info.focus;
  if (inMenuMode || foreignCapture) return TargetKind::Menu;
  return info.flags == kCaretBlinking ? TargetKind::Caret : TargetKind::Parts;
}

std::optional<Target> LocateByAttaching(Program& program, WindowHandle foreground) {
  Platform& platform = program.platform;
  if (CountDownHold(program.TickState)) return std::nullopt;
  if (platform.GetAsyncKeyState(kVirtualKeyLeftButton) != 0) {
    program.TickState.HoldTicks = kLeftButtonHoldTicks;
    HideMarkerTopmost(platform);
    return std::nullopt;
  }

  const ThreadId own = platform.GetWindowThreadProcessId(platform.MarkerWindow()).thread;
  const ThreadId other = platform.GetWindowThreadProcessId(foreground).thread;
  Target target;
  Point caret;
  platform.AttachThreadInput(own, other, true);
  target.ThreadGuiInfo.focus = platform.GetFocus();
  target.ThreadGuiInfo.capture = platform.GetCapture();
  // A caret position that could not be read counts as no caret.
  const bool caretRead = platform.GetCaretPos(caret);
  platform.AttachThreadInput(own, other, false);

  // A caret at the client origin is indistinguishable from none and counts as none.
  if (caretRead && (caret.x != 0 || caret.y != 0)) {
    target.ThreadGuiInfo.flags = kCaretBlinking;
    platform.ClientToScreen(target.ThreadGuiInfo.focus, caret);
    if (caret.y <= std::numeric_limits<std::int32_t>::max() - kOldMethodCaretDrop) {
      caret.y += kOldMethodCaretDrop;
    }
    target.CaretPoint = caret;
  }
  platform.PumpMessages();
  target.TargetKind = OldMethodKind(target.ThreadGuiInfo);
  return target;
}

std::optional<Target> LocateByThreadInfo(Program& program, WindowHandle foreground) {
  Platform& platform = program.platform;
  if (CountDownHold(program.TickState)) return std::nullopt;

  Target target;
  const ThreadId thread = platform.GetWindowThreadProcessId(foreground).thread;
  if (!platform.GetGUIThreadInfo(thread, target.ThreadGuiInfo).value_or(false)) {
    target.ThreadGuiInfo = GuiThreadInfo{};
  }
  const GuiThreadInfo& info = target.ThreadGuiInfo;
  target.CaretPoint = Point{info.caretRect.left, info.caretRect.bottom};
  platform.ClientToScreen(info.focus, target.CaretPoint);
  platform.PumpMessages();
  target.TargetKind = GuiInfoKind(info);
  return target;
}

}  // namespace

std::optional<Target> LocateTarget(Program& program, WindowHandle foreground) {
  std::optional<Target> target = program.state.PlatformMark == kOldMethodMark
                                     ? LocateByAttaching(program, foreground)
                                     : LocateByThreadInfo(program, foreground);
  if (target && target->TargetKind == TargetKind::Parts && program.settings.DebugMode) {
    target->TargetKind = TargetKind::Caret;
  }
  return target;
}

}  // namespace sevalune
