// RegisterHotKey and UnregisterHotKey, the folder watch (WatchSettingsFolder), the finder's
// frame and timer, and the balloon of the tray icon: what each call answers, and what the
// program is told.
#include <memory>
#include <string>
#include <vector>

#include "tests/IconRecord.h"
#include "tests/RecordingHandler.h"
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

constexpr std::uint32_t kCtrlAltShift = 0x7;
constexpr std::uint32_t kNoRepeat = 0x4000;
constexpr std::uint32_t kF12 = 0x7B;
constexpr std::uint32_t kF11 = 0x7A;
// Short, so the tests wait little; the program's own is longer.
constexpr std::uint32_t kSettleMs = 50;

using testing::RecordingHandler;

class HotkeyWatchFinder : public ContractTest {
 protected:
  void SetUp() override { platform.SetEventHandler(&handler); }
  void TearDown() override {
    platform.UnregisterHotKey(1);
    platform.UnregisterHotKey(2);
    platform.SetEventHandler(nullptr);
  }

  // A folder of its own with the settings file in it.
  std::string WatchedFile() {
    Driver().MakeDirectory("watched");
    return Driver().WriteFile("watched\\sevalune.ini", "[Sevalune]\r\n");
  }

  RecordingHandler handler;
};

TEST_F(HotkeyWatchFinder, ACombinationHeldByAnotherHotKeyIsTaken) {
  EXPECT_EQ(platform.RegisterHotKey(1, kCtrlAltShift | kNoRepeat, kF12),
            HotkeyRegistration::Registered)
      << "another program on this desktop holds Ctrl+Alt+Shift+F12?";
  // Another id of the same window, with or without the no-repeat bit: the same combination.
  EXPECT_EQ(platform.RegisterHotKey(2, kCtrlAltShift, kF12), HotkeyRegistration::Taken);
  EXPECT_EQ(platform.RegisterHotKey(2, kCtrlAltShift | kNoRepeat, kF11),
            HotkeyRegistration::Registered);
  EXPECT_TRUE(platform.UnregisterHotKey(2));
  EXPECT_TRUE(platform.UnregisterHotKey(1));
  EXPECT_FALSE(platform.UnregisterHotKey(1)) << "unregistered twice";
  EXPECT_EQ(platform.RegisterHotKey(2, kCtrlAltShift, kF12), HotkeyRegistration::Registered)
      << "free again";
}

TEST_F(HotkeyWatchFinder, AnotherProgramsCombinationIsTaken) {
  const std::unique_ptr<Platform> other = Driver().StartAnotherInstance();
  ASSERT_EQ(other->RegisterHotKey(1, kCtrlAltShift, kF12), HotkeyRegistration::Registered);
  EXPECT_EQ(platform.RegisterHotKey(1, kCtrlAltShift | kNoRepeat, kF12), HotkeyRegistration::Taken);
  EXPECT_TRUE(other->UnregisterHotKey(1));
  EXPECT_EQ(platform.RegisterHotKey(1, kCtrlAltShift | kNoRepeat, kF12),
            HotkeyRegistration::Registered);
}

TEST_F(HotkeyWatchFinder, AWriteInTheWatchedFolderIsToldOnceItHasSettled) {
  const std::string file = WatchedFile();
  ASSERT_TRUE(platform.WatchSettingsFolder(file, kSettleMs));
  Driver().LetFolderChangesSettle();
  EXPECT_EQ(handler.settingsChanges, 0) << "nothing changed after the watch began";

  Driver().WriteFile("watched\\sevalune.ini", "[Sevalune]\r\nIro=\r\n");
  Driver().LetFolderChangesSettle();
  EXPECT_EQ(handler.settingsChanges, 1);

  // Several writes in a row, and a new file beside it: told once, after the last.
  Driver().WriteFile("watched\\sevalune.ini", "[Sevalune]\r\n");
  Driver().WriteFile("watched\\sevalune.ini", "[Sevalune]\r\nDebug=1\r\n");
  Driver().WriteFile("watched\\other.txt", "x");
  Driver().LetFolderChangesSettle();
  EXPECT_EQ(handler.settingsChanges, 2);
}

TEST_F(HotkeyWatchFinder, AWriteElsewhereIsNotTold) {
  ASSERT_TRUE(platform.WatchSettingsFolder(WatchedFile(), kSettleMs));
  Driver().WriteFile("elsewhere.ini", "[Sevalune]\r\n");
  Driver().LetFolderChangesSettle();
  EXPECT_EQ(handler.settingsChanges, 0);
}

TEST_F(HotkeyWatchFinder, AMissingFolderCannotBeWatched) {
  const std::string missing = Driver().MissingFile("nowhere") + "\\sevalune.ini";
  EXPECT_FALSE(platform.WatchSettingsFolder(missing, kSettleMs));
}

TEST_F(HotkeyWatchFinder, TheFramesTimerRunsApartFromTheTicksAndNeverPilesUp) {
  platform.SetFinderTimer(15);
  Driver().LetTimerPeriodsPass();
  platform.PumpMessages();
  EXPECT_EQ(handler.finderFrames, 1);
  EXPECT_EQ(handler.ticks, 0) << "the tick's timer is off";
  platform.SetFinderTimer(0);
}

TEST_F(HotkeyWatchFinder, AStoppedFrameTimersDueFrameIsDropped) {
  platform.SetFinderTimer(15);
  Driver().LetTimerPeriodsPass();
  platform.SetFinderTimer(0);
  platform.PumpMessages();
  EXPECT_EQ(handler.finderFrames, 0);
}

TEST_F(HotkeyWatchFinder, TheFrameTakesNeitherTheForegroundNorTheMarkersPlace) {
  const WindowHandle front = Window("front", Rect{200, 200, 400, 300});
  ASSERT_TRUE(platform.SetForegroundWindow(front));
  Driver().LetSecondThreadCatchUp();
  Rect markerBefore;
  platform.GetWindowRect(platform.MarkerWindow(), markerBefore);

  for (const Rect& outer : {Rect{0, 0, 800, 600}, Rect{190, 190, 410, 310}}) {
    platform.ShowFinderFrame(outer, 6, 0x00FF00);
    platform.PumpMessages();
    EXPECT_EQ(platform.GetForegroundWindow(), front);
  }
  platform.HideFinderFrame();
  platform.PumpMessages();
  EXPECT_EQ(platform.GetForegroundWindow(), front);
  Rect markerAfter;
  platform.GetWindowRect(platform.MarkerWindow(), markerAfter);
  EXPECT_EQ(markerAfter, markerBefore);
  EXPECT_FALSE(platform.IsWindowVisible(platform.MarkerWindow()));
}

TEST_F(HotkeyWatchFinder, ABalloonNeedsTheIcon) {
  const NotifyIconData icon = testing::ProgramIconRecord(platform.MarkerWindow());
  NotifyIconData balloon = icon;
  balloon.flags = nif::Info;
  balloon.infoTitle = "Sevalune: no hotkey";
  balloon.info = std::string(300, 'x');  // longer than the record holds: cut
  balloon.infoFlags = kBalloonWarning;
  EXPECT_FALSE(platform.ShellNotifyIcon(TrayMessage::Modify, balloon)) << "no icon yet";
  ASSERT_TRUE(platform.ShellNotifyIcon(TrayMessage::Add, icon));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Modify, balloon));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Delete, icon));
}

}  // namespace
}  // namespace sevalune::contract
