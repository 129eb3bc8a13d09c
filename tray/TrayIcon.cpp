#include "tray/TrayIcon.h"

#include "platform/AppIdentity.h"

namespace sevalune {

TrayIcon::TrayIcon(Platform& platform) : platform_(platform) {}

void TrayIcon::Add(bool trackingOn) {
  Send(TrayMessage::Add, trackingOn);
  added_ = true;
}

void TrayIcon::Modify(bool trackingOn) { Send(TrayMessage::Modify, trackingOn); }

void TrayIcon::Delete() {
  platform_.ShellNotifyIcon(TrayMessage::Delete, record_);
  added_ = false;
}

void TrayIcon::Restore(bool trackingOn) {
  // Until start-up has come to its icon (its settings box may still be up) there is
  // nothing to bring back: an icon added then would outlive the process that ends after
  // the box, and a click on it would open the menu in the middle of start-up.
  if (added_) Send(TrayMessage::Add, trackingOn);
}

void TrayIcon::ShowBalloon(std::string_view title, std::string_view text) {
  if (!added_) return;
  // Only the balloon's members change; the icon, tip and callback stay as last sent.
  NotifyIconData balloon = record_;
  balloon.flags = nif::Info;
  balloon.infoTitle = std::string(title);
  balloon.info = std::string(text);
  balloon.infoFlags = kBalloonWarning;
  platform_.ShellNotifyIcon(TrayMessage::Modify, balloon);
}

void TrayIcon::Send(TrayMessage message, bool trackingOn) {
  record_.window = platform_.MarkerWindow();
  record_.id = kTrayIconId;
  record_.flags = nif::Message | nif::Icon | nif::Tip;
  // The shell reports mouse events on the icon as this message to the main window.
  record_.callbackMessage = kMsgMouseMove;
  record_.picture = trackingOn ? TrayPicture::Enabled : TrayPicture::Disabled;
  record_.tip = std::string(kTrayTip);
  platform_.ShellNotifyIcon(message, record_);
}

}  // namespace sevalune
