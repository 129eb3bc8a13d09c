// The settings window's model, built from the table of keys: one control per key kind
// (a list gets one control per entry), the current value texts, the check of what the user
// typed by the same rules the reader applies, and which keys changed. Pure: the window
// itself is the platform's, the file's edit is settings/ProfileEdit.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/SettingsWindowForm.h"
#include "settings/Language.h"
#include "settings/ProfileEdit.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"

namespace sevalune {

// What the user asked for, checked: the keys whose value changed, or the first field the
// reader (or the control's limits) would refuse, with the words that say why.
struct FormCheck {
  std::vector<ProfileChange> changes;
  std::optional<std::size_t> refusedField;
  std::string refusal;
};

class SettingsFormModel {
 public:
  SettingsFormModel(const Settings& current, Language language);

  Language language() const { return language_; }
  // The groups with every key of the table, in the table's order within each group, and
  // the labels' access keys; `extra` fields go into a last group of their own.
  SettingsWindowForm Form(const FormGroup& extra) const;
  // The number of fields of the keys (the extra group's fields follow them).
  std::size_t KeyFieldCount() const { return fields_.size(); }

  // Checks the fields' texts (the form's order; more may follow) against the texts the
  // window opened with, or last applied.
  FormCheck Check(const std::vector<std::string>& texts) const;
  // The texts were written: they are what later changes are compared with.
  void Applied(const std::vector<std::string>& texts);

 private:
  struct Field {
    const SettingKey* key;
    std::size_t entry;  // 0 for a key with one field
    FormField shown;
  };

  std::string ValueOf(const SettingKey& key, const std::vector<std::string>& texts) const;
  std::optional<std::string> RefusalOf(const Field& field, std::string_view text) const;

  Language language_;
  std::vector<Field> fields_;
  std::vector<std::string> baseline_;
};

// Gives every label an access key of its own: the first letter or digit of the label not
// taken yet is marked with "&", or, for a label without a free one (Japanese), a free letter
// is added as " (&X)". `taken` holds the keys used already (upper case) and gets the new.
std::string WithAccessKey(std::string_view label, std::string& taken);

// A label as read aloud and quoted: without the access key WithAccessKey gave it.
std::string WithoutAccessKey(std::string_view label);

}  // namespace sevalune
