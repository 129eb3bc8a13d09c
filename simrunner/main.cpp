// sevalune-sim SCENARIO: runs a desktop scenario on the simulated desktop.
#include <fstream>
#include <iostream>
#include <sstream>

#include "simrunner/ScenarioRunner.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: sevalune-sim SCENARIO\n";
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::cerr << "sevalune-sim: cannot read " << argv[1] << "\n";
    return 2;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return sevalune::sim::RunScenario(text.str(), std::cout);
}
