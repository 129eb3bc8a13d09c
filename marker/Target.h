// What the marker points at: the kind of target the location step found in the
// foreground window's GUI thread, and where.
#pragma once

#include <optional>

#include "platform/Platform.h"

namespace sevalune {

enum class TargetKind { None, Menu, Caret, FocusedControl };

// A focused element inside the focus window, named by the accessibility interfaces.
struct FocusedElement {
  Rect rect;     // screen pixels
  Rect display;  // the display that holds its window
  friend bool operator==(const FocusedElement&, const FocusedElement&) = default;
};

struct Target {
  TargetKind kind = TargetKind::None;
  Point caretPoint;             // the caret's left edge and lower end, screen pixels
  GuiThreadInfo threadGuiInfo;  // its focus window is the target's focus window
  ThreadId thread = 0;          // the GUI thread it was found in
  // For a focused control: the focused element inside the focus window that the
  // accessibility interfaces named, when smaller than the window; the bar goes there.
  std::optional<FocusedElement> element;
};

}  // namespace sevalune
