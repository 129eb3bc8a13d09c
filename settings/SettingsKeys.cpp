#include "settings/SettingsKeys.h"

#include <array>
#include <cstdio>
#include <initializer_list>
#include <limits>

#include "platform/Utf.h"
#include "settings/NumberReader.h"

namespace sevalune {
namespace {

constexpr std::string_view kDefaultColors = "FF00FF,0000FF,FF00FF,0000FF,00FFFF";
constexpr std::size_t kColorCount = 5;
constexpr std::size_t kColorsLength = 34;
constexpr std::size_t kColorGroupLength = 6;
constexpr std::size_t kColorGroupStride = 7;
constexpr std::int32_t kLargestColor = 0xFFFFFF;
constexpr std::size_t kSizeCount = 6;
// The timer cannot run faster than the platform's minimum; a period that rounds to 0
// asks for that minimum instead of stopping the tick (SetTimer raises 1 ms to 10 ms).
constexpr std::uint32_t kShortestTickPeriodMs = 1;
constexpr std::int32_t kLongestTickPeriodMs = 65535;
constexpr std::size_t kHoldLength = 2;
constexpr std::int32_t kLongestHold = 9;  // one digit

constexpr std::size_t kShortBuffer = 40;
constexpr std::size_t kSizesBuffer = 50;
constexpr std::size_t kLongBuffer = 500;

constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr std::int32_t kInt16Max = std::numeric_limits<std::int16_t>::max();

struct Failure {
  int number;
  std::string_view description;
};
constexpr Failure kInvalidArgument{kFailureInvalidArgument, "invalid argument"};
constexpr Failure kOverflow{kFailureOverflow, "overflow"};
constexpr Failure kInvalidPropertyValue{kFailureInvalidPropertyValue, "invalid property value"};

// Thrown inside a read rule only, caught in ReadSettingValue.
struct ReadFailure {
  Failure failure;
};

double NumberOrOverflow(std::string_view text) {
  const std::optional<double> value = ReadLenientNumber(text);
  if (!value) throw ReadFailure{kOverflow};
  return *value;
}

std::int32_t IntegerOrOverflow(double value, std::int32_t minimum, std::int32_t maximum) {
  const std::optional<std::int32_t> integer = RoundToInteger(value, minimum, maximum);
  if (!integer) throw ReadFailure{kOverflow};
  return *integer;
}

std::string JoinedByCommas(std::initializer_list<std::string> items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) text += ',';
    text += item;
  }
  return text;
}

// --- "Iro" ---------------------------------------------------------------------------------

Color ColorGroup(std::u16string_view colors, std::size_t index) {
  const std::u16string_view group = colors.substr(index * kColorGroupStride, kColorGroupLength);
  const std::string text = "&H" + Utf16ToUtf8(group) + "&";
  return static_cast<Color>(static_cast<std::int32_t>(NumberOrOverflow(text)));
}

// Exactly 34 characters, or the default colours: nothing of a value of another length is
// used. The characters between the groups are skipped whatever they are.
void ReadColors(const ProfileString& value, Settings& settings) {
  std::u16string colors = Utf8ToUtf16(value.text);
  if (value.count != kColorsLength || colors.size() != kColorsLength) {
    colors = Utf8ToUtf16(kDefaultColors);
  }
  settings.colors =
      MarkerColors{ColorGroup(colors, 0), ColorGroup(colors, 1), ColorGroup(colors, 2),
                   ColorGroup(colors, 3), ColorGroup(colors, 4)};
}

std::string ColorText(Color color) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(color & 0xFFFFFFu));
  return text;
}

std::string ColorsText(const Settings& settings) {
  const MarkerColors& c = settings.colors;
  return JoinedByCommas({ColorText(c.caret), ColorText(c.caretIme), ColorText(c.parts),
                         ColorText(c.partsIme), ColorText(c.menu)});
}

// --- "MimawariKankaku" and "TenmetuKeisuu" -------------------------------------------------

