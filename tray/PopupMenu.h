#pragma once

#include "app/Program.h"

namespace sevalune {

// The tray icon's pop-up menu, shown at the pointer with tracking suspended meanwhile;
// the chosen command runs inside it. A second click while it runs does nothing.
void RunPopupMenu(Program& program);

}  // namespace sevalune
