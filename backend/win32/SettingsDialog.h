// The settings window on the real desktop: a modal dialog built in memory from the form
// the program hands over. Every field is a static label (its access key marked) followed
// by its control in the tab order, so that a screen reader reads the label with the
// control; groups are group boxes; OK, Cancel and Apply close the tab order. A colour is
// an owner-drawn swatch button that opens the system's colour picker; a class list has a
// Pick button that, after a count-down, adds the class of the top-level window under the
// pointer, without touching the focus of any window. Only system colours are used, but for
// the swatches.
#pragma once

#include <vector>

#include "backend/win32/WindowsHeaders.h"
#include "platform/SettingsWindowForm.h"

namespace sevalune::win32 {

inline constexpr int kSettingsApplyId = 3;
// Field i has its label at kSettingsFirstFieldId + 4 i, its control one above, a class
// list's Pick button two above and its note three above.
inline constexpr int kSettingsFirstFieldId = 1000;
inline constexpr int kSettingsIdsPerField = 4;

struct SettingsDialogPlace {
  WORD fontPoints = 9;  // the dialog font, scaled for the display where the system does not
  POINT openAt{};       // a point on the display the dialog opens on
};

// The dialog template (exposed for tests).
std::vector<WORD> SettingsDialogTemplate(const SettingsWindowForm& form, WORD fontPoints);

// Runs the dialog until it is closed; `opened` receives the dialog's window while it runs
// (null again afterwards).
void RunSettingsDialog(HINSTANCE instance, const SettingsWindowForm& form,
                       SettingsWindowHandler& handler, const SettingsDialogPlace& place,
                       HWND& opened);

}  // namespace sevalune::win32
