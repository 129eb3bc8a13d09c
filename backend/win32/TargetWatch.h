// Tells the program, between ticks, that its target may have moved: the system's
// accessibility events for caret moves and shows, focus, foreground and menus
// (SetWinEventHook, out of context, so nothing is loaded into other programs), and a watch
// that re-reads one thread's caret every few milliseconds while the program follows it, for
// programs whose caret raises no events (Wine's own controls raise none). Each notice is a
// message posted to a window of the program's GUI thread; several in a row arrive as one,
// with the threads whose caret raised an event.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "backend/win32/ScopedWin.h"
#include "backend/win32/WindowsHeaders.h"
#include "platform/Platform.h"

namespace sevalune::win32 {

class TargetWatch {
 public:
  // Notices go to `window` as `message`; installs the event hooks.
  TargetWatch(HWND window, UINT message);
  ~TargetWatch();
  TargetWatch(const TargetWatch&) = delete;
  TargetWatch& operator=(const TargetWatch&) = delete;

  // Re-reads this thread's caret between ticks; 0 stops.
  void Follow(DWORD thread);
  // The window has taken the posted notice: what it tells of, and the next one is posted
  // again. On the window's thread.
  TargetNotice Take();

 private:
  static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                  LONG child, DWORD thread, DWORD time) noexcept;
  void Notify();
  void WatchCaret();
  bool CaretMovedSinceLastLook(DWORD thread);

  HWND window_;
  UINT message_;
  std::atomic<bool> posted_{false};
  // What the events since the last notice told; the hook procedure runs on the window's
  // thread (out-of-context hooks are called there), which alone touches it.
  TargetNotice pending_;
  // When the followed thread's caret last raised an event: while its events come, its
  // caret needs no re-reading. Other programs' events say nothing of it.
  std::atomic<std::chrono::steady_clock::rep> lastEvent_{0};
  std::atomic<DWORD> followedNow_{0};  // followed_, for the hook procedure
  ScopedWinEventHook systemHook_;
  ScopedWinEventHook focusHook_;
  ScopedWinEventHook showHook_;
  ScopedWinEventHook locationHook_;

  std::mutex mutex_;
  std::condition_variable wake_;
  DWORD followed_ = 0;        // guarded by mutex_
  bool stopping_ = false;     // guarded by mutex_
  GUITHREADINFO lastLook_{};  // the watch thread's own
  std::thread watcher_;
};

}  // namespace sevalune::win32
