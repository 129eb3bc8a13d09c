// Start-up of the program on the simulated desktop: what is on the screen and in the
// notification area afterwards, a second instance, and a settings file that cannot be
// taken.
#include <algorithm>

#include "CoreTestDesktop.h"

namespace sevalune::sim {
namespace {

using CoreStartUpTest = CoreDesktopTest;

TEST_F(CoreStartUpTest, ShowsTheTopmostMarkerKeepsTheForegroundAndAddsTheEnabledIcon) {
  Start();

  ASSERT_FALSE(exitCode());
  EXPECT_EQ(State(), (VisibleState{{0, 0, 15, 6}, true, true, 0, "editor", "on", false}));
  EXPECT_EQ(ZOrder().front(), "marker") << "on top of the topmost windows";
  EXPECT_EQ(events,
            (std::vector<std::string>{"icon add on", "hotkey register Ctrl+Alt+Shift+F12 ok",
                                      "watch dir=\"C:\\Program Files\\Sevalune\""}))
      << "the foreground never moved";

  ASSERT_EQ(desktop.Tray().Icons().size(), 1u);
  const SimTrayIcon& icon = desktop.Tray().Icons().front();
  EXPECT_EQ(icon.id, 1u);
  EXPECT_EQ(icon.callbackMessage, 0x200u);
  EXPECT_EQ(icon.tip, "sevalune");

  EXPECT_TRUE(process().TimerEnabled());
  EXPECT_EQ(process().TimerPeriod(), 110u);
  const AppState& state = core().state;
  EXPECT_TRUE(state.isEnabled);
  EXPECT_EQ(state.method, LocationMethod::GuiThreadInfo);
  EXPECT_EQ(state.trayWindow, desktop.Taskbar());
  EXPECT_EQ(state.lastActiveWindow, 0u) << "recorded by ticks only";
  EXPECT_FALSE(state.menuIsOpen);
}

TEST_F(CoreStartUpTest, SecondInstanceLeavesNoTrace) {
  Start();
  Tick();
  const VisibleState before = State();
  const std::size_t windowsBefore = desktop.Windows().LivingCount();
  events.clear();

  std::optional<int> secondExit;
  {
    SimProgram second(desktop, {kSecondProcess, kSecondThread});
    second.Start();
    secondExit = second.ExitCode();
    EXPECT_TRUE(second.Ended());
    EXPECT_EQ(second.process().CallsAfterQuit(), 0u);
  }

  EXPECT_EQ(secondExit, 0);
  EXPECT_TRUE(events.empty()) << events.front();
  EXPECT_EQ(State(), before);
  EXPECT_EQ(desktop.Windows().LivingCount(), windowsBefore);
  EXPECT_EQ(desktop.Tray().Icons().size(), 1u);
  const std::vector<std::string> order = ZOrder();
  EXPECT_EQ(std::count(order.begin(), order.end(), "marker"), 1);

  // The running instance still holds the single-instance rule and still tracks.
  SimPlatform third(desktop, kSecondProcess + 100, kSecondThread + 100);
  EXPECT_TRUE(third.AnotherInstanceRunning());
  Tick();
  EXPECT_EQ(State(), Tracking());
}

TEST_F(CoreStartUpTest, SettingsFailureEndsTheProcessBeforeTheIconAndTheTimer) {
  PutSettings("[Sevalune]\r\nSaizu=1,2,3,4\r\n");
  Start();

  ASSERT_EQ(exitCode(), 1);
  EXPECT_EQ(events,
            std::vector<std::string>{
                "box title=\"Sevalune Version 1.01\" text=\"エラー（ＩＮＩファイル読み込み）"
                " : Saizu\\r5\\rinvalid argument\" style=16"});
  EXPECT_TRUE(desktop.Tray().Icons().empty());
  EXPECT_FALSE(process().TimerEnabled());
  EXPECT_EQ(desktop.Window(process().Marker()), nullptr) << "the process and its windows are gone";
  EXPECT_EQ(desktop.NameOf(desktop.Foreground()), "editor");
}

TEST_F(CoreStartUpTest, TimeSpentInTheSettingsBoxRunsNoTick) {
  PutSettings("[Sevalune]\r\nSaizu=1,2,3,4\r\n");
  desktop.QueueBoxAnswer({true, 3});
  Start();

  ASSERT_EQ(exitCode(), 1);
  EXPECT_EQ(core().state.lastActiveWindow, 0u) << "the timer had not started";
  EXPECT_EQ(core().marker.blink().phase, 0);
}

TEST_F(CoreStartUpTest, WhileTheSettingsBoxIsUpNoTickRunsAndANewTaskBarGetsNoIcon) {
  PutSettings("[Sevalune]\r\nSaizu=1,2,3,4\r\n");
  desktop.QueueBoxAnswer({true, 2});
  Launch();
  int waits = 0;
  process().SetNestedTickDriver([&] {
    ++waits;
    // Explorer restarts while the box waits; then a timer message would be due.
    desktop.RestartTaskbar();
    process().Deliver(SimMessage::Timer());
  });
  program->Start();

  ASSERT_EQ(exitCode(), 1);
  EXPECT_EQ(waits, 2);
  ASSERT_EQ(events.size(), 1u) << events.back();
  EXPECT_TRUE(events.front().starts_with("box ")) << events.front();
  EXPECT_TRUE(desktop.Tray().Icons().empty());
  EXPECT_EQ(core().state.lastActiveWindow, 0u) << "no tick ran";
}

TEST_F(CoreStartUpTest, OldPlatformKeepsTheOldMethodForTheWholeRun) {
  desktop.SetPlatformNew(false);
  Start();
  EXPECT_EQ(core().state.method, LocationMethod::AttachThreadInput);

  desktop.SetPlatformNew(true);
  Tick();
  EXPECT_EQ(core().state.method, LocationMethod::AttachThreadInput);
  EXPECT_EQ(State(), Tracking({124, 184, 134, 193})) << "the caret's top, 14 pixels lower";
}

TEST_F(CoreStartUpTest, WithoutTaskBarStartUpCompletesWithoutIcon) {
  desktop.RemoveTaskbar();
  Start();

  ASSERT_FALSE(exitCode());
  EXPECT_EQ(core().state.trayWindow, 0u);
  EXPECT_TRUE(process().TimerEnabled());
  EXPECT_EQ(State(), (VisibleState{{0, 0, 15, 6}, true, true, 0, "editor", "none", false}));
  Tick();
  VisibleState tracking = Tracking();
  tracking.icon = "none";
  EXPECT_EQ(State(), tracking);
}

}  // namespace
}  // namespace sevalune::sim
