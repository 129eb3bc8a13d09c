// The commands of the tray menu, by what they do.
#pragma once

namespace sevalune {

enum class MenuCommand { None, Help, About, WindowClass, Settings, Quit, OnOff };

}  // namespace sevalune
