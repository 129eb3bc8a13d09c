// The simulated desktop's windows: z-order, lookups, input-method windows and the
// foreground, observed through the platform calls a program makes.
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

  std::vector<std::string> WalkUpFromBottom() {
    std::vector<std::string> names;
    WindowHandle each = program.GetWindow(program.GetDesktopWindow(), WindowRelation::FirstChild);
    while (program.GetWindow(each, WindowRelation::Next) != 0) {
      each = program.GetWindow(each, WindowRelation::Next);
    }
    for (; each != 0; each = program.GetWindow(each, WindowRelation::Previous)) {
      names.insert(names.begin(), desktop.NameOf(each));
    }
    return names;
  }
};

using Names = std::vector<std::string>;

TEST_F(BareDesktopTest, NewWindowsGoOnTopOfTheirBand) {
  Make("a", 11);
  Make("top", 21, true);
  Make("b", 31);
  EXPECT_EQ(WalkDown(), (Names{"top", "b", "a", "app", "ime@4001", "marker"}));
  EXPECT_EQ(WalkUpFromBottom(), WalkDown());
}

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

TEST_F(BareDesktopTest, SetWindowPosInsertAfterValues) {
  const WindowHandle a = Make("a", 11);
  const WindowHandle b = Make("b", 21);
  const WindowHandle c = Make("c", 31);
  constexpr std::uint32_t kKeepRect = swp::NoMove | swp::NoSize | swp::NoActivate;

  ASSERT_TRUE(program.SetWindowPos(a, kInsertTopmost, 0, 0, 0, 0, kKeepRect));
  EXPECT_EQ(WalkDown(), (Names{"a", "c", "b", "app", "ime@4001", "marker"}));
  EXPECT_TRUE(desktop.Window(a)->topmost);

  ASSERT_TRUE(program.SetWindowPos(a, static_cast<WindowHandle>(-2), 0, 0, 0, 0, kKeepRect));
  EXPECT_FALSE(desktop.Window(a)->topmost);
  EXPECT_EQ(WalkDown(), (Names{"a", "c", "b", "app", "ime@4001", "marker"}));

  ASSERT_TRUE(program.SetWindowPos(a, c, 0, 0, 0, 0, kKeepRect));
  EXPECT_EQ(WalkDown(), (Names{"c", "a", "b", "app", "ime@4001", "marker"}));

  ASSERT_TRUE(program.SetWindowPos(c, 1, 0, 0, 0, 0, kKeepRect));  // HWND_BOTTOM
  EXPECT_EQ(WalkDown(), (Names{"a", "b", "app", "ime@4001", "marker", "c"}));

  ASSERT_TRUE(program.SetWindowPos(b, kInsertTop, 0, 0, 0, 0, kKeepRect));
  EXPECT_EQ(WalkDown(), (Names{"b", "a", "app", "ime@4001", "marker", "c"}));
}

TEST_F(BareDesktopTest, TopmostWindowSentToTheBottomLosesTopmost) {
  const WindowHandle top = Make("top", 11, true);
  Make("a", 21);
  ASSERT_TRUE(program.SetWindowPos(top, 1, 0, 0, 0, 0, swp::NoMove | swp::NoSize));
  EXPECT_FALSE(desktop.Window(top)->topmost);
  EXPECT_EQ(WalkDown().back(), "top");
}

TEST_F(BareDesktopTest, SetWindowPosMovesSizesAndKeepsWhatTheFlagsSay) {
  const WindowHandle a = Make("a", 11);
  NewChild child;
  child.name = "edit";
  child.parent = a;
  child.rect = {10, 20, 30, 40};
  const WindowHandle edit = desktop.CreateChild(child);

  ASSERT_TRUE(program.SetWindowPos(a, 0, 100, 200, 50, 60, swp::NoZOrder | swp::NoActivate));
  Rect rect;
  ASSERT_TRUE(program.GetWindowRect(a, rect));
  EXPECT_EQ(rect, (Rect{100, 200, 150, 260}));
  ASSERT_TRUE(program.GetWindowRect(edit, rect));
  EXPECT_EQ(rect, (Rect{110, 220, 130, 240})) << "children move with their parent";

  ASSERT_TRUE(
      program.SetWindowPos(a, 0, 5, 5, 7, 8, swp::NoZOrder | swp::NoMove | swp::NoActivate));
  ASSERT_TRUE(program.GetWindowRect(a, rect));
  EXPECT_EQ(rect, (Rect{100, 200, 107, 208}));
  ASSERT_TRUE(
      program.SetWindowPos(a, 0, 1, 2, 7, 8, swp::NoZOrder | swp::NoSize | swp::NoActivate));
  ASSERT_TRUE(program.GetWindowRect(a, rect));
  EXPECT_EQ(rect, (Rect{1, 2, 8, 10}));
}

