// The five commands of the tray menu.
#pragma once

#include <string>
#include <vector>

#include "settings/Language.h"
#include "tracking/AppState.h"
#include "tray/Tray.h"

namespace sevalune {

enum class MenuCommand { None, Help, About, WindowClass, Quit, OnOff };

// Whether the menu step goes on after a command, or the program is quitting.
enum class AfterCommand { GoOn, Quit };

// The menu's items in order; the last carries the check mark while tracking is on.
std::vector<PopupMenuItem> TrayMenuItems(const AppState& state);

// The command of a 1-based menu index (0 or out of range: None).
MenuCommand CommandAt(int index);

// The text of the About box: title, copyright and the location method in force, joined
// by carriage returns alone.
std::string AboutText(LocationMethod method, Language language);

AfterCommand RunMenuCommand(Tray& tray, MenuCommand command);

}  // namespace sevalune
