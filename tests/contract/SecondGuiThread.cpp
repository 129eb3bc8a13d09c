#include "tests/contract/SecondGuiThread.h"

#include <stdexcept>

namespace sevalune::contract {
namespace {

constexpr const wchar_t* kRequestClass = L"SevaluneContractRequests";
constexpr UINT kRunMessage = WM_APP + 1;
constexpr UINT kHangMessage = WM_APP + 2;
constexpr UINT kQuitMessage = WM_APP + 3;

}  // namespace

SecondGuiThread::SecondGuiThread()
    : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      hungNow_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      resume_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &RequestProcedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kRequestClass;
  ::RegisterClassExW(&windowClass);  // fails harmlessly when an earlier driver registered it

  thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, this, 0, &threadId_));
  if (!thread_) throw std::runtime_error("CreateThread failed");
  ::WaitForSingleObject(ready_.get(), INFINITE);
  if (requests_ == nullptr) throw std::runtime_error("the second GUI thread has no window");
}

SecondGuiThread::~SecondGuiThread() {
  Resume();
  ::PostMessageW(requests_, kQuitMessage, 0, 0);
  ::WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI SecondGuiThread::ThreadMain(void* self) noexcept {
  static_cast<SecondGuiThread*>(self)->Loop();
  return 0;
}

void SecondGuiThread::Loop() {
  requests_ = ::CreateWindowExW(0, kRequestClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  if (requests_ != nullptr) {
    ::SetWindowLongPtrW(requests_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ::SetEvent(ready_.get());
  if (requests_ == nullptr) return;
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

LRESULT CALLBACK SecondGuiThread::RequestProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) noexcept {
  auto* self = reinterpret_cast<SecondGuiThread*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case kRunMessage:
      (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return 0;
    case kHangMessage:
      if (self != nullptr) {
        ::SetEvent(self->hungNow_.get());
        ::WaitForSingleObject(self->resume_.get(), INFINITE);
      }
      return 0;
    case kQuitMessage:
      ::DestroyWindow(window);
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

void SecondGuiThread::Run(const std::function<void()>& work) {
  ::SendMessageW(requests_, kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void SecondGuiThread::Hang() {
  if (hung_) return;
  hung_ = true;
  ::ResetEvent(resume_.get());
  ::PostMessageW(requests_, kHangMessage, 0, 0);
  // Until the thread has taken the request, a message sent to it would still be answered.
  ::WaitForSingleObject(hungNow_.get(), INFINITE);
}

void SecondGuiThread::Resume() {
  hung_ = false;
  ::SetEvent(resume_.get());
}

}  // namespace sevalune::contract
