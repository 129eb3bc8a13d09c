// The accessibility fallback on the simulated desktop where a scenario's state line does not
// reach: how many accessibility requests and rounds the program makes (at start-up one that
// asks nothing; none at all while the system shows a caret, or with the fallback off), and
// which answers it refuses for being too old.
#include <string>

#include "CoreTestDesktop.h"

namespace sevalune::sim {
namespace {

constexpr Rect kPage{100, 180, 1100, 900};
constexpr Rect kAccessibleCaret{300, 200, 301, 218};
// The caret block under the accessible caret, and the bar beside the whole page.
constexpr Rect kCaretBlock{300, 218, 310, 227};
constexpr Rect kPageBar{99, 180, 102, 900};

class CoreAccessibilityTest : public CoreDesktopTest {
 protected:
  void SetUp() override {
    CoreDesktopTest::SetUp();
    browser = AddWindow("browser", "Chrome_WidgetWin_1", kBrowserProcess, kBrowserThread,
                        {100, 100, 1100, 900});
    NewChild child;
    child.name = "page";
    child.parent = browser;
    child.className = "Chrome_RenderWidgetHostHWND";
    child.rect = kPage;
    page = desktop.CreateChild(child);
    GuiThreadInfo noCaret;
    noCaret.focus = page;
    desktop.SetGuiState(kBrowserThread, noCaret);
    desktop.SetForeground(browser);
  }

  void PublishCaret(WindowHandle window, Rect caret = kAccessibleCaret) {
    SimAccessible published;
    published.caret = caret;
    desktop.SetAccessible(window, published);
  }

  std::uint64_t Queries() const { return desktop.CallCount("QueryAccessible"); }
  Rect Marker() const { return State().marker; }

  static constexpr ProcessId kBrowserProcess = 17;
  static constexpr ThreadId kBrowserThread = 18;
  WindowHandle browser = 0;
  WindowHandle page = 0;
};

TEST_F(CoreAccessibilityTest, StartUpReadiesTheRoundsOnceAndAsksNothing) {
  Start();
  EXPECT_EQ(Queries(), 1u);
  EXPECT_EQ(desktop.AccessibleRounds(), 0u);
}

TEST_F(CoreAccessibilityTest, SystemCaretMeansNoAccessibilityCallAtAll) {
  PublishCaret(text);
  desktop.SetForeground(editor);
  Start();
  desktop.ResetCallCounts();
  Tick(40);
  EXPECT_EQ(State(), Tracking(kShrunk)) << "the editor's own caret, blinking";
  EXPECT_EQ(Queries(), 0u);
  EXPECT_EQ(desktop.AccessibleRounds(), 0u);
}

TEST_F(CoreAccessibilityTest, SwitchedOffMeansNoAccessibilityCallAtAll) {
  PutSettings("[Sevalune]\r\nAkusesibiriti=0\r\nTenmetuKeisuu=100\r\n");
  PublishCaret(page);
  Start();
  Tick(40);
  EXPECT_EQ(Marker(), kPageBar);
  EXPECT_EQ(Queries(), 0u);
}

TEST_F(CoreAccessibilityTest, InUseOneRequestAndOneRoundPerTick) {
  PublishCaret(page);
  Start();
  desktop.ResetCallCounts();
  for (int tick = 1; tick <= 50; ++tick) {
    Tick();
    EXPECT_EQ(Queries(), static_cast<std::uint64_t>(tick));
    EXPECT_EQ(desktop.AccessibleRounds(), static_cast<std::uint64_t>(tick));
  }
}

TEST_F(CoreAccessibilityTest, TheFocusWindowsClassIsReadOnceForEachNewWindow) {
  PublishCaret(page);
  Start();
  desktop.ResetCallCounts();
  Tick(40);
  // The foreground window's class on each tick, the page's once.
  EXPECT_EQ(desktop.CallCount("GetClassName"), 41u);
}

TEST_F(CoreAccessibilityTest, AWindowWithNothingIsAskedRarelyOnceTheGraceIsOver) {
  PutSettings("[Sevalune]\r\nTenmetuKeisuu=100\r\n");
  Start();
  desktop.ResetCallCounts();
  Tick(kAccessibleGraceTicks + 1);
  const std::uint64_t inGrace = Queries();
  EXPECT_EQ(inGrace, static_cast<std::uint64_t>(kAccessibleGraceTicks + 1));
  // From here on two requests (one to ask, one to read its answer) every 10 ticks.
  Tick(100);
  EXPECT_EQ(Queries() - inGrace, 20u);
  EXPECT_EQ(Marker(), kPageBar);

  // The marker still follows the focus: another window is asked at once.
  const std::uint64_t before = Queries();
  desktop.SetForeground(editor);
  GuiThreadInfo buttonFocus;
  buttonFocus.focus = text;
  desktop.SetGuiState(kEditorThread, buttonFocus);
  Tick();
  EXPECT_EQ(Queries(), before + 1);
}

TEST_F(CoreAccessibilityTest, AnAnswerOlderThanATickIsNotUsed) {
  PutSettings("[Sevalune]\r\nTenmetuKeisuu=100\r\n");
  PublishCaret(page);
  Start();
  Tick(2);
  ASSERT_EQ(Marker(), kCaretBlock);
  // A tick that stops at a gate asks nothing: the answer at hand is then two ticks old.
  desktop.SetTitle(process().TextBox(), "1");
  Tick();
  desktop.SetTitle(process().TextBox(), "");
  Tick();
  EXPECT_EQ(Marker(), kPageBar);
  Tick();
  EXPECT_EQ(Marker(), kCaretBlock);
}

TEST_F(CoreAccessibilityTest, AnAnswerForAnotherWindowIsNotUsed) {
  PutSettings("[Sevalune]\r\nTenmetuKeisuu=100\r\n");
  PublishCaret(page);
  NewChild child;
  child.name = "other";
  child.parent = browser;
  child.rect = kPage;
  const WindowHandle other = desktop.CreateChild(child);
  Start();
  Tick(2);
  ASSERT_EQ(Marker(), kCaretBlock);
  GuiThreadInfo moved;
  moved.focus = other;
  desktop.SetGuiState(kBrowserThread, moved);
  Tick();
  EXPECT_EQ(Marker(), kPageBar) << "the page's caret answered for the page, not for the other";
}

TEST_F(CoreAccessibilityTest, AForegroundWindowWithoutFocusIsAskedItself) {
  PutSettings("[Sevalune]\r\nTenmetuKeisuu=100\r\n");
  desktop.SetGuiState(kBrowserThread, GuiThreadInfo{});
  PublishCaret(browser);
  Start();
  Tick(2);
  EXPECT_EQ(Marker(), kCaretBlock);
}

}  // namespace
}  // namespace sevalune::sim