// Not above 0: the period the timer is created with.
void ReadTickPeriod(const ProfileString& value, Settings& settings) {
  const double number = NumberOrOverflow(value.text);
  if (!(number > 0)) {
    settings.tickPeriodMs = kDefaultTickPeriodMs;
    return;
  }
  const std::int32_t period = IntegerOrOverflow(number, kInt32Min, kInt32Max);
  if (period > kLongestTickPeriodMs) throw ReadFailure{kInvalidPropertyValue};
  settings.tickPeriodMs = period == 0 ? kShortestTickPeriodMs : static_cast<std::uint32_t>(period);
}

std::string TickPeriodText(const Settings& settings) {
  return std::to_string(settings.tickPeriodMs);
}

// Tested before it is rounded: 1.2 passes and gives 1. Not above 1: the default.
void ReadBlinkFactor(const ProfileString& value, Settings& settings) {
  const double number = NumberOrOverflow(value.text);
  if (number > 1) {
    const std::int32_t factor = IntegerOrOverflow(number, kInt32Min, kInt32Max);
    settings.blinkFactor = factor > kMaxBlinkFactor ? kMaxBlinkFactor : factor;
  } else {
    settings.blinkFactor = kDefaultBlinkFactor;
  }
}

std::string BlinkFactorText(const Settings& settings) {
  return std::to_string(settings.blinkFactor);
}

// --- "Debug" -------------------------------------------------------------------------------

// Present with any value, "0" and "off" included: on.
void ReadDebug(const ProfileString& value, Settings& settings) {
  settings.debugMode = value.count != 0;
}

std::string DebugText(const Settings& settings) { return settings.debugMode ? "1" : ""; }

// --- "Saizu" -------------------------------------------------------------------------------

void ReadSizes(const ProfileString& value, Settings& settings) {
  // Every entry must end in a comma. The extra entries let a list of five sizes read its
  // sixth as 0 (the lenient reading of "x"); a shorter list runs out of commas.
  std::string rest = value.text + ",x,x";
  MarkerSizes sizes;
  for (std::int16_t* size : {&sizes.caretWidth, &sizes.caretHeight, &sizes.caretImeWidth,
                             &sizes.caretImeHeight, &sizes.lowBarHeight, &sizes.tallBarWidth}) {
    const std::size_t comma = rest.find(',');
    if (comma == std::string::npos) throw ReadFailure{kInvalidArgument};
    const double number = NumberOrOverflow(std::string_view(rest).substr(0, comma));
    *size = static_cast<std::int16_t>(IntegerOrOverflow(number, kInt16Min, kInt16Max));
    rest.erase(0, comma + 1);
  }
  settings.sizes = sizes;
}

std::string SizesText(const Settings& settings) {
  const MarkerSizes& z = settings.sizes;
  return JoinedByCommas({std::to_string(z.caretWidth), std::to_string(z.caretHeight),
                         std::to_string(z.caretImeWidth), std::to_string(z.caretImeHeight),
                         std::to_string(z.lowBarHeight), std::to_string(z.tallBarWidth)});
}

// --- "KirainaKurasu1" to "3" ---------------------------------------------------------------

// Stored as written: no splitting, trimming or case folding here.
template <std::string ClassLists::*List>
void ReadClassList(const ProfileString& value, Settings& settings) {
  settings.classLists.*List = value.text;
}

template <std::string ClassLists::*List>
std::string ClassListText(const Settings& settings) {
  return settings.classLists.*List;
}

// --- "Oazuke" ------------------------------------------------------------------------------

void ReadHold(const ProfileString& value, Settings& settings) {
  settings.hold = ParseHoldPolicy(value.text);
}

std::string HoldText(const Settings& settings) {
  const HoldMode mode = settings.hold.mode;
  const char when = mode == HoldMode::Always ? '2' : mode == HoldMode::OldMethodOnly ? '1' : '0';
  return when + std::to_string(settings.hold.lengthTicks);
}

// --- "DPIHosei" and "Akusesibiriti" --------------------------------------------------------

// Read as the other numbers are; only a number that rounds to 0 switches it off (so does
// text without a number, which reads as 0).
template <bool Settings::*Switch>
void ReadNumberSwitch(const ProfileString& value, Settings& settings) {
  settings.*Switch = IntegerOrOverflow(NumberOrOverflow(value.text), kInt32Min, kInt32Max) != 0;
}

