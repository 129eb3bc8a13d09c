// How the process was asked to run: options on the command line and in the environment.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sevalune::win32 {

// The older location method is forced by the option "--old-method" (arguments after the
// program's name) or by the environment variable SEVALUNE_OLD_METHOD=1.
bool OldMethodRequested(const std::vector<std::wstring>& arguments,
                        const std::optional<std::wstring>& environmentValue);

// The same, read from this process's command line and environment.
bool OldMethodRequestedForThisProcess();

}  // namespace sevalune::win32
