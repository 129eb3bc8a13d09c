// What the location step found in the foreground window's GUI thread.
#pragma once

#include <string_view>

#include "winquery/Platform.h"

namespace sevalune {

enum class TargetKind { None, Menu, Caret, Parts };

constexpr std::string_view TargetKindName(TargetKind kind) {
  switch (kind) {
    case TargetKind::Menu:
      return "menu";
    case TargetKind::Caret:
      return "caret";
    case TargetKind::Parts:
      return "parts";
    case TargetKind::None:
      break;
  }
  return "";
}

struct Target {
  sevalune::TargetKind TargetKind = sevalune::TargetKind::None;
  Point CaretPoint;             // the caret's left edge and lower end, screen pixels
  GuiThreadInfo ThreadGuiInfo;  // its focus window is the target's focus window
};

}  // namespace sevalune
