#include "tray/Tray.h"

#include "platform/AppIdentity.h"
#include "tray/PopupMenu.h"

namespace sevalune {

MenuCommand OnTrayIconCallback(Tray& tray, std::uint32_t eventCode) {
  if (eventCode == kMsgLeftButtonUp || eventCode == kMsgRightButtonUp) return RunPopupMenu(tray);
  return MenuCommand::None;
}

void RestoreTrayIcon(Tray& tray) {
  if (!tray.icon.added()) return;
  tray.state.trayWindow = tray.platform.FindWindow(kTaskbarClass, std::nullopt);
  tray.icon.Restore(tray.state.isEnabled);
}

void Form_Unload(Tray& tray) { tray.icon.Delete(); }

}  // namespace sevalune
