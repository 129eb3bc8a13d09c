#include "harness/ProgramFolder.h"

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::e2e {
namespace {

constexpr int kFolderNameAttempts = 100;

std::filesystem::path CreateFreshFolder() {
  const auto base = std::filesystem::temp_directory_path();
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < kFolderNameAttempts; ++attempt) {
    const std::wstring name = L"sevalune-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(stamp) + L"-" + std::to_wstring(attempt);
    if (std::filesystem::create_directory(base / name)) return base / name;
  }
  throw std::runtime_error("no fresh temporary folder could be made");
}

}  // namespace

std::string AnsiSettingsFile(std::string_view text) { return std::string(text); }

std::string Utf16SettingsFile(std::wstring_view text) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
  return bytes;
}

ProgramFolder::ProgramFolder(const std::filesystem::path& executable,
                             const std::optional<std::string>& settingsFileBytes)
    : folder_(CreateFreshFolder()), executable_(folder_ / L"sevalune.exe") {
  std::filesystem::copy_file(executable, executable_);
  if (settingsFileBytes) WriteSettingsFile(*settingsFileBytes);
}

void ProgramFolder::WriteSettingsFile(const std::string& bytes) const {
  std::ofstream file(folder_ / L"sevalune.ini", std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("the settings file could not be written");
}

ProgramFolder::~ProgramFolder() {
  // The program has ended by now (its process object is destroyed first); a file that is
  // still held is left behind rather than failing the test.
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace sevalune::e2e
