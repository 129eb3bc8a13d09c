#pragma once

#include "app/Program.h"

namespace sevalune {

// The main window's load handler: the whole start-up, strictly in order. Ends the
// process when another instance runs or the settings cannot be taken.
void Form_Load(Program& program);

}  // namespace sevalune
