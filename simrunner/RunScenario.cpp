// One scenario's text parsed and run on a simulated desktop of its own.
#include "simrunner/ScenarioParser.h"
#include "simrunner/ScenarioRunner.h"
#include "simrunner/ScenarioText.h"

namespace sevalune::sim {

int RunScenario(const std::string& text, std::ostream& out) {
  std::vector<ScenarioStep> steps;
  int errorLine = 0;
  try {
    steps = ParseScenario(text, errorLine);
  } catch (const ScenarioError& error) {
    out << "scenario:" << errorLine << ": " << error.what() << "\n";
    return 2;
  }
  ScenarioRunner runner(out);
  for (const ScenarioStep& step : steps) step.run(runner);
  out.flush();
  return runner.AllExpectationsHeld() ? 0 : 1;
}

}  // namespace sevalune::sim
