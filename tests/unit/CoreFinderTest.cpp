// The finder where a scenario's lines do not reach: hot keys and frames that arrive while
// the tray menu is open or while the finder looks for its target, and the promise that it
// never moves the marker nor touches the tick's memory.
#include <string>

#include "CoreTestDesktop.h"
#include "settings/Hotkey.h"

namespace sevalune::sim {
namespace {

constexpr int kFinderHotkeyId = 1;

class CoreFinderTest : public StartedCoreDesktopTest {
 protected:
  void PressHotkey() { desktop.PressHotkey(0x7, 0x7B); }
  void Frames(int count) {
    for (int i = 0; i < count; ++i) process().Deliver(SimMessage::FinderFrame());
  }
};

TEST_F(CoreFinderTest, NeitherMovesTheMarkerNorTouchesTheTicksMemory) {
  int markerMoves = 0;
  desktop.SetCallHook([&](std::string_view call) {
    if (call == "SetWindowPos" || call == "ShowWindow") ++markerMoves;
  });
  const TickState before = core().tracker.tick;
  const BlinkMemory blink = core().marker.blink();
  PressHotkey();
  Frames(60);
  desktop.SetCallHook(nullptr);

  EXPECT_EQ(CountEvents("finder frame"), 33u);
  EXPECT_EQ(markerMoves, 0);
  const TickState& after = core().tracker.tick;
  EXPECT_EQ(after.holdTicks, before.holdTicks);
  EXPECT_EQ(after.noForegroundTicks, before.noForegroundTicks);
  EXPECT_EQ(after.lastCursor, before.lastCursor);
  EXPECT_EQ(after.prevTickForeground, before.prevTickForeground);
  EXPECT_EQ(core().marker.blink().phase, blink.phase);
  EXPECT_EQ(State(), Tracking());
}

TEST_F(CoreFinderTest, NotWhileTheTrayMenuIsOpen) {
  desktop.QueueMenuAnswer({"none", 2});
  process().SetNestedTickDriver([this] {
    PressHotkey();
    Frames(3);
  });
  TrayEvent(kTrayLeftUp);
  EXPECT_EQ(CountEvents("finder"), 0u);
  EXPECT_EQ(process().FinderTimerPeriod(), 0u);
  // Closed again: the hotkey works.
  PressHotkey();
  EXPECT_EQ(CountEvents("finder frame"), 1u);
}

TEST_F(CoreFinderTest, TheMenuOpeningStopsTheAnimation) {
  PressHotkey();
  Frames(5);
  desktop.QueueMenuAnswer({"none", 1});
  process().SetNestedTickDriver([this] { Frames(1); });
  TrayEvent(kTrayLeftUp);

  EXPECT_EQ(CountEvents("finder frame"), 6u);
  EXPECT_EQ(CountEvents("finder hide"), 1u);
  EXPECT_FALSE(process().FinderFrameShown());
  EXPECT_EQ(process().FinderTimerPeriod(), 0u);
  // Idle at once: the next press plays it from the start.
  PressHotkey();
  EXPECT_EQ(CountEvents("finder frame 0,0,1920x1080"), 2u);
}

TEST_F(CoreFinderTest, APressWhileTheTargetIsLookedForIsIgnored) {
  // The search pumps messages; a repeat of the combination arrives there.
  bool pressed = false;
  desktop.SetCallHook([&](std::string_view call) {
    if (call != "PumpMessages" || pressed) return;
    pressed = true;
    process().Post(SimMessage::Hotkey(kFinderHotkeyId));
  });
  PressHotkey();
  desktop.SetCallHook(nullptr);
  ASSERT_TRUE(pressed);
  EXPECT_EQ(CountEvents("finder frame"), 1u);
  EXPECT_EQ(process().FinderTimerPeriod(), 15u);
}

TEST_F(CoreFinderTest, AnotherHotKeyIdIsNotTheFinders) {
  process().Deliver(SimMessage::Hotkey(kFinderHotkeyId + 1));
  EXPECT_EQ(CountEvents("finder"), 0u);
}

}  // namespace
}  // namespace sevalune::sim
