// The language the program speaks to the user: one function, so that every text picks
// the same.
#pragma once

#include "platform/Platform.h"
#include "settings/Language.h"

namespace sevalune {

// The language of the user's Windows UI.
inline Language CurrentLanguage(Platform& platform) {
  return LanguageOfUi(platform.GetUserDefaultUILanguage());
}

}  // namespace sevalune
