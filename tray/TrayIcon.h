// The notification-area icon: the program's only handle for the user.
#pragma once

#include <cstdint>

#include "app/Program.h"

namespace sevalune {

inline constexpr std::uint32_t kTrayIconId = 1;

// Fills the icon record afresh (window, id, callback, picture for the current tracking
// state, tip) and sends it to the shell.
void NotifyTrayIcon(Program& program, TrayMessage message);

// The icon's callback: the shell reports the mouse event over the icon as the x of a
// mouse-move message. A released left or right button opens the pop-up menu.
void Form_MouseMove(Program& program, std::uint32_t eventCode);

// The task bar was created anew (the shell restarted): it has forgotten the icon, which
// is added again with its current picture. Before start-up has added it, nothing happens.
void RestoreTrayIcon(Program& program);

// The main window's unload: the icon is removed.
void Form_Unload(Program& program);

}  // namespace sevalune
