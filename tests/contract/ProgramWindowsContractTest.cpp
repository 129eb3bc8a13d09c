// The program's own windows and services: MarkerWindow, MenuFormWindow, EnsureMenuForm,
// DestroyMenuForm, Quit, TextBoxText, the marker's colour, the message pump and timer, the
// tray icon, opening a document, ExecutableDirectory and AnotherInstanceRunning.
#include <memory>
#include <string>
#include <vector>

#include "tests/IconRecord.h"
#include "tests/RecordingHandler.h"
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

using testing::RecordingHandler;

class ProgramWindows : public ContractTest {
 protected:
  void SetUp() override { platform.SetEventHandler(&handler); }
  void TearDown() override { platform.SetEventHandler(nullptr); }

  NotifyIconData Icon() { return testing::ProgramIconRecord(platform.MarkerWindow()); }

  RecordingHandler handler;
};

TEST_F(ProgramWindows, TheMarkerIsAHiddenWindowOfTheProgramsThread) {
  const WindowHandle marker = platform.MarkerWindow();
  ASSERT_NE(marker, 0u);
  EXPECT_EQ(platform.MarkerWindow(), marker);
  EXPECT_EQ(platform.GetClassName(marker, 100), "SevaluneMarker");
  EXPECT_EQ(platform.GetWindowText(marker, 100), "Sevalune");
  EXPECT_FALSE(platform.IsWindowVisible(marker));
  EXPECT_EQ(platform.GetWindowThreadProcessId(marker).thread, MainThread());
  EXPECT_EQ(platform.FindWindow("SevaluneMarker", std::nullopt), marker);
  const WindowHandle textBox = platform.GetWindow(marker, WindowRelation::FirstChild);
  EXPECT_EQ(platform.GetClassName(textBox, 100), "Edit");
}

TEST_F(ProgramWindows, TheApplicationWindowIsFoundByItsTitle) {
  const WindowHandle app = platform.FindWindow(std::nullopt, "Sevalune Version 1.01");
  ASSERT_NE(app, 0u);
  EXPECT_NE(app, platform.MarkerWindow());
  EXPECT_EQ(platform.GetClassName(app, 100), "SevaluneApp");
  EXPECT_FALSE(platform.IsWindowVisible(app));
  EXPECT_EQ(platform.GetWindowThreadProcessId(app).thread, MainThread());
}

TEST_F(ProgramWindows, TheMenuWindowIsMadeHiddenOnDemandAndAfresh) {
  EXPECT_EQ(platform.FindWindow("SevaluneMenu", std::nullopt), 0u);
  EXPECT_EQ(platform.MenuFormWindow(), 0u) << "asking for it makes none";
  const WindowHandle first = platform.EnsureMenuForm();
  ASSERT_NE(first, 0u);
  EXPECT_EQ(platform.EnsureMenuForm(), first);
  EXPECT_EQ(platform.MenuFormWindow(), first);
  EXPECT_EQ(platform.FindWindow("SevaluneMenu", std::nullopt), first);
  EXPECT_EQ(platform.GetWindowText(first, 100), "Sevalune Menu");
  EXPECT_FALSE(platform.IsWindowVisible(first));

  platform.DestroyMenuForm();
  EXPECT_EQ(platform.GetClassName(first, 100), "");
  EXPECT_EQ(platform.FindWindow("SevaluneMenu", std::nullopt), 0u);
  EXPECT_EQ(platform.MenuFormWindow(), 0u);
  const WindowHandle second = platform.EnsureMenuForm();
  EXPECT_EQ(platform.GetClassName(second, 100), "SevaluneMenu");
  platform.DestroyMenuForm();
  platform.DestroyMenuForm();  // nothing left to destroy
}

