#include "tray/PopupMenu.h"

#include "platform/AppIdentity.h"
#include "platform/MessagePump.h"
#include "tray/MenuCommands.h"

namespace sevalune {
namespace {

// Let the menu window's activation settle before the menu is tracked, so that the menu
// opens in front and closes when the user clicks elsewhere.
constexpr int kPumpPassesBeforeMenu = 501;
// Let the closed menu's last messages (and the WM_NULL posted after it) be handled before
// the ticks resume.
constexpr int kPumpPassesAfterMenu = 500;

}  // namespace

void RunPopupMenu(Tray& tray) {
  Platform& platform = tray.platform;
  AppState& state = tray.state;
  if (state.menuIsOpen) return;
  state.menuIsOpen = true;

  // The injected key press counts as the program's own input, which lets it bring its
  // menu window to the foreground; the menu then closes when the user clicks elsewhere.
  platform.InjectSpaceKey();
  platform.SetForegroundWindow(platform.EnsureMenuForm());
  tray.marker.HideTopmost();
  if (!PumpMessagesRepeatedly(platform, kPumpPassesBeforeMenu)) return;
  state.trayWindow = platform.FindWindow(kTaskbarClass, std::nullopt);

  const int chosen = platform.TrackPopupMenu(platform.EnsureMenuForm(), TrayMenuItems(state));
  if (RunMenuCommand(tray, CommandAt(chosen)) == AfterCommand::Quit) return;

  tray.icon.Modify(state.isEnabled);
  platform.SetWindowPos(platform.EnsureMenuForm(), kInsertTopmost, 0, 0, 0, 0, swp::NoActivate);
  platform.DestroyMenuForm();
  tray.marker.HideTopmost();
  if (!PumpMessagesRepeatedly(platform, kPumpPassesAfterMenu)) return;
  state.menuIsOpen = false;
}

}  // namespace sevalune
