#include "tray/PopupMenu.h"

#include "app/AppIdentity.h"
#include "marker/MarkerWindow.h"
#include "tracking/MessagePump.h"
#include "tray/MenuCommands.h"
#include "tray/TrayIcon.h"

namespace sevalune {
namespace {

constexpr int kPumpPassesBeforeMenu = 501;
constexpr int kPumpPassesAfterMenu = 500;

}  // namespace

void RunPopupMenu(Program& program) {
  Platform& platform = program.platform;
  AppState& state = program.state;
  if (state.MenuIsOpen) return;
  state.MenuIsOpen = true;

  // The injected key press counts as the program's own input, which lets it bring its
  // menu window to the foreground; the menu then closes when the user clicks elsewhere.
  platform.InjectSpaceKey();
  platform.SetForegroundWindow(platform.MenuFormWindow());
  HideMarkerTopmost(platform);
  PumpMessagesRepeatedly(platform, kPumpPassesBeforeMenu);
  state.TrayWindow = platform.FindWindow(kTaskbarClass, std::nullopt);

  const int chosen = platform.TrackPopupMenu(platform.MenuFormWindow(), TrayMenuItems(state));
  RunMenuCommand(program, CommandAt(chosen));

  NotifyTrayIcon(program, TrayMessage::Modify);
  platform.SetWindowPos(platform.MenuFormWindow(), kInsertTopmost, 0, 0, 0, 0, swp::NoActivate);
  platform.DestroyMenuForm();
  HideMarkerTopmost(platform);
  PumpMessagesRepeatedly(platform, kPumpPassesAfterMenu);
  state.MenuIsOpen = false;
}

}  // namespace sevalune
