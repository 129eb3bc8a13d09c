// Where a UI Automation caret range puts the caret. The range is degenerate: its own
// bounding rectangles are an empty array, so the caret is read off a character beside it.
// At the end of a text the character after it has no rectangle either (nor, often, a line
// break), which is exactly where people type; the character before it then tells.
#pragma once

#include <optional>

#include "platform/Platform.h"

namespace sevalune {

// The caret's rectangle, with no width, from what the range's neighbours answer, asked in
// this order and only as far as needed (each reader answers nullopt for "no rectangle"):
//  - `own`: the range itself (a provider that gives the degenerate range a rectangle);
//  - `next`: the range expanded to its enclosing character: the caret at its left edge;
//  - `previous`: the range's start moved back one character, then expanded: the caret at
//    its right edge (the end of a text);
//  - `lineStart`: the range expanded to its line, else the element's text area: the caret
//    at its left edge (an empty text).
// A rectangle without height is no answer. nullopt when none answers.
template <typename Own, typename Next, typename Previous, typename LineStart>
std::optional<Rect> CaretFromTextRange(Own own, Next next, Previous previous, LineStart lineStart) {
  const auto usable = [](const std::optional<Rect>& rect) {
    return rect && IsAccessibleRectangle(*rect);
  };
  const auto leftEdge = [](Rect rect) {
    rect.right = rect.left;
    return rect;
  };
  if (const std::optional<Rect> rect = own(); usable(rect)) return rect;
  if (const std::optional<Rect> rect = next(); usable(rect)) return leftEdge(*rect);
  if (const std::optional<Rect> rect = previous(); usable(rect)) {
    Rect edge = *rect;
    edge.left = edge.right;
    return edge;
  }
  if (const std::optional<Rect> rect = lineStart(); usable(rect)) return leftEdge(*rect);
  return std::nullopt;
}

}  // namespace sevalune
