// Which kind of target a thread's GUI state shows. Pure rules.
#pragma once

#include <cstdint>

#include "marker/Target.h"
#include "platform/Platform.h"

namespace sevalune {

inline constexpr std::uint32_t kGuiCaretBlinking = 1;
// Flags from this value up are the in-menu, system-menu and pop-up-menu bits.
inline constexpr std::int32_t kGuiFirstMenuFlag = 4;

// By the per-thread GUI query: a menu while the thread is in menu mode or another window
// than the focus holds the mouse capture (a drop-down list, a menu of a program that does
// not report menu mode); a caret only when the caret bit is the one flag set.
constexpr TargetKind GuiInfoKind(const GuiThreadInfo& info) {
  const bool inMenuMode = static_cast<std::int32_t>(info.flags) >= kGuiFirstMenuFlag;
  const bool foreignCapture = info.capture != 0 && info.capture != info.focus;
  if (inMenuMode || foreignCapture) return TargetKind::Menu;
  return info.flags == kGuiCaretBlinking ? TargetKind::Caret : TargetKind::FocusedControl;
}

// By attaching to the thread's input, which shows no menu mode: any capture counts as a
// menu.
constexpr TargetKind OldMethodKind(const GuiThreadInfo& info) {
  if (info.capture != 0) return TargetKind::Menu;
  return info.flags == kGuiCaretBlinking ? TargetKind::Caret : TargetKind::FocusedControl;
}

}  // namespace sevalune
