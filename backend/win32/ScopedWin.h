// Small owners of Windows handles: each releases its handle with the matching call
// when it goes out of scope, so no early return can leak one.
#pragma once

#include <utility>

#include "backend/win32/WindowsHeaders.h"
// After the Windows headers, which choose the Unicode names: not to be sorted before them.
#include <objbase.h>

namespace sevalune::win32 {

// Owns one handle of type Handle and releases it with Release (null means "none").
template <typename Handle, auto Release>
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) noexcept : handle_(handle) {}
  ~ScopedHandle() { reset(); }

  ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }

  // Gives up ownership without releasing (for a handle that is already gone).
  Handle release() noexcept { return std::exchange(handle_, nullptr); }

  void reset(Handle handle = nullptr) noexcept {
    if (handle_ != nullptr) Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using ScopedKernelHandle = ScopedHandle<HANDLE, &::CloseHandle>;
using ScopedIcon = ScopedHandle<HICON, &::DestroyIcon>;
using ScopedMenu = ScopedHandle<HMENU, &::DestroyMenu>;
using ScopedBrush = ScopedHandle<HBRUSH, &::DeleteObject>;
// A window destroyed together with the object that owns it.
using ScopedWindow = ScopedHandle<HWND, &::DestroyWindow>;
// Memory handed out by LocalAlloc (CommandLineToArgvW's answer, for one).
using ScopedLocalMemory = ScopedHandle<HLOCAL, &::LocalFree>;

// A registered window class, unregistered when it goes out of scope. A class that was
// already registered in this process (by another owner) is used but not unregistered.
class ScopedWindowClass {
 public:
  ScopedWindowClass() = default;
  explicit ScopedWindowClass(const WNDCLASSEXW& windowClass) noexcept
      : instance_(windowClass.hInstance) {
    if (::RegisterClassExW(&windowClass) != 0) name_ = windowClass.lpszClassName;
  }
  ~ScopedWindowClass() {
    if (name_ != nullptr) ::UnregisterClassW(name_, instance_);
  }
  ScopedWindowClass(const ScopedWindowClass&) = delete;
  ScopedWindowClass& operator=(const ScopedWindowClass&) = delete;

 private:
  HINSTANCE instance_ = nullptr;
  const wchar_t* name_ = nullptr;  // points at a string literal of the caller
};

// The thread's COM apartment, which the shell may need to open a document.
class ScopedComApartment {
 public:
  ScopedComApartment() noexcept
      : initialized_(SUCCEEDED(
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ScopedComApartment() {
    if (initialized_) ::CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace sevalune::win32
