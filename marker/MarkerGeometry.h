// Where the marker goes for each kind of target, in screen pixels. Pure arithmetic:
// nullopt when a coordinate would not fit in 32 bits.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "platform/Platform.h"
#include "settings/Settings.h"

namespace sevalune {

struct MarkerRect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const MarkerRect&, const MarkerRect&) = default;
};

inline constexpr std::int32_t kMenuMarkerInset = 3;
inline constexpr std::int32_t kMenuMarkerSize = 18;
inline constexpr std::int32_t kTallControlHeight = 50;

constexpr std::optional<MarkerRect> MarkerRectFrom(std::int64_t x, std::int64_t y,
                                                   std::int64_t width, std::int64_t height) {
  constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
  for (std::int64_t v : {x, y, width, height}) {
    if (v < lo || v > hi) return std::nullopt;
  }
  return MarkerRect{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                    static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

// An 18 x 18 square near the outer top-left corner of the window whose menu is open.
constexpr std::optional<MarkerRect> MenuMarker(const Rect& window) {
  return MarkerRectFrom(std::int64_t{window.left} + kMenuMarkerInset,
                        std::int64_t{window.top} + kMenuMarkerInset, kMenuMarkerSize,
                        kMenuMarkerSize);
}

// A block hanging below the caret, its top-left corner at the caret's lower left end.
constexpr MarkerRect CaretMarker(Point caret, bool imeOpen, const MarkerSizes& sizes) {
  return imeOpen ? MarkerRect{caret.x, caret.y, sizes.caretImeWidth, sizes.caretImeHeight}
                 : MarkerRect{caret.x, caret.y, sizes.caretWidth, sizes.caretHeight};
}

constexpr bool IsTallControl(const Rect& control) {
  return std::int64_t{control.bottom} - control.top >= kTallControlHeight;
}

// A bar under a low control, covering its lowest pixel row; a bar along the left edge
// of a tall one, kept at least one pixel inside the display that holds the control.
constexpr std::optional<MarkerRect> PartsMarker(const Rect& control, const MarkerSizes& sizes,
                                                std::int32_t monitorLeft) {
  const std::int64_t height = std::int64_t{control.bottom} - control.top;
  if (!IsTallControl(control)) {
    return MarkerRectFrom(control.left, std::int64_t{control.bottom} - 1,
                          std::int64_t{control.right} - control.left, sizes.lowBarHeight);
  }
  const std::int64_t x = std::max(std::int64_t{monitorLeft} + 1, std::int64_t{control.left} - 1);
  return MarkerRectFrom(x, control.top, sizes.tallBarWidth, height);
}

}  // namespace sevalune
