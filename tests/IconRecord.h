// The record of the program's tray icon as the tray adds it, for tests that call
// ShellNotifyIcon themselves: its marker window, id 1, the mouse-move callback, a picture
// and a tip.
#pragma once

#include <string>
#include <utility>

#include "platform/Platform.h"

namespace sevalune::testing {

inline NotifyIconData ProgramIconRecord(WindowHandle marker,
                                        TrayPicture picture = TrayPicture::Enabled,
                                        std::string tip = "sevalune") {
  NotifyIconData icon;
  icon.window = marker;
  icon.id = 1;
  icon.flags = nif::Message | nif::Icon | nif::Tip;
  icon.callbackMessage = kMsgMouseMove;
  icon.picture = picture;
  icon.tip = std::move(tip);
  return icon;
}

}  // namespace sevalune::testing
