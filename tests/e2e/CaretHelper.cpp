#include "CaretHelper.h"

#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerWatch.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

constexpr UINT kAnswerTimeoutMs = 200;
constexpr int kTitleBufferSize = 256;

// Keys typed before the activation has reached the helper's thread would be lost.
bool HoldsForegroundAndFocus(HWND frame) {
  if (!::IsWindowVisible(frame) || ::GetForegroundWindow() != frame) return false;
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(frame);
  return thread && thread->focus == frame;
}

}  // namespace

std::filesystem::path CaretAppExecutable() {
  return ProgramFromEnvironmentOr(L"SEVALUNE_E2E_CARET_APP", L"sevalune_e2e_caret_app.exe");
}

CaretApp::CaretApp(const std::wstring& arguments)
    : process_(CaretAppExecutable().wstring(), arguments) {
  const wchar_t* frameClass = arguments.find(L"chromium") != std::wstring::npos
                                  ? caret_app::kChromiumFrameClass
                                  : caret_app::kFrameClass;
  const std::optional<HWND> frame = WaitForValue(
      [&]() -> std::optional<HWND> {
        const std::optional<HWND> window = FindTopLevelWindow(process_.id(), frameClass);
        if (!window || !HoldsForegroundAndFocus(*window)) return std::nullopt;
        return window;
      },
      kStartTimeout);
  frame_ = frame.value_or(nullptr);
}

void CaretApp::Post(caret_app::Command command, WPARAM wParam, LPARAM lParam) const {
  ::PostMessageW(frame_, command, wParam, lParam);
}

bool CaretApp::Answers() const {
  DWORD_PTR answer = 0;
  return ::SendMessageTimeoutW(frame_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                               &answer) != 0;
}

std::optional<LRESULT> CaretApp::RequestsFor(LONG objectId) const {
  DWORD_PTR answer = 0;
  if (::SendMessageTimeoutW(frame_, caret_app::kRequestsFor, 0, objectId, SMTO_ABORTIFHUNG,
                            kAnswerTimeoutMs, &answer) == 0) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(answer);
}

std::optional<caret_app::PublishedCaret> CaretApp::Published() const {
  // For a window of another process GetWindowTextW reads the title the system keeps; it
  // sends no WM_GETTEXT.
  wchar_t title[kTitleBufferSize] = {};
  const int length = ::GetWindowTextW(frame_, title, kTitleBufferSize);
  return caret_app::CaretInTitle(
      std::wstring_view(title, static_cast<std::size_t>(length > 0 ? length : 0)));
}

bool CaretApp::WaitUntilPublishedAt(const RECT& screen) const {
  return WaitUntil(
      [&] {
        const std::optional<caret_app::PublishedCaret> caret = Published();
        return caret && caret->shown && SameRect(caret->screen, screen);
      },
      kTickTimeout);
}

RECT CaretApp::OnScreen(RECT client) const {
  ::MapWindowPoints(frame_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

}  // namespace sevalune::e2e
