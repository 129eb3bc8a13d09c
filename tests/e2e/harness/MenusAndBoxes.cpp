#include "harness/MenusAndBoxes.h"

#include <atomic>
#include <thread>

#include "harness/Desktop.h"

namespace sevalune::e2e {
namespace {

constexpr const wchar_t* kMenuClass = L"#32768";
constexpr const wchar_t* kBoxClass = L"#32770";
constexpr const wchar_t* kMenuWindowClass = L"SevaluneMenu";
constexpr const wchar_t* kCloseRequest = L"SevaluneE2eCloseMenu";
constexpr UINT_PTR kCloseTimerId = 1;
constexpr UINT kCloseTimerMs = 20;

// Runs inside the reference menu's own message loop, which dispatches timers: ends the
// menu once the picture has been taken (EndMenu works only on the menu's own thread).
void CALLBACK CloseMenuWhenAsked(HWND owner, UINT, UINT_PTR, DWORD) {
  const auto* asked = static_cast<const std::atomic<bool>*>(::GetPropW(owner, kCloseRequest));
  if (asked != nullptr && asked->load()) ::EndMenu();
}

HMENU MenuWith(const std::vector<MenuItemLook>& items) {
  HMENU menu = ::CreatePopupMenu();
  UINT_PTR command = 1;
  for (const MenuItemLook& item : items) {
    const UINT flags = MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED);
    ::AppendMenuW(menu, flags, command++, item.caption.c_str());
  }
  return menu;
}

void ShowMenuUntilAsked(const std::vector<MenuItemLook>& items, POINT at,
                        std::atomic<DWORD>& thread, std::atomic<bool>& closeAsked) {
  HWND owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
  HMENU menu = MenuWith(items);
  ::SetPropW(owner, kCloseRequest, &closeAsked);
  ::SetTimer(owner, kCloseTimerId, kCloseTimerMs, &CloseMenuWhenAsked);
  thread = ::GetCurrentThreadId();
  ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y,
                   0, owner, nullptr);
  ::KillTimer(owner, kCloseTimerId);
  ::RemovePropW(owner, kCloseRequest);
  ::DestroyMenu(menu);
  ::DestroyWindow(owner);
}

}  // namespace

std::vector<HWND> PopupMenusOfThread(DWORD threadId) {
  std::vector<HWND> menus;
  for (HWND window : TopLevelWindowsOfClass(kMenuClass)) {
    if (::IsWindowVisible(window) && ::GetWindowThreadProcessId(window, nullptr) == threadId) {
      menus.push_back(window);
    }
  }
  return menus;
}

HWND MenuWindowOf(DWORD processId) {
  return FindTopLevelWindow(processId, kMenuWindowClass).value_or(nullptr);
}

bool WaitUntilMenuStepEnded(DWORD processId, HWND menuWindow) {
  // A destroyed window's handle is never valid again, and a new window gets another one.
  return WaitUntil(
      [&] {
        if (::IsWindow(menuWindow) != FALSE) return false;
        const HWND next = MenuWindowOf(processId);
        return next != nullptr && next != menuWindow;
      },
      kTickTimeout);
}

std::optional<HWND> FindBox(DWORD processId, std::wstring_view title) {
  for (HWND window : TopLevelWindowsOf(processId)) {
    if (ClassNameOf(window) == kBoxClass && ::IsWindowVisible(window) && TextOf(window) == title) {
      return window;
    }
  }
  return std::nullopt;
}

std::optional<HWND> WaitForAnyBox(DWORD processId, Milliseconds timeout) {
  return WaitForValue(
      [&]() -> std::optional<HWND> {
        const std::optional<HWND> window = FindTopLevelWindow(processId, kBoxClass);
        if (!window || !::IsWindowVisible(*window)) return std::nullopt;
        return window;
      },
      timeout);
}

std::vector<HWND> ChildrenOfClass(HWND box, std::wstring_view className) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassNameOf(child) == className) children.push_back(child);
  }
  return children;
}

std::vector<int> ButtonIdsOf(HWND box) {
  std::vector<int> ids;
  for (HWND button : ChildrenOfClass(box, L"Button")) ids.push_back(::GetDlgCtrlID(button));
  return ids;
}

bool ShowsAnIcon(HWND box) {
  for (HWND child : ChildrenOfClass(box, L"Static")) {
    if (::SendMessageW(child, STM_GETICON, 0, 0) != 0) return true;
  }
  return false;
}

std::pair<int, int> EditSelection(HWND edit) {
  // With no pointers given, the answer carries both ends (each within 16 bits).
  const auto both = static_cast<DWORD>(::SendMessageW(edit, EM_GETSEL, 0, 0));
  return {LOWORD(both), HIWORD(both)};
}

std::optional<Picture> ReferenceMenuPicture(const std::vector<MenuItemLook>& items, POINT at,
                                            Milliseconds timeout) {
  std::atomic<DWORD> menuThread{0};
  std::atomic<bool> closeAsked{false};
  std::thread shower([&] { ShowMenuUntilAsked(items, at, menuThread, closeAsked); });
  const std::optional<HWND> menu = WaitForValue(
      [&]() -> std::optional<HWND> {
        const std::vector<HWND> menus = PopupMenusOfThread(menuThread.load());
        if (menuThread.load() == 0 || menus.empty()) return std::nullopt;
        return menus.front();
      },
      timeout);
  std::optional<Picture> picture;
  if (menu) picture = SteadyScreenPicture(*menu, timeout);
  closeAsked = true;
  shower.join();
  return picture;
}

}  // namespace sevalune::e2e
