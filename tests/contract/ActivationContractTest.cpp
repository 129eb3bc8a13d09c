// IsWindowVisible, IsWindowEnabled, ShowWindow, SetForegroundWindow and
// GetForegroundWindow: the gates of the tick and the recovery of the foreground.
//
// Wine has no foreground lock: SetForegroundWindow never refuses there, so a refusal can
// only be shown on the simulated desktop (its own unit tests do).
#include <vector>

#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

using Windows = std::vector<WindowHandle>;

using Activation = ContractTest;

TEST_F(Activation, VisibilityIncludesTheAncestors) {
  const WindowHandle parent = Window("parent");
  const WindowHandle child = Child(parent);
  ChildRequest hiddenRequest;
  hiddenRequest.parent = parent;
  hiddenRequest.visible = false;
  const WindowHandle hiddenChild = Driver().AddChild(hiddenRequest);
  EXPECT_TRUE(platform.IsWindowVisible(parent));
  EXPECT_TRUE(platform.IsWindowVisible(child));
  EXPECT_FALSE(platform.IsWindowVisible(hiddenChild));

  EXPECT_TRUE(platform.ShowWindow(parent, kShowHide));
  EXPECT_FALSE(platform.IsWindowVisible(parent));
  EXPECT_FALSE(platform.IsWindowVisible(child));
}

TEST_F(Activation, EnabledIsTheWindowsOwnState) {
  WindowRequest wanted;
  wanted.title = "disabled parent";
  wanted.enabled = false;
  const WindowHandle parent = Driver().AddWindow(wanted);
  const WindowHandle child = Child(parent);
  ChildRequest disabledRequest;
  disabledRequest.parent = parent;
  disabledRequest.enabled = false;
  const WindowHandle disabledChild = Driver().AddChild(disabledRequest);
  EXPECT_FALSE(platform.IsWindowEnabled(parent));
  EXPECT_TRUE(platform.IsWindowEnabled(child));
  EXPECT_FALSE(platform.IsWindowEnabled(disabledChild));
}

TEST_F(Activation, ShowWindowAnswersWhetherTheWindowWasVisible) {
  const WindowHandle window = HiddenWindow("shown and hidden");
  EXPECT_FALSE(platform.ShowWindow(window, kShowNormal));
  EXPECT_TRUE(platform.IsWindowVisible(window));
  EXPECT_TRUE(platform.ShowWindow(window, kShowNormal));
  EXPECT_TRUE(platform.ShowWindow(window, kShowHide));
  EXPECT_FALSE(platform.IsWindowVisible(window));
  EXPECT_FALSE(platform.ShowWindow(window, kShowHide));
}

TEST_F(Activation, SetForegroundWindowTakesTheForeground) {
  const WindowHandle window = Window("foreground");
  Window("another");
  EXPECT_TRUE(platform.SetForegroundWindow(window));
  EXPECT_EQ(platform.GetForegroundWindow(), window);
  EXPECT_FALSE(platform.SetForegroundWindow(0));
}

TEST_F(Activation, TheNewForegroundWindowKeepsItsPlaceInTheZOrder) {
  if (Answerer() == Flavor::Windows) {
    GTEST_SKIP() << "Windows brings the activated window to the top; Wine without a window "
                    "manager, as here, does not";
  }
  const WindowHandle low = Window("low");
  const WindowHandle high = Window("high");
  ASSERT_TRUE(platform.SetForegroundWindow(low));
  EXPECT_EQ(ZOrderOf({low, high}), (Windows{high, low}));
}

TEST_F(Activation, ASecondThreadsWindowBecomesItsThreadsActiveWindow) {
  WindowRequest wanted;
  wanted.title = "second thread";
  wanted.thread = GuiThread::Second;
  wanted.rect = Rect{80, 80, 180, 180};
  const WindowHandle window = Driver().AddWindow(wanted);
  ASSERT_TRUE(platform.SetForegroundWindow(window));
  // Until that thread has taken the activation, Wine has no foreground window to report.
  Driver().LetSecondThreadCatchUp();
  EXPECT_EQ(platform.GetForegroundWindow(), window);
  GuiThreadInfo info;
  ASSERT_EQ(platform.GetGUIThreadInfo(SecondThread(), info), std::optional<bool>(true));
  EXPECT_EQ(info.active, window);
}

