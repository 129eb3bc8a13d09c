// GetCursorPos, SetCursorPos, GetAsyncKeyState, MonitorRectOf and MonitorDpiOf: the hold
// rule's pointer checks, the parked cursor, the display the marker stays on and the DPI its
// sizes are scaled to.
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

constexpr std::uint16_t kDownNow = 0x8000;

class CursorAndDisplay : public ContractTest {
 protected:
  Rect Primary() { return platform.MonitorRectOf(0); }

  Point CursorAfterMovingTo(int x, int y) {
    EXPECT_TRUE(platform.SetCursorPos(x, y));
    Point point{-1, -1};
    EXPECT_TRUE(platform.GetCursorPos(point));
    return point;
  }

  bool LeftButtonDown() {
    return (static_cast<std::uint16_t>(platform.GetAsyncKeyState(kVirtualKeyLeftButton)) &
            kDownNow) != 0;
  }
};

TEST_F(CursorAndDisplay, ThePrimaryDisplayHoldsTheScreenOrigin) {
  const Rect primary = Primary();
  EXPECT_LE(primary.left, 0);
  EXPECT_LE(primary.top, 0);
  EXPECT_GT(primary.right, 0);
  EXPECT_GT(primary.bottom, 0);
}

TEST_F(CursorAndDisplay, TheCursorGoesWhereItIsSent) {
  EXPECT_EQ(CursorAfterMovingTo(2, 2), (Point{2, 2}));
  EXPECT_EQ(CursorAfterMovingTo(123, 45), (Point{123, 45}));
}

TEST_F(CursorAndDisplay, OffTheDisplaysItStopsAtTheNearestPixel) {
  const Rect primary = Primary();
  EXPECT_EQ(CursorAfterMovingTo(-50, 100000), (Point{primary.left, primary.bottom - 1}));
  EXPECT_EQ(CursorAfterMovingTo(100000, -7), (Point{primary.right - 1, primary.top}));
}

TEST_F(CursorAndDisplay, WindowsOnOrNearTheDisplayBelongToIt) {
  const Rect primary = Primary();
  EXPECT_EQ(platform.MonitorRectOf(Window("on the display", Rect{10, 10, 50, 50})), primary);
  EXPECT_EQ(platform.MonitorRectOf(Window("far away", Rect{20000, 20000, 20100, 20100})), primary);
  EXPECT_EQ(platform.MonitorRectOf(Window("no size", Rect{30, 30, 30, 30})), primary);
  const WindowHandle gone = Window("gone");
  Driver().RemoveWindow(gone);
  EXPECT_EQ(platform.MonitorRectOf(gone), primary);
}

TEST_F(CursorAndDisplay, EveryPlaceHasTheDpiOfTheDisplayThatHoldsItOrIsNearest) {
  const std::uint32_t dpi = Driver().DisplayDpi();
  EXPECT_GE(dpi, 96u) << NameOf(Answerer());
  const Rect primary = Primary();
  EXPECT_EQ(platform.MonitorDpiOf(primary), dpi);
  EXPECT_EQ(platform.MonitorDpiOf(Rect{10, 10, 50, 50}), dpi);
  EXPECT_EQ(platform.MonitorDpiOf(Rect{0, 0, 1, 1}), dpi);
  // Partly on the display, or off every display: the nearest one answers.
  EXPECT_EQ(platform.MonitorDpiOf(Rect{-100, -100, 100, 100}), dpi);
  EXPECT_EQ(platform.MonitorDpiOf(Rect{20000, 20000, 20100, 20100}), dpi);
  EXPECT_EQ(platform.MonitorDpiOf(Rect{-20001, 5, -20000, 6}), dpi);
}

TEST_F(CursorAndDisplay, TheLeftButtonIsDownOnlyWhilePressed) {
  // The press goes to a window of the test under the pointer, not to the desktop.
  const Rect place{300, 300, 400, 400};
  Window("under the pointer", place);
  ASSERT_TRUE(platform.SetCursorPos(350, 350));
  EXPECT_FALSE(LeftButtonDown());
  Driver().SetLeftButton(true);
  EXPECT_TRUE(LeftButtonDown());
  Driver().SetLeftButton(false);
  EXPECT_FALSE(LeftButtonDown());
}

}  // namespace
}  // namespace sevalune::contract
