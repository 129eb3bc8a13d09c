// Turns the text of a scenario into steps, checking every line before anything runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "simrunner/ScenarioRunner.h"

namespace sevalune::sim {

struct ScenarioStep {
  int line = 0;
  std::function<void(ScenarioRunner&)> run;
};

// Throws ScenarioError carrying the line number in `errorLine` for a malformed scenario.
std::vector<ScenarioStep> ParseScenario(const std::string& text, int& errorLine);

}  // namespace sevalune::sim
