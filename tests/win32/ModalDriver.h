// Plays the user of a modal box or menu: a hidden message-only window whose timer runs a
// step inside whatever message loop is running, until the step reports that it is done.
#pragma once

#include <functional>
#include <utility>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32::testing {

class ModalDriver {
 public:
  // step is called on every timer message; it returns true when it has done its job.
  explicit ModalDriver(std::function<bool()> step) : step_(std::move(step)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass);
    window_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetTimer(window_, 1, 20, nullptr);
  }
  ~ModalDriver() { ::DestroyWindow(window_); }
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  int steps() const { return steps_; }

 private:
  static constexpr const wchar_t* kClassName = L"SevaluneTestModalDriver";

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<ModalDriver*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_TIMER && self != nullptr) {
      ++self->steps_;
      if (self->step_()) ::KillTimer(window, 1);
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  std::function<bool()> step_;
  HWND window_ = nullptr;
  int steps_ = 0;
};

}  // namespace sevalune::win32::testing
