// The keys of sevalune.ini in one table, in the order they are read: for each its name, its
// default as the file would hold it, how it is read, how its value is written back as text,
// and what a settings form offers for it. The reader walks this table, and so do the
// scenario runner's settings line, the soak's settings file and the check that the sample
// file and the help page name every key with its default. A new key is one row here (with
// its read and text rules), the Settings field it fills, and its lines in those two files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace sevalune {

// What a key holds, for a form to choose its control.
enum class SettingKind {
  ColorList,       // colours of six hexadecimal digits, blue-green-red, in a fixed count
  SizeList,        // pixel sizes separated by commas, in a fixed count
  Number,          // one whole number within the limits
  Switch,          // on or off
  ClassList,       // window class names separated by commas
  KeyCombination,  // modifiers and a key joined by "+", or off
  HoldText,        // two characters: when to hold, then how many ticks
  Language,        // empty: the user's Windows UI language; "ja" Japanese, "en" English
};

// What a form offers. A number, or each entry of a list of numbers or colours, lies within
// [minimum, maximum]; `count` is the number of entries of a list (of characters for the
// hold), 0 where the kind has none. Text of any kind is at most bufferSize - 1 UTF-16 units.
struct SettingLimits {
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::size_t count = 0;
};

// Whether an empty value (the key present, nothing after "=") reads as the default, as
// for most keys, or is a value of its own (the hotkey: off). A missing key always reads
// as the default.
enum class EmptyValue { TakesDefault, IsAValue };

struct SettingKey {
  std::string_view name;         // as in the file; matched without regard to case
  std::string_view defaultText;  // the value a missing key reads as, as the file holds it
  std::size_t bufferSize;        // UTF-16 units it is read with; a longer value is cut
  EmptyValue empty = EmptyValue::TakesDefault;
  SettingKind kind;
  SettingLimits limits = {};
  std::string_view lineName;  // its field in the scenario runner's settings line
  // How the sample file and the help pages document the default where they do not write
  // the default text: the value the sample file's commented-out line shows, and the words
  // of the help pages' default cell in each language. Empty: the default text (in the help
  // pages as code).
  std::string_view sampleValue = {};
  LocalText helpDefault = {};
  // Stores a value into its Settings field. Reached only through ReadSettingValue, which
  // also turns a value that cannot be stored into the failure the box shows.
  void (*read)(const ProfileString& value, Settings& settings);
  // The field's value as the file would hold it: read again, it gives the same value. A
  // switch is "1" when on and "0" when off ("" for "Debug", on whenever present).
  std::string (*text)(const Settings& settings);
};

// Names the scenario runner places fields by.
inline constexpr std::string_view kTickPeriodKey = "MimawariKankaku";
inline constexpr std::string_view kHoldKey = "Oazuke";
// The key that forces a language; read alone for the box of a file that cannot be read.
inline constexpr std::string_view kLanguageKey = "Gengo";

// Every key, in the order of reading.
std::span<const SettingKey> SettingKeys();

// Stores the value the platform's profile call gave for the key (an empty one stands for
// the default where the key says so); on a value that cannot be stored, leaves the field
// as it was and gives the failure, naming the key.
std::optional<SettingsFailure> ReadSettingValue(const SettingKey& key, const ProfileString& value,
                                                Settings& settings);

// Checks a value as a form would write it (no surrounding blanks or quotes, which the
// file's reading removes) exactly as the reader takes it: cut to the key's buffer, then
// read. Nothing when the reader stores it.
std::optional<SettingsFailure> CheckSettingText(const SettingKey& key, std::string_view text);

}  // namespace sevalune
