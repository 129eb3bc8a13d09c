// GetWindow, GetDesktopWindow, SetWindowPos and GetWindowRect: the z-order the program
// walks and the way it moves, sizes and re-stacks its marker.
#include <ostream>
#include <vector>

#include "tests/CaseName.h"
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

using Windows = std::vector<WindowHandle>;

constexpr std::uint32_t kKeepPlace = swp::NoMove | swp::NoSize | swp::NoActivate;
// HWND_BOTTOM and HWND_NOTOPMOST, which the program itself never passes.
constexpr WindowHandle kInsertBottom = 1;
constexpr WindowHandle kInsertNoTopmost = static_cast<WindowHandle>(-2);

using ZOrder = ContractTest;

TEST_F(ZOrder, NewWindowsGoOnTopAndInsertAfterPlacesDirectlyBelow) {
  const WindowHandle first = Window("first");
  const WindowHandle second = Window("second");
  const WindowHandle third = Window("third");
  EXPECT_EQ(ZOrderOf({first, second, third}), (Windows{third, second, first}));

  // A window as insert-after: the place directly below it.
  ASSERT_TRUE(platform.SetWindowPos(first, third, 0, 0, 0, 0, kKeepPlace));
  EXPECT_EQ(ZOrderOf({first, second, third}), (Windows{third, first, second}));
}

TEST_F(ZOrder, TopmostBandComesFirst) {
  const WindowHandle topmost = TopmostWindow("topmost");
  const WindowHandle ordinary = Window("ordinary");
  EXPECT_EQ(ZOrderOf({topmost, ordinary}), (Windows{topmost, ordinary}));

  // HWND_TOPMOST puts a window at the very top, above the topmost windows already there.
  ASSERT_TRUE(platform.SetWindowPos(ordinary, kInsertTopmost, 0, 0, 0, 0, kKeepPlace));
  EXPECT_EQ(platform.GetWindow(platform.GetDesktopWindow(), WindowRelation::FirstChild), ordinary);
  EXPECT_EQ(ZOrderOf({topmost, ordinary}), (Windows{ordinary, topmost}));
}

TEST_F(ZOrder, InsertTopAndNoTopmostStayBelowTheTopmostBand) {
  const WindowHandle topmost = TopmostWindow("topmost");
  const WindowHandle low = Window("low");
  const WindowHandle high = Window("high");
  ASSERT_TRUE(platform.SetWindowPos(low, kInsertTop, 0, 0, 0, 0, kKeepPlace));
  EXPECT_EQ(ZOrderOf({topmost, low, high}), (Windows{topmost, low, high}));

  // HWND_NOTOPMOST takes a topmost window to the same place; an ordinary one stays.
  ASSERT_TRUE(platform.SetWindowPos(high, kInsertTopmost, 0, 0, 0, 0, kKeepPlace));
  ASSERT_EQ(ZOrderOf({topmost, low, high}), (Windows{high, topmost, low}));
  ASSERT_TRUE(platform.SetWindowPos(high, kInsertNoTopmost, 0, 0, 0, 0, kKeepPlace));
  EXPECT_EQ(ZOrderOf({topmost, low, high}), (Windows{topmost, high, low}));
  ASSERT_TRUE(platform.SetWindowPos(low, kInsertNoTopmost, 0, 0, 0, 0, kKeepPlace));
  EXPECT_EQ(ZOrderOf({topmost, low, high}), (Windows{topmost, high, low}));
}

TEST_F(ZOrder, BottomGoesBelowEveryWindowAndOutOfTheTopmostBand) {
  const WindowHandle topmost = TopmostWindow("topmost");
  const WindowHandle ordinary = Window("ordinary");
  const WindowHandle marker = platform.MarkerWindow();
  ASSERT_TRUE(platform.SetWindowPos(topmost, kInsertBottom, 0, 0, 0, 0, kKeepPlace));
  EXPECT_EQ(ZOrderOf({topmost, ordinary, marker}).back(), topmost);
  // A new ordinary window goes above it: it is in the ordinary band now.
  const WindowHandle later = Window("later");
  EXPECT_EQ(ZOrderOf({topmost, ordinary, later}), (Windows{later, ordinary, topmost}));
}

TEST_F(ZOrder, NoZOrderIgnoresTheInsertAfterWindow) {
  const WindowHandle low = Window("low", Rect{10, 10, 20, 20});
  const WindowHandle high = Window("high");
  ASSERT_TRUE(
      platform.SetWindowPos(low, kInsertTopmost, 30, 40, 5, 6, swp::NoZOrder | swp::NoActivate));
  EXPECT_EQ(ZOrderOf({low, high}), (Windows{high, low}));
  Rect rect;
  ASSERT_TRUE(platform.GetWindowRect(low, rect));
  EXPECT_EQ(rect, (Rect{30, 40, 35, 46}));
}

TEST_F(ZOrder, PreviousAndNextAreNeighbours) {
  const WindowHandle low = Window("low");
  const WindowHandle high = Window("high");
  EXPECT_EQ(platform.GetWindow(high, WindowRelation::Next), low);
  EXPECT_EQ(platform.GetWindow(low, WindowRelation::Previous), high);
}

struct MoveCase {
  const char* what;
  int x, y, width, height;
  std::uint32_t flags;
  Rect expected;
};

using testing::CaseName;

