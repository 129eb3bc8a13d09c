#include "tests/soak/SoakOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace sevalune::soak {
namespace {

std::optional<std::uint64_t> WholeNumber(const std::string& text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
  return value;
}

std::optional<double> PositiveSeconds(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* stop = nullptr;
  const double value = std::strtod(text.c_str(), &stop);
  if (stop != text.c_str() + text.size() || !std::isfinite(value) || value <= 0) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string UsageText() {
  return "usage: sevalune_soak [--ticks N] [--seconds S] [--random V] [--platform new|old]\n"
         "  --ticks N      timer ticks to run (default 1000000)\n"
         "  --seconds S    stop after S seconds even if fewer ticks ran (not a failure)\n"
         "  --random V     the random start value; repeats an earlier run exactly\n"
         "  --platform K   the platform kind: new (with per-thread GUI information) or old;\n"
         "                 chosen from the random start value when not given\n";
}

std::variant<SoakOptions, UsageError> ParseOptions(const std::vector<std::string>& arguments) {
  SoakOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (i + 1 >= arguments.size()) return UsageError{"missing value after " + name};
    const std::string& value = arguments[++i];
    if (name == "--ticks") {
      const std::optional<std::uint64_t> ticks = WholeNumber(value);
      if (!ticks || *ticks == 0) return UsageError{"--ticks needs a whole number above 0"};
      options.ticks = *ticks;
    } else if (name == "--seconds") {
      options.seconds = PositiveSeconds(value);
      if (!options.seconds) return UsageError{"--seconds needs a number above 0"};
    } else if (name == "--random") {
      options.randomValue = WholeNumber(value);
      if (!options.randomValue) return UsageError{"--random needs a whole number"};
    } else if (name == "--platform") {
      if (value != "new" && value != "old") return UsageError{"--platform is new or old"};
      options.platform = value == "old" ? PlatformKind::Old : PlatformKind::New;
    } else {
      return UsageError{"unknown option " + name};
    }
  }
  return options;
}

}  // namespace sevalune::soak
