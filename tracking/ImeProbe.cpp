#include "tracking/ImeProbe.h"

#include <limits>
#include <optional>

#include "platform/TextBuffers.h"
#include "tracking/WindowWalk.h"

namespace sevalune {
namespace {

constexpr std::string_view kDefaultImeTitle = "Default IME";

// The first window above `start` that is the default input-method window of `process`.
WindowHandle FindDefaultImeWindowAbove(Platform& platform, WindowHandle start, ProcessId process) {
  WindowHandle window = platform.GetWindow(start, WindowRelation::Previous);
  for (std::size_t visited = 0; window != 0; ++visited) {
    if (visited == kWindowWalkLimit) return 0;
    if (platform.GetWindowText(window, kImeWindowTitleBuffer) == kDefaultImeTitle &&
        platform.GetWindowThreadProcessId(window).process == process) {
      return window;
    }
    window = platform.GetWindow(window, WindowRelation::Previous);
  }
  return 0;
}

// The window whose process the user types into: the focus window where it belongs to
// another process than the foreground window (a packaged app's core window inside the
// frame host's frame; their threads share one input state, so the frame's thread reports
// the app's focus), else the foreground window.
WindowHandle TypingWindow(Platform& platform, WindowHandle foreground, ThreadProcess owner) {
  GuiThreadInfo info;
  const std::optional<bool> answered = platform.GetGUIThreadInfo(owner.thread, info);
  if (!answered || !*answered || info.focus == 0 || info.focus == foreground) return foreground;
  const ProcessId process = platform.GetWindowThreadProcessId(info.focus).process;
  return process != 0 && process != owner.process ? info.focus : foreground;
}

}  // namespace

std::int16_t GetImeOpenStatus(Platform& platform) {
  const WindowHandle foreground = platform.GetForegroundWindow();
  const ThreadProcess owner = platform.GetWindowThreadProcessId(foreground);
  const WindowHandle typing = TypingWindow(platform, foreground, owner);
  // A program above this one's integrity level drops its messages unanswered: asking it
  // would only read "closed" after the wait.
  if (platform.RunsAboveOurIntegrity(typing)) return 0;
  const ProcessId process =
      typing == foreground ? owner.process : platform.GetWindowThreadProcessId(typing).process;
  const WindowHandle ime = FindDefaultImeWindowAbove(platform, foreground, process);
  if (ime == 0) return 0;
  const std::optional<std::intptr_t> status =
      platform.SendMessageTimeout(ime, kMsgImeControl, kImcGetOpenStatus, 0, kImeProbeTimeoutMs);
  // No answer in time (a hung program) counts as closed; so does an answer that does
  // not fit the 16-bit status.
  if (!status || *status < std::numeric_limits<std::int16_t>::min() ||
      *status > std::numeric_limits<std::int16_t>::max()) {
    return 0;
  }
  return static_cast<std::int16_t>(*status);
}

}  // namespace sevalune
