// The pure rules of the tick, checked with exact numbers: the hold setting ("Oazuke") and
// when it applies, and the kind of target each location method reads from a thread's
// state. Scenarios (gates_hold_*.sim, locate_*.sim) show them in the running tick.
#include <gtest/gtest.h>

#include <cstdint>

#include "settings/HoldPolicy.h"
#include "tests/CaseName.h"
#include "tracking/Following.h"
#include "tracking/ForegroundSwitch.h"
#include "tracking/ImeProbe.h"
#include "tracking/TargetKinds.h"

namespace sevalune {
namespace {

using testing::CaseName;

// --- the hold setting ------------------------------------------------------------------

struct ParseCase {
  const char* what;
  const char* text;
  HoldPolicy expected;
};

class ParseHoldPolicyTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseHoldPolicyTest, FirstCharacterIsTheModeSecondTheLength) {
  EXPECT_EQ(ParseHoldPolicy(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseHoldPolicyTest,
    ::testing::Values(
        ParseCase{"the default 12", "12", {HoldMode::OldMethodOnly, 2}},
        ParseCase{"1 then 9", "19", {HoldMode::OldMethodOnly, 9}},
        ParseCase{"1 then 0", "10", {HoldMode::OldMethodOnly, 0}},
        ParseCase{"1 alone", "1", {HoldMode::OldMethodOnly, 0}},
        ParseCase{"2 then 1", "21", {HoldMode::Always, 1}},
        ParseCase{"2 then 9", "29", {HoldMode::Always, 9}},
        ParseCase{"2 then a letter", "2x", {HoldMode::Always, 0}},
        ParseCase{"a digit after a letter is not read", "2x9", {HoldMode::Always, 0}},
        ParseCase{"only two characters are read", "12345", {HoldMode::OldMethodOnly, 2}},
        ParseCase{"the character after 9", "1:", {HoldMode::OldMethodOnly, 0}},
        ParseCase{"the character before 0", "1/", {HoldMode::OldMethodOnly, 0}},
        ParseCase{"empty", "", {HoldMode::Never, 0}},
        ParseCase{"0 never holds", "0", {HoldMode::Never, 0}},
        ParseCase{"3 never holds", "3", {HoldMode::Never, 0}},
        // The length is read whatever the mode; it counts only where the mode holds.
        ParseCase{"3 then 2", "32", {HoldMode::Never, 2}},
        ParseCase{"a blank before the mode", " 21", {HoldMode::Never, 2}},
        // "２１" in full-width digits: bytes that are no ASCII digits.
        ParseCase{"full width digits", "\xEF\xBC\x92\xEF\xBC\x91", {HoldMode::Never, 0}}),
    CaseName<&ParseCase::what>{});

struct HoldsCase {
  const char* what;
  HoldPolicy policy;
  bool oldMethodInForce;
  bool holds;
};

class HoldsOnMouseMoveTest : public ::testing::TestWithParam<HoldsCase> {};

TEST_P(HoldsOnMouseMoveTest, DependsOnTheModeAndTheMethodOnly) {
  const HoldsCase& c = GetParam();
  EXPECT_EQ(HoldsOnMouseMove(c.policy, c.oldMethodInForce), c.holds);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, HoldsOnMouseMoveTest,
    ::testing::Values(
        HoldsCase{"never on the per-thread method", {HoldMode::Never, 2}, false, false},
        HoldsCase{"never on the older method", {HoldMode::Never, 2}, true, false},
        HoldsCase{"always on the per-thread method", {HoldMode::Always, 1}, false, true},
        HoldsCase{"always on the older method", {HoldMode::Always, 1}, true, true},
        HoldsCase{"always for no further tick", {HoldMode::Always, 0}, false, true},
        HoldsCase{
            "old method only on the per-thread method", {HoldMode::OldMethodOnly, 2}, false, false},
        HoldsCase{"old method only on the older method", {HoldMode::OldMethodOnly, 2}, true, true}),
    CaseName<&HoldsCase::what>{});

// --- the kind of target ----------------------------------------------------------------

constexpr WindowHandle kFocus = 0x100;
constexpr WindowHandle kOther = 0x200;

struct KindCase {
  const char* what;
  std::uint32_t flags;
  WindowHandle focus;
  WindowHandle capture;
  TargetKind byGuiInfo;    // GuiInfoKind
  TargetKind byAttaching;  // OldMethodKind
};

GuiThreadInfo InfoOf(const KindCase& c) {
  GuiThreadInfo info;
  info.flags = c.flags;
  info.focus = c.focus;
  info.capture = c.capture;
  info.caret = c.focus;
  return info;
}

class TargetKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(TargetKindTest, ByThePerThreadQuery) {
  EXPECT_EQ(GuiInfoKind(InfoOf(GetParam())), GetParam().byGuiInfo);
}

TEST_P(TargetKindTest, ByAttaching) {
  EXPECT_EQ(OldMethodKind(InfoOf(GetParam())), GetParam().byAttaching);
}

constexpr TargetKind kMenu = TargetKind::Menu;
constexpr TargetKind kCaret = TargetKind::Caret;
constexpr TargetKind kParts = TargetKind::FocusedControl;

// Flags: 1 caret blinking, 2 moving or sizing, 4 in a menu, 8 system menu, 16 pop-up menu.
INSTANTIATE_TEST_SUITE_P(
    States, TargetKindTest,
    ::testing::Values(
        KindCase{"caret bit alone", 1, kFocus, 0, kCaret, kCaret},
        KindCase{"no flag", 0, kFocus, 0, kParts, kParts},
        KindCase{"moving or sizing", 2, kFocus, 0, kParts, kParts},
        KindCase{"caret while moving or sizing", 3, kFocus, 0, kParts, kParts},
        KindCase{"in a menu", 4, kFocus, 0, kMenu, kParts},
        KindCase{"caret in a menu", 5, kFocus, 0, kMenu, kParts},
        KindCase{"system menu", 8, kFocus, 0, kMenu, kParts},
        KindCase{"pop up menu", 16, kFocus, 0, kMenu, kParts},
        KindCase{"caret and pop up menu", 17, kFocus, 0, kMenu, kParts},
        // The flags are compared as a signed number: the top bit makes them negative,
        // below the menu bits.
        KindCase{"top bit", 0x80000004u, kFocus, 0, kParts, kParts},
        KindCase{"caret and capture by the focus", 1, kFocus, kFocus, kCaret, kMenu},
        KindCase{"no caret and capture by the focus", 0, kFocus, kFocus, kParts, kMenu},
        KindCase{"caret and capture by another window", 1, kFocus, kOther, kMenu, kMenu},
        KindCase{"capture without focus", 0, 0, kOther, kMenu, kMenu},
        KindCase{"caret without focus", 1, 0, 0, kCaret, kCaret}),
    CaseName<&KindCase::what>{});

// The caret is watched between ticks for about a second after it last moved.
TEST(FollowingTest, WatchesForTheTicksOfAboutASecondAndAtLeastTwo) {
  EXPECT_EQ(FollowTicksFor(110), 10);
  EXPECT_EQ(FollowTicksFor(100), 10);
  EXPECT_EQ(FollowTicksFor(10), 100);
  EXPECT_EQ(FollowTicksFor(1), 1000);
  EXPECT_EQ(FollowTicksFor(0), 1000);
  EXPECT_EQ(FollowTicksFor(400), 3);
  EXPECT_EQ(FollowTicksFor(1000), 2);
  EXPECT_EQ(FollowTicksFor(65535), 2);
}

// After a switch of windows the finder plays at most once in the ticks of a second.
TEST(ForegroundSwitchTest, PlaysAtMostOnceInTheTicksOfASecond) {
  EXPECT_EQ(SwitchFinderGapTicks(110), 10u);
  EXPECT_EQ(SwitchFinderGapTicks(100), 10u);
  EXPECT_EQ(SwitchFinderGapTicks(0), 1000u);
  EXPECT_EQ(SwitchFinderGapTicks(1000), 1u);
  EXPECT_EQ(SwitchFinderGapTicks(65535), 1u);
  EXPECT_TRUE(SwitchFinderMayPlay(1, 0, 110));  // none played yet
  EXPECT_FALSE(SwitchFinderMayPlay(29, 20, 110));
  EXPECT_TRUE(SwitchFinderMayPlay(30, 20, 110));
  EXPECT_TRUE(SwitchFinderMayPlay(21, 20, 2000));
}

// IMEHantei: open counts as on only in the native mode; off, the open status alone.
TEST(ImeStateTest, TheNativeBitDecidesOnlyWhenAskedFor) {
  EXPECT_EQ(ImeStateFor(1, std::nullopt, false), 1);
  EXPECT_EQ(ImeStateFor(1, 0, false), 1);
  EXPECT_EQ(ImeStateFor(0, 1, false), 0);
  EXPECT_EQ(ImeStateFor(1, 1, true), 1);
  EXPECT_EQ(ImeStateFor(1, 0x19, true), 1);  // native, full shape, katakana
  EXPECT_EQ(ImeStateFor(1, 0x8, true), 0);   // full-shape Latin letters
  EXPECT_EQ(ImeStateFor(1, std::nullopt, true), 0);
  EXPECT_EQ(ImeStateFor(0, 1, true), 0);
  EXPECT_EQ(ImeStateFor(-1, 1, true), -1);
}

}  // namespace
}  // namespace sevalune
