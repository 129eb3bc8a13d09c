// The blink cycle: the marker is placed in the first half of a cycle of ticks, shrunk
// at its middle and left alone for the rest.
#pragma once

#include <cstdint>

namespace sevalune {

enum class BlinkAction { Place, Hide, Nothing };

// The phase after this tick: a new target restarts the cycle at 0.
constexpr std::int16_t NextBlinkPhase(bool targetChanged, std::int16_t phase,
                                      std::int32_t blinkFactor) {
  if (targetChanged || blinkFactor < 1) return 0;
  return static_cast<std::int16_t>((phase + 1) % blinkFactor);
}

// H = half the factor, fraction dropped; R = half the factor rounded to even.
constexpr std::int32_t BlinkOnTicks(std::int32_t blinkFactor) { return blinkFactor / 2; }
constexpr std::int32_t BlinkHidePhase(std::int32_t blinkFactor) {
  const std::int32_t half = blinkFactor / 2;
  const bool odd = blinkFactor % 2 != 0;
  return odd && half % 2 != 0 ? half + 1 : half;
}

// Whether the cycle shows the marker after the tick of this phase: from the phase that
// places it up to the one that hides it.
constexpr bool BlinkShows(std::int16_t phase, std::int32_t blinkFactor) {
  return phase >= 0 && phase < BlinkHidePhase(blinkFactor) && BlinkOnTicks(blinkFactor) > 0;
}

constexpr BlinkAction BlinkActionAt(std::int16_t phase, std::int32_t blinkFactor) {
  if (phase >= 0 && phase <= BlinkOnTicks(blinkFactor) - 1) return BlinkAction::Place;
  if (phase == BlinkHidePhase(blinkFactor)) return BlinkAction::Hide;
  return BlinkAction::Nothing;
}

}  // namespace sevalune
