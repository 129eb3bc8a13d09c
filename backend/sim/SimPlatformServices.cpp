// The shell, profile and windowing-layer calls of a simulated process: the tray icon,
// documents, the settings file, the program's own windows, timer, boxes and menus.
#include <string>

#include "backend/sim/CaseFold.h"
#include "backend/sim/EventText.h"
#include "backend/sim/ProfileReader.h"
#include "backend/sim/SimPlatform.h"
#include "platform/ScopedFlag.h"

namespace sevalune::sim {
namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr std::uint32_t kBoxButtonsMask = 0xF;
constexpr std::intptr_t kShellExecuteSuccess = 42;  // anything above 32 means success
constexpr std::intptr_t kShellExecuteFileNotFound = 2;

bool IsAbsolutePath(std::string_view path) {
  return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\");
}

// A relative document name is looked for in the given folder.
std::string DocumentPath(std::string_view file, std::string_view directory) {
  if (IsAbsolutePath(file) || directory.empty()) return std::string(file);
  std::string path(directory);
  if (path.back() != '\\') path += '\\';
  return path + std::string(file);
}

std::string_view TrayVerb(TrayMessage message) {
  switch (message) {
    case TrayMessage::Add:
      return "add";
    case TrayMessage::Modify:
      return "modify";
    case TrayMessage::Delete:
      return "delete";
  }
  return "?";
}

std::string JoinedCaptions(const std::vector<PopupMenuItem>& items) {
  std::string joined;
  for (const PopupMenuItem& item : items) {
    if (!joined.empty()) joined += '|';
    joined += item.caption;
  }
  return joined;
}

std::string CheckedCaption(const std::vector<PopupMenuItem>& items) {
  for (const PopupMenuItem& item : items) {
    if (item.checked) return item.caption;
  }
  return {};
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The word a scenario names an item by: the caption without its "&" mnemonic marks and
// without a trailing "..." or "(toggle)".
std::string ItemKeyword(std::string_view caption) {
  std::string keyword;
  for (const char c : caption) {
    if (c != '&') keyword.push_back(c);
  }
  for (const std::string_view suffix : {"...", "(toggle)"}) {
    if (EndsWith(keyword, suffix)) keyword.resize(keyword.size() - suffix.size());
  }
  return keyword;
}

int IndexOfItem(const std::vector<PopupMenuItem>& items, std::string_view keyword) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (EqualIgnoringCase(ItemKeyword(items[i].caption), keyword)) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace

// --- shell32 ----------------------------------------------------------------------------

bool SimPlatform::ShellNotifyIcon(TrayMessage message, const NotifyIconData& data) {
  if (!Enter("ShellNotifyIcon")) return false;
  bool done = false;
  switch (message) {
    case TrayMessage::Add:
      done = desktop_.Taskbar() != 0 && desktop_.Tray().Add(data);
      break;
    case TrayMessage::Modify:
      done = desktop_.Tray().Modify(data);
      break;
    case TrayMessage::Delete:
      done = desktop_.Tray().Delete(data.window, data.id);
      break;
  }
  desktop_.Emit("icon " + std::string(TrayVerb(message)) + " " +
                (data.picture == TrayPicture::Enabled ? "on" : "off"));
  if (done && (data.flags & nif::Info) != 0) {
    desktop_.Emit("balloon title=" + Quoted(data.infoTitle) + " text=" + Quoted(data.info));
  }
  return done;
}

std::intptr_t SimPlatform::ShellExecute(WindowHandle /*owner*/, std::string_view verb,
                                        std::string_view file, std::string_view /*parameters*/,
                                        std::string_view directory, int /*showCommand*/) {
  if (!Enter("ShellExecute")) return 0;
  desktop_.Emit("shell verb=" + Quoted(verb) + " file=" + Quoted(file) +
                " dir=" + Quoted(directory));
  return desktop_.Files().Exists(DocumentPath(file, directory)) ? kShellExecuteSuccess
                                                                : kShellExecuteFileNotFound;
}

// --- kernel32 ---------------------------------------------------------------------------

std::uint16_t SimPlatform::GetUserDefaultUILanguage() {
  Enter("GetUserDefaultUILanguage");
  return desktop_.UiLanguage();
}

ProfileString SimPlatform::GetPrivateProfileString(std::string_view section, std::string_view key,
                                                   std::string_view defaultValue,
                                                   std::size_t bufferSize,
                                                   std::string_view fileName) {
  if (!Enter("GetPrivateProfileString")) return {};
  const std::optional<std::string_view> bytes = desktop_.Files().Read(fileName);
  if (bytes) return ReadProfileString(*bytes, section, key, defaultValue, bufferSize);
  // A file that does not exist reads as an empty one; one that cannot be opened (a
  // directory, a locked file) gives the default as it is.
  if (!desktop_.Files().Exists(fileName)) {
    return ReadProfileString({}, section, key, defaultValue, bufferSize);
  }
  return DefaultProfileString(defaultValue, bufferSize);
}

// --- windowing layer --------------------------------------------------------------------

WindowHandle SimPlatform::MarkerWindow() {
  if (!Enter("MarkerWindow")) return 0;
  return frmSevalune_;
}

WindowHandle SimPlatform::MenuFormWindow() {
  if (!Enter("MenuFormWindow")) return 0;
  return ExistingMenuForm();
}

WindowHandle SimPlatform::EnsureMenuForm() {
  if (!Enter("EnsureMenuForm")) return 0;
  if (desktop_.Window(frmMenu_) == nullptr) {
    frmMenu_ = CreateOwnWindow("menuform", "SevaluneMenu", "Sevalune Menu", false);
  }
  return frmMenu_;
}

void SimPlatform::DestroyMenuForm() {
  if (!Enter("DestroyMenuForm")) return;
  if (desktop_.Window(frmMenu_) != nullptr) desktop_.DestroyWindows({frmMenu_}, Cause::Program);
  frmMenu_ = 0;
}

std::string SimPlatform::TextBoxText() {
  if (!Enter("TextBoxText")) return {};
  const SimWindow* textBox = desktop_.Window(txtYokusi_);
  return textBox != nullptr ? textBox->title : std::string{};
}

Color SimPlatform::MarkerColor() {
  if (!Enter("MarkerColor")) return 0;
  return markerColor_;
}

void SimPlatform::SetMarkerColor(Color color) {
  if (!Enter("SetMarkerColor")) return;
  markerColor_ = color;
}

void SimPlatform::FollowCaret(ThreadId thread) {
  if (!Enter("FollowCaret")) return;
  followedThread_ = thread;
  watchedState_ = desktop_.GuiState(thread).value_or(GuiThreadInfo{});
}

void SimPlatform::WatchCaretOnce() {
  if (ended_ || QuitRequested() || followedThread_ == 0) return;
  const GuiThreadInfo now = desktop_.GuiState(followedThread_).value_or(GuiThreadInfo{});
  const bool moved = now.caret != watchedState_.caret || now.caretRect != watchedState_.caretRect ||
                     now.focus != watchedState_.focus;
  watchedState_ = now;
  if (moved) Notify(SimMessage::TargetMoved());
}

void SimPlatform::SetTimerPeriod(std::uint32_t milliseconds) {
  if (!Enter("SetTimerPeriod")) return;
  timerPeriod_ = milliseconds;
}

void SimPlatform::EnableTimer(bool enabled) {
  if (!Enter("EnableTimer")) return;
  timerEnabled_ = enabled;
}

int SimPlatform::MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) {
  if (!Enter("MessageBox")) return 0;
  desktop_.Emit("box title=" + Quoted(caption) + " text=" + Quoted(text) +
                " style=" + std::to_string(style));
  const std::optional<BoxAnswer> answer = desktop_.TakeBoxAnswer();
  if (!answer) return kIdOk;
  RunNestedTicks(answer->afterTicks);
  // A box with only an OK button answers OK however it is closed.
  const bool hasCancel = (style & kBoxButtonsMask) != kBoxOk;
  return (answer->ok || !hasCancel) ? kIdOk : kIdCancel;
}

std::optional<std::string> SimPlatform::InputBox(std::string_view prompt, std::string_view title,
                                                 std::string_view defaultText) {
  if (!Enter("InputBox")) return std::nullopt;
  desktop_.Emit("inputbox title=" + Quoted(title) + " prompt=" + Quoted(prompt) +
                " default=" + Quoted(defaultText));
  const std::optional<BoxAnswer> answer = desktop_.TakeBoxAnswer();
  if (!answer) return std::string(defaultText);
  RunNestedTicks(answer->afterTicks);
  if (!answer->ok) return std::nullopt;
  return std::string(defaultText);
}

void SimPlatform::InjectUnassignedKey() {
  if (!Enter("InjectUnassignedKey")) return;
  desktop_.NoteInjectedInput(process_);
  desktop_.Emit("key " + VirtualKeyName(kVirtualKeyUnassigned));
}

int SimPlatform::TrackPopupMenu(WindowHandle owner, const std::vector<PopupMenuItem>& items) {
  if (!Enter("TrackPopupMenu")) return 0;
  // A menu needs an owner window to send its commands to.
  if (desktop_.Window(owner) == nullptr) return 0;
  desktop_.Emit("menu items=" + Quoted(JoinedCaptions(items)) +
                " checked=" + Quoted(CheckedCaption(items)));
  const ScopedFlag open(menuOpen_);
  const std::optional<MenuAnswer> answer = desktop_.TakeMenuAnswer();
  if (!answer) return 0;
  RunNestedTicks(answer->afterTicks);
  return IndexOfItem(items, answer->item);
}

void SimPlatform::ShowFinderFrame(const Rect& outer, std::int32_t thickness, Color color) {
  if (!Enter("ShowFinderFrame")) return;
  finderFrame_ = SimFinderFrame{outer, thickness, color};
  desktop_.Emit("finder frame " + RectText(outer) + " thickness=" + std::to_string(thickness) +
                " color=" + ColorText(color));
}

void SimPlatform::HideFinderFrame() {
  if (!Enter("HideFinderFrame")) return;
  if (finderFrame_) desktop_.Emit("finder hide");
  finderFrame_.reset();
}

void SimPlatform::SetFinderTimer(std::uint32_t milliseconds) {
  if (!Enter("SetFinderTimer")) return;
  finderTimerPeriod_ = milliseconds;
}

bool SimPlatform::WatchSettingsFolder(std::string_view filePath, std::uint32_t /*settleMs*/) {
  if (!Enter("WatchSettingsFolder")) return false;
  const std::string folder = SimFiles::FolderOf(filePath);
  if (!desktop_.FolderWatching() || !desktop_.Files().FolderExists(folder)) {
    desktop_.Emit("watch failed dir=" + Quoted(folder));
    return false;
  }
  watchedFolder_ = folder;
  watchedChangesSeen_ = desktop_.Files().ChangesIn(folder);
  desktop_.Emit("watch dir=" + Quoted(folder));
  return true;
}

std::string SimPlatform::ExecutableDirectory() {
  if (!Enter("ExecutableDirectory")) return {};
  return executableDirectory_;
}

}  // namespace sevalune::sim