TEST_F(BareDesktopTest, ChildrenWalkInCreationOrder) {
  const WindowHandle form = Make("form", 11);
  for (const char* name : {"first", "second", "third"}) {
    NewChild child;
    child.name = name;
    child.parent = form;
    desktop.CreateChild(child);
  }
  WindowHandle each = program.GetWindow(form, WindowRelation::FirstChild);
  Names names;
  for (; each != 0; each = program.GetWindow(each, WindowRelation::Next)) {
    names.push_back(desktop.NameOf(each));
  }
  EXPECT_EQ(names, (Names{"first", "second", "third"}));
  EXPECT_EQ(program.GetWindow(desktop.Lookup("first"), WindowRelation::Previous), 0u);
  EXPECT_EQ(program.GetWindow(desktop.Lookup("third"), WindowRelation::FirstChild), 0u);
}

TEST_F(BareDesktopTest, VisibilityIncludesAncestors) {
  const WindowHandle form = Make("form", 11);
  NewChild child;
  child.parent = form;
  const WindowHandle edit = desktop.CreateChild(child);
  EXPECT_TRUE(program.IsWindowVisible(edit));
  desktop.SetVisible(form, false);
  EXPECT_FALSE(program.IsWindowVisible(edit));
  desktop.SetEnabled(form, false);
  EXPECT_TRUE(program.IsWindowEnabled(edit)) << "enabled is the window's own state";
}

TEST_F(BareDesktopTest, FindWindowMatchesTopLevelWindowsWithoutRegardToCase) {
  NewWindow editor;
  editor.name = "editor";
  editor.className = "Notepad";
  editor.title = "memo - Notepad";
  editor.visible = false;
  const WindowHandle hidden = desktop.CreateWindow(editor);
  editor.name = "editor2";
  const WindowHandle upper = desktop.CreateWindow(editor);
  NewChild child;
  child.parent = upper;
  child.className = "Edit";
  child.title = "inside";
  desktop.CreateChild(child);

  EXPECT_EQ(program.FindWindow("notepad", std::nullopt), upper) << "the first from the top";
  EXPECT_EQ(program.FindWindow(std::nullopt, "MEMO - NOTEPAD"), upper);
  EXPECT_EQ(program.FindWindow("Notepad", "other"), 0u);
  EXPECT_EQ(program.FindWindow("Edit", std::nullopt), 0u) << "children are not searched";
  desktop.Close(upper);
  EXPECT_EQ(program.FindWindow("Notepad", std::nullopt), hidden) << "hidden windows are found";
  desktop.Close(hidden);
  EXPECT_EQ(program.FindWindow("Notepad", std::nullopt), 0u);
}

TEST_F(BareDesktopTest, DestroyedWindowsAnswerNothing) {
  const WindowHandle gone = Make("gone", 11);
  desktop.SetTitle(gone, "title");
  desktop.Close(gone);
  EXPECT_EQ(program.GetWindowThreadProcessId(gone).thread, 0u);
  EXPECT_EQ(program.GetWindowThreadProcessId(gone).process, 0u);
  EXPECT_FALSE(program.IsWindowVisible(gone));
  EXPECT_FALSE(program.IsWindowEnabled(gone));
  EXPECT_EQ(program.GetWindowText(gone, 100), "");
  EXPECT_EQ(program.GetWindow(gone, WindowRelation::Next), 0u);
  Rect rect{1, 2, 3, 4};
  EXPECT_FALSE(program.GetWindowRect(gone, rect));
  Point point{5, 6};
  EXPECT_FALSE(program.ClientToScreen(gone, point));
  EXPECT_EQ(point, (Point{5, 6}));
  EXPECT_FALSE(program.SendMessageTimeout(gone, 0, 0, 0, 100).has_value());
  EXPECT_FALSE(program.SetForegroundWindow(gone));
  EXPECT_EQ(desktop.Lookup("gone"), 0u);
  EXPECT_EQ(desktop.NameOf(gone), "gone") << "its name is kept for messages";
}

