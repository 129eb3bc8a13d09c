#include "app/StartUp.h"

#include <variant>

#include "platform/AppIdentity.h"
#include "settings/LanguageInUse.h"

namespace sevalune {
namespace {

constexpr int kStartMarkerWidth = 15;
constexpr int kStartMarkerHeight = 6;
constexpr int kSecondInstanceExitCode = 0;
constexpr int kSettingsFailureExitCode = 1;

// Reads the settings file; a value that cannot be taken is shown in a box. False then:
// the program quits before the tray icon or the timer exist.
bool LoadSettings(Program& program) {
  Platform& platform = program.platform;
  std::variant<Settings, SettingsFailure> result = ReadSettings(platform);
  if (const auto* failure = std::get_if<SettingsFailure>(&result)) {
    // The box speaks the language the file asks for, if it names one.
    platform.MessageBox(SettingsFailureText(*failure, LanguageOfSettingsFile(platform)), kAppTitle,
                        kBoxStop);
    platform.Quit(kSettingsFailureExitCode);
    return false;
  }
  program.settings = std::move(std::get<Settings>(result));
  platform.SetTimerPeriod(program.settings.tickPeriodMs);
  // The accessibility rounds get ready now rather than at the first program without a
  // system caret: what they need is loaded once, at start-up, and nothing grows later.
  if (program.settings.accessibility) platform.QueryAccessible(0, 0);
  return true;
}

}  // namespace

void Form_Load(Program& program) {
  Platform& platform = program.platform;
  if (platform.AnotherInstanceRunning()) return platform.Quit(kSecondInstanceExitCode);
  program.state.method = ProbeLocationMethod(platform);
  const WindowHandle previousForeground = platform.GetForegroundWindow();

  platform.ShowWindow(platform.MarkerWindow(), kShowHide);
  // Never activating: the window the user works in keeps the keyboard throughout start-up
  // (the foreground is still handed back below, in case anything else took it).
  platform.SetWindowPos(platform.MarkerWindow(), kInsertTopmost, 0, 0, kStartMarkerWidth,
                        kStartMarkerHeight, swp::NoActivate);
  platform.SetWindowPos(platform.MarkerWindow(), kInsertTopmost, 0, 0, 0, 0,
                        swp::NoSize | swp::NoMove | swp::NoActivate | swp::ShowWindow);
  if (!LoadSettings(program)) return;

  platform.SetForegroundWindow(previousForeground);
  program.state.appWindow = platform.FindWindow(std::nullopt, kAppTitle);
  program.state.trayWindow = platform.FindWindow(kTaskbarClass, std::nullopt);
  program.state.isEnabled = true;
  program.tray.icon.Add(program.state.isEnabled);
  // After the icon: a balloon needs it.
  program.hotkey.Register(program.settings);
  program.reload.Watch();
  platform.EnableTimer(true);
}

}  // namespace sevalune
