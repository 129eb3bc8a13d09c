// What the tray icon's balloon says when the hotkey or a changed settings file cannot be
// used, in either language. Each text stays within the balloon's 255 characters.
#pragma once

#include <string>
#include <string_view>

#include "settings/Hotkey.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace sevalune {

struct BalloonText {
  std::string title;
  std::string text;
};

// "Hottoki" holds no usable combination (at start-up: the program runs without a hotkey).
BalloonText HotkeyUnusableBalloon(std::string_view value, Language language);
// Another hot key has the combination already (RegisterHotKey: error 1409).
BalloonText HotkeyTakenBalloon(const Hotkey& hotkey, Language language);
// The system refused the combination for another reason.
BalloonText HotkeyFailedBalloon(const Hotkey& hotkey, Language language);
// A changed settings file holds a value that cannot be used: the settings in force stay.
BalloonText SettingsRefusedBalloon(const SettingsFailure& failure, Language language);
// A changed settings file names an unusable combination: the settings in force stay.
BalloonText HotkeyRefusedBalloon(std::string_view value, Language language);

}  // namespace sevalune
