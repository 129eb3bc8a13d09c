// The user32 calls of a simulated process: windows, z-order, activation, input state, and
// the accessibility query, which asks other programs' windows too.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "backend/sim/CaseFold.h"
#include "backend/sim/SimPlatform.h"
#include "platform/Utf.h"
#include "settings/Hotkey.h"

namespace sevalune::sim {
namespace {

constexpr WindowHandle kInsertBottom = 1;
constexpr WindowHandle kInsertNoTopmost = static_cast<WindowHandle>(-2);

// SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOW, SW_RESTORE and SW_SHOWDEFAULT activate the
// window; the NOACTIVATE/NA/minimising variants do not.
bool ShowCommandActivates(int command) {
  return command == 1 || command == 3 || command == 5 || command == 9 || command == 10;
}

std::int32_t Clamped(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::string Truncated(std::string_view text, int maxCount) {
  if (maxCount < 1) return {};
  return TruncateToUtf16Units(text, static_cast<std::size_t>(maxCount) - 1);
}

bool IsInputMethodWindow(const SimWindow& window) {
  return EqualIgnoringCase(window.className, "IME");
}

}  // namespace

WindowHandle SimPlatform::GetForegroundWindow() {
  if (!Enter("GetForegroundWindow")) return 0;
  return desktop_.Foreground();
}

bool SimPlatform::SetForegroundWindow(WindowHandle window) {
  if (!Enter("SetForegroundWindow")) return false;
  const SimWindow* found = desktop_.Window(window);
  // A child window cannot be the active window.
  if (found == nullptr || found->parent != 0 || !desktop_.MaySetForeground(process_)) return false;
  desktop_.ChangeForeground(window, Cause::Program);
  return true;
}

ThreadProcess SimPlatform::GetWindowThreadProcessId(WindowHandle window) {
  if (!Enter("GetWindowThreadProcessId")) return {};
  const SimWindow* found = desktop_.Window(window);
  if (found == nullptr) return {};
  return {found->thread, found->process};
}

std::optional<bool> SimPlatform::GetGUIThreadInfo(ThreadId thread, GuiThreadInfo& info) {
  info = GuiThreadInfo{};
  if (!Enter("GetGUIThreadInfo")) return false;
  if (!desktop_.PlatformNew()) return std::nullopt;
  if (thread == 0) {
    // Thread 0 asks about the foreground thread.
    const SimWindow* foreground = desktop_.Window(desktop_.Foreground());
    if (foreground == nullptr) return false;
    thread = foreground->thread;
  }
  const std::optional<GuiThreadInfo> state = desktop_.GuiState(thread);
  if (!state) return false;
  info = *state;
  return true;
}

bool SimPlatform::AttachThreadInput(ThreadId attach, ThreadId attachTo, bool doAttach) {
  if (!Enter("AttachThreadInput")) return false;
  // Only this process's own thread's attachment is modelled.
  if (attach != thread_ || attachTo == thread_ || attachTo == 0) return false;
  if (doAttach) {
    if (!desktop_.GuiState(attachTo)) return false;
    attachedTo_ = attachTo;
    return true;
  }
  if (attachedTo_ != attachTo) return false;
  attachedTo_ = 0;
  return true;
}

// While attached, the focus, capture and caret queries answer from the shared input
// state, which is the other thread's; otherwise from this process's own thread.
ThreadId SimPlatform::InputThread() const { return attachedTo_ != 0 ? attachedTo_ : thread_; }

WindowHandle SimPlatform::GetFocus() {
  if (!Enter("GetFocus")) return 0;
  const std::optional<GuiThreadInfo> state = desktop_.GuiState(InputThread());
  return state ? state->focus : 0;
}

WindowHandle SimPlatform::GetCapture() {
  if (!Enter("GetCapture")) return 0;
  const std::optional<GuiThreadInfo> state = desktop_.GuiState(InputThread());
  return state ? state->capture : 0;
}

bool SimPlatform::GetCaretPos(Point& point) {
  if (!Enter("GetCaretPos")) return false;
  const std::optional<GuiThreadInfo> state = desktop_.GuiState(InputThread());
  // Without a caret the call still succeeds and reports the origin.
  point =
      (state && state->caret != 0) ? Point{state->caretRect.left, state->caretRect.top} : Point{};
  return true;
}

bool SimPlatform::ClientToScreen(WindowHandle window, Point& point) {
  if (!Enter("ClientToScreen")) return false;
  const SimWindow* found = desktop_.Window(window);
  if (found == nullptr) return false;
  point.x = Clamped(std::int64_t{point.x} + found->rect.left);
  point.y = Clamped(std::int64_t{point.y} + found->rect.top);
  return true;
}

std::string SimPlatform::GetClassName(WindowHandle window, int maxCount) {
  if (!Enter("GetClassName")) return {};
  const SimWindow* found = desktop_.Window(window);
  return found != nullptr ? Truncated(found->className, maxCount) : std::string{};
}

std::string SimPlatform::GetWindowText(WindowHandle window, int maxCount) {
  if (!Enter("GetWindowText")) return {};
  const SimWindow* found = desktop_.Window(window);
  return found != nullptr ? Truncated(found->title, maxCount) : std::string{};
}

WindowHandle SimPlatform::FindWindow(std::optional<std::string_view> className,
                                     std::optional<std::string_view> title) {
  if (!Enter("FindWindow")) return 0;
  for (const WindowHandle candidate : desktop_.Windows().TopLevelZOrder()) {
    const SimWindow& window = *desktop_.Window(candidate);
    if (className && !EqualIgnoringCase(window.className, *className)) continue;
    if (title && !EqualIgnoringCase(window.title, *title)) continue;
    return candidate;
  }
  return 0;
}

WindowHandle SimPlatform::GetWindow(WindowHandle window, WindowRelation relation) {
  if (!Enter("GetWindow")) return 0;
  return desktop_.Windows().Relative(window, relation);
}

WindowHandle SimPlatform::GetDesktopWindow() {
  if (!Enter("GetDesktopWindow")) return 0;
  return desktop_.DesktopWindow();
}

bool SimPlatform::IsWindowVisible(WindowHandle window) {
  if (!Enter("IsWindowVisible")) return false;
  return desktop_.Windows().IsVisibleWithAncestors(window);
}

bool SimPlatform::IsWindowEnabled(WindowHandle window) {
  if (!Enter("IsWindowEnabled")) return false;
  const SimWindow* found = desktop_.Window(window);
  return found != nullptr && found->enabled;
}

bool SimPlatform::IsHungAppWindow(WindowHandle window) {
  if (!Enter("IsHungAppWindow")) return false;
  const SimWindow* found = desktop_.Window(window);
  return found != nullptr && found->thread != thread_ && desktop_.IsJudgedHung(found->process);
}

bool SimPlatform::GetWindowRect(WindowHandle window, Rect& rect) {
  if (!Enter("GetWindowRect")) return false;
  const SimWindow* found = desktop_.Window(window);
  if (found == nullptr) return false;
  rect = found->rect;
  return true;
}

bool SimPlatform::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y,
                               int width, int height, std::uint32_t flags) {
  if (!Enter("SetWindowPos")) return false;
  if (desktop_.Window(window) == nullptr || window == desktop_.DesktopWindow()) return false;
  if ((flags & swp::NoZOrder) == 0 && !ApplyInsertAfter(window, insertAfter)) return false;
  Rect rect = desktop_.Window(window)->rect;
  if ((flags & swp::NoMove) == 0) {
    rect.right = Clamped(std::int64_t{x} + (std::int64_t{rect.right} - rect.left));
    rect.bottom = Clamped(std::int64_t{y} + (std::int64_t{rect.bottom} - rect.top));
    rect.left = x;
    rect.top = y;
  }
  if ((flags & swp::NoSize) == 0) {
    rect.right = Clamped(std::int64_t{rect.left} + std::max(width, 0));
    rect.bottom = Clamped(std::int64_t{rect.top} + std::max(height, 0));
  }
  desktop_.Windows().SetRect(window, rect);
  if ((flags & swp::ShowWindow) != 0) desktop_.Windows().Find(window)->visible = true;
  if ((flags & swp::HideWindow) != 0) desktop_.HideWindow(window, Cause::Program);
  if ((flags & swp::NoActivate) == 0) ActivateIfAllowed(window);
  return true;
}

bool SimPlatform::ApplyInsertAfter(WindowHandle window, WindowHandle insertAfter) {
  WindowTree& tree = desktop_.Windows();
  const SimWindow& moving = *tree.Find(window);
  const bool topLevel = moving.parent == 0;
  if (insertAfter == kInsertTopmost) {
    // Children have no topmost band; for them this is the top of their siblings.
    topLevel ? tree.SetTopmost(window, true) : tree.BringToTop(window);
  } else if (insertAfter == kInsertNoTopmost) {
    // No effect on a window that is not topmost.
    if (topLevel && moving.topmost) tree.SetTopmost(window, false);
  } else if (insertAfter == kInsertTop) {
    tree.BringToTop(window);
  } else if (insertAfter == kInsertBottom) {
    // A topmost window sent to the bottom loses its topmost state.
    if (topLevel && moving.topmost) tree.SetTopmost(window, false);
    tree.SendToBottom(window);
  } else if (insertAfter != window) {
    if (!tree.AreSiblings(window, insertAfter)) return false;
    tree.PlaceBelow(window, insertAfter);
  }
  return true;
}

// Activation by SetWindowPos or ShowWindow: only a visible top-level window that may be
// activated, and never against the foreground lock.
void SimPlatform::ActivateIfAllowed(WindowHandle window) {
  const SimWindow* found = desktop_.Window(window);
  if (found == nullptr || found->parent != 0 || found->noActivate) return;
  if (!desktop_.Windows().IsVisibleWithAncestors(window) || !desktop_.MaySetForeground(process_)) {
    return;
  }
  desktop_.ChangeForeground(window, Cause::Program);
}

bool SimPlatform::ShowWindow(WindowHandle window, int command) {
  if (!Enter("ShowWindow")) return false;
  SimWindow* found = desktop_.Windows().Find(window);
  if (found == nullptr || window == desktop_.DesktopWindow()) return false;
  const bool wasVisible = found->visible;
  if (command == kShowHide) {
    // Hiding a top-level window also puts it on top of its band, as SetWindowPos with
    // HWND_TOP and SWP_HIDEWINDOW does; SetWindowPos hiding with SWP_NOZORDER does not.
    if (wasVisible && found->parent == 0) desktop_.Windows().BringToTop(window);
    desktop_.HideWindow(window, Cause::Program);
  } else {
    found->visible = true;
    if (ShowCommandActivates(command)) ActivateIfAllowed(window);
  }
  return wasVisible;
}

bool SimPlatform::GetCursorPos(Point& point) {
  if (!Enter("GetCursorPos")) return false;
  point = desktop_.Cursor();
  return true;
}

bool SimPlatform::SetCursorPos(int x, int y) {
  if (!Enter("SetCursorPos")) return false;
  const Point placed = ClampToDisplays(desktop_.Monitors(), Point{x, y});
  desktop_.SetCursor(placed);
  desktop_.Emit("cursor-parked " + std::to_string(placed.x) + "," + std::to_string(placed.y));
  return true;
}

std::int16_t SimPlatform::GetAsyncKeyState(int virtualKey) {
  if (!Enter("GetAsyncKeyState")) return 0;
  return virtualKey == kVirtualKeyLeftButton ? desktop_.QueryLeftButton() : std::int16_t{0};
}

std::optional<std::intptr_t> SimPlatform::SendMessageTimeout(WindowHandle window,
                                                             std::uint32_t message,
                                                             std::uintptr_t wParam,
                                                             std::intptr_t /*lParam*/,
                                                             std::uint32_t /*timeoutMs*/) {
  if (!Enter("SendMessageTimeout")) return std::nullopt;
  const SimWindow* found = desktop_.Window(window);
  if (found == nullptr) return std::nullopt;
  // A window of the calling thread is answered by a direct call, which cannot hang.
  if (found->thread != thread_ && desktop_.IsHung(found->process)) return std::nullopt;
  // The system drops a message to a program above the sender's integrity level.
  if (desktop_.RunsAbove(found->process, process_)) return std::nullopt;
  if (message == kMsgImeControl && IsInputMethodWindow(*found)) {
    if (wParam == kImcGetOpenStatus) return desktop_.ImeOpen(found->process) ? 1 : 0;
    if (wParam == kImcGetConversionMode) return desktop_.ImeConversionMode(found->process);
  }
  return 0;
}

Rect SimPlatform::MonitorRectOf(WindowHandle window) {
  if (!Enter("MonitorRectOf")) return {};
  const SimWindow* found = desktop_.Window(window);
  return MonitorRectFor(desktop_.Monitors(),
                        found != nullptr ? std::optional<Rect>(found->rect) : std::nullopt);
}

std::uint32_t SimPlatform::MonitorDpiOf(const Rect& rect) {
  if (!Enter("MonitorDpiOf")) return kDefaultScreenDpi;
  return MonitorFor(desktop_.Monitors(), rect).dpi;
}

}  // namespace sevalune::sim

