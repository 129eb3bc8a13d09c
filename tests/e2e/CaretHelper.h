// The caret helper (tools/caret_app.cpp) under a test's control: a window that draws its
// own caret and publishes it only through Active Accessibility and WinEvents.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "backend/win32/WindowsHeaders.h"
#include "harness/ChildProcess.h"
#include "tools/CaretAppCommands.h"

namespace sevalune::e2e {

// From SEVALUNE_E2E_CARET_APP when set, else beside this test program.
std::filesystem::path CaretAppExecutable();

// One running caret helper. Once it is ready its window holds the foreground and the
// keyboard focus (the window itself: it has no child windows).
class CaretApp {
 public:
  // Starts the helper with the given arguments ("caret=hidden", "focus=object",
  // "chromium") and waits until it is ready; frame() is null when it never was.
  explicit CaretApp(const std::wstring& arguments = L"");

  HWND frame() const { return frame_; }
  ChildProcess& process() { return process_; }

  void Post(caret_app::Command command, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // Whether the helper reads its messages (answers a message sent with a short time-out).
  bool Answers() const;
  // How many WM_GETOBJECT requests for this object id the helper has had; nullopt when it
  // does not answer.
  std::optional<LRESULT> RequestsFor(LONG objectId) const;
  // The caret as the helper's title says; read without a message, so also while it hangs.
  std::optional<caret_app::PublishedCaret> Published() const;
  // Waits until the published caret is shown at this screen rectangle.
  bool WaitUntilPublishedAt(const RECT& screen) const;
  // A rectangle in the helper's client coordinates, on the screen.
  RECT OnScreen(RECT client) const;

 private:
  ChildProcess process_;
  HWND frame_ = nullptr;
};

}  // namespace sevalune::e2e