TEST_F(ProgramWindows, TheTextBoxHoldsWhatAnotherProgramPutThere) {
  EXPECT_EQ(platform.TextBoxText(), "");
  for (const std::string text : {"1", "\xE6\x8A\x91\xE6\xAD\xA2 1", " 1", ""}) {  // 抑止 1
    Driver().SetTextBoxFromOutside(text);
    EXPECT_EQ(platform.TextBoxText(), text);
  }
}

TEST_F(ProgramWindows, TheTextBoxLiesFarRightOfTheMarkersCorner) {
  // Far enough that it never shows inside the marker, whatever the marker's size.
  constexpr std::int32_t kFarRight = 1000;
  const WindowHandle marker = platform.MarkerWindow();
  const WindowHandle textBox = platform.GetWindow(marker, WindowRelation::FirstChild);
  Point corner{0, 0};
  ASSERT_TRUE(platform.ClientToScreen(marker, corner));
  Rect place;
  ASSERT_TRUE(platform.GetWindowRect(textBox, place));
  EXPECT_GE(place.left - corner.x, kFarRight);
}

TEST_F(ProgramWindows, TheMarkerKeepsItsColour) {
  EXPECT_EQ(platform.MarkerColor(), 0u);
  for (const Color color : {Color{0xFF00FF}, Color{0x0000FF}, Color{0x00FFFF}}) {
    platform.SetMarkerColor(color);
    EXPECT_EQ(platform.MarkerColor(), color);
  }
}

TEST_F(ProgramWindows, PostedTrayEventsWaitForThePump) {
  Driver().PostTrayEvent(kMsgLeftButtonUp);
  Driver().PostTrayEvent(kMsgRightButtonUp);
  EXPECT_TRUE(handler.trayEvents.empty());
  platform.PumpMessages();
  EXPECT_EQ(handler.trayEvents, (std::vector<std::uint32_t>{kMsgLeftButtonUp, kMsgRightButtonUp}));
  platform.PumpMessages();
  EXPECT_EQ(handler.trayEvents.size(), 2u);
}

TEST_F(ProgramWindows, AfterQuitThePumpSaysStopAndNoHandlerRuns) {
  EXPECT_TRUE(platform.PumpMessages());
  Driver().PostTrayEvent(kMsgLeftButtonUp);
  platform.Quit(3);
  EXPECT_FALSE(platform.PumpMessages());
  EXPECT_TRUE(handler.trayEvents.empty());
}

TEST_F(ProgramWindows, AFollowedCaretsMovesAreReportedUntilTheFollowingStops) {
  WindowRequest wanted;
  wanted.rect = Rect{200, 200, 400, 300};
  wanted.thread = GuiThread::Second;
  const WindowHandle window = Driver().AddWindow(wanted);
  Driver().Focus(window);
  Driver().CreateCaret(window, Rect{10, 10, 11, 25});
  platform.FollowCaret(SecondThread());
  Driver().LetCaretWatchLook();
  platform.PumpMessages();
  EXPECT_EQ(handler.targetMoves, 0) << "where the caret stood when the following began";

  Driver().CreateCaret(window, Rect{30, 10, 31, 25});
  Driver().LetCaretWatchLook();
  platform.PumpMessages();
  EXPECT_EQ(handler.targetMoves, 1) << "one move, one notice";

  platform.FollowCaret(0);
  Driver().CreateCaret(window, Rect{50, 10, 51, 25});
  Driver().LetCaretWatchLook();
  platform.PumpMessages();
  EXPECT_EQ(handler.targetMoves, 1);
}

TEST_F(ProgramWindows, TimerTicksNeverPileUp) {
  platform.SetTimerPeriod(20);
  platform.EnableTimer(true);
  Driver().LetTimerPeriodsPass();
  platform.PumpMessages();
  EXPECT_EQ(handler.ticks, 1);
  platform.EnableTimer(false);
}

TEST_F(ProgramWindows, TheTimerTicksAgainAfterEachPump) {
  platform.SetTimerPeriod(20);
  platform.EnableTimer(true);
  for (int expected = 1; expected <= 3; ++expected) {
    Driver().LetTimerPeriodsPass();
    platform.PumpMessages();
    EXPECT_EQ(handler.ticks, expected);
  }
  platform.EnableTimer(false);
}