TEST_F(Activation, AHiddenWindowCanBeMadeTheForegroundWindow) {
  // The menu window is hidden when the program gives it the foreground before its menu.
  const WindowHandle hidden = HiddenWindow("hidden foreground");
  Window("visible");
  EXPECT_TRUE(platform.SetForegroundWindow(hidden));
  EXPECT_EQ(platform.GetForegroundWindow(), hidden);
  EXPECT_FALSE(platform.IsWindowVisible(hidden));
}

TEST_F(Activation, AChildCannotBeMadeTheForegroundWindow) {
  const WindowHandle parent = Window("parent of the child");
  const WindowHandle child = Child(parent);
  const WindowHandle other = Window("other");
  ASSERT_TRUE(platform.SetForegroundWindow(other));
  EXPECT_FALSE(platform.SetForegroundWindow(child));
  EXPECT_EQ(platform.GetForegroundWindow(), other);
}

TEST_F(Activation, HidingAWindowPutsItOnTopOfItsBand) {
  const WindowHandle low = Window("low");
  const WindowHandle high = Window("high");
  EXPECT_TRUE(platform.ShowWindow(low, kShowHide));
  EXPECT_EQ(ZOrderOf({low, high}), (Windows{low, high}));
}

TEST_F(Activation, HidingWithSetWindowPosKeepsThePlace) {
  const WindowHandle low = Window("low");
  const WindowHandle high = Window("high");
  EXPECT_TRUE(platform.SetWindowPos(
      low, kInsertTop, 0, 0, 0, 0,
      swp::NoMove | swp::NoSize | swp::NoZOrder | swp::NoActivate | swp::HideWindow));
  EXPECT_FALSE(platform.IsWindowVisible(low));
  EXPECT_EQ(ZOrderOf({low, high}), (Windows{high, low}));
}

TEST_F(Activation, HidingTheForegroundWindowActivatesTheFirstUsableWindowFromTheTop) {
  // The hidden window goes to the top first, so the next window below it is the top one.
  const WindowHandle bottom = Window("bottom");
  const WindowHandle middle = Window("middle");
  ASSERT_TRUE(platform.SetForegroundWindow(middle));
  const WindowHandle top = Window("top");
  ASSERT_EQ(ZOrderOf({bottom, middle, top}), (Windows{top, middle, bottom}));

  EXPECT_TRUE(platform.ShowWindow(middle, kShowHide));
  EXPECT_EQ(platform.GetForegroundWindow(), top);
}

TEST_F(Activation, HidingTheForegroundWindowSkipsDisabledAndHiddenWindows) {
  WindowRequest disabled;
  disabled.title = "disabled";
  disabled.enabled = false;
  const WindowHandle usable = Window("usable");
  Driver().AddWindow(disabled);
  HiddenWindow("hidden");
  const WindowHandle foreground = Window("foreground");
  ASSERT_TRUE(platform.SetForegroundWindow(foreground));

  EXPECT_TRUE(platform.ShowWindow(foreground, kShowHide));
  EXPECT_EQ(platform.GetForegroundWindow(), usable);
}

TEST_F(Activation, HidingAnotherWindowLeavesTheForeground) {
  const WindowHandle foreground = Window("foreground");
  const WindowHandle other = Window("other");
  ASSERT_TRUE(platform.SetForegroundWindow(foreground));
  EXPECT_TRUE(platform.ShowWindow(other, kShowHide));
  EXPECT_EQ(platform.GetForegroundWindow(), foreground);
}

TEST_F(Activation, DestroyingTheForegroundWindowActivatesTheNextWindowBelowIt) {
  const WindowHandle bottom = Window("bottom");
  const WindowHandle middle = Window("middle");
  ASSERT_TRUE(platform.SetForegroundWindow(middle));
  Window("top");
  Driver().RemoveWindow(middle);
  EXPECT_EQ(platform.GetForegroundWindow(), bottom);
}

}  // namespace
}  // namespace sevalune::contract
