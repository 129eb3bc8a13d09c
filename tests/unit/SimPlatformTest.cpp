// What only the simulated process of the program does: its start and end, the names and
// event lines it prints, the scripted user, shell and displays. The platform rules that
// both backends follow are in the contract suite (tests/contract).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "tests/IconRecord.h"
#include "tests/RecordingHandler.h"

namespace sevalune::sim {
namespace {

using Names = std::vector<std::string>;

using testing::RecordingHandler;

class SimPlatformTest : public ::testing::Test {
 protected:
  SimDesktop desktop;
  SimPlatform program{desktop, kProgramProcess, kProgramThread};
  RecordingHandler handler;
  Names events;

  void SetUp() override {
    desktop.SetEventSink([this](const std::string& line) { events.push_back(line); });
    program.SetEventHandler(&handler);
  }

  WindowHandle Editor() {
    NewWindow request;
    request.name = "editor";
    request.className = "Notepad";
    request.process = 7;
    request.thread = 8;
    request.rect = {100, 100, 700, 500};
    return desktop.CreateWindow(request);
  }

  NotifyIconData Icon(TrayPicture picture = TrayPicture::Enabled) {
    return testing::ProgramIconRecord(program.MarkerWindow(), picture);
  }
};

TEST_F(SimPlatformTest, ProcessStartCreatesTheNamedWindowsBesideTheShell) {
  EXPECT_EQ(desktop.NameOf(program.MarkerWindow()), "marker");
  EXPECT_EQ(desktop.NameOf(program.ApplicationWindow()), "app");
  EXPECT_EQ(desktop.NameOf(program.TextBox()), "textbox");
  EXPECT_EQ(program.ExistingMenuForm(), 0u);
  EXPECT_TRUE(program.FindWindow("Shell_TrayWnd", std::nullopt) != 0);
  EXPECT_EQ(program.FindWindow(std::nullopt, "Program Manager"), desktop.Lookup("progman"));
}

TEST_F(SimPlatformTest, MenuFormPrintsTheForegroundItTakesAndHandsOn) {
  const WindowHandle menu = program.EnsureMenuForm();
  EXPECT_EQ(desktop.NameOf(menu), "menuform");
  ASSERT_TRUE(program.SetForegroundWindow(menu));
  Editor();
  program.DestroyMenuForm();
  // The editor was shown above the menu window without activation: the system takes
  // the next usable window below the destroyed one.
  EXPECT_EQ(events, (Names{"foreground menuform", "foreground progman"}));
}

TEST_F(SimPlatformTest, QuitEndsTheProcessOnceTheOutermostHandlerHasReturned) {
  Editor();
  ASSERT_TRUE(program.SetForegroundWindow(program.MarkerWindow()));
  const WindowHandle marker = program.MarkerWindow();
  ASSERT_FALSE(program.AnotherInstanceRunning());
  program.RunAsHandler([&] {
    program.RunAsHandler([&] {
      program.Quit(3);
      EXPECT_FALSE(program.PumpMessages()) << "the program is to unwind";
      EXPECT_FALSE(program.Ended()) << "handlers are still running";
    });
    EXPECT_NE(desktop.Window(marker), nullptr);
    EXPECT_EQ(program.GetForegroundWindow(), 0u) << "calls after quit answer nothing";
  });
  EXPECT_TRUE(program.Ended());
  EXPECT_EQ(program.ExitCode(), 3);
  EXPECT_EQ(program.CallsAfterQuit(), 2u);
  EXPECT_EQ(desktop.Window(marker), nullptr);
  EXPECT_EQ(desktop.Foreground(), desktop.Lookup("progman")) << "the next usable window below";
  EXPECT_EQ(events, (Names{"foreground marker", "foreground progman"}));
  EXPECT_FALSE(program.SetCursorPos(1, 1));
  EXPECT_EQ(events.size(), 2u) << "an ended process changes nothing";
  SimPlatform next{desktop, kSecondProcess, kSecondThread};
  EXPECT_FALSE(next.AnotherInstanceRunning()) << "the mutex went with the process";
}

TEST_F(SimPlatformTest, SecondInstanceNamesItsWindowsAfterItsProcess) {
  SimPlatform second{desktop, kSecondProcess, kSecondThread};
  EXPECT_EQ(desktop.NameOf(second.MarkerWindow()), "marker@4100");
  second.Quit(0);
  EXPECT_TRUE(second.Ended()) << "asked outside any handler: ends at once";
}

TEST_F(SimPlatformTest, LeftButtonClickIsSeenOnce) {
  EXPECT_EQ(program.GetAsyncKeyState(kVirtualKeyLeftButton), 0);
  desktop.ButtonClick();
  EXPECT_EQ(program.GetAsyncKeyState(kVirtualKeyLeftButton), 1);
  EXPECT_EQ(program.GetAsyncKeyState(kVirtualKeyLeftButton), 0);
  desktop.ButtonDown();
  EXPECT_EQ(static_cast<std::uint16_t>(program.GetAsyncKeyState(kVirtualKeyLeftButton)), 0x8001);
  EXPECT_EQ(static_cast<std::uint16_t>(program.GetAsyncKeyState(kVirtualKeyLeftButton)), 0x8000);
  EXPECT_EQ(program.GetAsyncKeyState(0x02), 0) << "other keys are never down";
  desktop.ButtonUp();
  EXPECT_EQ(program.GetAsyncKeyState(kVirtualKeyLeftButton), 0);
}

TEST_F(SimPlatformTest, CursorIsScriptedAndParkingIsPrinted) {
  desktop.SetCursor({300, 400});
  Point point;
  ASSERT_TRUE(program.GetCursorPos(point));
  EXPECT_EQ(point, (Point{300, 400}));
  ASSERT_TRUE(program.SetCursorPos(2, 2));
  ASSERT_TRUE(program.SetCursorPos(5000, -10));
  EXPECT_EQ(events, (Names{"cursor-parked 2,2", "cursor-parked 1919,0"}));
}

TEST_F(SimPlatformTest, GuiThreadInfoOfNoForegroundOrOnTheOlderPlatform) {
  const WindowHandle editor = Editor();
  GuiThreadInfo state;
  state.flags = 1;
  state.focus = editor;
  desktop.SetGuiState(8, state);

  GuiThreadInfo info;
  EXPECT_EQ(program.GetGUIThreadInfo(0, info), false) << "no foreground window";
  desktop.SetForeground(editor);
  ASSERT_EQ(program.GetGUIThreadInfo(0, info), true);
  EXPECT_EQ(info.focus, editor);
  desktop.SetPlatformNew(false);
  EXPECT_EQ(program.GetGUIThreadInfo(8, info), std::nullopt) << "the query does not exist";
}

TEST_F(SimPlatformTest, TrayIconRecordsArePrintedAndNeedATaskbar) {
  program.ShellNotifyIcon(TrayMessage::Add, Icon());
  program.ShellNotifyIcon(TrayMessage::Add, Icon());
  program.ShellNotifyIcon(TrayMessage::Modify, Icon(TrayPicture::Disabled));
  EXPECT_EQ(desktop.Tray().Find(program.MarkerWindow(), 1)->picture, TrayPicture::Disabled);
  program.ShellNotifyIcon(TrayMessage::Delete, Icon(TrayPicture::Disabled));
  desktop.RemoveTaskbar();
  EXPECT_FALSE(program.ShellNotifyIcon(TrayMessage::Add, Icon())) << "no task bar";
  // Every record is printed, refused or not.
  EXPECT_EQ(events, (Names{"icon add on", "icon add on", "icon modify off", "icon delete off",
                           "icon add on"}));
}

TEST_F(SimPlatformTest, ModifyChangesOnlyWhatTheFlagsName) {
  ASSERT_TRUE(program.ShellNotifyIcon(TrayMessage::Add, Icon()));
  NotifyIconData tipOnly = Icon(TrayPicture::Disabled);
  tipOnly.flags = nif::Tip;
  tipOnly.tip = "other";
  ASSERT_TRUE(program.ShellNotifyIcon(TrayMessage::Modify, tipOnly));
  const SimTrayIcon* icon = desktop.Tray().Find(program.MarkerWindow(), 1);
  EXPECT_EQ(icon->picture, TrayPicture::Enabled);
  EXPECT_EQ(icon->tip, "other");
}

TEST_F(SimPlatformTest, TaskbarRestartDropsIconsAndAnnouncesItself) {
  ASSERT_TRUE(program.ShellNotifyIcon(TrayMessage::Add, Icon()));
  const WindowHandle oldTaskbar = desktop.Taskbar();
  desktop.RestartTaskbar();
  EXPECT_NE(desktop.Taskbar(), oldTaskbar);
  EXPECT_NE(desktop.Taskbar(), 0u);
  EXPECT_TRUE(desktop.Tray().Icons().empty());
  EXPECT_EQ(handler.taskbarsCreated, 1);
  EXPECT_EQ(program.FindWindow("shell_traywnd", std::nullopt), desktop.Taskbar());
}

TEST_F(SimPlatformTest, TrayEventsReachTheIconsProcess) {
  EXPECT_FALSE(desktop.SendTrayEvent(program.MarkerWindow(), 1, kMsgLeftButtonUp)) << "no icon";
  ASSERT_TRUE(program.ShellNotifyIcon(TrayMessage::Add, Icon()));
  EXPECT_TRUE(desktop.SendTrayEvent(program.MarkerWindow(), 1, kMsgLeftButtonUp));
  EXPECT_EQ(handler.trayEvents, (std::vector<std::uint32_t>{kMsgLeftButtonUp}));
}

TEST_F(SimPlatformTest, MessageBoxPrintsAndTakesItsScriptedAnswer) {
  EXPECT_EQ(program.MessageBox("line1\rline2 \"q\"", "Sevalune", kBoxStop), 1);
  desktop.QueueBoxAnswer({false, 2});
  EXPECT_EQ(program.MessageBox("t", "c", 1), 2);  // OK and Cancel buttons
  EXPECT_EQ(handler.ticks, 0) << "the timer is off";
  program.EnableTimer(true);
  desktop.QueueBoxAnswer({false, 2});
  EXPECT_EQ(program.MessageBox("t", "c", 1), 2);
  EXPECT_EQ(handler.ticks, 2) << "the box waited two ticks";
  desktop.QueueBoxAnswer({false, 0});
  EXPECT_EQ(program.MessageBox("t", "c", kBoxOk), 1) << "an OK-only box answers OK";
  EXPECT_EQ(events[0], "box title=\"Sevalune\" text=\"line1\\rline2 \\\"q\\\"\" style=16");
}

TEST_F(SimPlatformTest, InputBoxAnswersTheDefaultOrNothing) {
  EXPECT_EQ(program.InputBox("Class:", "Sevalune", "Notepad"), "Notepad");
  desktop.QueueBoxAnswer({false, 0});
  EXPECT_EQ(program.InputBox("Class:", "Sevalune", "Notepad"), std::nullopt);
  EXPECT_EQ(events[0], "inputbox title=\"Sevalune\" prompt=\"Class:\" default=\"Notepad\"");
}

TEST_F(SimPlatformTest, PopupMenuChoosesTheScriptedItemAfterItsTicks) {
  const std::vector<PopupMenuItem> items{
      {"&Help...", false}, {"&About...", false}, {"&Quit", false}, {"&Enabled(toggle)", true}};
  const WindowHandle owner = program.EnsureMenuForm();
  EXPECT_EQ(program.TrackPopupMenu(owner, items), 0) << "no answer: dismissed";
  desktop.QueueMenuAnswer({"Enabled", 2});
  bool openDuringTicks = true;
  program.SetNestedTickDriver([&] { openDuringTicks = openDuringTicks && program.MenuOpen(); });
  EXPECT_EQ(program.TrackPopupMenu(owner, items), 4);
  EXPECT_TRUE(openDuringTicks);
  EXPECT_FALSE(program.MenuOpen());
  desktop.QueueMenuAnswer({"About", 0});
  EXPECT_EQ(program.TrackPopupMenu(owner, items), 2);
  desktop.QueueMenuAnswer({"none", 0});
  EXPECT_EQ(program.TrackPopupMenu(owner, items), 0);
  EXPECT_EQ(events[0],
            "menu items=\"&Help...|&About...|&Quit|&Enabled(toggle)\" "
            "checked=\"&Enabled(toggle)\"");
}

TEST_F(SimPlatformTest, ShellAndKeyEvents) {
  EXPECT_EQ(program.ShellExecute(0, "open", "sevalune.htm", "", "C:\\Program Files\\Sevalune", 1),
            2)
      << "file not found";
  desktop.Files().Put("C:\\Program Files\\Sevalune\\sevalune.htm", "<html></html>");
  EXPECT_GT(program.ShellExecute(0, "open", "sevalune.htm", "", "C:\\Program Files\\Sevalune", 1),
            32);
  program.InjectUnassignedKey();
  EXPECT_EQ(events, (Names{"shell verb=\"open\" file=\"sevalune.htm\" "
                           "dir=\"C:\\Program Files\\Sevalune\"",
                           "shell verb=\"open\" file=\"sevalune.htm\" "
                           "dir=\"C:\\Program Files\\Sevalune\"",
                           "key vkE8"}));
}

// As on Windows, the process that received the last input event may set the foreground
// despite the lock; the user's next input takes that right away again.
TEST_F(SimPlatformTest, AnInjectedKeyLiftsTheLockUntilTheUsersNextInput) {
  const WindowHandle editor = Editor();
  const WindowHandle own = program.ApplicationWindow();
  SimPlatform other{desktop, kSecondProcess, kSecondThread};
  desktop.SetForegroundLock(true);
  EXPECT_FALSE(program.SetForegroundWindow(own));
  program.InjectUnassignedKey();
  EXPECT_FALSE(other.SetForegroundWindow(editor)) << "only the injecting process";
  EXPECT_TRUE(program.SetForegroundWindow(own));
  EXPECT_TRUE(program.SetForegroundWindow(editor)) << "until other input arrives";
  desktop.ButtonClick();
  EXPECT_FALSE(program.SetForegroundWindow(own));
  program.InjectUnassignedKey();
  desktop.ButtonDown();
  EXPECT_FALSE(program.SetForegroundWindow(own));
  EXPECT_EQ(desktop.Foreground(), editor);
}

TEST_F(SimPlatformTest, EveryCallIsCountedAndHooked) {
  Names hooked;
  desktop.SetCallHook([&](std::string_view name) {
    hooked.emplace_back(name);
    program.GetForegroundWindow();  // calls made by the hook do not hook again
  });
  desktop.ResetCallCounts();
  program.GetForegroundWindow();
  program.IsWindowVisible(0);
  EXPECT_EQ(hooked, (Names{"GetForegroundWindow", "IsWindowVisible"}));
  EXPECT_EQ(desktop.CallCount("GetForegroundWindow"), 3u);
  EXPECT_EQ(desktop.TotalCalls(), 4u);
}

TEST_F(SimPlatformTest, TrayEventsDuringACallWaitForThePump) {
  ASSERT_TRUE(program.ShellNotifyIcon(TrayMessage::Add, Icon()));
  desktop.SetCallHook([&](std::string_view name) {
    if (name == "GetCursorPos") desktop.SendTrayEvent(program.MarkerWindow(), 1, kMsgLeftButtonUp);
  });
  Point point;
  program.GetCursorPos(point);
  EXPECT_TRUE(handler.trayEvents.empty());
  program.PumpMessages();
  EXPECT_EQ(handler.trayEvents.size(), 1u);
}

TEST_F(SimPlatformTest, MonitorOfAWindow) {
  desktop.SetMonitors({{{0, 0, 1920, 1080}, true}, {{1920, 0, 3200, 1024}, false}});
  const WindowHandle editor = Editor();
  desktop.SetRect(editor, {1800, 10, 2100, 50});
  EXPECT_EQ(program.MonitorRectOf(editor), (Rect{1920, 0, 3200, 1024})) << "largest overlap";
  desktop.SetRect(editor, {2000, 1100, 2000, 1100});
  EXPECT_EQ(program.MonitorRectOf(editor), (Rect{1920, 0, 3200, 1024})) << "nearest";
  EXPECT_EQ(program.MonitorRectOf(0), (Rect{0, 0, 1920, 1080})) << "primary";
}

TEST_F(SimPlatformTest, DpiOfTheDisplayThatHoldsARectangle) {
  EXPECT_EQ(program.MonitorDpiOf({10, 10, 11, 11}), 96u) << "the default display";
  desktop.SetMonitors({{{0, 0, 1920, 1080}, true, 120}, {{1920, 0, 3200, 1024}, false, 192}});
  EXPECT_EQ(program.MonitorDpiOf({10, 10, 11, 11}), 120u);
  EXPECT_EQ(program.MonitorDpiOf({1920, 0, 1921, 1}), 192u) << "the right display's first pixel";
  EXPECT_EQ(program.MonitorDpiOf({1919, 0, 1920, 1}), 120u) << "the left display's last pixel";
  EXPECT_EQ(program.MonitorDpiOf({1800, 10, 2100, 50}), 192u) << "largest overlap";
  EXPECT_EQ(program.MonitorDpiOf({1700, 10, 2000, 50}), 120u) << "largest overlap";
  EXPECT_EQ(program.MonitorDpiOf({2000, 1100, 2000, 1100}), 192u) << "nearest";
  EXPECT_EQ(program.MonitorDpiOf({-500, 500, -400, 600}), 120u) << "nearest";
}

}  // namespace
}  // namespace sevalune::sim

