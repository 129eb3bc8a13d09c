// The soak's only source of chance. Every decision of a run comes from here, in a fixed
// order, so one start value repeats a run exactly (on the same build).
#pragma once

#include <cstdint>
#include <random>
#include <span>

namespace sevalune::soak {

class RandomSource {
 public:
  explicit RandomSource(std::uint64_t startValue) : engine_(startValue) {}

  // 0 <= result < bound; 0 for a bound of 0. Plain modulo: the tiny bias is harmless
  // here, and unlike the standard distributions it is the same on every library.
  std::uint32_t Below(std::uint32_t bound) {
    return bound == 0 ? 0 : static_cast<std::uint32_t>(engine_() % bound);
  }

  // low <= result <= high.
  int Between(int low, int high) {
    return low + static_cast<int>(Below(static_cast<std::uint32_t>(high - low + 1)));
  }

  bool OneIn(std::uint32_t n) { return Below(n) == 0; }

  template <typename T>
  const T& PickFrom(std::span<const T> choices) {
    return choices[Below(static_cast<std::uint32_t>(choices.size()))];
  }

 private:
  std::mt19937_64 engine_;
};

}  // namespace sevalune::soak
