// GetWindowThreadProcessId, GetGUIThreadInfo, AttachThreadInput, GetFocus, GetCapture,
// GetCaretPos and ClientToScreen: the two ways the program locates the caret and the
// focused control of the foreground window's thread.
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

constexpr std::uint32_t kCaretBlinking = 1;
constexpr ThreadId kNoSuchThread = 0xFFFFFFF0u;

// A frame with an edit-like control on the second GUI thread, as another program has.
class ThreadInput : public ContractTest {
 protected:
  void SetUp() override {
    WindowRequest wanted;
    wanted.title = "editor frame";
    wanted.thread = GuiThread::Second;
    wanted.rect = kFrameRect;
    frame = Driver().AddWindow(wanted);
    ChildRequest child;
    child.parent = frame;
    child.rect = kEditRect;
    edit = Driver().AddChild(child);
    ASSERT_NE(edit, 0u);
  }

  GuiThreadInfo SecondThreadInfo() {
    GuiThreadInfo info;
    EXPECT_EQ(platform.GetGUIThreadInfo(SecondThread(), info), std::optional<bool>(true));
    return info;
  }

  static constexpr Rect kFrameRect{100, 120, 500, 420};
  static constexpr Rect kEditRect{10, 20, 310, 80};  // in the frame's client coordinates
  static constexpr Rect kCaret{15, 4, 17, 20};       // in the edit's client coordinates
  WindowHandle frame = 0;
  WindowHandle edit = 0;
};

TEST_F(ThreadInput, WindowsTellTheirThreadAndProcess) {
  const ThreadProcess second = platform.GetWindowThreadProcessId(frame);
  EXPECT_EQ(second.thread, SecondThread());
  EXPECT_EQ(second.process, Driver().Process());
  const ThreadProcess child = platform.GetWindowThreadProcessId(edit);
  EXPECT_EQ(child.thread, second.thread);
  EXPECT_EQ(child.process, second.process);
  const ThreadProcess own = platform.GetWindowThreadProcessId(platform.MarkerWindow());
  EXPECT_EQ(own.thread, MainThread());
  EXPECT_EQ(own.process, Driver().Process());
  EXPECT_NE(MainThread(), SecondThread());
}

TEST_F(ThreadInput, GuiThreadInfoReportsFocusCaretAndCapture) {
  Driver().Focus(edit);
  Driver().CreateCaret(edit, kCaret);
  Driver().Capture(frame);
  const GuiThreadInfo info = SecondThreadInfo();
  EXPECT_EQ(info.flags, kCaretBlinking);
  EXPECT_EQ(info.focus, edit);
  EXPECT_EQ(info.capture, frame);
  EXPECT_EQ(info.caret, edit);
  // In the caret window's client coordinates.
  EXPECT_EQ(info.caretRect, kCaret);
}

TEST_F(ThreadInput, WithoutACaretNoFlagIsSet) {
  Driver().Focus(edit);
  const GuiThreadInfo info = SecondThreadInfo();
  EXPECT_EQ(info.flags, 0u);
  EXPECT_EQ(info.focus, edit);
  EXPECT_EQ(info.caret, 0u);
  EXPECT_EQ(info.caretRect, Rect{});
  EXPECT_EQ(info.capture, 0u);
}

TEST_F(ThreadInput, DestroyedCaretIsGoneFromTheReport) {
  Driver().Focus(edit);
  Driver().CreateCaret(edit, kCaret);
  Driver().DestroyCaret(GuiThread::Second);
  const GuiThreadInfo info = SecondThreadInfo();
  EXPECT_EQ(info.flags, 0u);
  EXPECT_EQ(info.caret, 0u);
  EXPECT_EQ(info.focus, edit);
}

TEST_F(ThreadInput, DestroyingTheFocusedCaretWindowMovesTheFocusToItsParent) {
  Driver().Focus(edit);
  Driver().CreateCaret(edit, kCaret);
  Driver().RemoveWindow(edit);
  const GuiThreadInfo info = SecondThreadInfo();
  EXPECT_EQ(info.caret, 0u);
  EXPECT_EQ(info.flags, 0u);
  EXPECT_EQ(info.focus, frame);
}

TEST_F(ThreadInput, ThreadZeroIsTheForegroundThread) {
  ASSERT_TRUE(platform.SetForegroundWindow(frame));
  Driver().LetSecondThreadCatchUp();
  Driver().Focus(edit);
  GuiThreadInfo info;
  ASSERT_EQ(platform.GetGUIThreadInfo(0, info), std::optional<bool>(true));
  EXPECT_EQ(info.focus, edit);
  EXPECT_EQ(info.active, frame);
}

TEST_F(ThreadInput, AnUnknownThreadAnswersFalseAndZero) {
  GuiThreadInfo info;
  info.focus = 12345;
  info.flags = 7;
  info.caretRect = Rect{1, 2, 3, 4};
  EXPECT_EQ(platform.GetGUIThreadInfo(kNoSuchThread, info), std::optional<bool>(false));
  EXPECT_EQ(info.focus, 0u);
  EXPECT_EQ(info.flags, 0u);
  EXPECT_EQ(info.caretRect, Rect{});
}

