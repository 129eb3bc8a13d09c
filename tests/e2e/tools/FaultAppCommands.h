// What the fault helper (fault_app.cpp) understands: messages posted to its main window,
// and the names by which a test finds its windows. Shared by the helper and the tests.
#pragma once

#include <string>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::e2e::fault_app {

inline constexpr const wchar_t* kFrameClass = L"SevaluneE2eFaultApp";
inline constexpr const wchar_t* kFrameTitle = L"Sevalune e2e fault helper";
inline constexpr const wchar_t* kImeClass = L"SevaluneE2eFaultIme";
// The title by which a program finds a thread's input-method window.
inline constexpr const wchar_t* kImeTitle = L"Default IME";
// The stand-in for the desktop's own window (the "desktop" argument).
inline constexpr const wchar_t* kDesktopClass = L"Progman";
inline constexpr const wchar_t* kDesktopTitle = L"Program Manager";
inline constexpr POINT kFrameOrigin{300, 220};
inline constexpr SIZE kFrameSize{460, 240};

// Posted to the main window (PostMessage): each is handled by its window procedure.
enum Command : UINT {
  // Stops pumping messages for wParam milliseconds, or until its wake event is set: the
  // window procedure waits.
  kHang = WM_APP + 1,
  // Destroys the focused edit control; the frame keeps running without it.
  kDestroyControl = WM_APP + 2,
  // Creates a new edit control and gives it the focus.
  kCreateControl = WM_APP + 3,
  // Destroys the main window (and the input-method window it owns); the process keeps
  // running, with no window, until it is ended.
  kDestroyFrame = WM_APP + 4,
  // Destroys the focused edit and creates a new one, wParam times, one each timer period
  // (10 ms, the shortest), so that controls vanish between a tracker's ticks.
  kChurnControls = WM_APP + 5,
  // Ends the process at once, with its windows still there (ExitProcess).
  kExit = WM_APP + 6,
};

// Sent (SendMessageTimeout) to the main window; answered with a count.
enum Query : UINT {
  // How many times the input-method window was asked whether the input method is open.
  kImeQueries = WM_APP + 20,
  // How many edit controls were destroyed so far.
  kControlsDestroyed = WM_APP + 21,
};

// A named event that ends a hang early when set; the helper makes it at start.
inline std::wstring WakeEventName(DWORD processId) {
  return L"SevaluneE2eFaultAppWake-" + std::to_wstring(processId);
}

}  // namespace sevalune::e2e::fault_app
