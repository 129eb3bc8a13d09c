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

void ShowHelp(Program& program) {
  Platform& platform = program.platform;
  platform.ShellExecute(platform.MenuFormWindow(), "open", kHelpFileName, "",
                        platform.ExecutableDirectory(), kShowNormal);
}

void ShowAbout(Program& program) {
  program.platform.MessageBox(AboutText(program.state), "バージョン情報", kBoxOk);
}

void ShowWindowClass(Program& program) {
  Platform& platform = program.platform;
  const std::string name = platform.GetClassName(program.state.lastActiveWindow, kClassBufferSize);
  platform.InputBox("ClassName=", "アクティブウィンドウのクラス名情報", name);
}

void Quit(Program& program) {
  RemoveTrayIcon(program);
  program.platform.ExitProcess(0);
}

void ToggleTracking(Program& program) { program.state.isEnabled = !program.state.isEnabled; }

}  // namespace

std::vector<PopupMenuItem> TrayMenuItems(const AppState& state) {
  return {{"&Help...", false},
          {"&About...", false},
          {"&WindowClass...", false},
          {"&Quit", false},
          {"&Enabled(toggle)", state.isEnabled}};
}

MenuCommand CommandAt(int index) {
  if (index < 1 || index > static_cast<int>(kMenuOrder.size())) return MenuCommand::None;
  return kMenuOrder[static_cast<std::size_t>(index - 1)];
}

std::string AboutText(const AppState& state) {
  const std::string method = state.platformMark == kOldMethodMark ? "（旧" : "（新";
  return std::string(kAppTitle) + "\r" + std::string(kCopyrightLine) + "\r" + method +
         "方式にて動作中）";
}

void RunMenuCommand(Program& program, MenuCommand command) {
  switch (command) {
    case MenuCommand::Help: return ShowHelp(program);
    case MenuCommand::About: return ShowAbout(program);
    case MenuCommand::WindowClass: return ShowWindowClass(program);
    case MenuCommand::Quit: return Quit(program);
    case MenuCommand::OnOff: return ToggleTracking(program);
    case MenuCommand::None: break;
  }
}

}  // namespace sevalune
