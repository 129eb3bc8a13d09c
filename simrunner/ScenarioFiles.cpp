#include "simrunner/ScenarioFiles.h"

#include <algorithm>
#include <sstream>

#include "simrunner/ScenarioRunner.h"

namespace sevalune::sim {
namespace {

constexpr int kMalformed = 2;

// The file's status and output, its name first.
int RunFile(const ScenarioFile& file, std::ostream& out) {
  out << "=== " << file.name << "\n";
  if (!file.text) {
    out << "sevalune-sim: cannot read " << file.name << "\n";
    return kMalformed;
  }
  return RunScenario(*file.text, out);
}

std::string VerdictOf(const ScenarioFile& file, int status) {
  if (!file.text) return "unreadable: " + file.name;
  return (status == kMalformed ? "malformed: " : "expect failed: ") + file.name;
}

}  // namespace

int RunScenarioFiles(const std::vector<ScenarioFile>& files, ShownOutput shown, std::ostream& out) {
  std::vector<std::string> verdicts;
  int worst = 0;
  for (const ScenarioFile& file : files) {
    std::ostringstream fileOut;
    const int status = RunFile(file, fileOut);
    if (status != 0 || shown == ShownOutput::Every) out << fileOut.str();
    if (status != 0) verdicts.push_back(VerdictOf(file, status));
    worst = std::max(worst, status);
  }
  for (const std::string& verdict : verdicts) out << "=== " << verdict << "\n";
  out << "=== " << files.size() - verdicts.size() << " of " << files.size()
      << " scenarios passed\n";
  out.flush();
  return worst;
}

}  // namespace sevalune::sim
