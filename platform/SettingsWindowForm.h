// What the settings window shows, as the program hands it to the platform: groups of
// labelled fields, each with a kind of control and its text, and the handler the window
// calls when the user presses OK or Apply. The window knows nothing of the settings: it
// shows texts, lets the user change them, and gives them back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sevalune {

enum class FormControl {
  Text,            // a one-line edit
  Number,          // a one-line edit for a whole number
  Check,           // a check box; its text is "1" ticked, "0" not
  Swatch,          // a colour swatch with the system's colour picker; six hexadecimal digits,
                   // blue-green-red as the settings file writes them
  ClassList,       // a one-line edit of window classes, with a way to add the class of a
                   // window the user points at
  KeyCombination,  // a one-line edit of a key combination in its text form
  Choice,          // a drop-down list; its text is the value of the option chosen
};

struct FormOption {
  std::string label;
  std::string value;
};

struct FormField {
  std::string id;     // how scenarios and tests name it: "KEY", or "KEY.N" for an entry
  std::string label;  // with its access key marked by "&"
  FormControl control = FormControl::Text;
  std::string text;
  std::vector<FormOption> options;  // a choice's options
  std::string note;                 // a line of explanation under the control, or empty
};

struct FormGroup {
  std::string title;
  std::vector<FormField> fields;
};

struct SettingsWindowForm {
  std::string title;
  std::vector<FormGroup> groups;
  std::string okText;
  std::string cancelText;
  std::string applyText;      // with its access key
  std::string pickText;       // a class list's button that adds the class of a window pointed at
  std::string pickCountdown;  // the button while it counts down: "%d" stands for the seconds
  // A point on the display the window opens on (the pointer at the tray icon).
  Point openAt;
};

enum class FormButton { Ok, Apply };

// The handler's verdict: accepted (OK closes the window), or refused (the handler has said
// why already), with the field that gets the focus, or none to leave the focus where it is.
struct FormVerdict {
  bool accepted = true;
  std::optional<std::size_t> focusField;
};

class SettingsWindowHandler {
 public:
  // The fields' texts in the order of the form, group after group.
  virtual FormVerdict OnFormButton(FormButton button, const std::vector<std::string>& texts) = 0;

 protected:
  ~SettingsWindowHandler() = default;
};

// The fields of a form in order, group after group.
inline std::vector<const FormField*> FieldsOf(const SettingsWindowForm& form) {
  std::vector<const FormField*> fields;
  for (const FormGroup& group : form.groups) {
    for (const FormField& field : group.fields) fields.push_back(&field);
  }
  return fields;
}

}  // namespace sevalune
