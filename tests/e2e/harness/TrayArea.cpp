#include "harness/TrayArea.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "harness/Desktop.h"

namespace sevalune::e2e {
namespace {

// Wine's X11 driver: the window that holds the icons when no tray manager runs, and the
// window of each icon.
constexpr const wchar_t* kWineTrayClass = L"__winex11_standalone_tray";
constexpr const wchar_t* kWineIconClass = L"__winex11_tray_icon";
constexpr const wchar_t* kTooltipClass = L"tooltips_class32";
constexpr UINT kSendTimeoutMs = 5000;

void AddVisibleChildren(HWND parent, std::wstring_view className, std::vector<HWND>& found) {
  const std::wstring name(className);
  for (HWND child = ::FindWindowExW(parent, nullptr, name.c_str(), nullptr); child != nullptr;
       child = ::FindWindowExW(parent, child, name.c_str(), nullptr)) {
    if (::IsWindowVisible(child)) found.push_back(child);
  }
}

NOTIFYICONDATAW IconRecord(HWND owner, UINT iconId) {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof record;
  record.hWnd = owner;
  record.uID = iconId;
  return record;
}

}  // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::vector<HWND> NotificationIconWindows() {
  std::vector<HWND> icons;
  for (HWND tray : TopLevelWindowsOfClass(kWineTrayClass)) {
    if (::IsWindowVisible(tray)) AddVisibleChildren(tray, kWineIconClass, icons);
  }
  // With a tray manager the icons are top-level windows embedded by the manager.
  for (HWND icon : TopLevelWindowsOfClass(kWineIconClass)) {
    if (::IsWindowVisible(icon)) icons.push_back(icon);
  }
  return icons;
}

std::optional<HWND> WaitForNewIconWindow(const std::vector<HWND>& known, Milliseconds timeout) {
  return WaitForValue(
      [&]() -> std::optional<HWND> {
        for (HWND icon : NotificationIconWindows()) {
          if (std::find(known.begin(), known.end(), icon) == known.end()) return icon;
        }
        return std::nullopt;
      },
      timeout);
}

int NotificationIconSize() { return ::GetSystemMetrics(SM_CXSMICON); }

POINT CentreOf(HWND window) {
  const RECT rect = WindowRectOf(window);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void DeliverIconEvent(HWND owner, UINT callbackMessage, UINT iconId, UINT event, Delivery how) {
  const auto wParam = static_cast<WPARAM>(iconId);
  const auto lParam = static_cast<LPARAM>(event);
  if (how == Delivery::Notify) {
    ::SendNotifyMessageW(owner, callbackMessage, wParam, lParam);
  } else {
    ::PostMessageW(owner, callbackMessage, wParam, lParam);
  }
}

bool DeleteNotificationIcon(HWND owner, UINT iconId) {
  NOTIFYICONDATAW record = IconRecord(owner, iconId);
  return ::Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

bool ChangeNotificationIconPicture(HWND owner, UINT iconId, HICON picture) {
  NOTIFYICONDATAW record = IconRecord(owner, iconId);
  record.uFlags = NIF_ICON;
  record.hIcon = picture;
  return ::Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void BroadcastTaskbarCreated() {
  ::PostMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

bool SendTaskbarCreated(HWND window) {
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(window, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                               SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) != 0;
}

std::optional<std::wstring> ShownNotificationTip(HWND iconWindow) {
  for (HWND tip : TopLevelWindowsOf(ProcessOf(iconWindow))) {
    if (ClassNameOf(tip) != kTooltipClass || !::IsWindowVisible(tip)) continue;
    // A tooltip control answers WM_GETTEXT with the text of the tip it shows.
    std::wstring text = TextOf(tip);
    if (!text.empty()) return text;
  }
  return std::nullopt;
}

std::vector<std::wstring> ShownBalloonTexts() {
  std::vector<std::wstring> texts;
  for (HWND tray : TopLevelWindowsOfClass(kWineTrayClass)) {
    for (HWND tip : TopLevelWindowsOf(ProcessOf(tray))) {
      const bool balloon = (::GetWindowLongPtrW(tip, GWL_STYLE) & TTS_BALLOON) != 0;
      if (ClassNameOf(tip) == kTooltipClass && balloon && ::IsWindowVisible(tip)) {
        texts.push_back(TextOf(tip));
      }
    }
  }
  return texts;
}

}  // namespace sevalune::e2e
