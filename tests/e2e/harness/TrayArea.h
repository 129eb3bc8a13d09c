// The notification area as another program sees it, and the shell's side of an icon: the
// mouse events it reports to the icon's window, removing or changing an icon, and the
// announcement of a new task bar.
//
// Wine (without a system-tray manager on the X display) shows the icons in its own window
// titled "Wine System Tray", one child window per icon; those are what this finds. On
// Windows the icons are drawn inside Explorer's task bar and none are found.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backend/win32/WindowsHeaders.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {

// True when this process runs under Wine.
bool RunningUnderWine();

// The icon windows shown in the notification area, in no particular order.
std::vector<HWND> NotificationIconWindows();
// The first icon window that is not among `known`, once one shows.
std::optional<HWND> WaitForNewIconWindow(const std::vector<HWND>& known, Milliseconds timeout);
// The size of the pictures the notification area shows (the small-icon size).
int NotificationIconSize();

POINT CentreOf(HWND window);

// How the shell hands a mouse event over the icon to the icon's window: Explorer and Wine
// send it without waiting (SendNotifyMessage); a posted message must work as well.
enum class Delivery { Notify, Post };
// The icon's callback message with the mouse event in the low word of lParam and the
// icon's id in wParam, as the shell delivers it.
void DeliverIconEvent(HWND owner, UINT callbackMessage, UINT iconId, UINT event,
                      Delivery how = Delivery::Notify);

// Shell_NotifyIcon from this process on an icon that another process added.
bool DeleteNotificationIcon(HWND owner, UINT iconId);
bool ChangeNotificationIconPicture(HWND owner, UINT iconId, HICON picture);

// The registered message "TaskbarCreated", broadcast to every top-level window as
// Explorer does when its task bar is created again, or sent to one window.
void BroadcastTaskbarCreated();
bool SendTaskbarCreated(HWND window);

// The text of a tooltip that the notification area's process shows, while the pointer
// rests on one of its icons; nullopt when none shows.
std::optional<std::wstring> ShownNotificationTip(HWND iconWindow);

// The texts of the balloons shown over notification icons: Wine's tray draws each as a
// tooltip control of balloon style (TTS_BALLOON) of its own process, which answers
// WM_GETTEXT with the balloon's text (its title is not to be read from outside).
std::vector<std::wstring> ShownBalloonTexts();

}  // namespace sevalune::e2e
