// What the caret helper (caret_app.cpp) understands and shows: messages posted to its
// window, its names, its fixed geometry and the caret rectangle it publishes in its title.
// Shared by the helper and the tests.
//
// The helper draws its caret itself, as a browser engine does: the system knows of no
// caret (GetGUIThreadInfo reports none); the caret is published only through Active
// Accessibility, as the window's OBJID_CARET object, and through WinEvents.
#pragma once

#include <cwchar>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::e2e::caret_app {

inline constexpr const wchar_t* kFrameClass = L"SevaluneE2eCaretApp";
// With the argument "chromium": the class of a browser engine's top-level window, whose
// caret events name the caret by a negative child id of its own, as that engine's do.
inline constexpr const wchar_t* kChromiumFrameClass = L"Chrome_WidgetWin_1";
inline constexpr LONG kChromiumCaretChild = -7;
// The object id with which UI Automation asks a window for its provider (UiaRootObjectId).
inline constexpr LONG kUiaRootObjectId = -25;
inline constexpr const wchar_t* kTitlePrefix = L"Sevalune e2e caret helper";
// Away from the screen's corner, and over the middle of a 1280 x 1024 screen, where the
// pointer rests on a fresh display: without a window manager X sends keys to the window
// under the pointer, so keys typed with xdotool reach the helper too.
inline constexpr POINT kFrameOrigin{260, 200};
inline constexpr SIZE kFrameSize{480, 360};

// The text field, in client coordinates: the focused element that OBJID_CLIENT reports
// as its child kFieldChildId.
inline constexpr RECT kFieldClient{20, 40, 440, 80};
inline constexpr LONG kFieldChildId = 1;

// The caret: a bar this wide and high, at first at kFirstCaretClient (its top-left corner,
// in client coordinates); each typed character moves it kAdvance pixels to the right.
inline constexpr int kCaretWidth = 2;
inline constexpr int kCaretHeight = 24;
inline constexpr POINT kFirstCaretClient{kFieldClient.left + 6, kFieldClient.top + 8};
inline constexpr int kAdvance = 10;

// Posted to the window (PostMessage): each is handled by its window procedure.
enum Command : UINT {
  // Moves the caret's top-left corner to (wParam, lParam) in client coordinates.
  kMoveCaret = WM_APP + 1,
  // Hides the caret: the caret object then says STATE_SYSTEM_INVISIBLE and its
  // accLocation fails with E_FAIL, so that only the focused field remains to be found.
  kHideCaret = WM_APP + 2,
  kShowCaret = WM_APP + 3,
  // Stops pumping messages for wParam milliseconds: the window procedure sleeps, so
  // messages sent to it and accessibility calls into it wait.
  kHang = WM_APP + 4,
  // Sent (SendMessage): answers how many WM_GETOBJECT requests for the object id lParam
  // the window has had so far.
  kRequestsFor = WM_APP + 5,
};

// The caret as the helper publishes it in its title, which another process reads with
// GetWindowTextW without sending a message (so also while the helper hangs):
//   "Sevalune e2e caret helper caret=LEFT,TOP,RIGHT,BOTTOM" (screen coordinates)
//   "Sevalune e2e caret helper caret=hidden"
struct PublishedCaret {
  bool shown = false;
  RECT screen{};
};

inline std::wstring TitleFor(const PublishedCaret& caret) {
  std::wstring title = std::wstring(kTitlePrefix) + L" caret=";
  if (!caret.shown) return title + L"hidden";
  const RECT& r = caret.screen;
  return title + std::to_wstring(r.left) + L',' + std::to_wstring(r.top) + L',' +
         std::to_wstring(r.right) + L',' + std::to_wstring(r.bottom);
}

// Reads what TitleFor wrote; nullopt for any other title.
inline std::optional<PublishedCaret> CaretInTitle(std::wstring_view title) {
  const std::wstring start = std::wstring(kTitlePrefix) + L" caret=";
  if (!title.starts_with(start)) return std::nullopt;
  const std::wstring rest(title.substr(start.size()));
  if (rest == L"hidden") return PublishedCaret{};
  PublishedCaret caret{true, {}};
  const wchar_t* cursor = rest.c_str();
  for (LONG* edge :
       {&caret.screen.left, &caret.screen.top, &caret.screen.right, &caret.screen.bottom}) {
    if (edge != &caret.screen.left && *cursor++ != L',') return std::nullopt;
    wchar_t* end = nullptr;
    *edge = static_cast<LONG>(std::wcstol(cursor, &end, 10));
    if (end == cursor) return std::nullopt;
    cursor = end;
  }
  if (*cursor != L'\0') return std::nullopt;
  return caret;
}

}  // namespace sevalune::e2e::caret_app
