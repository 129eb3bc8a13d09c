// The simulated process's calls for the settings window: the file's bytes and their
// replacement, the code page, the Run value in the desktop's registry, the UI language,
// and the window itself, played from the answers a scenario queued.
#include <string>

#include "backend/sim/EventText.h"
#include "backend/sim/SimPlatform.h"
#include "platform/ScopedFlag.h"
#include "platform/SettingsWindowForm.h"

namespace sevalune::sim {
namespace {

constexpr std::string_view kExecutableName = "sevalune.exe";

// The event line of a press.
std::string_view PressLine(SettingsAnswer::Button button) {
  switch (button) {
    case SettingsAnswer::Button::Ok:
      return "settings-window ok";
    case SettingsAnswer::Button::Apply:
      return "settings-window apply";
    case SettingsAnswer::Button::Cancel:
      break;
  }
  return "settings-window cancel";
}

}  // namespace

FileBytes SimPlatform::ReadFileBytes(std::string_view path) {
  if (!Enter("ReadFileBytes")) return {};
  SimFiles& files = desktop_.Files();
  if (const std::optional<std::string_view> bytes = files.Read(path)) {
    return {FileReading::Read, std::string(*bytes)};
  }
  return {files.Exists(path) ? FileReading::Unreadable : FileReading::Missing, {}};
}

FileWrite SimPlatform::ReplaceFileBytes(std::string_view path, std::string_view bytes) {
  if (!Enter("ReplaceFileBytes")) return FileWrite::Failed;
  SimFiles& files = desktop_.Files();
  const std::string folder = SimFiles::FolderOf(path);
  FileWrite result = FileWrite::Written;
  if (files.IsReadOnly(path)) {
    result = FileWrite::FileReadOnly;
  } else if (!files.FolderWritable(folder)) {
    result = FileWrite::FolderNotWritable;
  } else if (!files.FolderExists(folder) || (files.Exists(path) && !files.Read(path))) {
    result = FileWrite::Failed;
  }
  if (result != FileWrite::Written) {
    desktop_.Emit("file refused " + Quoted(path));
    return result;
  }
  files.Put(path, std::string(bytes));
  desktop_.Emit("file written " + Quoted(path) + " bytes=" + std::to_string(bytes.size()));
  return result;
}

std::string SimPlatform::AnsiToUtf8(std::string_view ansi) {
  if (!Enter("AnsiToUtf8")) return {};
  return std::string(ansi);
}

std::optional<std::string> SimPlatform::Utf8ToAnsi(std::string_view utf8) {
  if (!Enter("Utf8ToAnsi")) return std::nullopt;
  return std::string(utf8);
}

std::optional<std::string> SimPlatform::ReadRunValue(std::string_view name) {
  if (!Enter("ReadRunValue")) return std::nullopt;
  return desktop_.RunValue(name);
}

bool SimPlatform::WriteRunValue(std::string_view name, std::string_view data) {
  if (!Enter("WriteRunValue")) return false;
  desktop_.SetRunValue(name, std::string(data));
  desktop_.Emit("registry run set " + std::string(name) + "=" + Quoted(data));
  return true;
}

bool SimPlatform::DeleteRunValue(std::string_view name) {
  if (!Enter("DeleteRunValue")) return false;
  desktop_.SetRunValue(name, std::nullopt);
  desktop_.Emit("registry run delete " + std::string(name));
  return true;
}

// Each queued answer is one press; with none left the user closes the window.
bool SimPlatform::RunSettingsWindow(const SettingsWindowForm& form,
                                    SettingsWindowHandler& handler) {
  if (!Enter("RunSettingsWindow")) return false;
  if (settingsWindowOpen_) {
    desktop_.Emit("settings-window front");
    return false;
  }
  const ScopedFlag open(settingsWindowOpen_);
  const std::vector<const FormField*> fields = FieldsOf(form);
  std::vector<std::string> texts;
  for (const FormField* field : fields) texts.push_back(field->text);
  desktop_.Emit("settings-window open title=" + Quoted(form.title) +
                " fields=" + std::to_string(fields.size()));
  for (const FormField* field : fields) {
    if (!field->note.empty())
      desktop_.Emit("settings-window note " + field->id + "=" + Quoted(field->note));
  }
  while (!QuitRequested()) {
    std::optional<SettingsAnswer> answer = desktop_.TakeSettingsAnswer();
    if (!answer) break;
    RunNestedTicks(answer->afterTicks);
    for (const auto& [id, text] : answer->fields) {
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i]->id == id) texts[i] = text;
      }
    }
    desktop_.Emit(std::string(PressLine(answer->button)));
    if (answer->button == SettingsAnswer::Button::Cancel) break;
    const FormButton button =
        answer->button == SettingsAnswer::Button::Ok ? FormButton::Ok : FormButton::Apply;
    const FormVerdict verdict = handler.OnFormButton(button, texts);
    if (!verdict.accepted) {
      const std::string focus = verdict.focusField && *verdict.focusField < fields.size()
                                    ? fields[*verdict.focusField]->id
                                    : std::string("none");
      desktop_.Emit("settings-window refused focus=" + focus);
    } else if (button == FormButton::Ok) {
      break;
    }
  }
  desktop_.Emit("settings-window closed");
  return true;
}

std::string SimPlatform::ExecutablePath() {
  if (!Enter("ExecutablePath")) return {};
  std::string path = executableDirectory_;
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + std::string(kExecutableName);
}

}  // namespace sevalune::sim
