// Which of its two languages the program speaks: the one sevalune.ini forces with "Gengo",
// else that of the user's Windows UI language. Every text the program shows is picked with
// the answer of this one place, at the moment it is shown, so a changed file or a changed
// Windows language takes effect with the next box, balloon or window.
#pragma once

#include "platform/Platform.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace sevalune {

Language LanguageInUse(Platform& platform, const Settings& settings);

// For a settings file that cannot be read as a whole (its box at start-up, its balloon
// later): the language its "Gengo" asks for, read alone (that key never fails), else the
// user's.
Language LanguageOfSettingsFile(Platform& platform);

}  // namespace sevalune
