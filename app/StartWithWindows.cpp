#include "app/StartWithWindows.h"

#include <algorithm>

namespace sevalune {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; }

bool SamePath(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

// The program the command starts: the quoted part, or the whole command without quotes.
std::string_view ProgramOf(std::string_view command) {
  if (command.size() >= 2 && command.front() == '"') {
    const std::size_t close = command.find('"', 1);
    if (close != std::string_view::npos) return command.substr(1, close - 1);
  }
  return command;
}

}  // namespace

std::string RunCommandFor(std::string_view executablePath) {
  std::string command(1, '"');
  command += executablePath;
  command += '"';
  return command;
}

StartWithWindows StartStateOf(const std::optional<std::string>& value,
                              std::string_view executablePath) {
  if (!value) return {StartState::Off, {}};
  const bool here = SamePath(ProgramOf(*value), executablePath);
  return {here ? StartState::Here : StartState::OtherCopy, *value};
}

StartWithWindows ReadStartWithWindows(Platform& platform) {
  return StartStateOf(platform.ReadRunValue(kRunValueName), platform.ExecutablePath());
}

bool SetStartWithWindows(Platform& platform, bool on) {
  if (!on) return platform.DeleteRunValue(kRunValueName);
  return platform.WriteRunValue(kRunValueName, RunCommandFor(platform.ExecutablePath()));
}

}  // namespace sevalune
