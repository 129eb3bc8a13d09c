// QueryAccessible: the accessible caret or focused element of a window, asked on another
// thread and answered at a later call, never waited for; a new answer is also told as a
// notice, and a caret-only round asks the caret object alone. The windows here publish through
// Active Accessibility (there is no UI Automation under Wine); the simulated desktop's UI
// Automation programs are tested on the simulator alone.
#include <gtest/gtest.h>

#include "tests/RecordingHandler.h"
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

constexpr Rect kFrame{200, 150, 600, 450};
constexpr Rect kCaret{260, 200, 262, 224};
constexpr Rect kField{240, 190, 560, 230};

class AccessibleContractTest : public ContractTest {
 protected:
  void SetUp() override { platform.SetEventHandler(&handler); }
  void TearDown() override { platform.SetEventHandler(nullptr); }

  WindowHandle Served(const PublishedAccessible& published, GuiThread thread = GuiThread::Second) {
    const WindowHandle window = Plain(thread);
    Driver().Publish(window, published);
    return window;
  }

  WindowHandle Plain(GuiThread thread = GuiThread::Second) {
    WindowRequest wanted;
    wanted.title = "accessible";
    wanted.rect = kFrame;
    wanted.thread = thread;
    return Driver().AddWindow(wanted);
  }

  // Asks about the window and reads the answer once a round has had its time.
  AccessibleAnswer Ask(WindowHandle window, AccessibleReach reach = AccessibleReach::Everything) {
    platform.QueryAccessible(window, ++serial_, reach);
    Driver().LetAccessibilityRoundPass();
    return platform.QueryAccessible(0, serial_, reach);
  }

  // Notices of new answers dispatched so far.
  int AnswersTold() const {
    int told = 0;
    for (const TargetNotice& notice : handler.notices) told += notice.accessibleAnswer ? 1 : 0;
    return told;
  }

  std::uint64_t serial() const { return serial_; }

  testing::RecordingHandler handler;

 private:
  std::uint64_t serial_ = 100;
};

TEST_F(AccessibleContractTest, TheAnswerComesAtALaterCallNeverWithTheRequest) {
  const WindowHandle window = Served({kCaret, std::nullopt, false});
  const AccessibleAnswer first = platform.QueryAccessible(window, 7, AccessibleReach::Everything);
  EXPECT_EQ(first.status, AccessibleStatus::NotAsked);
  EXPECT_EQ(first.serial, 0u);
  Driver().LetAccessibilityRoundPass();
  const AccessibleAnswer answer = platform.QueryAccessible(0, 8, AccessibleReach::Everything);
  EXPECT_EQ(answer.serial, 7u);
  EXPECT_EQ(answer.window, window);
  EXPECT_EQ(answer.status, AccessibleStatus::Answered);
  // A window of 0 asks nothing: the same answer stays the latest.
  Driver().LetAccessibilityRoundPass();
  EXPECT_EQ(platform.QueryAccessible(0, 9, AccessibleReach::Everything).serial, 7u);
}

TEST_F(AccessibleContractTest, ACaretObjectAnswersWhereTheCaretIs) {
  const WindowHandle window = Served({kCaret, kField, false});
  const AccessibleAnswer answer = Ask(window);
  EXPECT_EQ(answer.serial, serial());
  EXPECT_EQ(answer.status, AccessibleStatus::Answered);
  EXPECT_EQ(answer.source, AccessibleSource::MsaaCaret);
  EXPECT_EQ(answer.rect, kCaret);
  // With the facts to judge it by, as they were when the round ran.
  Rect frame;
  ASSERT_TRUE(platform.GetWindowRect(window, frame));
  EXPECT_EQ(answer.windowRect, frame);
  EXPECT_EQ(answer.displayRect, platform.MonitorRectOf(window));
}

TEST_F(AccessibleContractTest, AHiddenCaretGivesWayToTheFocusedChild) {
  const AccessibleAnswer answer = Ask(Served({std::nullopt, kField, false}));
  EXPECT_EQ(answer.status, AccessibleStatus::Answered);
  EXPECT_EQ(answer.source, AccessibleSource::MsaaFocus);
  EXPECT_EQ(answer.rect, kField);
}

TEST_F(AccessibleContractTest, ACaretOnlyRoundAsksTheCaretObjectAlone) {
  const WindowHandle window = Served({std::nullopt, kField, false});
  EXPECT_EQ(Ask(window, AccessibleReach::CaretOnly).source, AccessibleSource::None);
  Driver().Publish(window, {kCaret, kField, false});
  const AccessibleAnswer answer = Ask(window, AccessibleReach::CaretOnly);
  EXPECT_EQ(answer.source, AccessibleSource::MsaaCaret);
  EXPECT_EQ(answer.rect, kCaret);
}

