// The settings window's side in the program: what the window shows (the form's model from
// the table of keys, start with Windows), and what OK and Apply do: refuse a value the
// reader would refuse, write only the changed keys' lines of the file in one step (asking
// first when another program changed the file since the window read it), set or remove
// the start-up value, and hand the written file's reading to the live reload, which
// applies it at the next tick.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/SettingsReload.h"
#include "app/StartWithWindows.h"
#include "platform/Platform.h"
#include "platform/SettingsWindowForm.h"
#include "settings/Settings.h"
#include "settings/SettingsFormModel.h"

namespace sevalune {

class SettingsWindow final : public SettingsWindowHandler {
 public:
  SettingsWindow(Platform& platform, const Settings& settings, SettingsReload& reload);
  SettingsWindow(const SettingsWindow&) = delete;
  SettingsWindow& operator=(const SettingsWindow&) = delete;

  // The tray menu's Settings: runs the window until it is closed; while it is open, brings
  // it to the front instead.
  void Open();
  bool isOpen() const { return model_.has_value(); }

  FormVerdict OnFormButton(FormButton button, const std::vector<std::string>& texts) override;

 private:
  FormGroup StartGroup() const;
  bool WriteChanges(const std::vector<ProfileChange>& changes);
  bool WriteStartWithWindows(bool on);
  void Say(std::string_view text, std::uint32_t style);

  Platform& platform_;
  const Settings& settings_;
  SettingsReload& reload_;
  std::string path_;
  // While the window is open: its model, the file as the window read it (or last wrote it),
  // start with Windows as it stands, and the form shown.
  std::optional<SettingsFormModel> model_;
  FileBytes fileAtOpen_;
  StartWithWindows start_;
  SettingsWindowForm form_;
};

}  // namespace sevalune
