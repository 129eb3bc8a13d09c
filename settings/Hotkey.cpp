#include "settings/Hotkey.h"

#include <array>
#include <vector>

namespace sevalune {
namespace {

// Whether a key may be the whole combination (with Shift at most): taking a key that types
// or moves in text away from every program would make typing impossible.
enum class KeyUse { NeedsCtrlAltOrWin, MayStandAlone };

struct NamedKey {
  std::string_view name;  // canonical spelling
  std::uint32_t virtualKey;
  KeyUse use;
};

constexpr std::uint32_t kFirstFunctionKey = 0x70;  // F1
constexpr int kFunctionKeys = 24;
constexpr std::uint32_t kFirstNumpadKey = 0x60;  // Num0

constexpr std::array<NamedKey, 16> kNamedKeys{{
    {"Space", 0x20, KeyUse::NeedsCtrlAltOrWin},
    {"Tab", 0x09, KeyUse::NeedsCtrlAltOrWin},
    {"Enter", 0x0D, KeyUse::NeedsCtrlAltOrWin},
    {"Backspace", 0x08, KeyUse::NeedsCtrlAltOrWin},
    {"Insert", 0x2D, KeyUse::NeedsCtrlAltOrWin},
    {"Delete", 0x2E, KeyUse::NeedsCtrlAltOrWin},
    {"Home", 0x24, KeyUse::NeedsCtrlAltOrWin},
    {"End", 0x23, KeyUse::NeedsCtrlAltOrWin},
    {"PageUp", 0x21, KeyUse::NeedsCtrlAltOrWin},
    {"PageDown", 0x22, KeyUse::NeedsCtrlAltOrWin},
    {"Left", 0x25, KeyUse::NeedsCtrlAltOrWin},
    {"Up", 0x26, KeyUse::NeedsCtrlAltOrWin},
    {"Right", 0x27, KeyUse::NeedsCtrlAltOrWin},
    {"Down", 0x28, KeyUse::NeedsCtrlAltOrWin},
    {"Pause", 0x13, KeyUse::MayStandAlone},
    {"ScrollLock", 0x91, KeyUse::MayStandAlone},
}};

struct NamedModifier {
  std::string_view name;
  std::uint32_t bit;
};

// In the canonical order; "Control" is read as well as "Ctrl".
constexpr std::array<NamedModifier, 5> kModifiers{{{"Ctrl", mod::Control},
                                                   {"Alt", mod::Alt},
                                                   {"Shift", mod::Shift},
                                                   {"Win", mod::Win},
                                                   {"Control", mod::Control}}};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> PartsOf(std::string_view text) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t plus = text.find('+');
    parts.push_back(Trimmed(text.substr(0, plus)));
    if (plus == std::string_view::npos) return parts;
    text.remove_prefix(plus + 1);
  }
}

std::optional<std::uint32_t> ModifierBit(std::string_view part) {
  for (const NamedModifier& modifier : kModifiers) {
    if (SameWord(part, modifier.name)) return modifier.bit;
  }
  return std::nullopt;
}

// "1" to "24" as a number; nullopt for anything else (leading zeros included).
std::optional<int> SmallNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 2 || digits.front() == '0') return std::nullopt;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<NamedKey> KeyNamed(std::string_view part) {
  if (part.size() == 1) {
    const char c = LowerAscii(part.front());
    if (c >= 'a' && c <= 'z') {
      return NamedKey{"", static_cast<std::uint32_t>(c - 'a' + 'A'), KeyUse::NeedsCtrlAltOrWin};
    }
    if (c >= '0' && c <= '9') {
      return NamedKey{"", static_cast<std::uint32_t>(c), KeyUse::NeedsCtrlAltOrWin};
    }
  }
  if (part.size() >= 2 && LowerAscii(part.front()) == 'f') {
    const std::optional<int> number = SmallNumber(part.substr(1));
    if (number && *number <= kFunctionKeys) {
      return NamedKey{"", kFirstFunctionKey + static_cast<std::uint32_t>(*number - 1),
                      KeyUse::MayStandAlone};
    }
  }
  if (part.size() == 4 && SameWord(part.substr(0, 3), "num") && part[3] >= '0' && part[3] <= '9') {
    return NamedKey{"", kFirstNumpadKey + static_cast<std::uint32_t>(part[3] - '0'),
                    KeyUse::NeedsCtrlAltOrWin};
  }
  for (const NamedKey& key : kNamedKeys) {
    if (SameWord(part, key.name)) return key;
  }
  return std::nullopt;
}

std::string KeyName(std::uint32_t virtualKey) {
  if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
    return std::string(1, static_cast<char>(virtualKey));
  }
  if (virtualKey >= kFirstFunctionKey && virtualKey < kFirstFunctionKey + kFunctionKeys) {
    return std::string("F").append(std::to_string(virtualKey - kFirstFunctionKey + 1));
  }
  if (virtualKey >= kFirstNumpadKey && virtualKey <= kFirstNumpadKey + 9) {
    return std::string("Num").append(std::to_string(virtualKey - kFirstNumpadKey));
  }
  for (const NamedKey& key : kNamedKeys) {
    if (key.virtualKey == virtualKey) return std::string(key.name);
  }
  // Not one ParseHotkey gives; written as the number, so that the text still says which.
  return std::string("#").append(std::to_string(virtualKey));
}

}  // namespace

std::optional<Hotkey> ParseHotkey(std::string_view text) {
  const std::vector<std::string_view> parts = PartsOf(text);
  Hotkey hotkey;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const std::optional<std::uint32_t> bit = ModifierBit(parts[i]);
    if (!bit || (hotkey.modifiers & *bit) != 0) return std::nullopt;
    hotkey.modifiers |= *bit;
  }
  const std::optional<NamedKey> key = KeyNamed(parts.back());
  if (!key) return std::nullopt;
  const bool hasCtrlAltOrWin = (hotkey.modifiers & (mod::Control | mod::Alt | mod::Win)) != 0;
  if (key->use == KeyUse::NeedsCtrlAltOrWin && !hasCtrlAltOrWin) return std::nullopt;
  hotkey.virtualKey = key->virtualKey;
  return hotkey;
}

std::string HotkeyText(const Hotkey& hotkey) {
  std::string text;
  for (const NamedModifier& modifier : kModifiers) {
    if (modifier.name == "Control") continue;  // written "Ctrl"
    if ((hotkey.modifiers & modifier.bit) != 0) text.append(modifier.name).append("+");
  }
  return text.append(KeyName(hotkey.virtualKey));
}

HotkeySetting ReadHotkeySetting(std::string_view text) {
  const std::string_view value = Trimmed(text);
  if (value.empty() || value == "0") return {};
  if (const std::optional<Hotkey> hotkey = ParseHotkey(value)) return {*hotkey, {}};
  return {std::nullopt, std::string(text)};
}

}  // namespace sevalune
