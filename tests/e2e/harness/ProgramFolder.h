// A fresh folder that holds a copy of sevalune.exe and, when asked, its settings file
// sevalune.ini written byte for byte. Removed with the object.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sevalune::e2e {

// The bytes of a settings file: the text as it is (in the system's ANSI code page when
// only ASCII is used), or UTF-16 little-endian with its byte order mark.
std::string AnsiSettingsFile(std::string_view text);
std::string Utf16SettingsFile(std::wstring_view text);

class ProgramFolder {
 public:
  ProgramFolder(const std::filesystem::path& executable,
                const std::optional<std::string>& settingsFileBytes);
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  const std::filesystem::path& executable() const { return executable_; }
  // Writes the settings file anew while the program runs, as an editor saves it: cut to
  // nothing, then written (a change of the file's contents, which a folder watch sees).
  void WriteSettingsFile(const std::string& bytes) const;

 private:
  std::filesystem::path folder_;
  std::filesystem::path executable_;
};

}  // namespace sevalune::e2e
