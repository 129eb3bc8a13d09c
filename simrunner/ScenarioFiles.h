// Several scenario files in one run, each on a simulated desktop of its own: a whole folder
// of scenarios for one process start (under Wine each start costs about a second).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace sevalune::sim {

struct ScenarioFile {
  std::string name;                 // as given on the command line, for the output
  std::optional<std::string> text;  // none when the file could not be read
};

// Whose output is printed: every file's, or only that of the files that did not pass (a
// test's log then shows the faults, not a megabyte of passing state lines).
enum class ShownOutput { Every, NotPassed };

// Runs the files in order, printing "=== NAME" before the output of each; at the end one
// line for each file that did not pass and how many passed. Returns the highest exit status
// of any file (an unreadable file counts as malformed, 2).
int RunScenarioFiles(const std::vector<ScenarioFile>& files, ShownOutput shown, std::ostream& out);

}  // namespace sevalune::sim