TEST_F(ProgramWindows, AStoppedTimersDueTickIsDropped) {
  platform.SetTimerPeriod(20);
  platform.EnableTimer(true);
  Driver().LetTimerPeriodsPass();
  platform.EnableTimer(false);
  platform.PumpMessages();
  EXPECT_EQ(handler.ticks, 0);
}

TEST_F(ProgramWindows, TrayIconIsAddedOnceChangedAndDeletedOnce) {
  NotifyIconData icon = Icon();
  EXPECT_FALSE(platform.ShellNotifyIcon(TrayMessage::Modify, icon)) << "modify before add";
  EXPECT_FALSE(platform.ShellNotifyIcon(TrayMessage::Delete, icon)) << "delete before add";
  ASSERT_TRUE(platform.ShellNotifyIcon(TrayMessage::Add, icon));
  EXPECT_FALSE(platform.ShellNotifyIcon(TrayMessage::Add, icon)) << "added twice";
  icon.picture = TrayPicture::Disabled;
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Modify, icon));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Delete, icon));
  EXPECT_FALSE(platform.ShellNotifyIcon(TrayMessage::Delete, icon)) << "deleted twice";
  EXPECT_FALSE(platform.ShellNotifyIcon(TrayMessage::Modify, icon)) << "modify after delete";
}

TEST_F(ProgramWindows, IconsAreToldApartByWindowAndId) {
  NotifyIconData first = Icon();
  NotifyIconData second = Icon();
  second.id = 2;
  ASSERT_TRUE(platform.ShellNotifyIcon(TrayMessage::Add, first));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Add, second));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Delete, first));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Modify, second));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Delete, second));
}

TEST_F(ProgramWindows, AMissingDocumentIsNotOpened) {
  const std::string missing = Driver().MissingFile("sevalune.htm");
  const std::string folder = missing.substr(0, missing.rfind('\\'));
  const std::intptr_t answer =
      platform.ShellExecute(platform.EnsureMenuForm(), "open", "sevalune.htm", "", folder, 1);
  EXPECT_LE(answer, 32) << "a number above 32 means the document was opened";
  platform.DestroyMenuForm();
}

TEST_F(ProgramWindows, TheExecutablesFolderEndsWithoutASeparator) {
  const std::string folder = platform.ExecutableDirectory();
  ASSERT_GE(folder.size(), 3u) << folder;
  const bool driveRoot = folder.size() == 3 && folder.substr(1) == ":\\";
  EXPECT_TRUE(folder.substr(1, 2) == ":\\" || folder.substr(0, 2) == "\\\\") << folder;
  if (!driveRoot) {
    EXPECT_NE(folder.back(), '\\') << folder;
  }
}

TEST_F(ProgramWindows, ASecondInstanceSeesTheFirst) {
  EXPECT_FALSE(platform.AnotherInstanceRunning()) << "another program in this session?";
  const std::unique_ptr<Platform> second = Driver().StartAnotherInstance();
  EXPECT_TRUE(second->AnotherInstanceRunning());
  // The answer does not change while the process runs.
  EXPECT_FALSE(platform.AnotherInstanceRunning());
}

TEST_F(ProgramWindows, TheNameStaysTakenWhileAnyInstanceThatAskedRuns) {
  std::unique_ptr<Platform> first = Driver().StartAnotherInstance();
  EXPECT_FALSE(first->AnotherInstanceRunning()) << "another program in this session?";
  const std::unique_ptr<Platform> second = Driver().StartAnotherInstance();
  EXPECT_TRUE(second->AnotherInstanceRunning());
  first.reset();
  const std::unique_ptr<Platform> third = Driver().StartAnotherInstance();
  EXPECT_TRUE(third->AnotherInstanceRunning());
}

}  // namespace
}  // namespace sevalune::contract
