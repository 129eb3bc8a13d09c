#include "tray/MenuCommands.h"

#include <array>

#include "app/AppIdentity.h"
#include "tray/TrayIcon.h"

namespace sevalune {
namespace {

constexpr std::array<MenuCommand, 5> kMenuOrder{MenuCommand::Help, MenuCommand::About,
                                                MenuCommand::WindowClass, MenuCommand::Quit,
                                                MenuCommand::OnOff};
constexpr int kClassBufferSize = 100;

void mnuHelp_Click(Program& program) {
  Platform& platform = program.platform;
  platform.ShellExecute(platform.MenuFormWindow(), "open", kHelpFileName, "",
                        platform.ExecutableDirectory(), kShowNormal);
}

void mnuAbout_Click(Program& program) {
  program.platform.MessageBox(AboutText(program.state), "バージョン情報", kBoxOk);
}

void mnuWClass_Click(Program& program) {
  Platform& platform = program.platform;
  const std::string name = platform.GetClassName(program.state.LastActiveWindow, kClassBufferSize);
  platform.InputBox("ClassName=", "アクティブウィンドウのクラス名情報", name);
}

void mnuQuit_Click(Program& program) {
  Form_Unload(program);
  program.platform.ExitProcess(0);
}

void mnuOnOff_Click(Program& program) { program.state.IsEnabled = !program.state.IsEnabled; }

}  // namespace

std::vector<PopupMenuItem> TrayMenuItems(const AppState& state) {
  return {{"&Help...", false},
          {"&About...", false},
          {"&WindowClass...", false},
          {"&Quit", false},
          {"&Enabled(toggle)", state.IsEnabled}};
}

MenuCommand CommandAt(int index) {
  if (index < 1 || index > static_cast<int>(kMenuOrder.size())) return MenuCommand::None;
  return kMenuOrder[static_cast<std::size_t>(index - 1)];
}

std::string AboutText(const AppState& state) {
  const std::string method = state.PlatformMark == kOldMethodMark ? "（旧" : "（新";
  return std::string(kAppTitle) + "\r" + std::string(kCopyrightLine) + "\r" + method +
         "方式にて動作中）";
}

void RunMenuCommand(Program& program, MenuCommand command) {
  switch (command) {
    case MenuCommand::Help:
      return mnuHelp_Click(program);
    case MenuCommand::About:
      return mnuAbout_Click(program);
    case MenuCommand::WindowClass:
      return mnuWClass_Click(program);
    case MenuCommand::Quit:
      return mnuQuit_Click(program);
    case MenuCommand::OnOff:
      return mnuOnOff_Click(program);
    case MenuCommand::None:
      break;
  }
}

}  // namespace sevalune
