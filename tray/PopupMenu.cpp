#include "tray/PopupMenu.h"

#include "platform/AppIdentity.h"
#include "platform/MessagePump.h"
#include "tray/MenuCommands.h"

namespace sevalune {
namespace {

// Pump passes (0 to 500) for the menu window's activation to settle, so the menu opens in front.
constexpr int kPumpPassesBeforeMenu = 501;
// Pump passes (1 to 500) for the closed menu's last messages and its WM_NULL, before ticks resume.
constexpr int kPumpPassesAfterMenu = 500;

// The menu closes when the user clicks elsewhere only if its owner is the foreground
// window. The shell lets the icon's owner take the foreground when it reports a click, so
// the first call normally succeeds. Only when it is refused does the program inject a key
// press, one that types nothing: the system then counts this process as the one that
// received the last input event and lets the second call through.
void BringMenuFormToFront(Platform& platform) {
  const WindowHandle menuForm = platform.EnsureMenuForm();
  if (platform.SetForegroundWindow(menuForm)) return;
  platform.InjectUnassignedKey();
  platform.SetForegroundWindow(menuForm);
}

}  // namespace

MenuCommand RunPopupMenu(Tray& tray) {
  Platform& platform = tray.platform;
  AppState& state = tray.state;
  if (state.menuIsOpen) return MenuCommand::None;
  state.menuIsOpen = true;

  BringMenuFormToFront(platform);
  tray.marker.ShrinkOnTop();
  if (!PumpMessagesRepeatedly(platform, kPumpPassesBeforeMenu)) return MenuCommand::None;
  state.trayWindow = platform.FindWindow(kTaskbarClass, std::nullopt);

  const int chosen = platform.TrackPopupMenu(platform.EnsureMenuForm(), TrayMenuItems(state));
  const MenuCommand command = CommandAt(chosen);
  if (RunMenuCommand(tray, command) == AfterCommand::Quit) return MenuCommand::Quit;

  tray.icon.Modify(state.isEnabled);
  platform.SetWindowPos(platform.EnsureMenuForm(), kInsertTopmost, 0, 0, 0, 0, swp::NoActivate);
  platform.DestroyMenuForm();
  tray.marker.ShrinkOnTop();
  if (!PumpMessagesRepeatedly(platform, kPumpPassesAfterMenu)) return MenuCommand::None;
  state.menuIsOpen = false;
  return command;
}

}  // namespace sevalune