namespace sevalune::sim {

HotkeyRegistration SimPlatform::RegisterHotKey(int id, std::uint32_t modifiers,
                                               std::uint32_t virtualKey) {
  if (!Enter("RegisterHotKey")) return HotkeyRegistration::Failed;
  const std::uint32_t combination = modifiers & ~mod::NoRepeat;
  const HotkeyRegistration result =
      desktop_.RegisterHotkey(SimHotkey{process_, frmSevalune_, id, combination, virtualKey});
  desktop_.Emit("hotkey register " + HotkeyText(Hotkey{combination, virtualKey}) +
                (result == HotkeyRegistration::Registered ? " ok" : " taken"));
  return result;
}

bool SimPlatform::UnregisterHotKey(int id) {
  if (!Enter("UnregisterHotKey")) return false;
  const bool done = desktop_.UnregisterHotkey(process_, frmSevalune_, id);
  if (done) desktop_.Emit("hotkey unregister");
  return done;
}

AccessibleAnswer SimPlatform::QueryAccessible(WindowHandle window, std::uint64_t serial,
                                              AccessibleReach reach) {
  if (!Enter("QueryAccessible")) return {};
  return accessibleRounds_.Query(desktop_, ThreadProcess{thread_, process_}, window, serial, reach,
                                 timerPeriod_);
}

}  // namespace sevalune::sim