class SetWindowPosMoves : public ZOrder, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(SetWindowPosMoves, GetWindowRectAnswersTheNewPlace) {
  const MoveCase& c = GetParam();
  const WindowHandle window = Window("moving", Rect{10, 20, 110, 70});
  ASSERT_TRUE(platform.SetWindowPos(window, kInsertTop, c.x, c.y, c.width, c.height,
                                    c.flags | swp::NoZOrder | swp::NoActivate));
  Rect rect;
  ASSERT_TRUE(platform.GetWindowRect(window, rect));
  EXPECT_EQ(rect, c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, SetWindowPosMoves,
    ::testing::Values(
        MoveCase{"move and size", 200, 300, 40, 30, 0, Rect{200, 300, 240, 330}},
        MoveCase{"NoSize keeps the size", 200, 300, 40, 30, swp::NoSize, Rect{200, 300, 300, 350}},
        MoveCase{"NoMove keeps the place", 200, 300, 40, 30, swp::NoMove, Rect{10, 20, 50, 50}},
        MoveCase{"NoMove and NoSize change nothing", 200, 300, 40, 30, swp::NoMove | swp::NoSize,
                 Rect{10, 20, 110, 70}},
        MoveCase{"0 x 0 at the origin, as the hidden marker", 0, 0, 0, 0, 0, Rect{0, 0, 0, 0}},
        MoveCase{"a negative size counts as 0", 5, 6, -3, -4, 0, Rect{5, 6, 5, 6}}),
    CaseName<&MoveCase::what>{});

TEST_F(ZOrder, ShowWindowFlagShowsWithoutMovingOrActivating) {
  // The marker coming back after a recovery: 0x57 with HWND_TOPMOST.
  constexpr Rect kPlace{40, 50, 55, 56};
  const WindowHandle hidden = HiddenWindow("hidden", kPlace);
  const WindowHandle above = Window("above");
  const WindowHandle foreground = platform.GetForegroundWindow();

  ASSERT_TRUE(platform.SetWindowPos(
      hidden, kInsertTopmost, 0, 0, 0, 0,
      swp::NoSize | swp::NoMove | swp::NoZOrder | swp::NoActivate | swp::ShowWindow));
  EXPECT_TRUE(platform.IsWindowVisible(hidden));
  Rect rect;
  ASSERT_TRUE(platform.GetWindowRect(hidden, rect));
  EXPECT_EQ(rect, kPlace);
  EXPECT_EQ(ZOrderOf({hidden, above}), (Windows{above, hidden}));
  EXPECT_EQ(platform.GetForegroundWindow(), foreground);
}

TEST_F(ZOrder, WithoutNoActivateAVisibleWindowTakesTheForeground) {
  if (Answerer() == Flavor::Windows) {
    GTEST_SKIP() << "Windows may refuse the activation to a process in the background";
  }
  const WindowHandle window = Window("activated");
  Window("other");
  ASSERT_TRUE(platform.SetWindowPos(window, kInsertTop, 0, 0, 0, 0,
                                    swp::NoMove | swp::NoSize | swp::NoZOrder));
  EXPECT_EQ(platform.GetForegroundWindow(), window);
}

TEST_F(ZOrder, ChildrenWalkInCreationOrder) {
  const WindowHandle parent = Window("parent");
  const WindowHandle first = Child(parent);
  const WindowHandle second = Child(parent);
  const WindowHandle third = Child(parent);
  EXPECT_EQ(ChildWalk(parent), (Windows{first, second, third}));
  EXPECT_EQ(platform.GetWindow(second, WindowRelation::Previous), first);
  EXPECT_EQ(platform.GetWindow(first, WindowRelation::FirstChild), 0u);
}

TEST_F(ZOrder, DesktopWindowIsTheRootOfTheWalk) {
  const WindowHandle desktop = platform.GetDesktopWindow();
  ASSERT_NE(desktop, 0u);
  EXPECT_EQ(platform.GetDesktopWindow(), desktop);
  EXPECT_EQ(platform.GetClassName(desktop, 100), "#32769");
  EXPECT_TRUE(platform.IsWindowVisible(desktop));
  const WindowHandle window = Window("top-level");
  EXPECT_EQ(ZOrderOf({window}), (Windows{window}));
}

TEST_F(ZOrder, DestroyedWindowAnswersNothing) {
  const WindowHandle parent = Window("doomed");
  const WindowHandle child = Child(parent);
  const ThreadProcess owner = platform.GetWindowThreadProcessId(parent);
  Driver().RemoveWindow(parent);

  for (const WindowHandle gone : {parent, child, WindowHandle{0}}) {
    SCOPED_TRACE(gone == 0 ? "no window" : "destroyed window");
    for (const WindowRelation relation :
         {WindowRelation::Next, WindowRelation::Previous, WindowRelation::FirstChild}) {
      EXPECT_EQ(platform.GetWindow(gone, relation), 0u);
    }
    Rect rect{1, 2, 3, 4};
    EXPECT_FALSE(platform.GetWindowRect(gone, rect));
    EXPECT_FALSE(platform.IsWindowVisible(gone));
    EXPECT_FALSE(platform.IsWindowEnabled(gone));
    EXPECT_EQ(platform.GetClassName(gone, 100), "");
    EXPECT_EQ(platform.GetWindowText(gone, 100), "");
    EXPECT_EQ(platform.GetWindowThreadProcessId(gone).thread, 0u);
    EXPECT_EQ(platform.GetWindowThreadProcessId(gone).process, 0u);
    EXPECT_FALSE(platform.SetWindowPos(gone, kInsertTopmost, 0, 0, 0, 0, kKeepPlace));
    EXPECT_FALSE(platform.ShowWindow(gone, kShowNormal));
    Point point{5, 6};
    EXPECT_FALSE(platform.ClientToScreen(gone, point));
    EXPECT_FALSE(platform.SetForegroundWindow(gone));
    EXPECT_EQ(platform.SendMessageTimeout(gone, 0, 0, 0, 100), std::nullopt);
  }
  EXPECT_NE(owner.thread, 0u);
}

}  // namespace
}  // namespace sevalune::contract