template <bool Settings::*Switch>
std::string NumberSwitchText(const Settings& settings) {
  return settings.*Switch ? "1" : "0";
}

// --- "Hottoki" -----------------------------------------------------------------------------

// Never fails: an unusable value is kept as written.
void ReadHotkey(const ProfileString& value, Settings& settings) {
  settings.hotkey = ReadHotkeySetting(value.text);
}

std::string HotkeyValueText(const Settings& settings) {
  const HotkeySetting& hotkey = settings.hotkey;
  if (hotkey.combination) return HotkeyText(*hotkey.combination);
  return hotkey.unusable.empty() ? "0" : hotkey.unusable;
}

// --- "Gengo" -------------------------------------------------------------------------------

constexpr std::string_view kJapaneseText = "ja";
constexpr std::string_view kEnglishText = "en";

bool EqualsAsciiIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c =
        text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != lower[i]) return false;
  }
  return true;
}

// "ja" or "en" in any case; anything else follows the user's UI language. Never fails: the
// language of the box that names a failing key comes from this key.
void ReadLanguage(const ProfileString& value, Settings& settings) {
  if (EqualsAsciiIgnoringCase(value.text, kJapaneseText)) {
    settings.language = Language::Japanese;
  } else if (EqualsAsciiIgnoringCase(value.text, kEnglishText)) {
    settings.language = Language::English;
  } else {
    settings.language = std::nullopt;
  }
}

std::string LanguageText(const Settings& settings) {
  if (!settings.language) return "";
  return std::string(*settings.language == Language::Japanese ? kJapaneseText : kEnglishText);
}

// --- the table -----------------------------------------------------------------------------

constexpr SettingLimits kSwitchLimits{.minimum = 0, .maximum = 1};