namespace sevalune::sim {
namespace {

// The simulated accessibility worker: what the contract suite cannot show on a real desktop
// with one second thread, and a scenario's state line does not show: how many hung programs
// hold a worker at once, and that a hung program is not asked again.
class SimAccessibilityTest : public SimPlatformTest {
 protected:
  WindowHandle Program(int number) {
    NewWindow request;
    request.name = "program" + std::to_string(number);
    request.process = static_cast<ProcessId>(100 + number);
    request.thread = static_cast<ThreadId>(200 + number);
    request.rect = {100, 100, 700, 500};
    const WindowHandle window = desktop.CreateWindow(request);
    SimAccessible published;
    published.caret = Rect{300, 200, 301, 218};
    desktop.SetAccessible(window, published);
    return window;
  }

  // Asks about the window and returns the answer, read with the next request.
  AccessibleAnswer Ask(WindowHandle window) {
    program.QueryAccessible(window, ++serial, AccessibleReach::Everything);
    return program.QueryAccessible(0, serial + 1, AccessibleReach::Everything);
  }

  std::uint64_t serial = 0;
};

TEST_F(SimAccessibilityTest, AtMostThreeWorkersWaitInHungPrograms) {
  // The limit in all, set low: by default sixteen workers may wait.
  program.SetMostAbandonedAccessibleWorkers(2);
  std::vector<WindowHandle> hung;
  for (int number = 1; number <= 5; ++number) {
    hung.push_back(Program(number));
    desktop.SetHung(static_cast<ProcessId>(100 + number), true);
  }
  const WindowHandle answering = Program(9);
  EXPECT_EQ(Ask(hung[0]).status, AccessibleStatus::TimedOut);
  EXPECT_EQ(Ask(hung[1]).status, AccessibleStatus::TimedOut);
  EXPECT_EQ(Ask(hung[2]).status, AccessibleStatus::TimedOut);
  EXPECT_EQ(program.StuckAccessibleWorkers(), 3u);
  // No fourth worker: nobody is asked, not even a program that would answer.
  EXPECT_EQ(Ask(hung[3]).status, AccessibleStatus::Busy);
  EXPECT_EQ(Ask(answering).status, AccessibleStatus::Busy);
  EXPECT_EQ(program.StuckAccessibleWorkers(), 3u);
  // A program that answers again lets its worker go.
  desktop.SetHung(101, false);
  EXPECT_EQ(Ask(answering).source, AccessibleSource::MsaaCaret);
  EXPECT_EQ(program.StuckAccessibleWorkers(), 2u);
}

TEST_F(SimAccessibilityTest, AHungProgramIsNotAskedAgainWhileItsCallWaits) {
  const WindowHandle hung = Program(1);
  desktop.SetHung(101, true);
  EXPECT_EQ(Ask(hung).status, AccessibleStatus::TimedOut);
  const std::uint64_t rounds = desktop.AccessibleRounds();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Ask(hung).status, AccessibleStatus::Busy);
  EXPECT_EQ(desktop.AccessibleRounds(), rounds);
  EXPECT_EQ(program.StuckAccessibleWorkers(), 1u);
}

}  // namespace
}  // namespace sevalune::sim
