// The hidden "Default IME" window of each GUI thread and SendMessageTimeout, which the
// program uses to ask the foreground process's input method whether it is open.
//
// Where that window lies differs: on Windows it is owned by the thread's window and so
// lies above it, and the simulated desktop puts it directly above; under Wine it has no
// owner and lies below, so the program's upward walk never meets it there.
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

constexpr std::uint32_t kNullMessage = 0;
constexpr std::uint32_t kShortTimeoutMs = 200;

class ImeWindow : public ContractTest {
 protected:
  void SetUp() override {
    WindowRequest wanted;
    wanted.title = "program with an input method";
    wanted.thread = GuiThread::Second;
    wanted.rect = Rect{200, 200, 400, 300};
    window = Driver().AddWindow(wanted);
  }

  std::optional<std::intptr_t> OpenStatus(WindowHandle to) {
    return platform.SendMessageTimeout(to, kMsgImeControl, kImcGetOpenStatus, 0, 1000);
  }

  WindowHandle window = 0;
};

TEST_F(ImeWindow, EveryGuiThreadHasOne) {
  const WindowHandle ime = ImeWindowOf(SecondThread());
  ASSERT_NE(ime, 0u);
  EXPECT_EQ(platform.GetWindowText(ime, 250), "Default IME");
  EXPECT_FALSE(platform.IsWindowVisible(ime));
  EXPECT_EQ(platform.GetWindowThreadProcessId(ime).process, Driver().Process());
}

TEST_F(ImeWindow, OneServesAllTheThreadsWindows) {
  WindowRequest wanted;
  wanted.title = "another window of the same program";
  wanted.thread = GuiThread::Second;
  wanted.rect = Rect{250, 250, 450, 350};
  Driver().AddWindow(wanted);
  int count = 0;
  for (const WindowHandle each : TopLevelWalk()) {
    if (platform.GetClassName(each, 100) == "IME" &&
        platform.GetWindowThreadProcessId(each).thread == SecondThread()) {
      ++count;
    }
  }
  EXPECT_EQ(count, 1);
}

TEST_F(ImeWindow, TheProgramsOwnThreadHasOne) { EXPECT_NE(ImeWindowOf(MainThread()), 0u); }

TEST_F(ImeWindow, ItsPlaceInTheZOrderDependsOnTheSystem) {
  const WindowHandle ime = ImeWindowOf(SecondThread());
  ASSERT_NE(ime, 0u);
  const bool above = WalkMeets(window, WindowRelation::Previous, ime);
  const bool below = WalkMeets(window, WindowRelation::Next, ime);
  if (OnWine()) {
    EXPECT_TRUE(below) << "Wine keeps it below the thread's windows";
    EXPECT_FALSE(above);
  } else {
    EXPECT_TRUE(above) << NameOf(Answerer()) << " keeps it above its owner";
    EXPECT_FALSE(below);
  }
}

TEST_F(ImeWindow, AnswersTheOpenStatus) {
  const WindowHandle ime = ImeWindowOf(SecondThread());
  ASSERT_NE(ime, 0u);
  EXPECT_EQ(OpenStatus(ime), std::optional<std::intptr_t>(0));
  if (OnWine()) {
    GTEST_SKIP() << "Wine's input-method window does not follow the open status: once "
                    "opened it keeps answering 1, and other threads' windows always answer 0";
  }
  if (!Driver().SetInputMethodOpen(window, true)) {
    GTEST_SKIP() << NameOf(Answerer()) << " offers no input method to open";
  }
  EXPECT_EQ(OpenStatus(ime), std::optional<std::intptr_t>(1));
  Driver().SetInputMethodOpen(window, false);
  EXPECT_EQ(OpenStatus(ime), std::optional<std::intptr_t>(0));
}

// Asked only where the settings want the native mode, to the same window: it answers
// (mode bits; the simulated desktop 0 unless a scenario sets them) and never hangs.
TEST_F(ImeWindow, AnswersTheConversionMode) {
  const WindowHandle ime = ImeWindowOf(SecondThread());
  ASSERT_NE(ime, 0u);
  const std::optional<std::intptr_t> mode =
      platform.SendMessageTimeout(ime, kMsgImeControl, kImcGetConversionMode, 0, 1000);
  ASSERT_TRUE(mode.has_value());
  if (Answerer() == Flavor::Simulator) {
    EXPECT_EQ(*mode, 0);
  }
}

TEST_F(ImeWindow, AnOrdinaryWindowAnswersClosed) {
  EXPECT_EQ(OpenStatus(window), std::optional<std::intptr_t>(0));
}

TEST_F(ImeWindow, AWindowOfTheOwnThreadAnswersAtOnce) {
  EXPECT_EQ(
      platform.SendMessageTimeout(platform.MarkerWindow(), kNullMessage, 0, 0, kShortTimeoutMs),
      std::optional<std::intptr_t>(0));
}

TEST_F(ImeWindow, AHungThreadGivesNoAnswer) {
  Driver().HangSecondThread(true);
  // Only calls that send nothing to the hung thread until it runs again.
  EXPECT_EQ(platform.SendMessageTimeout(window, kNullMessage, 0, 0, kShortTimeoutMs), std::nullopt);
  Driver().HangSecondThread(false);
  EXPECT_EQ(platform.SendMessageTimeout(window, kNullMessage, 0, 0, 1000),
            std::optional<std::intptr_t>(0));
}

}  // namespace
}  // namespace sevalune::contract
