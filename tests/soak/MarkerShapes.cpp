#include "tests/soak/MarkerShapes.h"

#include <cstdint>

namespace sevalune::soak {
namespace {

constexpr std::int64_t kMenuSquare = 18;
constexpr std::int64_t kTallControl = 50;

}  // namespace

std::string RectText(const Rect& rect) {
  const std::int64_t width = std::int64_t{rect.right} - rect.left;
  const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
  return std::to_string(width) + "x" + std::to_string(height) + " at (" +
         std::to_string(rect.left) + "," + std::to_string(rect.top) + ")";
}

std::optional<std::string> UndocumentedMarkerShape(const Rect& marker, const MarkerSizes& sizes,
                                                   bool startUpShapeAllowed) {
  const std::int64_t width = std::int64_t{marker.right} - marker.left;
  const std::int64_t height = std::int64_t{marker.bottom} - marker.top;
  const bool hiddenAtOrigin = marker == Rect{};
  const bool startUp = startUpShapeAllowed && marker == kStartUpMarker;
  const bool caretBlock = (width == sizes.caretWidth && height == sizes.caretHeight) ||
                          (width == sizes.caretImeWidth && height == sizes.caretImeHeight);
  const bool barUnder = height == sizes.lowBarHeight;
  const bool barBeside = width == sizes.tallBarWidth && height >= kTallControl;
  const bool menuSquare = width == kMenuSquare && height == kMenuSquare;
  if (hiddenAtOrigin || startUp || caretBlock || barUnder || barBeside || menuSquare) {
    return std::nullopt;
  }
  return "the marker is " + RectText(marker) + ", none of its documented shapes";
}

}  // namespace sevalune::soak
