#include "tray/MenuCommands.h"

#include <array>

#include "platform/AppIdentity.h"
#include "platform/TextBuffers.h"
#include "settings/LanguageInUse.h"

namespace sevalune {
namespace {

constexpr std::array<MenuCommand, 5> kMenuOrder{MenuCommand::Help, MenuCommand::About,
                                                MenuCommand::WindowClass, MenuCommand::Quit,
                                                MenuCommand::OnOff};
constexpr int kQuitExitCode = 0;

constexpr LocalText kHelpFile{kEnglishHelpFileName, kHelpFileName};
constexpr LocalText kAboutTitle{"About Sevalune", "バージョン情報"};
constexpr LocalText kMethodOld{"(running by the old method)", "（旧方式にて動作中）"};
constexpr LocalText kMethodNew{"(running by the new method)", "（新方式にて動作中）"};
// The prompt is the form in which the settings file's class lists name a window.
constexpr LocalText kClassNamePrompt{"ClassName=", "ClassName="};
constexpr LocalText kClassNameTitle{"Class name of the active window",
                                    "アクティブウィンドウのクラス名情報"};

Language LanguageOf(Tray& tray) { return LanguageInUse(tray.platform, tray.settings); }

void mnuHelp_Click(Tray& tray) {
  Platform& platform = tray.platform;
  platform.ShellExecute(platform.EnsureMenuForm(), "open", In(LanguageOf(tray), kHelpFile), "",
                        platform.ExecutableDirectory(), kShowNormal);
}

void mnuAbout_Click(Tray& tray) {
  const Language language = LanguageOf(tray);
  tray.platform.MessageBox(AboutText(tray.state.method, language), In(language, kAboutTitle),
                           kBoxOk);
}

void mnuWClass_Click(Tray& tray) {
  Platform& platform = tray.platform;
  const std::string name = platform.GetClassName(tray.state.lastActiveWindow, kClassNameBuffer);
  const Language language = LanguageOf(tray);
  platform.InputBox(In(language, kClassNamePrompt), In(language, kClassNameTitle), name);
}

void mnuQuit_Click(Tray& tray) {
  Form_Unload(tray);
  tray.platform.Quit(kQuitExitCode);
}

void mnuOnOff_Click(Tray& tray) { tray.state.isEnabled = !tray.state.isEnabled; }

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

std::string AboutText(LocationMethod method, Language language) {
  const LocalText& mode = method == LocationMethod::AttachThreadInput ? kMethodOld : kMethodNew;
  return std::string(kAppTitle) + "\r" + std::string(kCopyrightLine) + "\r" +
         std::string(In(language, mode));
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
    case MenuCommand::None:
      break;
  }
  return AfterCommand::GoOn;
}

}  // namespace sevalune
