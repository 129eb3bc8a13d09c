// What the marker points at: the kind of target the location step found in the
// foreground window's GUI thread, and where.
#pragma once

#include "platform/Platform.h"

namespace sevalune {

enum class TargetKind { None, Menu, Caret, Parts };

struct Target {
  TargetKind kind = TargetKind::None;
  Point caretPoint;             // the caret's left edge and lower end, screen pixels
  GuiThreadInfo threadGuiInfo;  // its focus window is the target's focus window
  ThreadId thread = 0;          // the GUI thread it was found in
};

}  // namespace sevalune
