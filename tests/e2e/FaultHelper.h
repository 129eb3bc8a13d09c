// What the fault tests share: the misbehaving target program (tools/fault_app.cpp) under
// the test's control, the tray icon's click as the shell delivers it, and a check that
// the program's tick still runs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/win32/WindowsHeaders.h"
#include "harness/ChildProcess.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerWatch.h"
#include "harness/Waiting.h"
#include "tools/FaultAppCommands.h"

namespace sevalune::e2e {

// The marker for a caret while the input method is open: default sizes 3 and 4 and the
// colour group 0000FF (red).
inline constexpr int kImeCaretMarkerWidth = 18;
inline constexpr int kImeCaretMarkerHeight = 8;
inline constexpr COLORREF kRed = RGB(0xFF, 0x00, 0x00);

// From SEVALUNE_E2E_FAULT_APP when set, else beside this test program.
std::filesystem::path FaultAppExecutable();

// One running fault helper: its frame holds the foreground and its edit the focus.
class FaultApp {
 public:
  // Starts the helper and waits until it is ready; frame() is null when it never was.
  explicit FaultApp(bool imeOpen);

  HWND frame() const { return frame_; }
  HWND ime() const { return ime_; }
  ChildProcess& process() { return process_; }

  void Post(fault_app::Command command, WPARAM parameter = 0) const;
  // The helper's answer, or nullopt when it does not answer in time (it hangs or is gone).
  std::optional<LRESULT> Ask(fault_app::Query query) const;
  bool Answers() const;
  // Lets a hang (Command::kHang) end now instead of at its time limit.
  void Wake() const;

 private:
  ChildProcess process_;
  HWND frame_ = nullptr;
  HWND ime_ = nullptr;
};

// The first window titled "Default IME" of the frame's process found by walking up the
// z-order from the frame, as the program's input-method probe walks; null when none.
HWND DefaultImeWindowAbove(HWND frame);

// A top-level window of the process whose class is the pop-up menu's ("#32768"), shown.
std::optional<HWND> ShownPopupMenuOf(DWORD processId);

// The shell's call of the tray icon's callback: message 0x200 with the mouse event in lParam.
void ClickTrayIcon(HWND marker, UINT mouseEvent = WM_RBUTTONUP);

// Opens the tray menu of the program `process` with the shell's click while `situation`
// holds, checks that the marker stays hidden while the menu shows, closes the menu with
// Escape and waits until the menu step has ended. False (the failure added) when a step
// never came.
bool OpenAndDismissTrayMenu(HWND marker, DWORD process, std::string_view situation);

// Watches the marker for `duration`: the tick runs while the marker keeps changing
// between shown and hidden (it blinks) or moves.
struct TickEvidence {
  BlinkSummary blink;
  bool Ticking() const { return blink.hides + blink.shows >= 2 || blink.shownRects.size() >= 2; }
};
TickEvidence WatchTicks(HWND marker, Milliseconds duration);

// The fixture: DesktopTest plus fault helpers that are ended after the test.
class FaultTest : public DesktopTest {
 protected:
  void TearDown() override;
  // Starts a helper and checks that it is ready; null frame when it is not.
  FaultApp& StartFaultApp(bool imeOpen = false);
  // Starts the helper's stand-in for the desktop's "Program Manager" window, which a
  // Windows session has and a bare Wine session lacks; returns it, or null.
  HWND StartDesktopStandIn();

 private:
  std::vector<std::unique_ptr<FaultApp>> apps_;
  std::optional<ChildProcess> desktop_;
};

}  // namespace sevalune::e2e
