// Settings that apply at once, where a scenario's lines do not reach: a change noticed in
// the middle of a tick, the two readings of a file, and what start-up leaves for the watch.
#include <string>

#include "CoreTestDesktop.h"
#include "settings/Settings.h"

namespace sevalune::sim {
namespace {

constexpr Color kGreen = 0x00FF00;
const std::string kGreenFile = "[Sevalune]\r\nIro=00FF00,0000FF,FF00FF,0000FF,00FFFF\r\n";

using CoreSettingsReloadTest = StartedCoreDesktopTest;

TEST_F(CoreSettingsReloadTest, AChangeNoticedDuringATickAppliesAtTheNextOne) {
  PutSettings(kGreenFile);
  // The settle timer comes due while the tick pumps messages.
  bool settled = false;
  desktop.SetCallHook([&](std::string_view call) {
    if (call != "PumpMessages" || settled) return;
    settled = true;
    desktop.SettleFileChanges();
  });
  Tick();
  desktop.SetCallHook(nullptr);
  ASSERT_TRUE(settled);
  EXPECT_TRUE(core().reload.pending());
  EXPECT_EQ(State(), Tracking()) << "the tick that was running kept the settings it began with";
  Tick();
  EXPECT_FALSE(core().reload.pending());
  EXPECT_EQ(State().color, kGreen);
  EXPECT_EQ(core().settings.colors.caret, kGreen);
}

TEST_F(CoreSettingsReloadTest, TheFileIsReadTwiceAndNothingMoreIsDone) {
  PutSettings(kGreenFile);
  const std::uint64_t start = desktop.CallCount("GetPrivateProfileString");
  ReadSettings(process());
  const std::uint64_t oneReading = desktop.CallCount("GetPrivateProfileString") - start;
  desktop.SettleFileChanges();
  EXPECT_EQ(desktop.CallCount("GetPrivateProfileString") - start, 3 * oneReading);
  EXPECT_EQ(CountEvents(""), 0u) << "no platform call that shows anything";
  EXPECT_EQ(process().TimerPeriod(), 110u);
}

TEST_F(CoreSettingsReloadTest, TheRunningSettingsAreWhatAChangeIsComparedWith) {
  // Written again as start-up read it (no file: every default): nothing to apply.
  PutSettings("[Sevalune]\r\nIro=FF00FF,0000FF,FF00FF,0000FF,00FFFF\r\n");
  desktop.SettleFileChanges();
  EXPECT_FALSE(core().reload.pending());
  EXPECT_TRUE(core().reload.watching());
}

TEST_F(CoreSettingsReloadTest, ASecondInstanceDoesNotDisturbTheWatch) {
  {
    SimProgram second(desktop, {kSecondProcess, kSecondThread,
                                std::string(SimPlatform::kDefaultExecutableDirectory)});
    second.Start();
    ASSERT_TRUE(second.Ended());
  }
  desktop.SettleFileChanges();
  EXPECT_FALSE(core().reload.pending());
  PutSettings(kGreenFile);
  desktop.SettleFileChanges();
  EXPECT_TRUE(core().reload.pending());
}

}  // namespace
}  // namespace sevalune::sim
