// The simulated process: its start, its windows, its message queue and its end.
#include <algorithm>
#include <string>

#include "backend/sim/SimPlatform.h"
#include "platform/AppIdentity.h"

namespace sevalune::sim {
namespace {

// The text box lies well to the right of the few pixels of the main window ever seen.
constexpr Rect kTextBoxRect{1000, 0, 1100, 20};

}  // namespace

SimPlatform::SimPlatform(SimDesktop& desktop, ProcessId process, ThreadId thread,
                         std::string executableDirectory)
    : desktop_(desktop),
      process_(process),
      thread_(thread),
      executableDirectory_(std::move(executableDirectory)) {
  desktop_.RegisterProcess(*this);
  // The executable lies in its folder, which therefore exists.
  if (!desktop_.Files().FolderExists(executableDirectory_)) {
    desktop_.Files().PutDirectory(executableDirectory_);
  }
  frmSevalune_ = CreateOwnWindow("marker", "SevaluneMarker", kMainWindowTitle, true);
  NewChild textBox;
  textBox.name = UniqueName("textbox");
  textBox.parent = frmSevalune_;
  textBox.className = "Edit";
  textBox.rect = kTextBoxRect;
  txtYokusi_ = desktop_.CreateChild(textBox);
  app_ = CreateOwnWindow("app", "SevaluneApp", kAppTitle, false);
}

SimPlatform::~SimPlatform() {
  if (!ended_) EndProcess(Cause::Scenario);
  desktop_.UnregisterProcess(*this);
}

void SimPlatform::SetEventHandler(PlatformEvents* handler) {
  Enter("SetEventHandler");
  handler_ = handler;
}

WindowHandle SimPlatform::ExistingMenuForm() const {
  return desktop_.Window(frmMenu_) != nullptr ? frmMenu_ : 0;
}

void SimPlatform::Post(SimMessage message) {
  if (ended_) return;
  // WM_TIMER is generated, never queued twice for one timer; so are the notices of a moved
  // target.
  const auto coalesced = [](SimMessage::Kind kind) {
    return kind == SimMessage::Kind::Timer || kind == SimMessage::Kind::FinderFrame ||
           kind == SimMessage::Kind::TargetMoved;
  };
  const auto same = [&message](const SimMessage& queued) { return queued.kind == message.kind; };
  if (coalesced(message.kind)) {
    const auto queued = std::find_if(queue_.begin(), queue_.end(), same);
    if (queued != queue_.end()) return queued->notice.Merge(message.notice);
  }
  queue_.push_back(message);
}

void SimPlatform::Deliver(SimMessage message) { Dispatch(message); }

void SimPlatform::Notify(SimMessage message) {
  if (desktop_.InsideCallHook()) {
    Post(message);
  } else {
    Deliver(message);
  }
}

bool SimPlatform::Enter(std::string_view callName) {
  desktop_.NoteCall(callName);
  if (QuitRequested() && !ended_) ++callsAfterQuit_;
  return !QuitRequested() && !ended_;
}

WindowHandle SimPlatform::CreateOwnWindow(std::string_view baseName, std::string_view className,
                                          std::string_view title, bool noActivate) {
  NewWindow request;
  request.name = UniqueName(baseName);
  request.className = className;
  request.title = title;
  request.process = process_;
  request.thread = thread_;
  request.visible = false;
  request.noActivate = noActivate;
  return desktop_.CreateWindow(request);
}

// The first instance's windows carry the plain names; another instance's are told apart
// by its process id.
std::string SimPlatform::UniqueName(std::string_view baseName) const {
  std::string name(baseName);
  if (desktop_.Lookup(name) != 0) {
    // Appended piece by piece: "@" + to_string(...) trips GCC 12's false -Wrestrict warning
    // with mingw-w64's standard library.
    name += '@';
    name += std::to_string(process_);
  }
  return name;
}

void SimPlatform::Dispatch(const SimMessage& message) {
  if (ended_ || QuitRequested() || handler_ == nullptr) return;
  // A stopped timer's pending tick is dropped, as KillTimer removes it.
  if (message.kind == SimMessage::Kind::Timer && !timerEnabled_) return;
  if (message.kind == SimMessage::Kind::FinderFrame && finderTimerPeriod_ == 0) return;
  RunAsHandler([this, &message] {
    switch (message.kind) {
      case SimMessage::Kind::Timer:
        handler_->OnTimer();
        break;
      case SimMessage::Kind::TrayCallback:
        handler_->OnTrayCallback(message.eventCode);
        break;
      case SimMessage::Kind::TaskbarCreated:
        handler_->OnTaskbarCreated();
        break;
      case SimMessage::Kind::Hotkey:
        handler_->OnHotkey(static_cast<int>(message.eventCode));
        break;
      case SimMessage::Kind::FinderFrame:
        handler_->OnFinderFrame();
        break;
      case SimMessage::Kind::SettingsFileChanged:
        handler_->OnSettingsFileChanged();
        break;
      case SimMessage::Kind::TargetMoved:
        handler_->OnTargetMoved(message.notice);
        break;
    }
  });
}

void SimPlatform::SettleWatchedFolder() {
  if (ended_ || watchedFolder_.empty()) return;
  const std::uint64_t changes = desktop_.Files().ChangesIn(watchedFolder_);
  if (changes == watchedChangesSeen_) return;
  watchedChangesSeen_ = changes;
  Notify(SimMessage::SettingsFileChanged());
}

void SimPlatform::RunAsHandler(const std::function<void()>& handler) {
  if (ended_ || QuitRequested()) return;
  ++handlerDepth_;
  handler();
  --handlerDepth_;
  if (handlerDepth_ == 0 && QuitRequested() && !ended_) EndProcess(Cause::Program);
}

void SimPlatform::RunNestedTicks(int count) {
  for (int i = 0; i < count && !ended_ && !QuitRequested(); ++i) {
    if (nestedTickDriver_) {
      nestedTickDriver_();
    } else {
      Deliver(SimMessage::Timer());
    }
  }
}

void SimPlatform::EndProcess(Cause cause) {
  ended_ = true;
  menuOpen_ = false;
  attachedTo_ = 0;
  queue_.clear();
  finderFrame_.reset();
  finderTimerPeriod_ = 0;
  watchedFolder_.clear();
  desktop_.ReleaseHotkeys(process_);
  desktop_.DestroyWindows(desktop_.Windows().TopLevelWindowsOf(process_), cause);
  desktop_.ReleaseMutex(process_);
}

bool SimPlatform::PumpMessages() {
  if (!Enter("PumpMessages")) return false;
  // One pass: what is posted meanwhile waits for the next pump.
  for (std::size_t waiting = queue_.size(); waiting > 0 && !queue_.empty(); --waiting) {
    const SimMessage message = queue_.front();
    queue_.pop_front();
    Dispatch(message);
  }
  return !QuitRequested();
}

bool SimPlatform::AnotherInstanceRunning() {
  if (!Enter("AnotherInstanceRunning")) return false;
  // Asked once: the process keeps the name while it runs, and the answer with it.
  if (!anotherInstanceRunning_) anotherInstanceRunning_ = desktop_.AskMutex(process_);
  return *anotherInstanceRunning_;
}

void SimPlatform::Quit(int exitCode) {
  if (!Enter("Quit")) return;
  exitCode_ = exitCode;
  // Asked outside any handler: nothing is left to unwind.
  if (handlerDepth_ == 0) EndProcess(Cause::Program);
}

}  // namespace sevalune::sim
