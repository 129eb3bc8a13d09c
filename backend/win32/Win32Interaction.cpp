// Modal boxes, the pop-up menu, the one synthesised key press and the hot key.
#include "backend/win32/HandleCast.h"
#include "backend/win32/InputBox.h"
#include "backend/win32/WideText.h"
#include "backend/win32/Win32Platform.h"

namespace sevalune::win32 {

int Win32Platform::MessageBox(std::string_view text, std::string_view caption,
                              std::uint32_t style) {
  // A box shown while the settings window is open belongs to it, and is modal to it.
  return ::MessageBoxW(settingsDialog_, Widen(text).c_str(), Widen(caption).c_str(), style);
}

std::optional<std::string> Win32Platform::InputBox(std::string_view prompt, std::string_view title,
                                                   std::string_view defaultText) {
  const std::optional<std::wstring> answer =
      RunInputBox(instance_, Widen(title), Widen(prompt), Widen(defaultText));
  if (!answer) return std::nullopt;
  return Narrow(*answer);
}

void Win32Platform::InjectUnassignedKey() {
  // No scan code: no physical key has this virtual key, and a program that reads scan
  // codes must not take the press for a real key.
  INPUT keys[2]{};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = static_cast<WORD>(kVirtualKeyUnassigned);
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, keys, sizeof(INPUT));
}

int Win32Platform::TrackPopupMenu(WindowHandle owner, const std::vector<PopupMenuItem>& items) {
  // A menu needs an owner window to send its commands to.
  HWND ownerWindow = ToHwnd(owner);
  if (ownerWindow == nullptr) return 0;
  ScopedMenu menu(::CreatePopupMenu());
  if (!menu) return 0;
  UINT_PTR command = 1;  // the 1-based index is the item's command
  for (const PopupMenuItem& item : items) {
    const UINT flags = MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED);
    ::AppendMenuW(menu.get(), flags, command++, Widen(item.caption).c_str());
  }
  // A notification-area menu closes on a click elsewhere only if its owner is the
  // foreground window while it shows, and the owner is given a message afterwards.
  ::SetForegroundWindow(ownerWindow);
  POINT pointer{};
  ::GetCursorPos(&pointer);
  const BOOL chosen =
      ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD,
                       pointer.x, pointer.y, 0, ownerWindow, nullptr);
  ::PostMessageW(ownerWindow, WM_NULL, 0, 0);
  return static_cast<int>(chosen);
}

HotkeyRegistration Win32Platform::RegisterHotKey(int id, std::uint32_t modifiers,
                                                 std::uint32_t virtualKey) {
  // The main window gets WM_HOTKEY; the hot key goes with it when it is destroyed.
  if (::RegisterHotKey(frmSevalune_.get(), id, modifiers, virtualKey) != FALSE) {
    return HotkeyRegistration::Registered;
  }
  return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotkeyRegistration::Taken
                                                             : HotkeyRegistration::Failed;
}

bool Win32Platform::UnregisterHotKey(int id) {
  return ::UnregisterHotKey(frmSevalune_.get(), id) != FALSE;
}

}  // namespace sevalune::win32
