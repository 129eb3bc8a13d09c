// Pop-up menus and modal boxes of another program, as seen from outside.
//
// A pop-up menu shows as a top-level window of class "#32768" of the thread that tracks
// it. Under Wine its menu handle cannot be read from another process (MN_GETHMENU answers
// a handle that GetMenuItemCount and GetMenuStringW reject), so a menu is compared with a
// reference menu that this process shows with the expected items, picture for picture.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/win32/WindowsHeaders.h"
#include "harness/Pictures.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {

// The visible pop-up menus of the thread.
std::vector<HWND> PopupMenusOfThread(DWORD threadId);

// The visible dialog box ("#32770") of the process with this title.
std::optional<HWND> FindBox(DWORD processId, std::wstring_view title);
// The first visible dialog box of the process, whatever its title, once one shows;
// nullopt if none did by the deadline.
std::optional<HWND> WaitForAnyBox(DWORD processId, Milliseconds timeout);
// The box's child windows of the class, in z-order (the order of the dialog's items).
std::vector<HWND> ChildrenOfClass(HWND box, std::wstring_view className);
// The control ids of the box's buttons, in z-order.
std::vector<int> ButtonIdsOf(HWND box);
// Whether one of the box's static controls shows an icon.
bool ShowsAnIcon(HWND box);
// The selection of an edit control: first and one past the last character.
std::pair<int, int> EditSelection(HWND edit);

// The program's hidden menu window (class "SevaluneMenu"), which owns its pop-up menu; null
// when it has none.
HWND MenuWindowOf(DWORD processId);

// Waits until the menu step whose menu `menuWindow` owned is over: that window destroyed,
// and a new one made by the program's next tick, which runs only once the step has ended.
// Both states last; the moment between them (the step's last message pumps and one tick,
// 80 to 320 ms here) can pass between two polls of a test on a busy machine, so it is
// never what is waited for.
bool WaitUntilMenuStepEnded(DWORD processId, HWND menuWindow);

// A menu item as the user sees it.
struct MenuItemLook {
  std::wstring caption;
  bool checked = false;
};

// Shows a pop-up menu with these items at `at` from a thread of this process, reads its
// picture from the screen once it is steady, and closes it. nullopt if it did not show.
std::optional<Picture> ReferenceMenuPicture(const std::vector<MenuItemLook>& items, POINT at,
                                            Milliseconds timeout);

}  // namespace sevalune::e2e
