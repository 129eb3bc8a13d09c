#include "tray/MenuCommands.h"

#include <array>

#include "platform/AppIdentity.h"
#include "platform/TextBuffers.h"

namespace sevalune {
namespace {

constexpr std::array<MenuCommand, 6> kMenuOrder{MenuCommand::Help,        MenuCommand::About,
                                                MenuCommand::WindowClass, MenuCommand::Settings,
                                                MenuCommand::Quit,        MenuCommand::OnOff};
constexpr int kQuitExitCode = 0;

void mnuHelp_Click(Tray& tray) {
  Platform& platform = tray.platform;
  platform.ShellExecute(platform.EnsureMenuForm(), "open", kHelpFileName, "",
                        platform.ExecutableDirectory(), kShowNormal);
}

void mnuAbout_Click(Tray& tray) {
  tray.platform.MessageBox(AboutText(tray.state.method), "バージョン情報", kBoxOk);
}

void mnuWClass_Click(Tray& tray) {
  Platform& platform = tray.platform;
  const std::string name = platform.GetClassName(tray.state.lastActiveWindow, kClassNameBuffer);
  platform.InputBox("ClassName=", "アクティブウィンドウのクラス名情報", name);
}

void mnuQuit_Click(Tray& tray) {
  Form_Unload(tray);
  tray.platform.Quit(kQuitExitCode);
}

void mnuOnOff_Click(Tray& tray) { tray.state.isEnabled = !tray.state.isEnabled; }

}  // namespace

std::vector<PopupMenuItem> TrayMenuItems(const AppState& state) {
  return {
      {"&Help...", false},     {"&About...", false}, {"&WindowClass...", false},
      {"&Settings...", false}, {"&Quit", false},     {"&Enabled(toggle)", state.isEnabled},
  };
}

MenuCommand CommandAt(int index) {
  if (index < 1 || index > static_cast<int>(kMenuOrder.size())) return MenuCommand::None;
  return kMenuOrder[static_cast<std::size_t>(index - 1)];
}

std::string AboutText(LocationMethod method) {
  const std::string mode = method == LocationMethod::AttachThreadInput ? "（旧" : "（新";
  return std::string(kAppTitle) + "\r" + std::string(kCopyrightLine) + "\r" + mode +
         "方式にて動作中）";
}

AfterCommand RunMenuCommand(Tray& tray, MenuCommand command) {
  switch (command) {
    case MenuCommand::Help:
      mnuHelp_Click(tray);
      break;
    case MenuCommand::About:
      mnuAbout_Click(tray);
      break;
    case MenuCommand::WindowClass:
      mnuWClass_Click(tray);
      break;
    case MenuCommand::Quit:
      mnuQuit_Click(tray);
      return AfterCommand::Quit;
    case MenuCommand::OnOff:
      mnuOnOff_Click(tray);
      break;
    case MenuCommand::Settings:  // the program opens the window once the menu step is over
    case MenuCommand::None:
      break;
  }
  return AfterCommand::GoOn;
}

}  // namespace sevalune
