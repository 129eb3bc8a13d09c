// The finder's animation: where each frame goes, how it is drawn as four bars, and the
// cycle that lets a held combination start it once. Exact numbers.
#include <gtest/gtest.h>

#include <string>

#include "marker/FinderAnimation.h"

namespace sevalune {
namespace {

constexpr Rect kDisplay{0, 0, 1920, 1080};

TEST(FinderGeometryTest, TheEndSurroundsTheTargetByTheGapAndTheFramesWidth) {
  EXPECT_EQ(FinderEndRect(MarkerRect{124, 185, 10, 9}), (Rect{114, 175, 144, 204}));
  EXPECT_EQ(FinderEndRect(MarkerRect{960, 540, 0, 0}), (Rect{950, 530, 970, 550}));
  EXPECT_EQ(FinderEndRect(MarkerRect{-1900, -5, 18, 18}), (Rect{-1910, -15, -1872, 23}));
  constexpr std::int32_t kMax = 2147483647;
  constexpr std::int32_t kMin = -2147483647 - 1;
  EXPECT_EQ(FinderEndRect(MarkerRect{kMax - 5, kMin + 5, 20, 20}),
            (Rect{kMax - 15, kMin, kMax, kMin + 35}));
}

TEST(FinderGeometryTest, EachEdgeEasesOutFromTheDisplayToTheEnd) {
  // 32 frames: the share of the way done is (32^2 - (32 - k)^2) / 32^2, truncated.
  EXPECT_EQ(FinderEdge(0, 114, 0, 32), 0);
  EXPECT_EQ(FinderEdge(0, 114, 1, 32), 7);     // 114 * 63 / 1024 = 7.01
  EXPECT_EQ(FinderEdge(0, 114, 16, 32), 85);   // 114 * 768 / 1024 = 85.5
  EXPECT_EQ(FinderEdge(0, 114, 31, 32), 113);  // 114 * 1023 / 1024 = 113.9
  EXPECT_EQ(FinderEdge(0, 114, 32, 32), 114);
  EXPECT_EQ(FinderEdge(1920, 144, 1, 32), 1811);  // 1920 - 1776 * 63 / 1024 = 1920 - 109.2
  EXPECT_EQ(FinderEdge(1920, 144, 16, 32), 588);  // 1920 - 1332
  // Truncated towards zero, whichever way the edge moves.
  EXPECT_EQ(FinderEdge(-10, 0, 1, 2), -3);  // -10 + 10 * 3 / 4 = -2.5
  EXPECT_EQ(FinderEdge(0, -10, 1, 2), -7);  // 0 - 10 * 3 / 4 = -7.5
  // Outside the course: the ends.
  EXPECT_EQ(FinderEdge(5, 9, -1, 32), 5);
  EXPECT_EQ(FinderEdge(5, 9, 40, 32), 9);
  EXPECT_EQ(FinderEdge(5, 9, 0, 0), 9);
}

TEST(FinderGeometryTest, FramesShrinkFromTheDisplayOntoTheEnd) {
  const Rect end = FinderEndRect(MarkerRect{124, 185, 10, 9});
  EXPECT_EQ(FinderFrameRect(kDisplay, end, 0, kFinderFrames), kDisplay);
  EXPECT_EQ(FinderFrameRect(kDisplay, end, 1, kFinderFrames), (Rect{7, 10, 1811, 1027}));
  EXPECT_EQ(FinderFrameRect(kDisplay, end, 16, kFinderFrames), (Rect{85, 131, 588, 423}));
  EXPECT_EQ(FinderFrameRect(kDisplay, end, kFinderFrames, kFinderFrames), end);
  // Never growing, frame after frame.
  Rect previous = kDisplay;
  for (std::int32_t frame = 1; frame <= kFinderFrames; ++frame) {
    const Rect rect = FinderFrameRect(kDisplay, end, frame, kFinderFrames);
    EXPECT_GE(rect.left, previous.left) << frame;
    EXPECT_GE(rect.top, previous.top) << frame;
    EXPECT_LE(rect.right, previous.right) << frame;
    EXPECT_LE(rect.bottom, previous.bottom) << frame;
    previous = rect;
  }
}

TEST(FinderGeometryTest, OnADisplayLeftOfThePrimaryTheFrameStaysOnIt) {
  const Rect left{-1280, 0, 0, 1024};
  const Rect end = FinderEndRect(MarkerRect{-600, 300, 10, 9});
  EXPECT_EQ(FinderFrameRect(left, end, 0, kFinderFrames), left);
  EXPECT_EQ(FinderFrameRect(left, end, 16, kFinderFrames), (Rect{-778, 217, -435, 496}));
}

TEST(FinderGeometryTest, FourBarsMakeTheFrame) {
  EXPECT_EQ(FinderFrameSides(Rect{114, 175, 144, 204}, 6),
            (FrameSides{Rect{114, 175, 144, 181}, Rect{114, 198, 144, 204},
                        Rect{114, 181, 120, 198}, Rect{138, 181, 144, 198}}));
  // Narrower than twice its width: the bars overlap and the sides have no height.
  EXPECT_EQ(FinderFrameSides(Rect{0, 0, 8, 8}, 6),
            (FrameSides{Rect{0, 0, 8, 6}, Rect{0, 6, 8, 8}, Rect{0, 6, 6, 6}, Rect{2, 6, 8, 6}}));
}

// One letter per frame period: S a frame shown, H hidden, w waiting, . stopped.
std::string Course(FinderCycle& cycle, int periods) {
  std::string letters;
  for (int i = 0; i < periods; ++i) {
    switch (cycle.Advance()) {
      case FinderStep::ShowFrame:
        letters += 'S';
        break;
      case FinderStep::Hide:
        letters += 'H';
        break;
      case FinderStep::Wait:
        letters += 'w';
        break;
      case FinderStep::Stop:
        letters += '.';
        break;
    }
  }
  return letters;
}

TEST(FinderCycleTest, APressPlaysThirtyThreeFramesThenWaitsQuietly) {
  FinderCycle cycle;
  ASSERT_TRUE(cycle.Press());
  EXPECT_EQ(cycle.frame(), 0);
  EXPECT_EQ(Course(cycle, 32), std::string(32, 'S'));
  EXPECT_EQ(cycle.frame(), 32);
  EXPECT_EQ(Course(cycle, 1), "H");
  EXPECT_EQ(cycle.phase(), FinderCycle::Phase::Quiet);
  EXPECT_EQ(Course(cycle, 20), std::string(19, 'w') + ".");
  EXPECT_EQ(cycle.phase(), FinderCycle::Phase::Idle);
  EXPECT_TRUE(cycle.Press());
}

TEST(FinderCycleTest, AHeldCombinationStartsItOnce) {
  FinderCycle cycle;
  ASSERT_TRUE(cycle.Press());
  // Repeats every two frame periods (30 ms) while it plays, and while it is quiet.
  std::string course;
  for (int i = 0; i < 40; ++i) {
    EXPECT_FALSE(cycle.Press()) << i;
    course += Course(cycle, 2);
  }
  EXPECT_EQ(course.substr(0, 33), std::string(32, 'S') + "H");
  EXPECT_EQ(course.substr(33), std::string(47, 'w'));
  // Let go: quiet until 20 periods after the last repeat, then a press starts it again.
  EXPECT_EQ(Course(cycle, 18), std::string(17, 'w') + ".");
  EXPECT_TRUE(cycle.Press());
}

TEST(FinderCycleTest, CancelledItIsIdleAtOnce) {
  FinderCycle cycle;
  ASSERT_TRUE(cycle.Press());
  Course(cycle, 5);
  cycle.Cancel();
  EXPECT_EQ(cycle.phase(), FinderCycle::Phase::Idle);
  EXPECT_EQ(Course(cycle, 1), ".");
  EXPECT_TRUE(cycle.Press());
  EXPECT_EQ(cycle.frame(), 0);
}

}  // namespace
}  // namespace sevalune
