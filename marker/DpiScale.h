// Marker sizes are taken as given for a display at 100 % (96 DPI). The program sees
// physical pixels on every display (it is per-monitor DPI aware), so a size is scaled to
// the DPI of the display that holds the target to look the same everywhere.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/Platform.h"

namespace sevalune {

// `size` pixels at 96 DPI in pixels at `dpi`: to the nearest pixel, a half rounding up,
// and never below 1. A size of 0 or less is used as it is at every DPI: it gives the
// marker no area in that direction, as it always has, and there is nothing to scale.
constexpr std::int64_t ScaledToDpi(std::int32_t size, std::uint32_t dpi) {
  if (size <= 0) return size;
  const std::int64_t scaled =
      (std::int64_t{size} * dpi + kDefaultScreenDpi / 2) / std::int64_t{kDefaultScreenDpi};
  return std::max<std::int64_t>(scaled, 1);
}

}  // namespace sevalune
