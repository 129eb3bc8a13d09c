// The version information resource of an executable, as the shell's property page shows it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace sevalune::e2e {

struct VersionInfo {
  std::optional<std::wstring> translation;       // e.g. "041104B0", the first one listed
  std::map<std::wstring, std::wstring> strings;  // of that translation's string table
};

// nullopt when the file has no version information.
std::optional<VersionInfo> ReadVersionInfo(const std::filesystem::path& file);

}  // namespace sevalune::e2e
