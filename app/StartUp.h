// Start-up: everything the program does once, in order, before its first tick.
#pragma once

#include "app/Program.h"

namespace sevalune {

// The main window's load handler: the whole start-up, strictly in order. Asks the
// platform to quit (and returns) when another instance runs or the settings cannot be
// taken.
void Form_Load(Program& program);

}  // namespace sevalune
