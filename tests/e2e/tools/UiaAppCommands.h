// What the UI Automation helper (uia_app.cpp) understands and shows: its names, its fixed
// geometry, the messages posted to it, and the title in which it publishes its field and
// the requests it got. Shared by the helper, the probe (uia_probe.cpp) and the tests; it
// needs no UI Automation declarations, so programs built with either mingw-w64 include it.
//
// The helper's focused element is known only through UI Automation: no system caret, no
// caret or focused child through Active Accessibility, no child windows.
#pragma once

#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::e2e::uia_app {

inline constexpr const wchar_t* kFrameClass = L"SevaluneE2eUiaApp";
inline constexpr const wchar_t* kTitlePrefix = L"Sevalune e2e UIA helper";
inline constexpr POINT kFrameOrigin{300, 240};
inline constexpr SIZE kFrameSize{480, 300};

// The focused text field, in client coordinates: 200 x 24 pixels.
inline constexpr RECT kFieldClient{40, 60, 240, 84};

// WM_GETOBJECT's object id for UI Automation's root provider (uiautomationcoreapi.h).
inline constexpr LONG kUiaRootObjectId = -25;

// Posted to the window (PostMessage): each is handled by its window procedure.
enum Command : UINT {
  // From now on every provider call that reads the field (its rectangle, a property, the
  // focus) waits wParam milliseconds before it answers, or until the wake event is set;
  // 0 answers at once again. A call that waits holds the window's thread when the calls
  // come through its apartment, as they do from another process on Windows.
  kHang = WM_APP + 1,
};

// A named event that ends every wait at once and switches the hang off; the helper makes it
// at start.
inline std::wstring WakeEventName(DWORD processId) {
  return L"SevaluneE2eUiaAppWake-" + std::to_wstring(processId);
}

// What the title says (read with GetWindowTextW, without a message to the helper, so also
// while it hangs):
//   "Sevalune e2e UIA helper field=L,T,R,B uia=N client=N caret=N other=N calls=N busy=N"
// field: the field's screen rectangle; uia, client, caret, other: the WM_GETOBJECT requests
// for UiaRootObjectId, OBJID_CLIENT, OBJID_CARET and any other id; calls: the provider calls
// answered; busy: the provider calls waiting in a hang now.
struct Published {
  RECT field{};
  long uia = 0;
  long client = 0;
  long caret = 0;
  long other = 0;
  long calls = 0;
  long busy = 0;
};

inline std::wstring TitleFor(const Published& p) {
  const auto number = [](const wchar_t* key, long value) {
    return std::wstring(L" ") + key + L'=' + std::to_wstring(value);
  };
  return std::wstring(kTitlePrefix) + L" field=" + std::to_wstring(p.field.left) + L',' +
         std::to_wstring(p.field.top) + L',' + std::to_wstring(p.field.right) + L',' +
         std::to_wstring(p.field.bottom) + number(L"uia", p.uia) + number(L"client", p.client) +
         number(L"caret", p.caret) + number(L"other", p.other) + number(L"calls", p.calls) +
         number(L"busy", p.busy);
}

// Reads what TitleFor wrote; nullopt for any other title.
inline std::optional<Published> PublishedInTitle(std::wstring_view title) {
  const std::wstring start = std::wstring(kTitlePrefix) + L" field=";
  if (!title.starts_with(start)) return std::nullopt;
  const std::wstring rest(title.substr(start.size()));
  Published p;
  const wchar_t* cursor = rest.c_str();
  const auto read = [&cursor](long& value, const wchar_t* before) {
    const std::size_t length = std::wcslen(before);
    if (std::wcsncmp(cursor, before, length) != 0) return false;
    cursor += length;
    wchar_t* end = nullptr;
    value = std::wcstol(cursor, &end, 10);
    if (end == cursor) return false;
    cursor = end;
    return true;
  };
  long left = 0;
  long top = 0;
  long right = 0;
  long bottom = 0;
  if (!read(left, L"") || !read(top, L",") || !read(right, L",") || !read(bottom, L",") ||
      !read(p.uia, L" uia=") || !read(p.client, L" client=") || !read(p.caret, L" caret=") ||
      !read(p.other, L" other=") || !read(p.calls, L" calls=") || !read(p.busy, L" busy=") ||
      *cursor != L'\0') {
    return std::nullopt;
  }
  p.field = RECT{left, top, right, bottom};
  return p;
}

}  // namespace sevalune::e2e::uia_app