TEST_F(ThreadInput, TheProgramsOwnThreadAnswers) {
  GuiThreadInfo info;
  EXPECT_EQ(platform.GetGUIThreadInfo(MainThread(), info), std::optional<bool>(true));
  EXPECT_EQ(info.flags, 0u);
  EXPECT_EQ(info.caret, 0u);
  EXPECT_EQ(info.capture, 0u);
}

TEST_F(ThreadInput, AttachedInputAnswersForTheOtherThread) {
  Driver().Focus(edit);
  Driver().CreateCaret(edit, kCaret);
  Driver().Capture(frame);
  EXPECT_NE(platform.GetFocus(), edit);

  ASSERT_TRUE(platform.AttachThreadInput(MainThread(), SecondThread(), true));
  EXPECT_EQ(platform.GetFocus(), edit);
  EXPECT_EQ(platform.GetCapture(), frame);
  Point caret;
  EXPECT_TRUE(platform.GetCaretPos(caret));
  EXPECT_EQ(caret, (Point{kCaret.left, kCaret.top}));
  EXPECT_TRUE(platform.AttachThreadInput(MainThread(), SecondThread(), false));

  EXPECT_NE(platform.GetFocus(), edit);
  EXPECT_EQ(platform.GetCapture(), 0u);
}

TEST_F(ThreadInput, AttachingNeedsTwoDifferentLiveThreads) {
  EXPECT_FALSE(platform.AttachThreadInput(MainThread(), MainThread(), true));
  EXPECT_FALSE(platform.AttachThreadInput(MainThread(), 0, true));
  EXPECT_FALSE(platform.AttachThreadInput(MainThread(), kNoSuchThread, true));
  // Detaching what was never attached.
  EXPECT_FALSE(platform.AttachThreadInput(MainThread(), SecondThread(), false));
}

TEST_F(ThreadInput, FocusAndCaptureOfTheOwnThreadWithoutAttaching) {
  const WindowHandle own = Window("own frame");
  const WindowHandle control = Child(own);
  Driver().Focus(control);
  Driver().Capture(own);
  EXPECT_EQ(platform.GetFocus(), control);
  EXPECT_EQ(platform.GetCapture(), own);
  Driver().ReleaseCapture(GuiThread::Main);
  EXPECT_EQ(platform.GetCapture(), 0u);
}

TEST_F(ThreadInput, CaretPositionOfTheOwnThread) {
  const WindowHandle own = Window("own caret");
  Driver().CreateCaret(own, Rect{30, 40, 32, 56});
  Point caret;
  EXPECT_TRUE(platform.GetCaretPos(caret));
  EXPECT_EQ(caret, (Point{30, 40}));

  // No caret: the call still succeeds and reports the client origin.
  Driver().DestroyCaret(GuiThread::Main);
  caret = Point{7, 8};
  EXPECT_TRUE(platform.GetCaretPos(caret));
  EXPECT_EQ(caret, (Point{0, 0}));
}

TEST_F(ThreadInput, AThreadWithoutAnyCaret) {
  if (Answerer() == Flavor::Windows) {
    GTEST_SKIP() << "not checked against Windows";
  }
  Point caret{7, 8};
  EXPECT_TRUE(platform.GetCaretPos(caret));
  EXPECT_EQ(caret, (Point{0, 0}));
}

TEST_F(ThreadInput, ClientToScreenAddsTheClientOrigins) {
  Point point{3, 4};
  ASSERT_TRUE(platform.ClientToScreen(edit, point));
  EXPECT_EQ(point,
            (Point{kFrameRect.left + kEditRect.left + 3, kFrameRect.top + kEditRect.top + 4}));
  point = Point{-5, -5};
  ASSERT_TRUE(platform.ClientToScreen(frame, point));
  EXPECT_EQ(point, (Point{kFrameRect.left - 5, kFrameRect.top - 5}));
  point = Point{1, 1};
  EXPECT_FALSE(platform.ClientToScreen(0, point));
  EXPECT_EQ(point, (Point{1, 1}));
}

TEST_F(ThreadInput, ChildrenMoveWithTheirParent) {
  ASSERT_TRUE(platform.SetWindowPos(frame, kInsertTop, 300, 200, 0, 0,
                                    swp::NoSize | swp::NoZOrder | swp::NoActivate));
  Point origin;
  ASSERT_TRUE(platform.ClientToScreen(edit, origin));
  EXPECT_EQ(origin, (Point{300 + kEditRect.left, 200 + kEditRect.top}));
  Rect rect;
  ASSERT_TRUE(platform.GetWindowRect(edit, rect));
  EXPECT_EQ(rect, (Rect{310, 220, 610, 280}));
}

TEST_F(ThreadInput, TheCaretOnTheScreen) {
  // What the per-thread method does: the caret's lower-left end, converted from the
  // caret window's client coordinates.
  Driver().Focus(edit);
  Driver().CreateCaret(edit, kCaret);
  const GuiThreadInfo info = SecondThreadInfo();
  Point point{info.caretRect.left, info.caretRect.bottom};
  ASSERT_TRUE(platform.ClientToScreen(info.focus, point));
  EXPECT_EQ(point, (Point{kFrameRect.left + kEditRect.left + kCaret.left,
                          kFrameRect.top + kEditRect.top + kCaret.bottom}));
}

}  // namespace
}  // namespace sevalune::contract
