#include "app/StartUp.h"

#include <variant>

#include "app/AppIdentity.h"
#include "tray/TrayIcon.h"
#include "winquery/WindowQueries.h"

namespace sevalune {
namespace {

constexpr int kStartMarkerWidth = 15;
constexpr int kStartMarkerHeight = 6;
constexpr int kSettingsFailureExitCode = 1;

void ApplySettings(Program& program, const Settings& settings) {
  program.settings = settings;
  program.state.CaretColor = settings.CaretColor;
  program.state.CaretImeColor = settings.CaretImeColor;
  program.state.PartsColor = settings.PartsColor;
  program.state.PartsImeColor = settings.PartsImeColor;
  program.state.MenuColor = settings.MenuColor;
  program.platform.SetTimerPeriod(settings.TickPeriodMs);
}

// Reads the settings file; a value that cannot be taken is shown in a box, and the
// process ends before the tray icon or the timer exist.
void LoadSettings(Program& program) {
  Platform& platform = program.platform;
  const std::variant<Settings, SettingsFailure> result = ReadSettings(platform);
  if (const auto* failure = std::get_if<SettingsFailure>(&result)) {
    platform.MessageBox(SettingsFailureText(*failure), kAppTitle, kBoxStop);
    platform.ExitProcess(kSettingsFailureExitCode);
  }
  ApplySettings(program, std::get<Settings>(result));
}

}  // namespace

void Form_Load(Program& program) {
  Platform& platform = program.platform;
  if (platform.AnotherInstanceRunning()) platform.ExitProcess(0);
  if (NeedsOldMethod(platform)) program.state.PlatformMark = std::string(kOldMethodMark);
  program.PrevForegroundWindow = platform.GetForegroundWindow();

  platform.ShowWindow(platform.MarkerWindow(), kShowHide);
  // Never activating: the window the user works in keeps the keyboard throughout start-up
  // (the foreground is still handed back below, in case anything else took it).
  platform.SetWindowPos(platform.MarkerWindow(), kInsertTopmost, 0, 0, kStartMarkerWidth,
                        kStartMarkerHeight, swp::NoActivate);
  platform.SetWindowPos(platform.MarkerWindow(), kInsertTopmost, 0, 0, 0, 0,
                        swp::NoSize | swp::NoMove | swp::NoActivate | swp::ShowWindow);
  LoadSettings(program);

  platform.SetForegroundWindow(program.PrevForegroundWindow);
  program.AppWindow = platform.FindWindow(std::nullopt, kAppTitle);
  program.state.TrayWindow = platform.FindWindow(kTaskbarClass, std::nullopt);
  program.state.IsEnabled = true;
  NotifyTrayIcon(program, TrayMessage::Add);
  platform.EnableTimer(true);
}

}  // namespace sevalune
