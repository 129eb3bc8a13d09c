// Whether the input method of the program the user types into is open.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace sevalune {

// How long the probe waits for another program's answer; a program that does not answer
// by then counts as having its input method closed.
inline constexpr std::uint32_t kImeProbeTimeoutMs = 50;

// Non-zero when the input method of the process the user types into is open: the focus
// window's process where it differs from the foreground window's (a packaged app inside
// its frame), else the foreground window's. Asks the first "Default IME" window of that
// process found above the foreground window. (Every GUI thread has such a hidden window; on
// Windows it lies directly above its application's.) A program running above this one's
// integrity level is not asked: it counts as closed.
std::int16_t GetImeOpenStatus(Platform& platform);

}  // namespace sevalune
