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

// The arguments on this process's command line after the program's own name.
std::vector<std::wstring> CommandLineArguments();

// The value of one of this process's environment variables; nullopt when it is not set.
std::optional<std::wstring> EnvironmentValue(const wchar_t* name);

}  // namespace sevalune::win32
