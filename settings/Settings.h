// The settings file sevalune.ini: read once at start-up, never written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>

#include "app/AppState.h"
#include "winquery/Platform.h"

namespace sevalune {

inline constexpr std::uint32_t kDefaultTickPeriodMs = 110;
inline constexpr std::int32_t kDefaultBlinkFactor = 8;
// The blink phase is a 16-bit counter; larger factors could never complete a cycle.
inline constexpr std::int32_t kMaxBlinkFactor = 32767;

// The settings members of the main window.
struct Settings {
  Color CaretColor = 0;
  Color CaretImeColor = 0;
  Color PartsColor = 0;
  Color PartsImeColor = 0;
  Color MenuColor = 0;
  std::uint32_t TickPeriodMs = kDefaultTickPeriodMs;
  std::int32_t BlinkFactor = 0;
  bool DebugMode = false;
  // Entries 1 to 6 hold the sizes in pixels; entry 0 stays 0.
  std::array<std::int16_t, 7> MarkerSizes{};
  std::string ExcludedClasses1;
  std::string ExcludedClasses2;
  std::string ExcludedClasses3;
  std::string OazukeSetting;
};

// A value that cannot be stored: the key being read, the failure's number and its
// description.
struct SettingsFailure {
  std::string key;
  int number = 0;
  std::string description;
};

inline constexpr int kFailureInvalidArgument = 5;
inline constexpr int kFailureOverflow = 6;
inline constexpr int kFailureInvalidPropertyValue = 380;

// The settings file's path for an executable directory: one "\" between directory and
// file name, none added when the directory already ends in one (a drive's root).
std::string SettingsFilePath(std::string_view executableDirectory);

// Reads every key in order with the documented fallbacks; stops at the first value
// that cannot be stored.
std::variant<Settings, SettingsFailure> ReadSettings(Platform& platform);

// The text of the failure box.
std::string SettingsFailureText(const SettingsFailure& failure);

}  // namespace sevalune
