// What only the simulated desktop's windows do: the scenario's own changes to the z-order,
// the foreground and the input-method windows, the names it prints, its foreground lock.
// The rules both backends follow are in the contract suite (tests/contract).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"

namespace sevalune::sim {
namespace {

// A desktop without the shell's windows, so z-order walks list only the test's windows.
class BareDesktopTest : public ::testing::Test {
 protected:
  SimDesktop desktop{SimDesktop::Shell::None};
  SimPlatform program{desktop, kProgramProcess, kProgramThread};
  std::vector<std::string> events;

  void SetUp() override {
    desktop.SetEventSink([this](const std::string& line) { events.push_back(line); });
  }

  WindowHandle Make(const std::string& name, ThreadId thread, bool topmost = false) {
    NewWindow request;
    request.name = name;
    request.process = thread - 1;
    request.thread = thread;
    request.topmost = topmost;
    request.defaultImeWindow = false;
    return desktop.CreateWindow(request);
  }

  // The names of the top-level windows as GetWindow walks them from the top.
  std::vector<std::string> WalkDown() {
    std::vector<std::string> names;
    WindowHandle each = program.GetWindow(program.GetDesktopWindow(), WindowRelation::FirstChild);
    for (; each != 0; each = program.GetWindow(each, WindowRelation::Next)) {
      names.push_back(desktop.NameOf(each));
    }
    return names;
  }
};

using Names = std::vector<std::string>;

TEST_F(BareDesktopTest, RaiseAndLowerStayWithinTheBand) {
  const WindowHandle a = Make("a", 11);
  Make("b", 21);
  const WindowHandle top1 = Make("top1", 31, true);
  Make("top2", 41, true);
  desktop.Raise(a);
  desktop.Lower(top1);
  EXPECT_EQ(WalkDown(), (Names{"top2", "top1", "a", "b", "app", "ime@4001", "marker"}));
  desktop.Lower(a);
  EXPECT_EQ(WalkDown(), (Names{"top2", "top1", "b", "app", "ime@4001", "marker", "a"}));
}

TEST_F(BareDesktopTest, CreatedAboveOrBelowAnotherWindow) {
  const WindowHandle a = Make("a", 11);
  Make("b", 21);
  NewWindow above;
  above.name = "c";
  above.above = a;
  above.defaultImeWindow = false;
  desktop.CreateWindow(above);
  NewWindow below;
  below.name = "d";
  below.below = a;
  below.defaultImeWindow = false;
  desktop.CreateWindow(below);
  EXPECT_EQ(WalkDown(), (Names{"b", "c", "a", "d", "app", "ime@4001", "marker"}));
}

TEST_F(BareDesktopTest, DestroyedWindowsKeepTheirNamesForMessages) {
  const WindowHandle gone = Make("gone", 11);
  desktop.Close(gone);
  EXPECT_EQ(desktop.Lookup("gone"), 0u);
  EXPECT_EQ(desktop.NameOf(gone), "gone");
}

TEST_F(BareDesktopTest, HandlesAreNeverReused) {
  const WindowHandle first = Make("x", 11);
  desktop.Close(first);
  EXPECT_NE(Make("x", 11), first);
}

// --- the input-method windows ------------------------------------------------------------

class ImeWindowTest : public BareDesktopTest {
 protected:
  WindowHandle MakeWithIme(const std::string& name, ThreadId thread) {
    NewWindow request;
    request.name = name;
    request.process = 7;
    request.thread = thread;
    return desktop.CreateWindow(request);
  }
};

TEST_F(ImeWindowTest, LiesDirectlyAboveTheThreadsFirstWindow) {
  const WindowHandle editor = MakeWithIme("editor", 8);
  EXPECT_EQ(desktop.NameOf(program.GetWindow(editor, WindowRelation::Previous)), "ime@8");
  MakeWithIme("dialog", 8);
  EXPECT_EQ(WalkDown(), (Names{"dialog", "ime@8", "editor", "app", "ime@4001", "marker"}))
      << "one per thread, owned by its first window";
}

TEST_F(ImeWindowTest, MovesWithItsOwner) {
  const WindowHandle editor = MakeWithIme("editor", 8);
  Make("other", 21);
  desktop.Raise(editor);
  EXPECT_EQ(WalkDown(), (Names{"ime@8", "editor", "other", "app", "ime@4001", "marker"}));
  ASSERT_TRUE(program.SetWindowPos(editor, kInsertTopmost, 0, 0, 0, 0,
                                   swp::NoMove | swp::NoSize | swp::NoActivate));
  const WindowHandle top = Make("top", 31, true);
  ASSERT_TRUE(program.SetWindowPos(top, kInsertTopmost, 0, 0, 0, 0,
                                   swp::NoMove | swp::NoSize | swp::NoActivate));
  EXPECT_EQ(WalkDown(), (Names{"top", "ime@8", "editor", "other", "app", "ime@4001", "marker"}));
  desktop.Lower(editor);
  EXPECT_EQ(WalkDown(), (Names{"top", "ime@8", "editor", "other", "app", "ime@4001", "marker"}));
  desktop.SetTopmost(editor, false);
  desktop.Lower(editor);
  EXPECT_EQ(WalkDown(), (Names{"top", "other", "app", "ime@4001", "marker", "ime@8", "editor"}));
}

TEST_F(ImeWindowTest, IsRehomedThenDestroyedWithTheThreadsLastWindow) {
  const WindowHandle editor = MakeWithIme("editor", 8);
  Make("between", 21);
  const WindowHandle dialog = MakeWithIme("dialog", 8);
  desktop.Lower(dialog);
  desktop.Close(editor);
  EXPECT_EQ(WalkDown(), (Names{"between", "app", "ime@4001", "marker", "ime@8", "dialog"}));
  desktop.Close(dialog);
  EXPECT_EQ(WalkDown(), (Names{"between", "app", "ime@4001", "marker"}));
}

TEST_F(ImeWindowTest, CanBeLeftOut) {
  Make("plain", 8);
  EXPECT_EQ(WalkDown(), (Names{"plain", "app", "ime@4001", "marker"}));
}

// --- the foreground ----------------------------------------------------------------------

TEST_F(BareDesktopTest, HidingTheForegroundActivatesTheFirstUsableWindow) {
  const WindowHandle back = Make("back", 11);
  Make("disabled", 21);
  desktop.SetEnabled(desktop.Lookup("disabled"), false);
  NewWindow tool;
  tool.name = "tool";
  tool.noActivate = true;
  desktop.CreateWindow(tool);
  const WindowHandle front = Make("front", 31);
  desktop.SetForeground(front);
  EXPECT_TRUE(events.empty()) << "the scenario's own changes print nothing";

  ASSERT_TRUE(program.ShowWindow(front, kShowHide));
  EXPECT_EQ(program.GetForegroundWindow(), back);
  EXPECT_EQ(events, (Names{"foreground back"}));
}

TEST_F(BareDesktopTest, DestroyingTheForegroundMovesItSilentlyFromTheScenario) {
  const WindowHandle back = Make("back", 11);
  const WindowHandle front = Make("front", 21);
  desktop.SetForeground(front);
  desktop.Close(front);
  EXPECT_EQ(desktop.Foreground(), back);
  desktop.Close(back);
  EXPECT_EQ(desktop.Foreground(), 0u);
  EXPECT_TRUE(events.empty());
}

TEST_F(BareDesktopTest, ScenarioHidingOrDisablingKeepsTheForeground) {
  const WindowHandle front = Make("front", 21);
  desktop.SetForeground(front);
  desktop.SetVisible(front, false);
  desktop.SetEnabled(front, false);
  EXPECT_EQ(program.GetForegroundWindow(), front);
}

TEST_F(BareDesktopTest, NoUsableWindowLeavesNoForeground) {
  const WindowHandle only = Make("only", 11);
  desktop.SetForeground(only);
  ASSERT_TRUE(program.SetWindowPos(only, 0, 0, 0, 0, 0,
                                   swp::NoMove | swp::NoSize | swp::NoZOrder | swp::HideWindow));
  EXPECT_EQ(desktop.Foreground(), 0u);
  EXPECT_EQ(events, (Names{"foreground none"}));
}

TEST_F(BareDesktopTest, SetForegroundWindowObeysTheLock) {
  const WindowHandle a = Make("a", 11);
  desktop.SetForegroundLock(true);
  EXPECT_FALSE(program.SetForegroundWindow(a));
  EXPECT_EQ(desktop.Foreground(), 0u);
  desktop.SetForegroundLock(false);
  EXPECT_TRUE(program.SetForegroundWindow(a));
  EXPECT_TRUE(program.SetForegroundWindow(a)) << "no change, no event";
  EXPECT_EQ(events, (Names{"foreground a"}));
}

// The program always passes SWP_NOACTIVATE for the marker; this guards the simulation.
TEST_F(BareDesktopTest, SetWindowPosNeverActivatesTheMarker) {
  Make("a", 11);
  const WindowHandle marker = program.MarkerWindow();
  ASSERT_TRUE(program.SetWindowPos(marker, kInsertTopmost, 0, 0, 15, 6, swp::ShowWindow));
  EXPECT_EQ(desktop.Foreground(), 0u);
}

}  // namespace
}  // namespace sevalune::sim
