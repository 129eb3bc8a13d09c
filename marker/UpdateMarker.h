#pragma once

#include <cstdint>

#include "app/Program.h"
#include "tracking/Target.h"

namespace sevalune {

// Advances the blink cycle and, in its "on" part, puts the marker on the target in the
// colour and size for the kind of target and the input-method state.
void UpdateMarker(Program& program, const Target& target, WindowHandle foreground,
                  std::int16_t imeOpen);

}  // namespace sevalune
