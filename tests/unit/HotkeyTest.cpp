// The finder's combination: text read into the modifier bits and virtual key that
// RegisterHotKey takes, written back, and the settings value that switches it off.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/Hotkey.h"

namespace sevalune {
namespace {

constexpr std::uint32_t kCtrlAltShift = mod::Control | mod::Alt | mod::Shift;

TEST(HotkeyTest, TheDefaultIsCtrlAltShiftF12) {
  EXPECT_EQ(ParseHotkey(kDefaultHotkeyText), (Hotkey{0x7, 0x7B}));
  EXPECT_EQ(ParseHotkey("Ctrl+Alt+Shift+F9"), (Hotkey{kCtrlAltShift, 0x78}));
}

TEST(HotkeyTest, ModifiersInAnyOrderAndCaseWithBlanksAroundTheParts) {
  EXPECT_EQ(ParseHotkey("shift + CONTROL+alt+f1"), (Hotkey{kCtrlAltShift, 0x70}));
  EXPECT_EQ(ParseHotkey("\tWin+Alt+ k "), (Hotkey{mod::Win | mod::Alt, 'K'}));
  EXPECT_EQ(ParseHotkey("Ctrl+Win+Shift+Alt+F24"), (Hotkey{0xF, 0x87}));
}

TEST(HotkeyTest, EveryKindOfKeyHasItsVirtualKey) {
  struct Case {
    const char* text;
    std::uint32_t virtualKey;
  };
  for (const Case& c :
       {Case{"Ctrl+A", 0x41},          Case{"Ctrl+z", 0x5A},         Case{"Ctrl+0", 0x30},
        Case{"Ctrl+9", 0x39},          Case{"Ctrl+Space", 0x20},     Case{"Ctrl+Tab", 0x09},
        Case{"Ctrl+Enter", 0x0D},      Case{"Ctrl+Backspace", 0x08}, Case{"Ctrl+Insert", 0x2D},
        Case{"Ctrl+Delete", 0x2E},     Case{"Ctrl+Home", 0x24},      Case{"Ctrl+End", 0x23},
        Case{"Ctrl+PageUp", 0x21},     Case{"Ctrl+PageDown", 0x22},  Case{"Ctrl+Left", 0x25},
        Case{"Ctrl+Up", 0x26},         Case{"Ctrl+Right", 0x27},     Case{"Ctrl+Down", 0x28},
        Case{"Ctrl+Num0", 0x60},       Case{"Ctrl+num7", 0x67},      Case{"Ctrl+Pause", 0x13},
        Case{"Ctrl+ScrollLock", 0x91}, Case{"Ctrl+F10", 0x79}}) {
    const std::optional<Hotkey> hotkey = ParseHotkey(c.text);
    ASSERT_TRUE(hotkey.has_value()) << c.text;
    EXPECT_EQ(hotkey->virtualKey, c.virtualKey) << c.text;
    EXPECT_EQ(hotkey->modifiers, mod::Control) << c.text;
  }
}

TEST(HotkeyTest, OnlyKeysThatNeitherTypeNorMoveMayGoWithoutCtrlAltOrWin) {
  EXPECT_EQ(ParseHotkey("F12"), (Hotkey{0, 0x7B}));
  EXPECT_EQ(ParseHotkey("Shift+F5"), (Hotkey{mod::Shift, 0x74}));
  EXPECT_EQ(ParseHotkey("Pause"), (Hotkey{0, 0x13}));
  EXPECT_EQ(ParseHotkey("ScrollLock"), (Hotkey{0, 0x91}));
  for (const char* text : {"K", "Shift+K", "7", "Space", "Shift+Enter", "Left", "Num5", "Tab"}) {
    EXPECT_EQ(ParseHotkey(text), std::nullopt) << text;
  }
  EXPECT_EQ(ParseHotkey("Alt+K"), (Hotkey{mod::Alt, 'K'}));
  EXPECT_EQ(ParseHotkey("Ctrl+F"), (Hotkey{mod::Control, 'F'})) << "the letter, not a function key";
  EXPECT_EQ(ParseHotkey("Win+Space"), (Hotkey{mod::Win, 0x20}));
}

TEST(HotkeyTest, AnythingElseIsNoCombination) {
  for (const char* text : {"",
                           "+",
                           "Ctrl+",
                           "+F9",
                           "Ctrl++F9",
                           "Ctrl+Ctrl+F9",
                           "Ctrl+Control+F9",
                           "Ctrl",
                           "Ctrl+Alt",
                           "F9+Ctrl",
                           "Ctrl+F0",
                           "Ctrl+F25",
                           "Ctrl+F01",
                           "Ctrl+AB",
                           "Ctrl+Num10",
                           "Ctrl+Esc",
                           "Strg+F9",
                           "Ctrl F9",
                           "Ctrl+Alt+Shift+Ｆ１２",
                           "Ctrl+Alt+Shift+F12;"}) {
    EXPECT_EQ(ParseHotkey(text), std::nullopt) << text;
  }
}

TEST(HotkeyTest, TextIsTheCanonicalForm) {
  EXPECT_EQ(HotkeyText(Hotkey{0x7, 0x7B}), "Ctrl+Alt+Shift+F12");
  EXPECT_EQ(HotkeyText(Hotkey{mod::Win | mod::Alt, 'K'}), "Alt+Win+K");
  EXPECT_EQ(HotkeyText(Hotkey{mod::Control, 0x67}), "Ctrl+Num7");
  EXPECT_EQ(HotkeyText(Hotkey{mod::Control, 0x22}), "Ctrl+PageDown");
  EXPECT_EQ(HotkeyText(Hotkey{0, 0x91}), "ScrollLock");
  EXPECT_EQ(HotkeyText(Hotkey{mod::Control, 0xBA}), "Ctrl+#186");
  EXPECT_EQ(ParseHotkey(HotkeyText(Hotkey{0xF, 0x87})), (Hotkey{0xF, 0x87}));
}

TEST(HotkeyTest, EmptyOrZeroSwitchesOffAndTheRestIsACombinationOrUnusable) {
  EXPECT_EQ(ReadHotkeySetting(""), HotkeySetting{});
  EXPECT_EQ(ReadHotkeySetting("  "), HotkeySetting{});
  EXPECT_EQ(ReadHotkeySetting("0"), HotkeySetting{});
  EXPECT_EQ(ReadHotkeySetting(" 0 "), HotkeySetting{});
  EXPECT_EQ(ReadHotkeySetting("Alt+F2"), (HotkeySetting{Hotkey{mod::Alt, 0x71}, ""}));
  EXPECT_EQ(ReadHotkeySetting("00"), (HotkeySetting{std::nullopt, "00"}));
  EXPECT_EQ(ReadHotkeySetting("Ctrl+Alt+Shift+F13 "),
            (HotkeySetting{Hotkey{kCtrlAltShift, 0x7C}, ""}));
  EXPECT_EQ(ReadHotkeySetting("Ctrl+Q+F9"), (HotkeySetting{std::nullopt, "Ctrl+Q+F9"}));
}

}  // namespace
}  // namespace sevalune
