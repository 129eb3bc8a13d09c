// Where the marker goes for each kind of target, in screen pixels. Pure arithmetic:
// nullopt when a coordinate would not fit in 32 bits. Every size the marker takes is given
// for 96 DPI and scaled to `dpi`, the DPI of the display that holds the target; positions
// and the lengths taken from the target (a bar's length) are not scaled.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "marker/DpiScale.h"
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

// The rectangle of the one pixel at a point, for asking which display holds the point.
constexpr Rect PixelAt(Point point) {
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  return Rect{point.x, point.y, point.x < hi ? point.x + 1 : hi, point.y < hi ? point.y + 1 : hi};
}

// An 18 x 18 square (at 96 DPI) near the outer top-left corner of the window whose menu is
// open.
constexpr std::optional<MarkerRect> MenuMarker(const Rect& window, std::uint32_t dpi) {
  const std::int64_t size = ScaledToDpi(kMenuMarkerSize, dpi);
  return MarkerRectFrom(std::int64_t{window.left} + kMenuMarkerInset,
                        std::int64_t{window.top} + kMenuMarkerInset, size, size);
}

// A block hanging below the caret, its top-left corner at the caret's lower left end.
constexpr std::optional<MarkerRect> CaretMarker(Point caret, bool imeOpen, const MarkerSizes& sizes,
                                                std::uint32_t dpi) {
  const std::int32_t width = imeOpen ? sizes.caretImeWidth : sizes.caretWidth;
  const std::int32_t height = imeOpen ? sizes.caretImeHeight : sizes.caretHeight;
  return MarkerRectFrom(caret.x, caret.y, ScaledToDpi(width, dpi), ScaledToDpi(height, dpi));
}

constexpr bool IsTallControl(const Rect& control) {
  return std::int64_t{control.bottom} - control.top >= kTallControlHeight;
}

// A bar under a low control, covering its lowest pixel row, as wide as the control; a bar
// along the left edge of a tall one, as high as the control, kept at least one pixel
// inside the display that holds it.
constexpr std::optional<MarkerRect> PartsMarker(const Rect& control, const MarkerSizes& sizes,
                                                std::int32_t monitorLeft, std::uint32_t dpi) {
  const std::int64_t height = std::int64_t{control.bottom} - control.top;
  if (!IsTallControl(control)) {
    return MarkerRectFrom(control.left, std::int64_t{control.bottom} - 1,
                          std::int64_t{control.right} - control.left,
                          ScaledToDpi(sizes.lowBarHeight, dpi));
  }
  const std::int64_t x = std::max(std::int64_t{monitorLeft} + 1, std::int64_t{control.left} - 1);
  return MarkerRectFrom(x, control.top, ScaledToDpi(sizes.tallBarWidth, dpi), height);
}

}  // namespace sevalune