TEST_F(BareDesktopTest, HandlesAreNeverReused) {
  const WindowHandle first = Make("x", 11);
  desktop.Close(first);
  EXPECT_NE(Make("x", 11), first);
}

TEST_F(BareDesktopTest, TextIsCutInUtf16Units) {
  const WindowHandle window = Make("w", 11);
  desktop.SetTitle(window, "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80!");  // 日本😀!
  EXPECT_EQ(program.GetWindowText(window, 100), "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80!");
  EXPECT_EQ(program.GetWindowText(window, 5), "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(program.GetWindowText(window, 4), "\xE6\x97\xA5\xE6\x9C\xAC") << "no half pair";
  EXPECT_EQ(program.GetWindowText(window, 1), "");
  EXPECT_EQ(program.GetWindowText(window, 0), "");
  desktop.SetClass(window, "Notepad");
  EXPECT_EQ(program.GetClassName(window, 4), "Not");
}

TEST_F(BareDesktopTest, ClientToScreenAddsTheWindowOrigin) {
  const WindowHandle window = Make("w", 11);
  desktop.SetRect(window, {100, 50, 300, 200});
  Point point{3, 4};
  ASSERT_TRUE(program.ClientToScreen(window, point));
  EXPECT_EQ(point, (Point{103, 54}));
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
  const WindowHandle ime = program.GetWindow(editor, WindowRelation::Previous);
  EXPECT_EQ(program.GetWindowText(ime, 250), "Default IME");
  EXPECT_EQ(program.GetClassName(ime, 100), "IME");
  EXPECT_FALSE(program.IsWindowVisible(ime));
  EXPECT_EQ(program.GetWindowThreadProcessId(ime).process, 7u);
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

TEST_F(ImeWindowTest, AnswersItsProcesssOpenStatusUnlessHung) {
  const WindowHandle editor = MakeWithIme("editor", 8);
  const WindowHandle ime = program.GetWindow(editor, WindowRelation::Previous);
  EXPECT_EQ(program.SendMessageTimeout(ime, kMsgImeControl, kImcGetOpenStatus, 0, 100), 0);
  desktop.SetImeOpen(7, true);
  EXPECT_EQ(program.SendMessageTimeout(ime, kMsgImeControl, kImcGetOpenStatus, 0, 100), 1);
  EXPECT_EQ(program.SendMessageTimeout(editor, kMsgImeControl, kImcGetOpenStatus, 0, 100), 0)
      << "only the input-method window knows the status";
  desktop.SetHung(7, true);
  EXPECT_FALSE(program.SendMessageTimeout(ime, kMsgImeControl, kImcGetOpenStatus, 0, 100));
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
  const WindowHandle hiddenOwn = program.ApplicationWindow();
  desktop.SetForegroundLock(true);
  EXPECT_FALSE(program.SetForegroundWindow(a));
  EXPECT_EQ(desktop.Foreground(), 0u);
  desktop.SetForegroundLock(false);
  EXPECT_TRUE(program.SetForegroundWindow(a));
  EXPECT_TRUE(program.SetForegroundWindow(a)) << "no change, no event";
  EXPECT_TRUE(program.SetForegroundWindow(hiddenOwn)) << "a hidden window may be activated";
  EXPECT_FALSE(program.SetForegroundWindow(0));
  EXPECT_EQ(events, (Names{"foreground a", "foreground app"}));
}

TEST_F(BareDesktopTest, SetWindowPosActivatesOnlyWindowsThatMayBeActivated) {
  const WindowHandle a = Make("a", 11);
  const WindowHandle marker = program.MarkerWindow();
  ASSERT_TRUE(program.SetWindowPos(marker, kInsertTopmost, 0, 0, 15, 6, swp::ShowWindow));
  EXPECT_EQ(desktop.Foreground(), 0u) << "the marker never takes the activation";
  ASSERT_TRUE(program.SetWindowPos(a, kInsertTop, 0, 0, 0, 0, swp::NoMove | swp::NoSize));
  EXPECT_EQ(desktop.Foreground(), a);
}

}  // namespace
}  // namespace sevalune::sim
