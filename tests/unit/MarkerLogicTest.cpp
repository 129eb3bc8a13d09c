// The blink cycle and the marker geometry, checked with exact numbers.
#include <gtest/gtest.h>

#include <string>

#include "marker/Blink.h"
#include "marker/MarkerGeometry.h"
#include "tracking/ClassList.h"

namespace sevalune {
namespace {

// One letter a phase for a target that stays the same: P placed, H hidden, - nothing.
std::string BlinkPattern(std::int32_t factor, std::int32_t cycles = 1) {
  std::string pattern;
  std::int16_t phase = 0;
  for (std::int32_t tick = 0; tick < factor * cycles; ++tick) {
    phase = NextBlinkPhase(tick == 0, phase, factor);
    switch (BlinkActionAt(phase, factor)) {
      case BlinkAction::Place: pattern += 'P'; break;
      case BlinkAction::Hide: pattern += 'H'; break;
      case BlinkAction::Nothing: pattern += '-'; break;
    }
  }
  return pattern;
}

TEST(BlinkCycleTest, FactorsOneToNine) {
  EXPECT_EQ(BlinkPattern(1), "H");
  EXPECT_EQ(BlinkPattern(2), "PH");
  EXPECT_EQ(BlinkPattern(3), "P-H");
  EXPECT_EQ(BlinkPattern(4), "PPH-");
  EXPECT_EQ(BlinkPattern(5), "PPH--");
  EXPECT_EQ(BlinkPattern(6), "PPPH--");
  EXPECT_EQ(BlinkPattern(7), "PPP-H--");
  EXPECT_EQ(BlinkPattern(8), "PPPPH---");
  EXPECT_EQ(BlinkPattern(9), "PPPPH----");
}

// The factor read from TenmetuKeisuu stops at 32767, which the 16-bit phase can count.
TEST(BlinkCycleTest, TheLongestCyclePlacesForHalfItsTicks) {
  EXPECT_EQ(BlinkPattern(32767), std::string(16383, 'P') + "-H" + std::string(16382, '-'));
}

TEST(BlinkCycleTest, EveryCycleRepeatsTheFirst) {
  for (const std::int32_t factor : {1, 2, 3, 4, 5, 6, 7, 8, 9, 32767}) {
    EXPECT_EQ(BlinkPattern(factor, 2), BlinkPattern(factor) + BlinkPattern(factor)) << factor;
  }
}

TEST(BlinkCycleTest, WrapsAroundAndRestartsOnANewTarget) {
  EXPECT_EQ(NextBlinkPhase(false, 7, 8), 0);
  EXPECT_EQ(NextBlinkPhase(false, 3, 8), 4);
  EXPECT_EQ(NextBlinkPhase(true, 5, 8), 0);
  EXPECT_EQ(NextBlinkPhase(false, 32766, 32767), 0);
  EXPECT_EQ(BlinkActionAt(16382, 32767), BlinkAction::Place);
  EXPECT_EQ(BlinkActionAt(16383, 32767), BlinkAction::Nothing);
  EXPECT_EQ(BlinkActionAt(16384, 32767), BlinkAction::Hide);
}

constexpr MarkerSizes kDefaultSizes{10, 9, 18, 8, 5, 3};

TEST(MarkerGeometryTest, CaretBlockHangsBelowTheCaret) {
  EXPECT_EQ(CaretMarker({124, 185}, false, kDefaultSizes), (MarkerRect{124, 185, 10, 9}));
  EXPECT_EQ(CaretMarker({124, 185}, true, kDefaultSizes), (MarkerRect{124, 185, 18, 8}));
}

TEST(MarkerGeometryTest, MenuSquareIgnoresTheSizes) {
  EXPECT_EQ(MenuMarker({100, 50, 700, 500}), (MarkerRect{103, 53, 18, 18}));
  EXPECT_EQ(MenuMarker({-1920, -5, 0, 1000}), (MarkerRect{-1917, -2, 18, 18}));
  EXPECT_EQ(MenuMarker({}), (MarkerRect{3, 3, 18, 18}));
}

TEST(MarkerGeometryTest, LowControlGetsAnUnderlineCoveringItsLastRow) {
  EXPECT_EQ(PartsMarker({10, 20, 110, 69}, kDefaultSizes, 0), (MarkerRect{10, 68, 100, 5}));
}

TEST(MarkerGeometryTest, TallControlGetsALeftBarInsideItsDisplay) {
  EXPECT_EQ(PartsMarker({10, 20, 110, 70}, kDefaultSizes, 0), (MarkerRect{9, 20, 3, 50}));
  EXPECT_EQ(PartsMarker({0, 20, 110, 70}, kDefaultSizes, 0), (MarkerRect{1, 20, 3, 50}));
  EXPECT_EQ(PartsMarker({1, 20, 110, 70}, kDefaultSizes, 0), (MarkerRect{1, 20, 3, 50}));
  // A display left of the primary one has negative coordinates.
  EXPECT_EQ(PartsMarker({-1910, 0, -1000, 600}, kDefaultSizes, -1920),
            (MarkerRect{-1911, 0, 3, 600}));
  EXPECT_EQ(PartsMarker({-1920, 0, -1000, 600}, kDefaultSizes, -1920),
            (MarkerRect{-1919, 0, 3, 600}));
}

TEST(MarkerGeometryTest, CoordinatesBeyond32BitsAreRefused) {
  constexpr std::int32_t kMax = 2147483647;
  EXPECT_FALSE(MenuMarker({kMax - 1, 0, kMax, 10}).has_value());
  EXPECT_FALSE(PartsMarker({-kMax - 1, 0, kMax, 10}, kDefaultSizes, 0).has_value());
  EXPECT_FALSE(PartsMarker({0, -kMax - 1, 10, kMax}, kDefaultSizes, 0).has_value());
}

TEST(ClassListTest, MatchesWholeItemsOnly) {
  EXPECT_TRUE(ClassListContains("Notepad,Edit", "Edit"));
  EXPECT_TRUE(ClassListContains("Notepad,Edit", "Notepad"));
  EXPECT_FALSE(ClassListContains("Notepad,Edit", "Edi"));
  EXPECT_FALSE(ClassListContains("Notepad,Edit", "edit"));
  EXPECT_FALSE(ClassListContains("Notepad, Edit", "Edit"));
  EXPECT_TRUE(ClassListContains("xxx", "xxx"));
  EXPECT_FALSE(ClassListContains("xxx", ""));
  EXPECT_TRUE(ClassListContains("a,,b", ""));
  EXPECT_TRUE(ClassListContains(",a", ""));
  EXPECT_TRUE(ClassListContains("a,", ""));
  EXPECT_TRUE(ClassListContains("", ""));
  EXPECT_TRUE(ClassListContains("メモ帳,Edit", "メモ帳"));
  EXPECT_FALSE(ClassListContains("Notepad,Edit", "Notepad,Edit,"));
}

}  // namespace
}  // namespace sevalune
