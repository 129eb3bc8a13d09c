// A target that misbehaves on request, for the fault tests: a top-level window whose
// focused edit control shows a caret, with an input-method window of its own that a
// tracker can ask, and commands (FaultAppCommands.h) that make it hang, lose its focused
// control, lose its window or end abruptly.
//
//   sevalune_e2e_fault_app.exe [ime=open|closed]
//   sevalune_e2e_fault_app.exe desktop
//
//   ime      what its input-method window answers when asked whether the input method is
//            open (WM_IME_CONTROL, IMC_GETOPENSTATUS); default closed
//   desktop  instead, stands in for the desktop's own top-level window, which a Windows
//            session has and a bare Wine session lacks: a window of class "Progman"
//            titled "Program Manager" over the whole screen, at the bottom of the
//            z-order, shown without taking the activation
//
// The input-method window: every GUI thread has a hidden "Default IME" window. On Windows
// it is owned by the application's window and so lies above it in the z-order, where a
// tracker walking up from the foreground window finds it. Under Wine it has no owner and
// lies below, out of that walk. This program therefore makes its own hidden window
// titled "Default IME", owned by its main window (so above it, as on Windows), on the same
// thread: while that thread hangs, a tracker that asks it is asking a hung thread.
#include <algorithm>
#include <string>
#include <vector>

#include "FaultAppCommands.h"
#include "ToolWindow.h"
#include "backend/win32/LaunchOptions.h"
#include "backend/win32/WindowInstance.h"
#include "backend/win32/WindowsHeaders.h"

namespace {

namespace app = sevalune::e2e::fault_app;
using sevalune::e2e::tools::RegisterToolWindowClass;
using sevalune::e2e::tools::RunMessageLoop;

bool HasArgument(const wchar_t* wanted) {
  const std::vector<std::wstring> arguments = sevalune::win32::CommandLineArguments();
  return std::find(arguments.begin(), arguments.end(), wanted) != arguments.end();
}

constexpr int kControlLeft = 30;
constexpr int kControlTop = 50;
constexpr int kControlWidth = 360;
constexpr int kControlHeight = 28;
constexpr UINT_PTR kChurnTimerId = 1;
constexpr UINT kShortestTimerPeriodMs = 10;
constexpr WPARAM kImcGetOpenStatus = 5;

struct AppState {
  HINSTANCE instance = nullptr;
  bool imeOpen = false;
  HWND edit = nullptr;
  HWND ime = nullptr;
  HANDLE wake = nullptr;
  LRESULT imeQueries = 0;
  LRESULT controlsDestroyed = 0;
  WPARAM churnLeft = 0;
};

HWND CreateEdit(HWND frame, AppState& state) {
  HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"fault",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kControlLeft,
                                kControlTop, kControlWidth, kControlHeight, frame, nullptr,
                                state.instance, nullptr);
  ::SendMessageW(edit, EM_SETSEL, 5, 5);  // the caret after the text, off the client origin
  ::SetFocus(edit);
  return edit;
}

void DestroyEdit(AppState& state) {
  if (state.edit == nullptr) return;
  ::DestroyWindow(state.edit);
  state.edit = nullptr;
  ++state.controlsDestroyed;
}

void ChurnOnce(HWND frame, AppState& state) {
  DestroyEdit(state);
  state.edit = CreateEdit(frame, state);
  if (state.churnLeft > 0) --state.churnLeft;
  if (state.churnLeft == 0) ::KillTimer(frame, kChurnTimerId);
}

LRESULT CALLBACK ImeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  AppState* state = sevalune::win32::WindowInstance<AppState>(window, message, lParam);
  if (message == WM_IME_CONTROL && wParam == kImcGetOpenStatus && state != nullptr) {
    ++state->imeQueries;
    return state->imeOpen ? 1 : 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT HandleCommand(HWND frame, AppState& state, UINT message, WPARAM wParam) {
  switch (message) {
    case app::kHang:
      ::ResetEvent(state.wake);
      ::WaitForSingleObject(state.wake, static_cast<DWORD>(wParam));
      return 0;
    case app::kDestroyControl:
      DestroyEdit(state);
      return 0;
    case app::kCreateControl:
      DestroyEdit(state);
      state.edit = CreateEdit(frame, state);
      return 0;
    case app::kDestroyFrame:
      ::DestroyWindow(frame);
      return 0;
    case app::kChurnControls:
      state.churnLeft = wParam;
      if (wParam > 0) ::SetTimer(frame, kChurnTimerId, kShortestTimerPeriodMs, nullptr);
      return 0;
    case app::kExit:
      ::ExitProcess(0);
    case app::kImeQueries:
      return state.imeQueries;
    case app::kControlsDestroyed:
      return state.controlsDestroyed;
    default:
      return 0;
  }
}

LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  AppState* state = sevalune::win32::WindowInstance<AppState>(window, message, lParam);
  if (state == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message >= WM_APP && message <= app::kControlsDestroyed) {
    return HandleCommand(window, *state, message, wParam);
  }
  switch (message) {
    case WM_SETFOCUS:
      // Activation may come well after the window was shown; the focus belongs to the edit.
      if (state->edit != nullptr) ::SetFocus(state->edit);
      return 0;
    case WM_TIMER:
      if (wParam == kChurnTimerId) ChurnOnce(window, *state);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

int RunDesktopStandIn(HINSTANCE instance) {
  RegisterToolWindowClass(instance, app::kDesktopClass, &::DefWindowProcW);
  HWND desktop = ::CreateWindowExW(0, app::kDesktopClass, app::kDesktopTitle, WS_POPUP, 0, 0,
                                   ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                   nullptr, nullptr, instance, nullptr);
  if (desktop == nullptr) return 1;
  ::SetWindowPos(desktop, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  return RunMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*arguments*/,
                    int /*showCommand*/) {
  if (HasArgument(L"desktop")) return RunDesktopStandIn(instance);
  AppState state;
  state.instance = instance;
  state.imeOpen = HasArgument(L"ime=open");
  state.wake =
      ::CreateEventW(nullptr, TRUE, FALSE, app::WakeEventName(::GetCurrentProcessId()).c_str());
  RegisterToolWindowClass(instance, app::kFrameClass, &FrameProcedure);
  RegisterToolWindowClass(instance, app::kImeClass, &ImeProcedure);

  HWND frame = ::CreateWindowExW(0, app::kFrameClass, app::kFrameTitle, WS_OVERLAPPEDWINDOW,
                                 app::kFrameOrigin.x, app::kFrameOrigin.y, app::kFrameSize.cx,
                                 app::kFrameSize.cy, nullptr, nullptr, instance, &state);
  if (frame == nullptr) return 1;
  // Hidden and owned by the frame: above it in the z-order, never shown.
  state.ime = ::CreateWindowExW(0, app::kImeClass, app::kImeTitle, WS_POPUP, 0, 0, 0, 0, frame,
                                nullptr, instance, &state);
  state.edit = CreateEdit(frame, state);
  ::ShowWindow(frame, SW_SHOWNORMAL);
  ::SetFocus(state.edit);

  const int exitCode = RunMessageLoop();
  ::CloseHandle(state.wake);
  return exitCode;
}
