#include "app/SettingsWindow.h"

#include <variant>

#include "platform/AppIdentity.h"
#include "settings/LanguageInUse.h"
#include "settings/ProfileEdit.h"

namespace sevalune {
namespace {

constexpr LocalText kTitle{"Sevalune settings", "Sevalune の設定"};
constexpr LocalText kCancel{"Cancel", "キャンセル"};
constexpr LocalText kApply{"&Apply", "適用(&A)"};
constexpr LocalText kPick{"Pick", "指定"};
constexpr LocalText kPickCountdown{"Point: %d", "指して: %d"};
constexpr LocalText kStartGroup{"Start with Windows", "Windows と一緒に起動"};
constexpr LocalText kStartLabel{"Start this copy of Sevalune with Windows",
                                "この Sevalune を Windows と一緒に起動する"};
constexpr LocalText kStartOther{
    "Windows starts another copy: {path}. Tick to start this copy instead.",
    "Windows は別の場所の Sevalune を起動します: {path}。チェックすると、こちらを起動します。"};
constexpr LocalText kChangedMeanwhile{
    "Another program changed {file} after this window read it. Write your changes into it "
    "anyway? (Its other changes are kept.)",
    "このウィンドウが読み込んだ後に、別のプログラムが {file} を変更しました。"
    "それでも変更を書き込みますか？（別のプログラムによる変更はそのまま残ります。）"};
constexpr LocalText kUnreadable{"{file} cannot be read. Nothing was written.",
                                "{file} を読み込めません。何も書き込んでいません。"};
constexpr LocalText kReadOnly{
    "{file} is read-only, so the settings were not saved. Nothing was written; your "
    "changes are still in this window. Folder: {folder}",
    "{file} は読み取り専用のため、設定を保存できませんでした。何も書き込んでいません。変更は"
    "このウィンドウに残っています。フォルダ: {folder}"};
constexpr LocalText kFolderNotWritable{
    "The folder {folder} cannot be written, so the settings were not saved. Nothing was "
    "written; your changes are still in this window. Put Sevalune in a folder you can "
    "write to (not under Program Files) to change its settings here.",
    "フォルダ {folder} に書き込めないため、設定を保存できませんでした。何も書き込んでいません。"
    "変更はこのウィンドウに残っています。ここで設定を変えるには、Sevalune を書き込める"
    "フォルダ（Program Files 以外）に置いてください。"};
constexpr LocalText kWriteFailed{
    "The settings could not be saved into {file} (the disk may be full, or another program "
    "holds the file). Nothing was written; your changes are still in this window.",
    "{file} に設定を保存できませんでした（ディスクがいっぱいか、別のプログラムがファイルを"
    "使用中です）。何も書き込んでいません。変更はこのウィンドウに残っています。"};
constexpr LocalText kRegistryFailed{
    "Start with Windows could not be changed in the registry.",
    "Windows と一緒に起動する設定をレジストリに書き込めませんでした。"};

constexpr std::string_view kStartFieldId = "StartWithWindows";

std::string Filled(Language language, const LocalText& text, std::string_view name,
                   std::string_view value) {
  std::string words(In(language, text));
  std::string marker(1, '{');
  marker += name;
  marker += '}';
  const std::size_t at = words.find(marker);
  if (at == std::string::npos) return words;
  std::string filled = words.substr(0, at);
  filled += value;
  filled += std::string_view(words).substr(at + marker.size());
  return filled;
}

AnsiCodec CodecOf(Platform& platform) {
  return {[&platform](std::string_view ansi) { return platform.AnsiToUtf8(ansi); },
          [&platform](std::string_view utf8) { return platform.Utf8ToAnsi(utf8); }};
}

bool SameFile(const FileBytes& a, const FileBytes& b) {
  return a.status == b.status && a.bytes == b.bytes;
}

}  // namespace

SettingsWindow::SettingsWindow(Platform& platform, const Settings& settings, SettingsReload& reload)
    : platform_(platform), settings_(settings), reload_(reload) {}

void SettingsWindow::Open() {
  if (model_) {
    platform_.RunSettingsWindow(form_, *this);
    return;
  }
  path_ = SettingsFilePath(platform_.ExecutableDirectory());
  fileAtOpen_ = platform_.ReadFileBytes(path_);
  // The file as it stands, or the settings in force when it holds a value they refused.
  const std::variant<Settings, SettingsFailure> reading = ReadSettings(platform_);
  const auto* read = std::get_if<Settings>(&reading);
  model_.emplace(read != nullptr ? *read : settings_, LanguageInUse(platform_, settings_));
  start_ = ReadStartWithWindows(platform_);

  const Language language = model_->language();
  form_ = model_->Form(StartGroup());
  form_.title = In(language, kTitle);
  form_.okText = "OK";
  form_.cancelText = In(language, kCancel);
  form_.applyText = In(language, kApply);
  form_.pickText = In(language, kPick);
  form_.pickCountdown = In(language, kPickCountdown);
  platform_.GetCursorPos(form_.openAt);
  platform_.RunSettingsWindow(form_, *this);
  model_.reset();
}

FormGroup SettingsWindow::StartGroup() const {
  const Language language = model_->language();
  FormField field;
  field.id = kStartFieldId;
  field.label = In(language, kStartLabel);
  field.control = FormControl::Check;
  field.text.assign(1, start_.state == StartState::Here ? '1' : '0');
  if (start_.state == StartState::OtherCopy) {
    field.note = Filled(language, kStartOther, "path", start_.command);
  }
  return {std::string(In(language, kStartGroup)), {std::move(field)}};
}

FormVerdict SettingsWindow::OnFormButton(FormButton /*button*/,
                                         const std::vector<std::string>& texts) {
  const FormCheck check = model_->Check(texts);
  if (check.refusedField) {
    Say(check.refusal, kBoxWarning);
    return {false, *check.refusedField};
  }
  if (!check.changes.empty() && !WriteChanges(check.changes)) return {false, std::nullopt};
  const std::size_t startField = model_->KeyFieldCount();
  if (startField < texts.size()) {
    const bool wanted = texts[startField] == "1";
    if (wanted != (start_.state == StartState::Here) && !WriteStartWithWindows(wanted)) {
      return {false, startField};
    }
  }
  model_->Applied(texts);
  return {true, std::nullopt};
}

bool SettingsWindow::WriteChanges(const std::vector<ProfileChange>& changes) {
  const Language language = model_->language();
  const std::string file(kSettingsFileName);
  const FileBytes now = platform_.ReadFileBytes(path_);
  if (now.status == FileReading::Unreadable) {
    Say(Filled(language, kUnreadable, "file", file), kBoxWarning);
    return false;
  }
  if (!SameFile(now, fileAtOpen_)) {
    const int answer = platform_.MessageBox(Filled(language, kChangedMeanwhile, "file", file),
                                            In(language, kTitle), kBoxYesNo | kBoxQuestion);
    if (answer != kAnswerYes) return false;
  }
  const EditedProfile edited =
      EditProfile(now.bytes, kSettingsSection, changes, CodecOf(platform_));
  const std::string folder = path_.substr(0, path_.find_last_of('\\'));
  switch (platform_.ReplaceFileBytes(path_, edited.bytes)) {
    case FileWrite::Written:
      break;
    case FileWrite::FileReadOnly: {
      std::string words = Filled(language, kReadOnly, "file", file);
      words = Filled(Language::English, {words, words}, "folder", folder);
      Say(words, kBoxWarning);
      return false;
    }
    case FileWrite::FolderNotWritable:
      Say(Filled(language, kFolderNotWritable, "folder", folder), kBoxWarning);
      return false;
    case FileWrite::Failed:
      Say(Filled(language, kWriteFailed, "file", file), kBoxWarning);
      return false;
  }
  fileAtOpen_ = FileBytes{FileReading::Read, edited.bytes};
  reload_.AdoptOwnWrite();
  return true;
}

bool SettingsWindow::WriteStartWithWindows(bool on) {
  if (!SetStartWithWindows(platform_, on)) {
    Say(In(model_->language(), kRegistryFailed), kBoxWarning);
    return false;
  }
  start_ = ReadStartWithWindows(platform_);
  return true;
}

void SettingsWindow::Say(std::string_view text, std::uint32_t style) {
  platform_.MessageBox(text, In(model_->language(), kTitle), style);
}

}  // namespace sevalune
