// A second GUI thread of this process with a message loop of its own. Windows, focus,
// caret and capture belong to the thread that makes them, so the tests hand that work
// to this thread and wait for it.
#pragma once

#include <functional>

#include "backend/win32/ScopedWin.h"
#include "backend/win32/WindowsHeaders.h"

namespace sevalune::contract {

class SecondGuiThread {
 public:
  // Starts the thread and waits until it takes requests.
  SecondGuiThread();
  // Ends the message loop (the thread's windows go with it) and waits for the thread.
  ~SecondGuiThread();
  SecondGuiThread(const SecondGuiThread&) = delete;
  SecondGuiThread& operator=(const SecondGuiThread&) = delete;

  DWORD Id() const { return threadId_; }

  // Runs the work on this thread and returns when it is done. The caller keeps
  // answering messages sent to its own windows meanwhile, as SendMessage does.
  void Run(const std::function<void()>& work);

  // While hung, the thread takes no messages at all, as a program stuck in a long
  // computation does. Returns once the thread has stopped.
  void Hang();
  void Resume();

 private:
  static DWORD WINAPI ThreadMain(void* self) noexcept;
  static LRESULT CALLBACK RequestProcedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept;
  void Loop();

  win32::ScopedKernelHandle ready_;
  win32::ScopedKernelHandle hungNow_;
  win32::ScopedKernelHandle resume_;
  HWND requests_ = nullptr;  // message-only window of the thread, destroyed by it
  DWORD threadId_ = 0;
  win32::ScopedKernelHandle thread_;
  bool hung_ = false;
};

}  // namespace sevalune::contract
