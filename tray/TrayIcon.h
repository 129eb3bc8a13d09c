// The notification-area icon: the program's only handle for the user. This object owns
// the icon's record and is the only one to send it to the shell.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Platform.h"

namespace sevalune {

inline constexpr std::uint32_t kTrayIconId = 1;

class TrayIcon {
 public:
  explicit TrayIcon(Platform& platform);
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Each fills the record afresh (window, id, callback, the picture for the tracking
  // state, tip) and sends it.
  void Add(bool trackingOn);
  void Modify(bool trackingOn);
  // Removes the icon, with the record as last sent.
  void Delete();
  // The task bar was created anew and has forgotten the icon: adds it again. Before the
  // first Add, and after Delete, there is nothing to bring back.
  void Restore(bool trackingOn);
  // A balloon over the icon with a warning symbol, shown once: the record keeps no trace
  // of it, so later changes and a restored icon do not show it again. Nothing while the
  // icon is not there.
  void ShowBalloon(std::string_view title, std::string_view text);

  bool added() const { return added_; }

 private:
  void Send(TrayMessage message, bool trackingOn);

  Platform& platform_;
  NotifyIconData record_;
  bool added_ = false;
};

}  // namespace sevalune
