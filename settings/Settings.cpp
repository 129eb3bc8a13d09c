#include "settings/Settings.h"

#include <limits>

#include "platform/AppIdentity.h"
#include "platform/Utf.h"
#include "settings/NumberReader.h"

namespace sevalune {
namespace {

constexpr std::string_view kDefaultColors = "FF00FF,0000FF,FF00FF,0000FF,00FFFF";
constexpr std::string_view kDefaultSizes = "10,9,18,8,5,3";
constexpr std::string_view kDefaultClassList = "xxx";
constexpr std::string_view kDefaultOazuke = "12";
constexpr std::size_t kColorsLength = 34;
constexpr std::size_t kColorGroupLength = 6;
constexpr std::size_t kColorGroupStride = 7;
// The timer cannot run faster than the platform's minimum; a period that rounds to 0
// asks for that minimum instead of stopping the tick (SetTimer raises 1 ms to 10 ms).
constexpr std::uint32_t kShortestTickPeriodMs = 1;
constexpr std::int32_t kLongestTickPeriodMs = 65535;

constexpr std::size_t kShortBuffer = 40;
constexpr std::size_t kSizesBuffer = 50;
constexpr std::size_t kLongBuffer = 500;

struct Failure {
  int number;
  std::string_view description;
};
constexpr Failure kInvalidArgument{kFailureInvalidArgument, "invalid argument"};
constexpr Failure kOverflow{kFailureOverflow, "overflow"};
constexpr Failure kInvalidPropertyValue{kFailureInvalidPropertyValue, "invalid property value"};

// Thrown inside the reader only, caught at its one handler below.
struct ReadFailure {
  Failure failure;
};

class SettingsReader {
 public:
  SettingsReader(Platform& platform, std::string path)
      : platform_(platform), path_(std::move(path)) {}

  const std::string& currentKey() const { return currentKey_; }

  ProfileString Read(std::string_view key, std::size_t bufferSize,
                     std::string_view defaultValue = "") {
    currentKey_ = std::string(key);
    return platform_.GetPrivateProfileString(kSettingsSection, key, defaultValue, bufferSize,
                                             path_);
  }

