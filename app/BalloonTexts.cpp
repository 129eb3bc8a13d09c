#include "app/BalloonTexts.h"

#include <initializer_list>

#include "platform/Utf.h"

namespace sevalune {
namespace {

constexpr LocalText kNoHotkeyTitle{"Sevalune: no hotkey", "Sevalune: ホットキーなし"};
constexpr LocalText kNotAppliedTitle{"Sevalune: settings not applied",
                                     "Sevalune: 設定は変わっていません"};
constexpr LocalText kKeepsSettings{" Sevalune keeps its settings until the file is corrected.",
                                   "ファイルが直されるまで、Sevalune は今の設定のままで動きます。"};

// "{}" marks where the values go, in order.
constexpr LocalText kUnusable{
    "Hottoki={} in sevalune.ini is no key combination Sevalune can use, so it runs without a "
    "hotkey. Write it like {}.",
    "sevalune.ini の Hottoki={} は Sevalune の使えるキーの組み合わせではないため、ホットキーなしで"
    "動きます。{} のように書いてください。"};
constexpr LocalText kTaken{
    "{} (Hottoki in sevalune.ini) is used by another program already, so Sevalune runs without "
    "a hotkey. Choose another combination in sevalune.ini.",
    "{}（sevalune.ini の Hottoki）はほかのプログラムが使っているため、Sevalune はホットキーなしで"
    "動きます。sevalune.ini で別の組み合わせを選んでください。"};
constexpr LocalText kFailed{
    "{} (Hottoki in sevalune.ini) could not be registered, so Sevalune runs without a hotkey.",
    "{}（sevalune.ini の Hottoki）を登録できなかったため、Sevalune はホットキーなしで動きます。"};
constexpr LocalText kRefused{"The value of {} in sevalune.ini cannot be used ({} {}).{}",
                             "sevalune.ini の {} の値は使えません（{} {}）。{}"};
constexpr LocalText kHotkeyRefused{
    "Hottoki={} in sevalune.ini is no key combination Sevalune can use.{}",
    "sevalune.ini の Hottoki={} は Sevalune の使えるキーの組み合わせではありません。{}"};

// Long enough for any combination; a longer value is cut so the text keeps its end.
constexpr std::size_t kValueUnits = 40;

std::string Shortened(std::string_view value) {
  std::string text = TruncateToUtf16Units(value, kValueUnits);
  if (text.size() < value.size()) text += "...";
  return text;
}

std::string FilledIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string text;
  auto value = values.begin();
  for (std::size_t at = 0;;) {
    const std::size_t mark = pattern.find("{}", at);
    if (mark == std::string_view::npos || value == values.end()) {
      text += pattern.substr(at);
      return text;
    }
    text += pattern.substr(at, mark - at);
    text += *value++;
    at = mark + 2;
  }
}

BalloonText Balloon(Language language, const LocalText& title, const LocalText& pattern,
                    std::initializer_list<std::string_view> values) {
  return {std::string(In(language, title)), FilledIn(In(language, pattern), values)};
}

}  // namespace

BalloonText HotkeyUnusableBalloon(std::string_view value, Language language) {
  return Balloon(language, kNoHotkeyTitle, kUnusable, {Shortened(value), kDefaultHotkeyText});
}

BalloonText HotkeyTakenBalloon(const Hotkey& hotkey, Language language) {
  return Balloon(language, kNoHotkeyTitle, kTaken, {HotkeyText(hotkey)});
}

BalloonText HotkeyFailedBalloon(const Hotkey& hotkey, Language language) {
  return Balloon(language, kNoHotkeyTitle, kFailed, {HotkeyText(hotkey)});
}

BalloonText SettingsRefusedBalloon(const SettingsFailure& failure, Language language) {
  return Balloon(language, kNotAppliedTitle, kRefused,
                 {failure.key, std::to_string(failure.number), failure.description,
                  In(language, kKeepsSettings)});
}

BalloonText HotkeyRefusedBalloon(std::string_view value, Language language) {
  return Balloon(language, kNotAppliedTitle, kHotkeyRefused,
                 {Shortened(value), In(language, kKeepsSettings)});
}

}  // namespace sevalune
