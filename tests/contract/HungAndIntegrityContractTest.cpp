// Two questions asked before another program is sent anything that could wait on it: does the
// system judge its window hung (IsHungAppWindow), and does it run above this process's
// integrity level. Neither waits on the program asked.
#include <chrono>

#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

class HungAndIntegrity : public ContractTest {
 protected:
  void SetUp() override {
    WindowRequest wanted;
    wanted.title = "another thread's window";
    wanted.thread = GuiThread::Second;
    wanted.rect = Rect{200, 200, 400, 300};
    window = Driver().AddWindow(wanted);
  }
  void TearDown() override { Driver().HangSecondThread(false); }

  WindowHandle window = 0;
};

TEST_F(HungAndIntegrity, AThreadThatAnswersIsNotHung) {
  EXPECT_FALSE(platform.IsHungAppWindow(window));
  EXPECT_FALSE(platform.IsHungAppWindow(platform.MarkerWindow()));
  EXPECT_FALSE(platform.IsHungAppWindow(0)) << "no window";
}

TEST_F(HungAndIntegrity, AThreadFrozenAMomentAgoIsNotJudgedHungYetAndTheCallDoesNotWait) {
  Driver().HangSecondThread(true);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform.IsHungAppWindow(window)) << "the system waits about 5 s to judge";
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100));
}

TEST_F(HungAndIntegrity, TheProgramsOwnProcessIsNotAboveItself) {
  EXPECT_FALSE(platform.RunsAboveOurIntegrity(window));
  EXPECT_FALSE(platform.RunsAboveOurIntegrity(platform.MarkerWindow()));
  EXPECT_FALSE(platform.RunsAboveOurIntegrity(0)) << "no window, no program to refuse";
}

}  // namespace
}  // namespace sevalune::contract
