// Fixed names and texts that identify the program to the user and to other programs.
#pragma once

#include <string_view>

namespace sevalune {

inline constexpr std::string_view kAppTitle = "Sevalune Version 1.01";
inline constexpr std::string_view kMainWindowTitle = "Sevalune";
inline constexpr std::string_view kSettingsFileName = "sevalune.ini";
inline constexpr std::string_view kSettingsSection = "Sevalune";
// The help pages beside the executable: Japanese, and English.
inline constexpr std::string_view kHelpFileName = "sevalune.htm";
inline constexpr std::string_view kEnglishHelpFileName = "sevalune-en.htm";
inline constexpr std::string_view kTrayTip = "sevalune";
inline constexpr std::string_view kCopyrightLine = "Copyright (C) 2026 The Sevalune developers";

// The task bar's window class.
inline constexpr std::string_view kTaskbarClass = "Shell_TrayWnd";

}  // namespace sevalune
