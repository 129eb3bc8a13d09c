// A tiny target for the end-to-end tests: a top-level window with one control that holds
// the keyboard focus.
//
//   sevalune_e2e_target.exe [kind=KIND] [height=N] [width=N] [class=NAME] [title=TEXT]
//
//   kind    button  a push button (a control without a caret; the default)
//           edit    an edit control whose font is `height` pixels high, so its caret is
//                   about as tall
//           combo   a drop-down list whose items are `height` pixels high; its list is a
//                   "ComboLBox" window
//   height  the button's height (default 30)
//   width   the control's width (default 180); the window grows to hold it
//   class, title  of the top-level window (default "SevaluneE2eTarget", "Sevalune e2e
//           target")
//
// The window is placed at a fixed spot away from the screen's corner, so that positions
// measured on it say something about the conversion to screen coordinates. It runs until
// it is closed or its process is ended.
#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "ToolWindow.h"
#include "backend/win32/LaunchOptions.h"
#include "backend/win32/WindowsHeaders.h"

namespace {

constexpr POINT kWindowOrigin{220, 160};
constexpr POINT kWideWindowOrigin{20, 160};
constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 300;
constexpr int kControlLeft = 40;
constexpr int kControlTop = 60;
constexpr int kDefaultWidth = 180;
constexpr int kDefaultSize = 30;
constexpr int kEditPadding = 8;
constexpr int kDropDownHeight = 200;

enum class ControlKind { Button, Edit, Combo };

struct Request {
  ControlKind kind = ControlKind::Button;
  int size = kDefaultSize;
  int width = kDefaultWidth;
  std::wstring className = L"SevaluneE2eTarget";
  std::wstring title = L"Sevalune e2e target";
};

int PositiveNumberOr(const std::wstring& text, int fallback) {
  const long number = std::wcstol(text.c_str(), nullptr, 10);
  return number > 0 ? static_cast<int>(number) : fallback;
}

void Apply(Request& request, const std::wstring& key, const std::wstring& value) {
  if (key == L"kind" && value == L"edit") request.kind = ControlKind::Edit;
  if (key == L"kind" && value == L"combo") request.kind = ControlKind::Combo;
  if (key == L"height") request.size = PositiveNumberOr(value, kDefaultSize);
  if (key == L"width") request.width = PositiveNumberOr(value, kDefaultWidth);
  if (key == L"class") request.className = value;
  if (key == L"title") request.title = value;
}

Request RequestFromCommandLine() {
  Request request;
  for (const std::wstring& argument : sevalune::win32::CommandLineArguments()) {
    const std::size_t equals = argument.find(L'=');
    if (equals != std::wstring::npos) {
      Apply(request, argument.substr(0, equals), argument.substr(equals + 1));
    }
  }
  return request;
}

// The window's outer rectangle: wide enough for the control, on the screen.
RECT WindowPlaceFor(const Request& request) {
  const int width = std::max(kWindowWidth, request.width + 3 * kControlLeft);
  const POINT origin = width > kWindowWidth ? kWideWindowOrigin : kWindowOrigin;
  return RECT{origin.x, origin.y, origin.x + width, origin.y + kWindowHeight};
}

LRESULT CALLBACK TargetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_SETFOCUS: {
      // The window gets the focus when it is activated, which may happen well after it
      // was shown; the focus belongs to the control.
      HWND control = ::GetWindow(window, GW_CHILD);
      if (control != nullptr) ::SetFocus(control);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND CreateChild(HWND parent, HINSTANCE instance, DWORD extendedStyle, const wchar_t* className,
                 const wchar_t* text, DWORD style, int width, int height) {
  return ::CreateWindowExW(extendedStyle, className, text,
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, kControlLeft, kControlTop,
                           width, height, parent, nullptr, instance, nullptr);
}

HWND CreateFocusControl(HWND parent, HINSTANCE instance, const Request& request, HFONT font) {
  switch (request.kind) {
    case ControlKind::Edit: {
      HWND edit = CreateChild(parent, instance, WS_EX_CLIENTEDGE, L"Edit", L"", ES_AUTOHSCROLL,
                              request.width, request.size + kEditPadding);
      ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      return edit;
    }
    case ControlKind::Combo: {
      // The height given is that of the closed box plus its list.
      HWND combo = CreateChild(parent, instance, 0, L"ComboBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL,
                               request.width, kDropDownHeight);
      for (const wchar_t* item : {L"one", L"two", L"three"}) {
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      }
      ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
      ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request.size);
      return combo;
    }
    case ControlKind::Button:
      break;
  }
  return CreateChild(parent, instance, 0, L"Button", L"Target", 0, request.width, request.size);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*arguments*/,
                    int /*showCommand*/) {
  const Request request = RequestFromCommandLine();
  sevalune::e2e::tools::RegisterToolWindowClass(instance, request.className.c_str(),
                                                &TargetProcedure);

  const RECT place = WindowPlaceFor(request);
  HWND window =
      ::CreateWindowExW(0, request.className.c_str(), request.title.c_str(), WS_OVERLAPPEDWINDOW,
                        place.left, place.top, place.right - place.left, place.bottom - place.top,
                        nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  HFONT font = ::CreateFontW(-request.size, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
  HWND control = CreateFocusControl(window, instance, request, font);
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::SetFocus(control);

  const int exitCode = sevalune::e2e::tools::RunMessageLoop();
  ::DeleteObject(font);
  return exitCode;
}
