// The bound on every walk over the z-order.
#pragma once

#include <cstddef>

namespace sevalune {

// Any walk over the z-order stops after this many windows, so a z-order that keeps
// changing under the walk cannot hold the program in it (a session holds at most
// 65536 window handles).
inline constexpr std::size_t kWindowWalkLimit = 65536;

}  // namespace sevalune
