// Which of the program's own top-level windows a window is: the one answer to "is this a
// window of ours?" for the tick, the placement between ticks, the recovery and the finder.
#pragma once

#include "platform/Platform.h"
#include "tracking/AppState.h"

namespace sevalune {

enum class ProgramWindow { None, Marker, Application, MenuForm };

// Asks only: the hidden menu window is not brought into being here (0 when it does not
// exist, which no window handle equals).
inline ProgramWindow WhichProgramWindow(Platform& platform, const AppState& state,
                                        WindowHandle window) {
  if (window == 0) return ProgramWindow::None;
  if (window == platform.MarkerWindow()) return ProgramWindow::Marker;
  if (window == state.appWindow) return ProgramWindow::Application;
  if (window == platform.MenuFormWindow()) return ProgramWindow::MenuForm;
  return ProgramWindow::None;
}

inline bool IsProgramWindow(Platform& platform, const AppState& state, WindowHandle window) {
  return WhichProgramWindow(platform, state, window) != ProgramWindow::None;
}

}  // namespace sevalune
