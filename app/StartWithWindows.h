// Start with Windows: a string value named after the program under the current user's Run
// key, holding the quoted path of this sevalune.exe. Nothing is written there unless the
// user asks for it, so that the program stays portable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace sevalune {

inline constexpr std::string_view kRunValueName = "Sevalune";

enum class StartState {
  Off,        // no value
  Here,       // the value starts this copy
  OtherCopy,  // the value starts another program file
};

struct StartWithWindows {
  StartState state = StartState::Off;
  std::string command;  // the value as found
};

// The value's data for an executable: its path in quotes.
std::string RunCommandFor(std::string_view executablePath);

// What a value means for this executable: the path, quoted or not, compared without
// regard to ASCII case (as Windows compares paths).
StartWithWindows StartStateOf(const std::optional<std::string>& value,
                              std::string_view executablePath);

StartWithWindows ReadStartWithWindows(Platform& platform);

// Writes or removes the value; false when the registry refused.
bool SetStartWithWindows(Platform& platform, bool on);

}  // namespace sevalune
