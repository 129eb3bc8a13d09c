// Whether the input method of the foreground window's process is on: its open status, and
// where the settings ask for it, its conversion mode.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Platform.h"

namespace sevalune {

// How long the probe waits for another program's answer; a program that does not answer
// by then counts as having its input method closed.
inline constexpr std::uint32_t kImeProbeTimeoutMs = 50;

// The state the marker shows from the open status and, with needsNativeMode ("IMEHantei"),
// the conversion mode: open counts only in the native mode (kana, Hangul, Chinese
// characters). Korean input switches between Hangul and Latin letters with that bit alone,
// and Chinese input methods stay open in their English mode. No answer counts as not native.
constexpr std::int16_t ImeStateFor(std::int16_t openStatus,
                                   std::optional<std::intptr_t> conversionMode,
                                   bool needsNativeMode) {
  if (!needsNativeMode || openStatus == 0) return openStatus;
  const bool native = conversionMode && (*conversionMode & kImeConversionNative) != 0;
  return native ? openStatus : std::int16_t{0};
}

// Non-zero when the input method of the foreground window's process is on: asks the first
// "Default IME" window of that process found above the foreground window for its open
// status and, only with needsNativeMode and while it is open, its conversion mode. (Every
// GUI thread has such a hidden window; on Windows it lies directly above its application's.)
std::int16_t GetImeOpenStatus(Platform& platform, bool needsNativeMode);

}  // namespace sevalune