TEST_F(AccessibleContractTest, ANewAnswerIsToldAsItComesTheSameOneIsNot) {
  const WindowHandle window = Served({kCaret, kField, false});
  ASSERT_EQ(Ask(window).source, AccessibleSource::MsaaCaret);
  platform.PumpMessages();
  EXPECT_EQ(AnswersTold(), 1);
  Ask(window);
  platform.PumpMessages();
  EXPECT_EQ(AnswersTold(), 1) << "the caret where it was";
  Driver().Publish(window, {std::nullopt, kField, false});
  ASSERT_EQ(Ask(window).source, AccessibleSource::MsaaFocus);
  platform.PumpMessages();
  EXPECT_EQ(AnswersTold(), 2);
}

TEST_F(AccessibleContractTest, ACaretWithoutHeightIsNoCaret) {
  EXPECT_EQ(Ask(Served({Rect{}, kField, false})).source, AccessibleSource::MsaaFocus);
  EXPECT_EQ(Ask(Served({Rect{260, 200, 262, 200}, kField, false})).source,
            AccessibleSource::MsaaFocus);
  // A line without width is a caret.
  const Rect line{260, 200, 260, 224};
  const AccessibleAnswer answer = Ask(Served({line, kField, false}));
  EXPECT_EQ(answer.source, AccessibleSource::MsaaCaret);
  EXPECT_EQ(answer.rect, line);
}

TEST_F(AccessibleContractTest, NoCaretAndNoFocusedChildIsNothing) {
  for (const PublishedAccessible& published :
       {PublishedAccessible{}, PublishedAccessible{std::nullopt, std::nullopt, true}}) {
    const AccessibleAnswer answer = Ask(Served(published));
    EXPECT_EQ(answer.status, AccessibleStatus::Answered);
    EXPECT_EQ(answer.source, AccessibleSource::None);
  }
  const AccessibleAnswer plain = Ask(Plain());
  EXPECT_EQ(plain.status, AccessibleStatus::Answered);
  EXPECT_EQ(plain.source, AccessibleSource::None);
}

TEST_F(AccessibleContractTest, AWindowThatIsGoneAnswersNothing) {
  const WindowHandle window = Served({kCaret, kField, false});
  Driver().RemoveWindow(window);
  const AccessibleAnswer answer = Ask(window);
  EXPECT_EQ(answer.serial, serial());
  EXPECT_EQ(answer.status, AccessibleStatus::Answered);
  EXPECT_EQ(answer.source, AccessibleSource::None);
}

// The test can wake the hung thread only once the query has returned: a query that waited
// would hold this test for good.
TEST_F(AccessibleContractTest, AHungThreadIsGivenUpAndNotAskedAgainUntilItAnswers) {
  const WindowHandle window = Served({kCaret, std::nullopt, false});
  ASSERT_EQ(Ask(window).source, AccessibleSource::MsaaCaret);
  Driver().HangSecondThread(true);
  AccessibleAnswer givenUp = Ask(window);
  // Where that first round ended late (a busy machine), the window is a slow provider: its
  // last answer stands until the slow limit has passed.
  for (int read = 0; read < 8 && givenUp.status == AccessibleStatus::Answered; ++read) {
    Driver().LetAccessibilityRoundPass();
    givenUp = platform.QueryAccessible(0, serial(), AccessibleReach::Everything);
  }
  EXPECT_EQ(givenUp.serial, serial());
  EXPECT_EQ(givenUp.status, AccessibleStatus::TimedOut);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Ask(window).status, AccessibleStatus::Busy);

  Driver().HangSecondThread(false);
  Driver().LetSecondThreadCatchUp();
  AccessibleAnswer again = Ask(window);
  for (int round = 0; round < 10 && again.status != AccessibleStatus::Answered; ++round) {
    again = Ask(window);
  }
  EXPECT_EQ(again.status, AccessibleStatus::Answered);
  EXPECT_EQ(again.source, AccessibleSource::MsaaCaret);
  EXPECT_EQ(again.rect, kCaret);
}

TEST_F(AccessibleContractTest, WhileOneThreadHangsAnotherWindowIsStillAnswered) {
  const WindowHandle hung = Served({kCaret, std::nullopt, false});
  const Rect otherCaret{300, 300, 302, 320};
  const WindowHandle answering = Served({otherCaret, std::nullopt, false}, GuiThread::Main);
  Driver().HangSecondThread(true);
  EXPECT_EQ(Ask(hung).status, AccessibleStatus::TimedOut);
  const AccessibleAnswer answer = Ask(answering);
  EXPECT_EQ(answer.status, AccessibleStatus::Answered);
  EXPECT_EQ(answer.rect, otherCaret);
  Driver().HangSecondThread(false);
  Driver().LetSecondThreadCatchUp();
}

}  // namespace
}  // namespace sevalune::contract
