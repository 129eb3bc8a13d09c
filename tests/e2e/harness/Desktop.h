// What another program on the same desktop can see: windows, their places and styles,
// the pixels on the screen and the caret of another program's GUI thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::e2e {

// Coordinates in physical pixels, as the program itself sees them.
void UsePhysicalPixels();

DWORD ProcessOf(HWND window);
std::wstring ClassNameOf(HWND window);
// The window's text, asked for with a time-out so that a hung program cannot block us.
std::wstring TextOf(HWND window);

// Top-level windows, visible or not, in z-order from the top.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
std::vector<HWND> TopLevelWindowsOfClass(std::wstring_view className);
// The first top-level window of the process with this class (and this title when given).
std::optional<HWND> FindTopLevelWindow(DWORD processId, std::wstring_view className,
                                       std::optional<std::wstring_view> title = std::nullopt);
std::optional<HWND> FindChildWindow(HWND parent, std::wstring_view className);

// Whether a pop-up menu (class "#32768") is showing anywhere on the desktop.
bool PopupMenuIsShowing();

RECT WindowRectOf(HWND window);
bool IsTopmost(HWND window);
LONG_PTR ExtendedStyleOf(HWND window);

// The colours (0x00BBGGRR) of the screen's pixels inside the rectangle, row by row;
// empty when they cannot be read.
std::vector<COLORREF> ScreenPixels(const RECT& area);

// The caret and focus of the GUI thread that owns `window`, as GetGUIThreadInfo answers.
struct ThreadCaret {
  DWORD flags = 0;
  HWND focus = nullptr;
  HWND capture = nullptr;
  HWND menuOwner = nullptr;
  HWND caretWindow = nullptr;
  RECT caretClient{};         // in the caret window's client coordinates
  POINT lowerLeftOnScreen{};  // (left, bottom) converted with the focus window
  POINT upperLeftOnScreen{};  // (left, top) converted with the focus window
};
std::optional<ThreadCaret> CaretOfThreadOf(HWND window);

// Readable forms for failure messages.
std::string Describe(const RECT& rect);
std::string DescribeColor(COLORREF color);
std::string DescribeWindow(HWND window);

}  // namespace sevalune::e2e