constexpr std::array kKeys{
    SettingKey{.name = "Iro",
               .defaultText = kDefaultColors,
               .bufferSize = kShortBuffer,
               .kind = SettingKind::ColorList,
               .limits = {.minimum = 0, .maximum = kLargestColor, .count = kColorCount},
               .lineName = "colors",
               .read = ReadColors,
               .text = ColorsText},
    SettingKey{.name = kTickPeriodKey,
               .defaultText = "110",
               .bufferSize = kShortBuffer,
               .kind = SettingKind::Number,
               .limits = {.minimum = 1, .maximum = kLongestTickPeriodMs},
               .lineName = "period",
               .read = ReadTickPeriod,
               .text = TickPeriodText},
    SettingKey{.name = "TenmetuKeisuu",
               .defaultText = "8",
               .bufferSize = kShortBuffer,
               .kind = SettingKind::Number,
               .limits = {.minimum = 2, .maximum = kMaxBlinkFactor},
               .lineName = "blink",
               .read = ReadBlinkFactor,
               .text = BlinkFactorText},
    SettingKey{.name = "Debug",
               .defaultText = "",
               .bufferSize = kShortBuffer,
               .kind = SettingKind::Switch,
               .limits = kSwitchLimits,
               .lineName = "debug",
               .sampleValue = "1",
               .helpDefault = {"off", "オフ"},
               .read = ReadDebug,
               .text = DebugText},
    SettingKey{.name = "Saizu",
               .defaultText = "10,9,18,8,5,3",
               .bufferSize = kSizesBuffer,
               .kind = SettingKind::SizeList,
               .limits = {.minimum = kInt16Min, .maximum = kInt16Max, .count = kSizeCount},
               .lineName = "sizes",
               .read = ReadSizes,
               .text = SizesText},
    SettingKey{.name = "KirainaKurasu1",
               .defaultText = "xxx",
               .bufferSize = kLongBuffer,
               .kind = SettingKind::ClassList,
               .lineName = "list1",
               .helpDefault = {"none", "なし"},
               .read = ReadClassList<&ClassLists::neverMark>,
               .text = ClassListText<&ClassLists::neverMark>},
    SettingKey{.name = "KirainaKurasu2",
               .defaultText = "xxx",
               .bufferSize = kLongBuffer,
               .kind = SettingKind::ClassList,
               .lineName = "list2",
               .helpDefault = {"none", "なし"},
               .read = ReadClassList<&ClassLists::menusOnly>,
               .text = ClassListText<&ClassLists::menusOnly>},
    SettingKey{.name = "KirainaKurasu3",
               .defaultText = "xxx",
               .bufferSize = kLongBuffer,
               .kind = SettingKind::ClassList,
               .lineName = "list3",
               .helpDefault = {"none", "なし"},
               .read = ReadClassList<&ClassLists::parkCursor>,
               .text = ClassListText<&ClassLists::parkCursor>},
    SettingKey{.name = kHoldKey,
               .defaultText = "12",
               .bufferSize = kLongBuffer,
               .kind = SettingKind::HoldText,
               .limits = {.minimum = 0, .maximum = kLongestHold, .count = kHoldLength},
               .lineName = "hold",
               .read = ReadHold,
               .text = HoldText},
    SettingKey{.name = "DPIHosei",
               .defaultText = "1",
               .bufferSize = kShortBuffer,
               .kind = SettingKind::Switch,
               .limits = kSwitchLimits,
               .lineName = "dpi",
               .read = ReadNumberSwitch<&Settings::dpiScaling>,
               .text = NumberSwitchText<&Settings::dpiScaling>},
    // Present but empty switches the hotkey off; only a missing key gives the default.
    SettingKey{.name = "Hottoki",
               .defaultText = kDefaultHotkeyText,
               .bufferSize = kLongBuffer,
               .empty = EmptyValue::IsAValue,
               .kind = SettingKind::KeyCombination,
               .lineName = "hotkey",
               .read = ReadHotkey,
               .text = HotkeyValueText},
    SettingKey{.name = "Akusesibiriti",
               .defaultText = "1",
               .bufferSize = kShortBuffer,
               .kind = SettingKind::Switch,
               .limits = kSwitchLimits,
               .lineName = "akusesibiriti",
               .read = ReadNumberSwitch<&Settings::accessibility>,
               .text = NumberSwitchText<&Settings::accessibility>},
    SettingKey{.name = kLanguageKey,
               .defaultText = "",
               .bufferSize = kShortBuffer,
               .kind = SettingKind::Language,
               .lineName = "language",
               .sampleValue = "en",
               .helpDefault = {"Windows' language", "Windowsの表示言語"},
               .read = ReadLanguage,
               .text = LanguageText},
    SettingKey{.name = "IMEHantei",
               .defaultText = "0",
               .bufferSize = kShortBuffer,
               .kind = SettingKind::Switch,
               .limits = kSwitchLimits,
               .lineName = "imenative",
               .read = ReadNumberSwitch<&Settings::imeNeedsNativeMode>,
               .text = NumberSwitchText<&Settings::imeNeedsNativeMode>},
    SettingKey{.name = "KirikaeSagasi",
               .defaultText = "0",
               .bufferSize = kShortBuffer,
               .kind = SettingKind::Switch,
               .limits = kSwitchLimits,
               .lineName = "switchfinder",
               .read = ReadNumberSwitch<&Settings::findOnSwitch>,
               .text = NumberSwitchText<&Settings::findOnSwitch>},
};

}  // namespace

std::span<const SettingKey> SettingKeys() { return kKeys; }

std::optional<SettingsFailure> ReadSettingValue(const SettingKey& key, const ProfileString& value,
                                                Settings& settings) {
  const bool takesDefault = value.count == 0 && key.empty == EmptyValue::TakesDefault;
  const ProfileString defaultValue{Utf16Length(key.defaultText), std::string(key.defaultText)};
  try {
    key.read(takesDefault ? defaultValue : value, settings);
  } catch (const ReadFailure& failed) {
    return SettingsFailure{std::string(key.name), failed.failure.number,
                           std::string(failed.failure.description)};
  }
  return std::nullopt;
}

std::optional<SettingsFailure> CheckSettingText(const SettingKey& key, std::string_view text) {
  const std::string cut = TruncateToUtf16Units(text, key.bufferSize - 1);
  Settings scratch;
  return ReadSettingValue(key, ProfileString{Utf16Length(cut), cut}, scratch);
}

}  // namespace sevalune
