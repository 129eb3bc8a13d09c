#include "app/BalloonTexts.h"

#include "platform/Utf.h"

namespace sevalune {
namespace {

constexpr std::string_view kNoHotkeyTitle = "Sevalune: no hotkey";
constexpr std::string_view kNotAppliedTitle = "Sevalune: settings not applied";
// Long enough for any combination; a longer value is cut so the text keeps its end.
constexpr std::size_t kValueUnits = 40;
constexpr std::string_view kKeepsSettings =
    " Sevalune keeps its settings until the file is corrected.";

std::string Shortened(std::string_view value) {
  std::string text = TruncateToUtf16Units(value, kValueUnits);
  if (text.size() < value.size()) text += "...";
  return text;
}

}  // namespace

BalloonText HotkeyUnusableBalloon(std::string_view value) {
  return {std::string(kNoHotkeyTitle),
          "Hottoki=" + Shortened(value) +
              " in sevalune.ini is no key combination Sevalune can use, so it runs without a "
              "hotkey. Write it like " +
              std::string(kDefaultHotkeyText) + "."};
}

BalloonText HotkeyTakenBalloon(const Hotkey& hotkey) {
  return {std::string(kNoHotkeyTitle),
          HotkeyText(hotkey) +
              " (Hottoki in sevalune.ini) is used by another program already, so Sevalune runs "
              "without a hotkey. Choose another combination in sevalune.ini."};
}

BalloonText HotkeyFailedBalloon(const Hotkey& hotkey) {
  return {std::string(kNoHotkeyTitle),
          HotkeyText(hotkey) +
              " (Hottoki in sevalune.ini) could not be registered, so Sevalune runs without a "
              "hotkey."};
}

BalloonText SettingsRefusedBalloon(const SettingsFailure& failure) {
  return {std::string(kNotAppliedTitle),
          "The value of " + failure.key + " in sevalune.ini cannot be used (" +
              std::to_string(failure.number) + " " + failure.description + ")." +
              std::string(kKeepsSettings)};
}

BalloonText HotkeyRefusedBalloon(std::string_view value) {
  return {std::string(kNotAppliedTitle),
          "Hottoki=" + Shortened(value) +
              " in sevalune.ini is no key combination Sevalune can use." +
              std::string(kKeepsSettings)};
}

}  // namespace sevalune
