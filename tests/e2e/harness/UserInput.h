// Input as a user gives it: keys injected into the system input with SendInput (they
// reach the foreground window's thread, Wine's notepad included) and pointer moves.
#pragma once

#include <initializer_list>
#include <string_view>

#include "backend/win32/WindowsHeaders.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {

// Types each character as a Unicode key press and release.
void TypeText(std::wstring_view text);
// Presses the keys in order and releases them in reverse order (Alt+F: {VK_MENU, 'F'}).
void PressChord(std::initializer_list<WORD> virtualKeys);
// A chord pressed on the keyboard itself, through the display server, as the user presses
// it: under Wine with xdotool (`xdotoolKeys`, e.g. "ctrl+alt+shift+F12"), which reaches the
// Wine window under the pointer; elsewhere, or without xdotool, with SendInput.
void PressOnKeyboard(const char* xdotoolKeys, std::initializer_list<WORD> virtualKeys);
// Moves the mouse pointer to a screen point.
void MovePointerTo(POINT point);

// Gives `window` the foreground, as a click on it would, until it has kept it for about a
// second: a tick of the program that began before the click may still act on the
// foreground it read then (its recovery, when one of its own windows held the foreground,
// activates the first usable window in z-order), and a user whose click was undone clicks
// again. False when the window never kept the foreground within `timeout`.
bool ClickToFrontUntilItStays(HWND window, Milliseconds timeout);

// Holds the left mouse button down at a screen point for the object's lifetime.
class HeldLeftButton {
 public:
  explicit HeldLeftButton(POINT point);
  ~HeldLeftButton();
  HeldLeftButton(const HeldLeftButton&) = delete;
  HeldLeftButton& operator=(const HeldLeftButton&) = delete;
};

}  // namespace sevalune::e2e
