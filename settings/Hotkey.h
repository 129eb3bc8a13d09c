// The key combination of the finder ("Hottoki"): text such as "Ctrl+Alt+Shift+F12" read
// into the modifier bits and the virtual key that RegisterHotKey takes. Pure rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sevalune {

// RegisterHotKey's modifier bits.
namespace mod {
inline constexpr std::uint32_t Alt = 0x1;
inline constexpr std::uint32_t Control = 0x2;
inline constexpr std::uint32_t Shift = 0x4;
inline constexpr std::uint32_t Win = 0x8;
// Asks the system not to repeat the message while the combination is held (Windows 7 and
// later; Wine ignores it, so the finder debounces as well).
inline constexpr std::uint32_t NoRepeat = 0x4000;
}  // namespace mod

struct Hotkey {
  std::uint32_t modifiers = 0;  // mod:: bits, never NoRepeat
  std::uint32_t virtualKey = 0;
  friend bool operator==(const Hotkey&, const Hotkey&) = default;
};

// All three modifiers and a function key: no keyboard layout types a character with it
// (Ctrl+Alt is AltGr on many), input methods use function keys without modifiers, and few
// programs bind all three. Not F9: a spreadsheet program recalculates on Ctrl+Alt+Shift+F9.
inline constexpr std::string_view kDefaultHotkeyText = "Ctrl+Alt+Shift+F12";

// The combination as the settings file holds it: modifiers ("Ctrl" or "Control", "Alt",
// "Shift", "Win"), each at most once, then one key, joined by "+", blanks around the parts
// ignored, letters in any case. Keys: A-Z, 0-9, F1-F24, Space, Tab, Enter, Backspace,
// Insert, Delete, Home, End, PageUp, PageDown, Left, Up, Right, Down, Pause, ScrollLock,
// Num0-Num9. A key that types or moves in text needs Ctrl, Alt or Win; function keys,
// Pause and ScrollLock may stand alone. nullopt when the text is no such combination.
std::optional<Hotkey> ParseHotkey(std::string_view text);

// The combination written back in the canonical form: Ctrl, Alt, Shift, Win, the key.
std::string HotkeyText(const Hotkey& hotkey);

// "Hottoki" as the program keeps it.
struct HotkeySetting {
  std::optional<Hotkey> combination;  // nullopt: no hotkey
  // The value as written when it is no usable combination (then there is no hotkey);
  // empty otherwise.
  std::string unusable;
  friend bool operator==(const HotkeySetting&, const HotkeySetting&) = default;
};

// An empty value (blanks only) or "0" switches the hotkey off; anything else is a
// combination or unusable.
HotkeySetting ReadHotkeySetting(std::string_view text);

}  // namespace sevalune
