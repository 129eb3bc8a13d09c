// The tray icon's pop-up menu step: the menu shown at the pointer and the chosen command run.
#pragma once

#include "tray/Tray.h"

namespace sevalune {

// The tray icon's pop-up menu, shown at the pointer with tracking suspended meanwhile;
// the chosen command runs inside it (Settings only asks the program for its window). A
// second click while it runs does nothing. Answers the command chosen, None when the step
// ended early.
MenuCommand RunPopupMenu(Tray& tray);

}  // namespace sevalune
