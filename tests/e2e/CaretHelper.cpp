#include "CaretHelper.h"

#include "harness/Desktop.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

constexpr UINT kAnswerTimeoutMs = 200;
constexpr int kTitleBufferSize = 256;

std::filesystem::path FolderOfThisProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path(path).parent_path();
    }
    path.resize(path.size() * 2);
  }
}

std::wstring EnvironmentValue(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

// Keys typed before the activation has reached the helper's thread would be lost.
bool HoldsForegroundAndFocus(HWND frame) {
  if (!::IsWindowVisible(frame) || ::GetForegroundWindow() != frame) return false;
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(frame);
  return thread && thread->focus == frame;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

std::filesystem::path CaretAppExecutable() {
  const std::wstring fromEnvironment = EnvironmentValue(L"SEVALUNE_E2E_CARET_APP");
  if (!fromEnvironment.empty()) return std::filesystem::path(fromEnvironment).make_preferred();
  return FolderOfThisProgram() / L"sevalune_e2e_caret_app.exe";
}

CaretApp::CaretApp(const std::wstring& arguments)
    : process_(CaretAppExecutable().wstring(), arguments) {
  const std::optional<HWND> frame = WaitForValue(
      [&]() -> std::optional<HWND> {
        const std::optional<HWND> window =
            FindTopLevelWindow(process_.id(), caret_app::kFrameClass);
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
