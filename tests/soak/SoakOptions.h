// The soak program's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tests/soak/SoakProfile.h"

namespace sevalune::soak {

inline constexpr std::uint64_t kDefaultTicks = 1'000'000;

struct SoakOptions {
  std::uint64_t ticks = kDefaultTicks;
  std::optional<double> seconds;             // stop early (not a failure) after this long
  std::optional<std::uint64_t> randomValue;  // a fresh one when not given
  std::optional<PlatformKind> platform;      // chosen from the random value when not given
  bool help = false;
};

struct UsageError {
  std::string message;
};

std::variant<SoakOptions, UsageError> ParseOptions(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace sevalune::soak
