// Whether the input method of the foreground window's process is open.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace sevalune {

// How long the probe waits for another program's answer; a program that does not answer
// by then counts as having its input method closed.
inline constexpr std::uint32_t kImeProbeTimeoutMs = 50;

// Non-zero when the input method of the foreground window's process is open: asks the
// first "Default IME" window of that process found above the foreground window. (Every GUI
// thread has such a hidden window; on Windows it lies directly above its application's.)
std::int16_t GetImeOpenStatus(Platform& platform);

}  // namespace sevalune
