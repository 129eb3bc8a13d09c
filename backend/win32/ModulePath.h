// Where the running executable lies.
#pragma once

#include <string>
#include <string_view>

namespace sevalune::win32 {

// The full path of the running executable, however long.
std::wstring ExecutablePath();

// The folder part of a file's path: everything before the last "\", which is kept only
// where it stands for a drive's root ("C:\"). A path without "\" has no folder ("").
std::wstring DirectoryOf(std::wstring_view path);

}  // namespace sevalune::win32
