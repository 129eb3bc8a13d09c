#include "settings/LanguageInUse.h"

#include "settings/SettingsKeys.h"

namespace sevalune {

Language LanguageInUse(Platform& platform, const Settings& settings) {
  if (settings.language) return *settings.language;
  return LanguageOfUi(platform.GetUserDefaultUILanguage());
}

Language LanguageOfSettingsFile(Platform& platform) {
  Settings languageOnly;
  ReadSettingsKey(platform, kLanguageKey, languageOnly);
  return LanguageInUse(platform, languageOnly);
}

}  // namespace sevalune
