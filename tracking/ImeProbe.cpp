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

std::optional<std::intptr_t> AskImeWindow(Platform& platform, WindowHandle ime,
                                          std::uintptr_t command) {
  return platform.SendMessageTimeout(ime, kMsgImeControl, command, 0, kImeProbeTimeoutMs);
}

}  // namespace

std::int16_t GetImeOpenStatus(Platform& platform, bool needsNativeMode) {
  const WindowHandle foreground = platform.GetForegroundWindow();
  const ProcessId process = platform.GetWindowThreadProcessId(foreground).process;
  const WindowHandle ime = FindDefaultImeWindowAbove(platform, foreground, process);
  if (ime == 0) return 0;
  const std::optional<std::intptr_t> status = AskImeWindow(platform, ime, kImcGetOpenStatus);
  // No answer in time (a hung program) counts as closed; so does an answer that does
  // not fit the 16-bit status.
  if (!status || *status < std::numeric_limits<std::int16_t>::min() ||
      *status > std::numeric_limits<std::int16_t>::max()) {
    return 0;
  }
  const auto open = static_cast<std::int16_t>(*status);
  // The conversion mode is asked only when it decides something: one message less per tick.
  if (!needsNativeMode || open == 0) return open;
  return ImeStateFor(open, AskImeWindow(platform, ime, kImcGetConversionMode), needsNativeMode);
}

}  // namespace sevalune
