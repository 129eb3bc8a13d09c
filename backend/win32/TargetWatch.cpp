#include "backend/win32/TargetWatch.h"

#include <cstring>
#include <utility>

namespace sevalune::win32 {
namespace {

// How often a followed caret is re-read: often enough that the marker stands at the caret
// within a frame of the screen, and only while the program follows a moving caret.
constexpr auto kLookEvery = std::chrono::milliseconds(10);
// While the system's events came this recently, they tell of every move already.
constexpr auto kEventsSuffice = std::chrono::milliseconds(250);

// The one watch of the process, for the hook procedure, which gets no context of its own.
std::atomic<TargetWatch*> theWatch{nullptr};

constexpr DWORD kOutOfContext = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;

HWINEVENTHOOK Hook(DWORD first, DWORD last, WINEVENTPROC procedure) {
  return ::SetWinEventHook(first, last, nullptr, procedure, 0, 0, kOutOfContext);
}

std::chrono::steady_clock::rep Now() {
  return std::chrono::steady_clock::now().time_since_epoch().count();
}

bool SameCaret(const GUITHREADINFO& a, const GUITHREADINFO& b) {
  return a.hwndCaret == b.hwndCaret && a.hwndFocus == b.hwndFocus &&
         std::memcmp(&a.rcCaret, &b.rcCaret, sizeof a.rcCaret) == 0;
}

}  // namespace

TargetWatch::TargetWatch(HWND window, UINT message) : window_(window), message_(message) {
  theWatch = this;
  systemHook_.reset(Hook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_MENUPOPUPEND, &OnWinEvent));
  focusHook_.reset(Hook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, &OnWinEvent));
  showHook_.reset(Hook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, &OnWinEvent));
  locationHook_.reset(Hook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, &OnWinEvent));
  watcher_ = std::thread([this] { WatchCaret(); });
}

TargetWatch::~TargetWatch() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  watcher_.join();
  TargetWatch* self = this;
  theWatch.compare_exchange_strong(self, nullptr);
}

void TargetWatch::Follow(DWORD thread) {
  {
    const std::lock_guard lock(mutex_);
    if (followed_ == thread) return;
    followed_ = thread;
    followedNow_ = thread;
  }
  wake_.notify_one();
}

TargetNotice TargetWatch::Take() {
  posted_ = false;
  return std::exchange(pending_, TargetNotice{});
}

void CALLBACK TargetWatch::OnWinEvent(HWINEVENTHOOK /*hook*/, DWORD event, HWND /*window*/,
                                      LONG object, LONG /*child*/, DWORD thread,
                                      DWORD /*time*/) noexcept {
  TargetWatch* watch = theWatch;
  if (watch == nullptr) return;
  // Every object's moves and shows are reported; only the caret's matter. Browser engines
  // name their caret with a child id of their own, not CHILDID_SELF.
  const bool objectEvent = event == EVENT_OBJECT_LOCATIONCHANGE || event == EVENT_OBJECT_SHOW;
  if (objectEvent && object != OBJID_CARET) return;
  if (objectEvent) {
    watch->pending_.AddCaretThread(thread);
    if (thread == watch->followedNow_) watch->lastEvent_ = Now();
  }
  watch->Notify();
}

void TargetWatch::Notify() {
  if (!posted_.exchange(true)) ::PostMessageW(window_, message_, 0, 0);
}

void TargetWatch::WatchCaret() {
  DWORD watched = 0;
  for (;;) {
    DWORD thread = 0;
    {
      // Idle, at no cost, until a caret is to be followed.
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || followed_ != 0; });
      if (stopping_) return;
      thread = followed_;
    }
    if (thread != watched) {
      watched = thread;
      lastLook_ = GUITHREADINFO{};
      CaretMovedSinceLastLook(thread);  // the starting point
    } else if (std::chrono::steady_clock::duration(Now() - lastEvent_) > kEventsSuffice &&
               CaretMovedSinceLastLook(thread)) {
      Notify();
    }
    // A plain sleep between looks, not a timed wait: under Wine a wait on a synchronisation
    // object is a round trip to the wineserver, as costly as the look itself; a sleep is not.
    // A stop or a new thread is seen after this sleep at the latest.
    ::Sleep(static_cast<DWORD>(kLookEvery.count()));
  }
}

bool TargetWatch::CaretMovedSinceLastLook(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (::GetGUIThreadInfo(thread, &info) == FALSE) return false;
  const bool moved = !SameCaret(info, lastLook_);
  lastLook_ = info;
  return moved;
}

}  // namespace sevalune::win32
