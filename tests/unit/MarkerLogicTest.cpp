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
      case BlinkAction::Place:
        pattern += 'P';
        break;
      case BlinkAction::Hide:
        pattern += 'H';
        break;
      case BlinkAction::Nothing:
        pattern += '-';
        break;
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

// One letter a phase: S when the marker is shown after that phase's tick, . when not.
std::string ShownPattern(std::int32_t factor) {
  std::string pattern;
  for (std::int16_t phase = 0; phase < factor; ++phase)
    pattern += BlinkShows(phase, factor) ? 'S' : '.';
  return pattern;
}

// Between ticks the marker is moved only in these phases: from its placing to its hiding.
TEST(BlinkCycleTest, TheMarkerIsShownFromItsPlacingToItsHiding) {
  EXPECT_EQ(ShownPattern(1), ".");
  EXPECT_EQ(ShownPattern(2), "S.");
  EXPECT_EQ(ShownPattern(3), "SS.");
  EXPECT_EQ(ShownPattern(5), "SS...");
  EXPECT_EQ(ShownPattern(7), "SSSS...");
  EXPECT_EQ(ShownPattern(8), "SSSS....");
  EXPECT_EQ(ShownPattern(9), "SSSS.....");
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
constexpr std::uint32_t k96 = 96;    // 100 %: the sizes as given
constexpr std::uint32_t k120 = 120;  // 125 %
constexpr std::uint32_t k144 = 144;  // 150 %
constexpr std::uint32_t k192 = 192;  // 200 %

TEST(MarkerGeometryTest, CaretBlockHangsBelowTheCaret) {
  EXPECT_EQ(CaretMarker({124, 185}, false, kDefaultSizes, k96), (MarkerRect{124, 185, 10, 9}));
  EXPECT_EQ(CaretMarker({124, 185}, true, kDefaultSizes, k96), (MarkerRect{124, 185, 18, 8}));
}

TEST(MarkerGeometryTest, MenuSquareIgnoresTheSizes) {
  EXPECT_EQ(MenuMarker({100, 50, 700, 500}, k96), (MarkerRect{103, 53, 18, 18}));
  EXPECT_EQ(MenuMarker({-1920, -5, 0, 1000}, k96), (MarkerRect{-1917, -2, 18, 18}));
  EXPECT_EQ(MenuMarker({}, k96), (MarkerRect{3, 3, 18, 18}));
}

TEST(MarkerGeometryTest, LowControlGetsAnUnderlineCoveringItsLastRow) {
  EXPECT_EQ(PartsMarker({10, 20, 110, 69}, kDefaultSizes, 0, k96), (MarkerRect{10, 68, 100, 5}));
}

TEST(MarkerGeometryTest, TallControlGetsALeftBarInsideItsDisplay) {
  EXPECT_EQ(PartsMarker({10, 20, 110, 70}, kDefaultSizes, 0, k96), (MarkerRect{9, 20, 3, 50}));
  EXPECT_EQ(PartsMarker({0, 20, 110, 70}, kDefaultSizes, 0, k96), (MarkerRect{1, 20, 3, 50}));
  EXPECT_EQ(PartsMarker({1, 20, 110, 70}, kDefaultSizes, 0, k96), (MarkerRect{1, 20, 3, 50}));
  // A display left of the primary one has negative coordinates.
  EXPECT_EQ(PartsMarker({-1910, 0, -1000, 600}, kDefaultSizes, -1920, k96),
            (MarkerRect{-1911, 0, 3, 600}));
  EXPECT_EQ(PartsMarker({-1920, 0, -1000, 600}, kDefaultSizes, -1920, k96),
            (MarkerRect{-1919, 0, 3, 600}));
}

TEST(MarkerGeometryTest, CoordinatesBeyond32BitsAreRefused) {
  constexpr std::int32_t kMax = 2147483647;
  EXPECT_FALSE(MenuMarker({kMax - 1, 0, kMax, 10}, k96).has_value());
  EXPECT_FALSE(PartsMarker({-kMax - 1, 0, kMax, 10}, kDefaultSizes, 0, k96).has_value());
  EXPECT_FALSE(PartsMarker({0, -kMax - 1, 10, kMax}, kDefaultSizes, 0, k96).has_value());
}

TEST(DpiScaleTest, SizesAt96DpiAreKeptExactly) {
  for (std::int32_t size : {1, 2, 3, 5, 8, 9, 10, 18, 32767}) {
    EXPECT_EQ(ScaledToDpi(size, k96), size) << size;
  }
}

TEST(DpiScaleTest, RoundsToTheNearestPixelAHalfRoundingUp) {
  EXPECT_EQ(ScaledToDpi(10, k144), 15);
  EXPECT_EQ(ScaledToDpi(9, k144), 14);  // 13.5
  EXPECT_EQ(ScaledToDpi(5, k144), 8);   // 7.5
  EXPECT_EQ(ScaledToDpi(3, k144), 5);   // 4.5
  EXPECT_EQ(ScaledToDpi(18, k144), 27);
  EXPECT_EQ(ScaledToDpi(9, k120), 11);  // 11.25
  EXPECT_EQ(ScaledToDpi(3, k120), 4);   // 3.75
  EXPECT_EQ(ScaledToDpi(10, k192), 20);
  EXPECT_EQ(ScaledToDpi(32767, k192), 65534);  // beyond 16 bits
  EXPECT_EQ(ScaledToDpi(10, 72), 8);           // 7.5, on a display below 100 %
  EXPECT_EQ(ScaledToDpi(3, 72), 2);            // 2.25
}

TEST(DpiScaleTest, APositiveSizeNeverScalesBelowOnePixel) {
  EXPECT_EQ(ScaledToDpi(1, 48), 1);  // 0.5
  EXPECT_EQ(ScaledToDpi(1, 40), 1);  // 0.42
  EXPECT_EQ(ScaledToDpi(2, 1), 1);
}

TEST(DpiScaleTest, SizesOfZeroOrLessAreUsedAsSet) {
  for (std::uint32_t dpi : {k96, k144, k192, 48u}) {
    EXPECT_EQ(ScaledToDpi(0, dpi), 0) << dpi;
    EXPECT_EQ(ScaledToDpi(-4, dpi), -4) << dpi;
    EXPECT_EQ(ScaledToDpi(-32768, dpi), -32768) << dpi;
  }
}

TEST(MarkerGeometryTest, EverySizeFollowsTheDpiButNotThePlaceOrTheControlsLength) {
  EXPECT_EQ(CaretMarker({124, 185}, false, kDefaultSizes, k144), (MarkerRect{124, 185, 15, 14}));
  EXPECT_EQ(CaretMarker({124, 185}, true, kDefaultSizes, k144), (MarkerRect{124, 185, 27, 12}));
  EXPECT_EQ(CaretMarker({124, 185}, false, kDefaultSizes, k192), (MarkerRect{124, 185, 20, 18}));
  EXPECT_EQ(MenuMarker({100, 50, 700, 500}, k144), (MarkerRect{103, 53, 27, 27}));
  EXPECT_EQ(MenuMarker({100, 50, 700, 500}, k192), (MarkerRect{103, 53, 36, 36}));
  // The underline keeps the control's width, the left bar its height.
  EXPECT_EQ(PartsMarker({10, 20, 110, 69}, kDefaultSizes, 0, k144), (MarkerRect{10, 68, 100, 8}));
  EXPECT_EQ(PartsMarker({10, 20, 110, 70}, kDefaultSizes, 0, k144), (MarkerRect{9, 20, 5, 50}));
  EXPECT_EQ(PartsMarker({0, 20, 110, 70}, kDefaultSizes, 0, k192), (MarkerRect{1, 20, 6, 50}));
}

TEST(MarkerGeometryTest, ZeroAndNegativeSizesStayAsSetAtEveryDpi) {
  constexpr MarkerSizes kOdd{0, -3, -1, 0, 0, -2};
  EXPECT_EQ(CaretMarker({5, 6}, false, kOdd, k144), (MarkerRect{5, 6, 0, -3}));
  EXPECT_EQ(CaretMarker({5, 6}, true, kOdd, k144), (MarkerRect{5, 6, -1, 0}));
  EXPECT_EQ(PartsMarker({10, 20, 110, 69}, kOdd, 0, k144), (MarkerRect{10, 68, 100, 0}));
  EXPECT_EQ(PartsMarker({10, 20, 110, 70}, kOdd, 0, k144), (MarkerRect{9, 20, -2, 50}));
}

TEST(MarkerGeometryTest, SizesBeyond32BitsAreRefused) {
  constexpr MarkerSizes kLargest{32767, 32767, 32767, 32767, 32767, 32767};
  constexpr std::uint32_t kHuge = 4000000000u;
  EXPECT_FALSE(CaretMarker({0, 0}, false, kLargest, kHuge).has_value());
  EXPECT_FALSE(PartsMarker({10, 20, 110, 69}, kLargest, 0, kHuge).has_value());
  EXPECT_TRUE(CaretMarker({0, 0}, false, kLargest, 6000000u).has_value());  // 2047937500
}

TEST(MarkerGeometryTest, APointIsAskedAboutAsThePixelAtIt) {
  constexpr std::int32_t kMax = 2147483647;
  EXPECT_EQ(PixelAt({124, 185}), (Rect{124, 185, 125, 186}));
  EXPECT_EQ(PixelAt({-1920, -1}), (Rect{-1920, -1, -1919, 0}));
  EXPECT_EQ(PixelAt({kMax, kMax}), (Rect{kMax, kMax, kMax, kMax}));
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
