// The tray icon's pop-up menu when other things happen while it is open: clicks on the
// icon, timer ticks, a task bar that came back. The scenario runner delivers each tray
// event on its own, so these are driven from inside the menu's and the boxes' waits.
#include <ostream>
#include <string>

#include "CoreTestDesktop.h"

namespace sevalune::sim {
namespace {

class CoreTrayMenuTest : public CoreDesktopTest {
 protected:
  void SetUp() override {
    CoreDesktopTest::SetUp();
    other = AddWindow("other", "OtherApp", 9, 10, {0, 0, 300, 300});
    desktop.Raise(editor);
    Start();
    Tick();
    events.clear();
  }

  WindowHandle other = 0;
};

TEST_F(CoreTrayMenuTest, DoubleClickOpensOneMenu) {
  // The shell's sequence: press, release, double click, release. The last two arrive
  // while the menu that the first release opened is still showing.
  desktop.QueueMenuAnswer({"none", 1});
  process().SetNestedTickDriver([this] {
    process().Deliver(SimMessage::TrayCallback(kTrayLeftDouble));
    process().Deliver(SimMessage::TrayCallback(kTrayLeftUp));
  });
  TrayEvent(kTrayLeftDown);
  TrayEvent(kTrayLeftUp);

  EXPECT_EQ(CountEvents("menu items="), 1u);
  EXPECT_EQ(CountEvents("foreground menuform"), 1u);
  EXPECT_EQ(CountEvents("key "), 0u) << "nothing refused the foreground: no key was needed";
  EXPECT_EQ(CountEvents("icon modify"), 1u);
  EXPECT_EQ(State(), Tracking(kShrunk));
}

TEST_F(CoreTrayMenuTest, ReleaseArrivingAsTheMenuOpensIsIgnored) {
  // Posted while the menu is being shown, dispatched by the pumps that follow it.
  desktop.SetCallHook([this](std::string_view call) {
    if (call == "TrackPopupMenu") desktop.SendTrayEvent(process().Marker(), 1, kTrayLeftUp);
  });
  TrayEvent(kTrayLeftUp);
  desktop.SetCallHook(nullptr);

  EXPECT_EQ(process().QueuedMessages(), 0u);
  EXPECT_EQ(CountEvents("menu items="), 1u);
  EXPECT_FALSE(core().state.menuIsOpen);
  // The next release opens the menu again.
  TrayEvent(kTrayLeftUp);
  EXPECT_EQ(CountEvents("menu items="), 2u);
}

struct OpenBoxCase {
  const char* item;
  const char* boxEvent;
};

void PrintTo(const OpenBoxCase& boxCase, std::ostream* out) { *out << boxCase.item; }

class CoreTrayBoxTest : public CoreTrayMenuTest,
                        public ::testing::WithParamInterface<OpenBoxCase> {};

TEST_P(CoreTrayBoxTest, ClickWhileTheBoxIsOpenDoesNothing) {
  desktop.QueueMenuAnswer({GetParam().item, 0});
  desktop.QueueBoxAnswer({true, 2});
  process().SetNestedTickDriver([this] {
    process().Deliver(SimMessage::TrayCallback(kTrayLeftUp));
    process().Deliver(SimMessage::TrayCallback(kMsgRightButtonUp));
    program->app().OnTimer();
  });
  TrayEvent(kTrayLeftUp);

  EXPECT_EQ(CountEvents("menu items="), 1u);
  EXPECT_EQ(CountEvents(GetParam().boxEvent), 1u);
  EXPECT_EQ(CountEvents("icon modify on"), 1u);
  EXPECT_EQ(State(), Tracking(kShrunk));
}

INSTANTIATE_TEST_SUITE_P(AboutAndWindowClass, CoreTrayBoxTest,
                         ::testing::Values(OpenBoxCase{"About", "box "},
                                           OpenBoxCase{"WindowClass", "inputbox "}),
                         [](const ::testing::TestParamInfo<OpenBoxCase>& boxCase) {
                           return std::string(boxCase.param.item);
                         });

TEST_F(CoreTrayMenuTest, TicksWhileTheMenuIsOpenOnlyKeepTheMarkerShrunk) {
  // Inside the menu another window comes to the front, then none at all; the ticks end
  // at their first gate: nothing is recorded, counted or recovered.
  std::vector<VisibleState> inside;
  int tick = 0;
  desktop.QueueMenuAnswer({"none", 12});
  process().SetNestedTickDriver([&] {
    if (tick++ == 0) {
      desktop.Raise(other);
      desktop.SetForeground(other);
    } else if (tick == 2) {
      desktop.SetForeground(0);
    }
    program->app().OnTimer();
    inside.push_back(State());
  });
  TrayEvent(kMsgRightButtonUp);

  ASSERT_EQ(inside.size(), 12u);
  EXPECT_EQ(inside[0], (VisibleState{kShrunk, true, true, kMagenta, "other", "on", true}));
  for (std::size_t i = 1; i < inside.size(); ++i) {
    EXPECT_EQ(inside[i], (VisibleState{kShrunk, true, true, kMagenta, "none", "on", true}))
        << "tick " << i;
  }
  EXPECT_EQ(core().state.lastActiveWindow, editor);
  EXPECT_EQ(core().tracker.tick.noForegroundTicks, 0);
  EXPECT_EQ(CountEvents("foreground progman"), 0u);
}

TEST_F(CoreTrayMenuTest, OpeningTheMenuLooksUpTheTaskBarAgain) {
  // A task bar whose announcement never reached the program is not yet known: in front,
  // it is taken for the user's window.
  desktop.RemoveTaskbar();
  process().SetEventHandler(nullptr);
  desktop.SetTaskbarPresent();
  process().SetEventHandler(&program->app());
  desktop.SetForeground(desktop.Taskbar());
  Tick();
  EXPECT_EQ(core().state.lastActiveWindow, desktop.Taskbar());

  process().Deliver(SimMessage::TrayCallback(kTrayLeftUp));
  EXPECT_EQ(core().state.trayWindow, desktop.Taskbar());
  desktop.SetForeground(editor);
  Tick();
  desktop.SetForeground(desktop.Taskbar());
  Tick();
  EXPECT_EQ(core().state.lastActiveWindow, editor);
}

TEST_F(CoreTrayMenuTest, SwitchingOffChangesOnlyThePicture) {
  desktop.QueueMenuAnswer({"Enabled", 0});
  TrayEvent(kTrayLeftUp);

  ASSERT_EQ(desktop.Tray().Icons().size(), 1u);
  const SimTrayIcon& icon = desktop.Tray().Icons().front();
  EXPECT_EQ(icon.picture, TrayPicture::Disabled);
  EXPECT_EQ(icon.tip, "sevalune");
  EXPECT_EQ(icon.callbackMessage, 0x200u);
  EXPECT_FALSE(core().state.isEnabled);
  Tick(9);
  VisibleState off = Tracking(kShrunk);
  off.icon = "off";
  EXPECT_EQ(State(), off);
}

}  // namespace
}  // namespace sevalune::sim
