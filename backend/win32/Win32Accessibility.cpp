// The accessibility query: answered from the worker threads' latest round, which the GUI
// thread never waits for.
#include "backend/win32/AccessibleReader.h"
#include "backend/win32/HandleCast.h"
#include "backend/win32/Win32Platform.h"

namespace sevalune::win32 {

AccessibleAnswer Win32Platform::QueryAccessible(WindowHandle window, std::uint64_t serial,
                                                AccessibleReach reach) {
  if (!accessibility_) {
    AccessibleWorkerOptions options;
    options.makeRound = [] { return std::make_unique<AccessibleReader>(); };
    options.threadOf = [](WindowHandle asked) {
      return static_cast<std::uint32_t>(::GetWindowThreadProcessId(ToHwnd(asked), nullptr));
    };
    options.processOf = [](WindowHandle asked) {
      DWORD process = 0;
      ::GetWindowThreadProcessId(ToHwnd(asked), &process);
      return static_cast<std::uint32_t>(process);
    };
    // A worker may outlive this object: it posts to the marker by its handle, which fails
    // harmlessly once the window is gone.
    options.answered = [marker = frmSevalune_.get()] {
      ::PostMessageW(marker, kMsgAccessibleAnswer, 0, 0);
    };
    accessibility_ = std::make_unique<AccessibleWorkers>(std::move(options));
  }
  return accessibility_->Query(window, serial, reach);
}

}  // namespace sevalune::win32
