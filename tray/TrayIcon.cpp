#include "tray/TrayIcon.h"

#include "app/AppIdentity.h"
#include "tray/PopupMenu.h"

namespace sevalune {

void NotifyTrayIcon(Program& program, TrayMessage message) {
  Platform& platform = program.platform;
  NotifyIconData& icon = program.TrayIconData;
  icon.window = platform.MarkerWindow();
  icon.id = kTrayIconId;
  icon.flags = nif::Message | nif::Icon | nif::Tip;
  icon.callbackMessage = kMsgMouseMove;
  icon.picture = program.state.IsEnabled ? TrayPicture::Enabled : TrayPicture::Disabled;
  icon.tip = std::string(kTrayTip);
  platform.ShellNotifyIcon(message, icon);
}

void Form_MouseMove(Program& program, std::uint32_t eventCode) {
  if (eventCode == kMsgLeftButtonUp || eventCode == kMsgRightButtonUp) RunPopupMenu(program);
}

void RestoreTrayIcon(Program& program) {
  // Until start-up has come to its icon (its settings box may still be up) there is
  // nothing to bring back: an icon added then would outlive the process that ends after
  // the box, and a click on it would open the menu in the middle of start-up.
  if (program.TrayIconData.window == 0) return;
  program.state.TrayWindow = program.platform.FindWindow(kTaskbarClass, std::nullopt);
  NotifyTrayIcon(program, TrayMessage::Add);
}

void Form_Unload(Program& program) {
  program.platform.ShellNotifyIcon(TrayMessage::Delete, program.TrayIconData);
}

}  // namespace sevalune