 private:
  Platform& platform_;
  std::string path_;
  std::string currentKey_;
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

constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr std::int32_t kInt16Max = std::numeric_limits<std::int16_t>::max();

Color ColorGroup(std::u16string_view colors, std::size_t index) {
  const std::u16string_view group = colors.substr(index * kColorGroupStride, kColorGroupLength);
  const std::string text = "&H" + Utf16ToUtf8(group) + "&";
  return static_cast<Color>(static_cast<std::int32_t>(NumberOrOverflow(text)));
}

void ReadColors(SettingsReader& reader, Settings& settings) {
  const ProfileString value = reader.Read("Iro", kShortBuffer);
  const std::u16string colors =
      Utf8ToUtf16(value.count == kColorsLength ? std::string_view(value.text) : kDefaultColors);
  if (colors.size() < kColorsLength) return;  // cannot happen for a count of 34
  settings.colors =
      MarkerColors{ColorGroup(colors, 0), ColorGroup(colors, 1), ColorGroup(colors, 2),
                   ColorGroup(colors, 3), ColorGroup(colors, 4)};
}

void ReadTickPeriod(SettingsReader& reader, Settings& settings) {
  const double value = NumberOrOverflow(reader.Read("MimawariKankaku", kShortBuffer).text);
  if (!(value > 0)) return;
  const std::int32_t period = IntegerOrOverflow(value, kInt32Min, kInt32Max);
  if (period > kLongestTickPeriodMs) throw ReadFailure{kInvalidPropertyValue};
  settings.tickPeriodMs = period == 0 ? kShortestTickPeriodMs : static_cast<std::uint32_t>(period);
}

void ReadBlinkFactor(SettingsReader& reader, Settings& settings) {
  const double value = NumberOrOverflow(reader.Read("TenmetuKeisuu", kShortBuffer).text);
  if (value > 1) {
    const std::int32_t factor = IntegerOrOverflow(value, kInt32Min, kInt32Max);
    settings.blinkFactor = factor > kMaxBlinkFactor ? kMaxBlinkFactor : factor;
  } else {
    settings.blinkFactor = kDefaultBlinkFactor;
  }
}

void ReadDebug(SettingsReader& reader, Settings& settings) {
  settings.debugMode = reader.Read("Debug", kShortBuffer).count != 0;
}

void ReadMarkerSizes(SettingsReader& reader, Settings& settings) {
  const ProfileString value = reader.Read("Saizu", kSizesBuffer);
  std::string rest = value.count != 0 ? value.text : std::string(kDefaultSizes);
  // Every entry must end in a comma. The extra entries let a list of five sizes read its
  // sixth as 0 (the lenient reading of "x"); a shorter list runs out of commas.
  rest += ",x,x";
  MarkerSizes& sizes = settings.sizes;
  for (std::int16_t* size : {&sizes.caretWidth, &sizes.caretHeight, &sizes.caretImeWidth,
                             &sizes.caretImeHeight, &sizes.lowBarHeight, &sizes.tallBarWidth}) {
    const std::size_t comma = rest.find(',');
    if (comma == std::string::npos) throw ReadFailure{kInvalidArgument};
    const double number = NumberOrOverflow(std::string_view(rest).substr(0, comma));
    *size = static_cast<std::int16_t>(IntegerOrOverflow(number, kInt16Min, kInt16Max));
    rest.erase(0, comma + 1);
  }
}

std::string TextOr(const ProfileString& value, std::string_view fallback) {
  return value.count != 0 ? value.text : std::string(fallback);
}

void ReadClassListsAndHold(SettingsReader& reader, Settings& settings) {
  ClassLists& lists = settings.classLists;
  lists.neverMark = TextOr(reader.Read("KirainaKurasu1", kLongBuffer), kDefaultClassList);
  lists.menusOnly = TextOr(reader.Read("KirainaKurasu2", kLongBuffer), kDefaultClassList);
  lists.parkCursor = TextOr(reader.Read("KirainaKurasu3", kLongBuffer), kDefaultClassList);
  settings.hold = ParseHoldPolicy(TextOr(reader.Read("Oazuke", kLongBuffer), kDefaultOazuke));
}

// Missing or empty: on. Otherwise read as the other numbers are; only a number that
// rounds to 0 switches scaling off (so does text without a number, which reads as 0).
void ReadDpiScaling(SettingsReader& reader, Settings& settings) {
  const ProfileString value = reader.Read("DPIHosei", kShortBuffer);
  if (value.count == 0) return;
  const double number = NumberOrOverflow(value.text);
  settings.dpiScaling = IntegerOrOverflow(number, kInt32Min, kInt32Max) != 0;
}

// A missing key gives the default combination; a key present but empty switches it off.
void ReadHotkey(SettingsReader& reader, Settings& settings) {
  settings.hotkey = ReadHotkeySetting(reader.Read("Hottoki", kLongBuffer, kDefaultHotkeyText).text);
}

// A switch: missing or empty keeps it on; any value that reads as 0 (lenient, so also
// "0.4" or text without a number) switches it off.
void ReadAccessibility(SettingsReader& reader, Settings& settings) {
  const ProfileString value = reader.Read("Akusesibiriti", kShortBuffer);
  if (value.count == 0) return;
  settings.accessibility =
      IntegerOrOverflow(NumberOrOverflow(value.text), kInt32Min, kInt32Max) != 0;
}

// A missing key gives the default list; a key present but empty names no class.
void ReadAccessibleClassLists(SettingsReader& reader, Settings& settings) {
  AccessibleClassLists& lists = settings.accessibleClasses;
  lists.caretOnly = reader.Read("KyarettoNomiKurasu", kLongBuffer, kDefaultCaretOnlyClasses).text;
  lists.neverAsked = reader.Read("KikanaiKurasu", kLongBuffer).text;
}

}  // namespace

std::string SettingsFilePath(std::string_view executableDirectory) {
  std::string path(executableDirectory);
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + std::string(kSettingsFileName);
}

std::variant<Settings, SettingsFailure> ReadSettings(Platform& platform) {
  SettingsReader reader(platform, SettingsFilePath(platform.ExecutableDirectory()));
  Settings settings;
  try {
    ReadColors(reader, settings);
    ReadTickPeriod(reader, settings);
    ReadBlinkFactor(reader, settings);
    ReadDebug(reader, settings);
    ReadMarkerSizes(reader, settings);
    ReadClassListsAndHold(reader, settings);
    ReadDpiScaling(reader, settings);
    ReadHotkey(reader, settings);
    ReadAccessibility(reader, settings);
    ReadAccessibleClassLists(reader, settings);
  } catch (const ReadFailure& failed) {
    return SettingsFailure{reader.currentKey(), failed.failure.number,
                           std::string(failed.failure.description)};
  }
  return settings;
}

std::string SettingsFailureText(const SettingsFailure& failure) {
  return "エラー（ＩＮＩファイル読み込み） : " + failure.key + "\r" +
         std::to_string(failure.number) + "\r" + failure.description;
}

}  // namespace sevalune
