// sevalune-sim [--quiet] SCENARIO [SCENARIO...]: runs desktop scenarios on the simulated
// desktop. One file prints and exits as docs/scenarios.md describes; several run one after
// the other in this process, each on a desktop of its own; --quiet leaves out the output of
// those that passed.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

#include "simrunner/ScenarioFiles.h"
#include "simrunner/ScenarioRunner.h"

namespace {

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The name as UTF-8, whatever the platform's own form of paths.
std::string NameOf(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(reinterpret_cast<const char*>(name.data()), name.size());
}

int Run(std::vector<std::filesystem::path> arguments) {
  using namespace sevalune::sim;
  const bool quiet = !arguments.empty() && NameOf(arguments.front()) == "--quiet";
  if (quiet) arguments.erase(arguments.begin());
  if (arguments.empty()) {
    std::cerr << "usage: sevalune-sim [--quiet] SCENARIO [SCENARIO...]\n";
    return 2;
  }
  if (arguments.size() == 1 && !quiet) {
    const std::optional<std::string> text = ReadFile(arguments.front());
    if (!text) {
      std::cerr << "sevalune-sim: cannot read " << NameOf(arguments.front()) << "\n";
      return 2;
    }
    return RunScenario(*text, std::cout);
  }
  std::vector<ScenarioFile> files;
  for (const std::filesystem::path& path : arguments) {
    files.push_back({NameOf(path), ReadFile(path)});
  }
  return RunScenarioFiles(files, quiet ? ShownOutput::NotPassed : ShownOutput::Every, std::cout);
}

}  // namespace

#ifdef _WIN32
// The arguments in UTF-16, so that a file opens whatever the characters of its name and the
// code page.
int wmain(int argc, wchar_t** argv) {
  // The same output bytes as on other systems: a line ends with "\n", not "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  return Run({argv + 1, argv + argc});
}
#else
int main(int argc, char** argv) { return Run({argv + 1, argv + argc}); }
#endif
