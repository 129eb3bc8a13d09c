#include "tests/soak/SoakProfile.h"

#include <array>

#include "settings/SettingsKeys.h"

namespace sevalune::soak {
namespace {

// Sizes whose shapes cannot be mistaken for one another, nor for the 18 x 18 menu square.
constexpr MarkerSizes kDefaultSizes{10, 9, 18, 8, 5, 3};
constexpr MarkerSizes kOtherSizes{7, 12, 14, 16, 4, 6};

constexpr std::array<std::int32_t, 8> kBlinkFactors{2, 3, 4, 5, 7, 8, 8, 9};
constexpr std::array<std::string_view, 7> kHoldSettings{"12", "12", "10", "20", "23", "2x", "19"};

std::string SizesText(const MarkerSizes& sizes) {
  std::string text;
  for (std::int16_t size : {sizes.caretWidth, sizes.caretHeight, sizes.caretImeWidth,
                            sizes.caretImeHeight, sizes.lowBarHeight, sizes.tallBarWidth}) {
    if (!text.empty()) text += ',';
    text += std::to_string(size);
  }
  return text;
}

}  // namespace

Settings SoakProfile::Reading() const {
  Settings settings;  // the defaults, for the keys the profile leaves alone
  settings.colors = colors;
  settings.blinkFactor = blinkFactor;
  settings.debugMode = debugMode;
  settings.sizes = sizes;
  settings.classLists = ClassLists{neverList, menusOnlyList, parkingList};
  settings.hold = ParseHoldPolicy(oazuke);
  settings.accessibility = accessibility;
  return settings;
}

// Every key of the table, each with the text that reads as the profile's value.
std::string SoakProfile::SettingsFileText() const {
  const Settings reading = Reading();
  std::string text = "[Sevalune]\r\n";
  for (const SettingKey& key : SettingKeys()) {
    text += key.name;
    text += '=';
    text += key.text(reading);
    text += "\r\n";
  }
  return text;
}

std::string SoakProfile::Description() const {
  return std::string("platform ") + (platform == PlatformKind::Old ? "old" : "new") +
         ", displays " + (secondDisplayLeft ? "2" : "1") + ", blink " +
         std::to_string(blinkFactor) + ", sizes " + SizesText(sizes) + ", debug " +
         (debugMode ? "on" : "off") + ", hold \"" + oazuke + "\", lists \"" + neverList + "\" \"" +
         menusOnlyList + "\" \"" + parkingList + "\", accessibility " +
         (accessibility ? "on" : "off");
}

SoakProfile ChooseProfile(RandomSource& random, std::optional<PlatformKind> platform) {
  SoakProfile profile;
  const bool old = random.OneIn(2);
  profile.platform = platform.value_or(old ? PlatformKind::Old : PlatformKind::New);
  profile.secondDisplayLeft = random.OneIn(3);
  profile.blinkFactor = random.PickFrom(std::span<const std::int32_t>(kBlinkFactors));
  profile.sizes = random.OneIn(2) ? kDefaultSizes : kOtherSizes;
  profile.debugMode = random.OneIn(4);
  if (!random.OneIn(3)) {
    profile.neverList = std::string(kNeverMarkedClass);
    profile.menusOnlyList = "Dummy," + std::string(kMenusOnlyClass);
    profile.parkingList = std::string(kParkingClass) + ",Notepad";
  }
  profile.oazuke = std::string(random.PickFrom(std::span<const std::string_view>(kHoldSettings)));
  profile.accessibility = !random.OneIn(5);
  return profile;
}

}  // namespace sevalune::soak
