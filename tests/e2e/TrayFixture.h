// What the tray tests share: sevalune.exe started beside notepad, its icon in the
// notification area, the icon's callback as the shell delivers it, and the keyboard that
// chooses in its pop-up menu.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/win32/WindowsHeaders.h"
#include "harness/DesktopTest.h"
#include "harness/MenusAndBoxes.h"
#include "harness/Pictures.h"
#include "harness/TrayArea.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {

// The program's icon: its id and the message that reports mouse events over it.
inline constexpr UINT kIconId = 1;
inline constexpr UINT kIconCallback = WM_MOUSEMOVE;

// The items of the menu by position, from the top.
enum class MenuItem { Help = 1, About, WindowClass, Settings, Quit, Enabled };

// The menu as the user should see it: six captions, the check mark on the last while
// tracking is on.
std::vector<MenuItemLook> ExpectedMenuLook(bool trackingOn);

// The two pictures of the icon as the notification area draws them: the executable's own
// icon resources drawn at the area's size.
struct IconPictures {
  Picture enabled;
  Picture disabled;
};

class TrayTest : public DesktopTest {
 protected:
  // Notepad in the foreground with a little text typed into it, then sevalune.exe, whose
  // marker is waited for under notepad's caret. The icons shown before are remembered, so
  // that the program's own icon can be told apart.
  void StartBesideNotepad(const std::wstring& arguments = L"",
                          std::wstring_view notepadText = L"tray");
  HWND notepad() const { return notepad_; }
  HWND marker() const { return marker_; }
  DWORD programThread() const;

  // The program's icon once it shows; nullopt where the notification area cannot be seen
  // into (see harness/TrayArea.h).
  std::optional<HWND> WaitForProgramIcon();
  // The icons shown now that were not there before the start.
  std::vector<HWND> ProgramIcons() const;
  IconPictures ExpectedIconPictures() const;
  // The tip that shows while the pointer rests on the icon; the pointer goes back to
  // kMenuPoint afterwards.
  static std::wstring TipOf(HWND icon);
  // Whether the icon window shows the picture, waiting until it does.
  static bool IconShows(HWND icon, const Picture& picture);

  // A button released over the icon, delivered as the shell does with the pointer parked
  // at kMenuPoint; waits for the program's menu. nullopt if none opened.
  std::optional<HWND> OpenMenu(UINT event = WM_RBUTTONUP, Delivery how = Delivery::Notify);
  // The program's pop-up menu once it shows and takes input (now, or once it does).
  std::optional<HWND> ProgramMenu() const;
  // Also remembers the menu's owner window, so that the end of the menu step can be waited
  // for (WaitUntilMenuStepOver, BringNotepadBack).
  std::optional<HWND> WaitForMenu();
  // Waits until the step of the menu WaitForMenu saw is over: a release over the icon
  // delivered before then is the step's own (it opens no second menu).
  void WaitUntilMenuStepOver();
  bool WaitUntilNoMenu() const;
  // Down as often as the item's position, then Enter: the way a user picks by keyboard,
  // which is also how these tests show the order of the items.
  static void ChooseByPosition(MenuItem item);
  void DismissMenu();
  std::optional<HWND> WaitForBox(std::wstring_view title);
  // Any dialog box that the program shows.
  std::optional<HWND> ProgramBox() const;

  // Gives notepad the foreground back, as a click on it would, and waits until its text
  // area has the focus and the caret. Wine activates the next window in z-order when a box or the
  // menu closes, which is often its own "Wine System Tray" window rather than notepad.
  // After a menu the click waits for the end of the menu step, as a user's would: under Wine
  // the step's end activates the marker, whose X focus, lost as it shrinks, hands the
  // foreground to the desktop window, and that would undo an earlier click.
  void BringNotepadBack();
  // Notepad holds the foreground, and its text area the focus and the caret.
  bool NotepadIsActive() const;
  void ExpectMarkerUnderNotepadCaret();

  // While the menu or a box is up: for about a blink cycle the marker has no area and
  // stays at the screen's origin, and button releases over the icon delivered meanwhile
  // open no further menu (`menusAlreadyOpen` stays the number of menus showing).
  void ExpectSuspendedAndFurtherClicksIgnored(std::size_t menusAlreadyOpen);

  // Where the pointer rests when the menu opens (the menu opens at the pointer), away from
  // notepad's caret and from the notification area.
  static constexpr POINT kMenuPoint{700, 450};

  // The settings file the program starts with. The commands' boxes and help page are
  // checked as a Japanese user has always seen them, whatever Windows the tests run in:
  // these tests run in an English Wine, since in a Japanese one notepad's font gives its
  // caret another height, which the older location method's guess relies on.
  std::optional<std::string> settingsFile_ = "[Sevalune]\r\nGengo=ja\r\n";

 private:
  std::vector<HWND> iconsBeforeStart_;
  HWND notepad_ = nullptr;
  HWND marker_ = nullptr;
  // The hidden window that owned the last menu shown, until its step is known to be over.
  HWND menuWindow_ = nullptr;
};

}  // namespace sevalune::e2e
