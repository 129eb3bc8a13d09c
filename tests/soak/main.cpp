// sevalune_soak: the program's real core on a simulated desktop that changes at random,
// for a million ticks by default, with its invariants checked throughout. Exit status:
// 0 passed (also when stopped early by --seconds), 1 an invariant was broken, 2 usage.
#include <iostream>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "tests/soak/SoakOptions.h"
#include "tests/soak/SoakRun.h"

namespace {

std::uint64_t FreshRandomValue() {
  std::random_device device;
  return (std::uint64_t{device()} << 32) | device();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sevalune::soak;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const std::variant<SoakOptions, UsageError> parsed = ParseOptions(arguments);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    std::cerr << "sevalune_soak: " << error->message << "\n" << UsageText();
    return 2;
  }
  const SoakOptions& options = std::get<SoakOptions>(parsed);
  if (options.help) {
    std::cout << UsageText();
    return 0;
  }
  SoakRun run(options, options.randomValue.value_or(FreshRandomValue()), std::cout);
  return run.Run().passed ? 0 : 1;
}
