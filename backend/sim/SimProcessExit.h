// Thrown by a simulated process's ExitProcess so that the caller (the scenario runner,
// a test) regains control where Windows would end the process. Deliberately not a
// std::exception: the program's own error guards must never catch it.
#pragma once

namespace sevalune::sim {

struct SimProcessExit {
  int code = 0;
};

}  // namespace sevalune::sim
