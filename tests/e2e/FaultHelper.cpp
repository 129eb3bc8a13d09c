#include "FaultHelper.h"

#include <chrono>
#include <iostream>

#include "backend/win32/ScopedWin.h"
#include "harness/Desktop.h"
#include "harness/MenusAndBoxes.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

constexpr UINT kAnswerTimeoutMs = 500;

bool HasFocusAndCaret(HWND frame) {
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(frame);
  return thread && thread->focus != nullptr && thread->caretWindow == thread->focus &&
         ::GetParent(thread->focus) == frame;
}

}  // namespace

std::filesystem::path FaultAppExecutable() {
  return ProgramFromEnvironmentOr(L"SEVALUNE_E2E_FAULT_APP", L"sevalune_e2e_fault_app.exe");
}

FaultApp::FaultApp(bool imeOpen)
    : process_(FaultAppExecutable().wstring(), imeOpen ? L"ime=open" : L"ime=closed") {
  const std::optional<HWND> frame = WaitForValue(
      [&]() -> std::optional<HWND> {
        const std::optional<HWND> window =
            FindTopLevelWindow(process_.id(), fault_app::kFrameClass);
        if (!window || !::IsWindowVisible(*window) || ::GetForegroundWindow() != *window) {
          return std::nullopt;
        }
        return window;
      },
      kStartTimeout);
  if (!frame) return;
  // Keys and probes before the activation has reached the helper's thread would miss.
  if (!WaitUntil([&] { return HasFocusAndCaret(*frame); }, kStartTimeout)) return;
  frame_ = *frame;
  ime_ = FindTopLevelWindow(process_.id(), fault_app::kImeClass).value_or(nullptr);
}

void FaultApp::Post(fault_app::Command command, WPARAM parameter) const {
  ::PostMessageW(frame_, command, parameter, 0);
}

std::optional<LRESULT> FaultApp::Ask(fault_app::Query query) const {
  DWORD_PTR answer = 0;
  if (::SendMessageTimeoutW(frame_, query, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) ==
      0) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(answer);
}

bool FaultApp::Answers() const { return Ask(fault_app::kImeQueries).has_value(); }

void FaultApp::Wake() const {
  const win32::ScopedKernelHandle wake(
      ::OpenEventW(EVENT_MODIFY_STATE, FALSE, fault_app::WakeEventName(process_.id()).c_str()));
  if (wake) ::SetEvent(wake.get());
}

HWND DefaultImeWindowAbove(HWND frame) {
  const DWORD process = ProcessOf(frame);
  for (HWND window = ::GetWindow(frame, GW_HWNDPREV); window != nullptr;
       window = ::GetWindow(window, GW_HWNDPREV)) {
    wchar_t title[32] = {};
    ::GetWindowTextW(window, title, 32);
    if (std::wstring(title) == fault_app::kImeTitle && ProcessOf(window) == process) return window;
  }
  return nullptr;
}

std::optional<HWND> ShownPopupMenuOf(DWORD processId) {
  for (HWND window : TopLevelWindowsOfClass(L"#32768")) {
    if (ProcessOf(window) == processId && ::IsWindowVisible(window)) return window;
  }
  return std::nullopt;
}

void ClickTrayIcon(HWND marker, UINT mouseEvent) {
  ::PostMessageW(marker, WM_MOUSEMOVE, 0, static_cast<LPARAM>(mouseEvent));
}

bool OpenAndDismissTrayMenu(HWND marker, DWORD process, std::string_view situation) {
  const auto clicked = std::chrono::steady_clock::now();
  ClickTrayIcon(marker);
  if (!WaitForValue([&] { return ShownPopupMenuOf(process); }, kTickTimeout)) {
    ADD_FAILURE() << "no pop-up menu " << situation;
    return false;
  }
  std::cout << "[ menu     ] shown "
            << std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now() - clicked)
                   .count()
            << " ms after the click\n";
  const HWND menuWindow = MenuWindowOf(process);
  EXPECT_FALSE(IsPlaced(WindowRectOf(marker)))
      << "the marker shows during the menu at " << Describe(WindowRectOf(marker));
  PressChord({VK_ESCAPE});
  EXPECT_TRUE(WaitUntil([&] { return !ShownPopupMenuOf(process).has_value(); }, kTickTimeout))
      << "Escape did not close the menu";
  if (!WaitUntilMenuStepEnded(process, menuWindow)) {
    ADD_FAILURE() << "the menu step did not end";
    return false;
  }
  return true;
}

TickEvidence WatchTicks(HWND marker, Milliseconds duration) {
  return TickEvidence{SummariseBlinking(RecordMarker(marker, duration))};
}

void FaultTest::TearDown() {
  apps_.clear();
  desktop_.reset();
  DesktopTest::TearDown();
}

FaultApp& FaultTest::StartFaultApp(bool imeOpen) {
  apps_.push_back(std::make_unique<FaultApp>(imeOpen));
  FaultApp& app = *apps_.back();
  EXPECT_NE(app.frame(), nullptr) << "the fault helper did not come up with a focused edit; "
                                  << "foreground: " << DescribeWindow(::GetForegroundWindow());
  return app;
}

HWND FaultTest::StartDesktopStandIn() {
  desktop_.emplace(FaultAppExecutable().wstring(), L"desktop");
  const std::optional<HWND> desktop = WaitForValue(
      [&]() -> std::optional<HWND> {
        const std::optional<HWND> window =
            FindTopLevelWindow(desktop_->id(), fault_app::kDesktopClass);
        if (!window || !::IsWindowVisible(*window)) return std::nullopt;
        return window;
      },
      kStartTimeout);
  EXPECT_TRUE(desktop.has_value()) << "the desktop stand-in did not show up";
  return desktop.value_or(nullptr);
}

}  // namespace sevalune::e2e
