// The settings file sevalune.ini, read into typed values at start-up and again whenever
// it changes; never written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/Platform.h"
#include "settings/HoldPolicy.h"
#include "settings/Hotkey.h"
#include "settings/Language.h"

namespace sevalune {

inline constexpr std::uint32_t kDefaultTickPeriodMs = 110;
inline constexpr std::int32_t kDefaultBlinkFactor = 8;
// The blink phase is a 16-bit counter; larger factors could never complete a cycle.
inline constexpr std::int32_t kMaxBlinkFactor = 32767;

// "Iro": the marker's colour for each kind of target and input-method state.
struct MarkerColors {
  Color caret = 0;     // caret, input method closed
  Color caretIme = 0;  // caret, input method open
  Color parts = 0;     // focused control, input method closed
  Color partsIme = 0;  // focused control, input method open
  Color menu = 0;      // open menu
  friend bool operator==(const MarkerColors&, const MarkerColors&) = default;
};

// "Saizu": the six marker sizes, in pixels, in the file's order.
struct MarkerSizes {
  std::int16_t caretWidth = 0;
  std::int16_t caretHeight = 0;
  std::int16_t caretImeWidth = 0;
  std::int16_t caretImeHeight = 0;
  std::int16_t lowBarHeight = 0;  // the bar under a low control
  std::int16_t tallBarWidth = 0;  // the bar beside a tall one
  friend bool operator==(const MarkerSizes&, const MarkerSizes&) = default;
};

// "KirainaKurasu1" to "3": comma-separated window classes treated specially.
struct ClassLists {
  std::string neverMark;   // 1: the marker stays hidden
  std::string menusOnly;   // 2: only open menus are marked
  std::string parkCursor;  // 3: the mouse pointer is parked at the corner once
  friend bool operator==(const ClassLists&, const ClassLists&) = default;
};

// Every field starts at its default, what an empty settings file reads as (the reader still
// sets every field). settings/SettingsKeys.cpp holds the same defaults as the file's text;
// a test keeps the two equal.
struct Settings {
  MarkerColors colors{0xFF00FF, 0x0000FF, 0xFF00FF, 0x0000FF, 0x00FFFF};
  std::uint32_t tickPeriodMs = kDefaultTickPeriodMs;  // "MimawariKankaku"
  std::int32_t blinkFactor = kDefaultBlinkFactor;     // "TenmetuKeisuu", in ticks
  bool debugMode = false;                             // "Debug"
  MarkerSizes sizes{10, 9, 18, 8, 5, 3};
  ClassLists classLists{"xxx", "xxx", "xxx"};
  HoldPolicy hold{HoldMode::OldMethodOnly, 2};  // "Oazuke"
  // "DPIHosei": the sizes are given for 96 DPI and scaled to the DPI of the display that
  // holds the target; off, they are used as physical pixels everywhere.
  bool dpiScaling = true;
  // "Hottoki": the finder's combination. An unusable value never stops the program: it
  // runs without the hotkey and says so.
  HotkeySetting hotkey{ParseHotkey(kDefaultHotkeyText), {}};
  // "Akusesibiriti": without a system caret, look for the caret and the focused element
  // through the accessibility interfaces.
  bool accessibility = true;
  // "Gengo": the language of every text the program shows; none follows the user's Windows
  // UI language (settings/LanguageInUse.h decides).
  std::optional<Language> language;
  // "IMEHantei": the input method counts as on only while it is open and in its native
  // mode (kana, Hangul, Chinese characters), not while it is open in a Latin mode; off, the
  // open status alone decides.
  bool imeNeedsNativeMode = false;
  // "KirikaeSagasi": the finder plays once around the target each time another window
  // comes to the front.
  bool findOnSwitch = false;
  friend bool operator==(const Settings&, const Settings&) = default;
};

// A value that cannot be stored: the key being read, the failure's number and its
// description, as the failure box shows them.
struct SettingsFailure {
  std::string key;
  int number = 0;
  std::string description;
  friend bool operator==(const SettingsFailure&, const SettingsFailure&) = default;
};

// The failure numbers the box shows: the classic runtime error numbers of the failures a
// setting can cause, which users quote when they ask for help.
inline constexpr int kFailureInvalidArgument = 5;         // a size list with too few entries
inline constexpr int kFailureOverflow = 6;                // a number out of range
inline constexpr int kFailureInvalidPropertyValue = 380;  // a tick period above 65535 ms

// The settings file's path for an executable directory: one "\" between directory and
// file name, none added when the directory already ends in one (a drive's root).
std::string SettingsFilePath(std::string_view executableDirectory);

// Reads every key of the table (settings/SettingsKeys.h) in its order, with the documented
// fallbacks; stops at the first value that cannot be stored. "Hottoki" never fails: an
// unusable value is kept as such.
std::variant<Settings, SettingsFailure> ReadSettings(Platform& platform);

// Reads the one key of the table named so into its field, as ReadSettings does.
std::optional<SettingsFailure> ReadSettingsKey(Platform& platform, std::string_view name,
                                               Settings& settings);

// The text of the failure box; the Japanese one is the box the program has always shown.
std::string SettingsFailureText(const SettingsFailure& failure, Language language);

}  // namespace sevalune
