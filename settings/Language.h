// The two languages the program speaks, and a text written in both. Every text the user
// reads is kept as a LocalText; the language in use picks one.
#pragma once

#include <cstdint>
#include <string_view>

namespace sevalune {

enum class Language { Japanese, English };

struct LocalText {
  std::string_view english;
  std::string_view japanese;
};

constexpr std::string_view In(Language language, const LocalText& text) {
  return language == Language::Japanese ? text.japanese : text.english;
}

// The language for a Windows UI language identifier: Japanese for any Japanese UI (primary
// language 0x11), English for every other.
constexpr Language LanguageOfUi(std::uint16_t uiLanguage) {
  constexpr std::uint16_t kPrimaryLanguageMask = 0x3ff;
  constexpr std::uint16_t kPrimaryJapanese = 0x11;
  return (uiLanguage & kPrimaryLanguageMask) == kPrimaryJapanese ? Language::Japanese
                                                                 : Language::English;
}

}  // namespace sevalune
