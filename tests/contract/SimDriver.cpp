// The contract's world on the simulated desktop. Windows, the threads' input states and
// the files are set the way a scenario sets them; the program is one simulated process
// whose second GUI thread is just another thread id of the same process.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "tests/contract/DesktopDriver.h"

namespace sevalune::contract {
namespace {

constexpr ProcessId kProcess = 4000;
constexpr ThreadId kMainThread = 4001;
constexpr ThreadId kSecondThread = 4002;
// Further processes of the program: 4100 and its thread 4101, then 4200 and 4201, ...
constexpr ProcessId kFirstOtherProcess = 4100;
constexpr ProcessId kProcessStep = 100;
constexpr std::string_view kFolder = "C:\\Contract";
constexpr std::uint32_t kCaretBlinking = 1;
// How many periods LetTimerPeriodsPass lets pass.
constexpr int kTimerPeriods = 3;

class SimDriver final : public DesktopDriver {
 public:
  SimDriver() : program_(desktop_, kProcess, kMainThread) {}

  Flavor Answerer() const override { return Flavor::Simulator; }
  Platform& Program() override { return program_; }
  ThreadId ThreadOf(GuiThread thread) override {
    return thread == GuiThread::Main ? kMainThread : kSecondThread;
  }
  ProcessId Process() const override { return kProcess; }

  WindowHandle AddWindow(const WindowRequest& wanted) override {
    sim::NewWindow request;
    request.className = wanted.className;
    request.title = wanted.title;
    request.process = kProcess;
    request.thread = ThreadOf(wanted.thread);
    request.rect = wanted.rect;
    request.visible = wanted.visible;
    request.enabled = wanted.enabled;
    request.topmost = wanted.topmost;
    return desktop_.CreateWindow(request);
  }

  WindowHandle AddChild(const ChildRequest& wanted) override {
    const sim::SimWindow* parent = desktop_.Window(wanted.parent);
    if (parent == nullptr) return 0;
    // The simulated desktop keeps every rectangle in screen coordinates.
    const Rect origin = parent->rect;
    sim::NewChild request;
    request.parent = wanted.parent;
    request.className = wanted.className;
    request.title = wanted.title;
    request.rect = Rect{origin.left + wanted.rect.left, origin.top + wanted.rect.top,
                        origin.left + wanted.rect.right, origin.top + wanted.rect.bottom};
    request.visible = wanted.visible;
    request.enabled = wanted.enabled;
    return desktop_.CreateChild(request);
  }

  void RemoveWindow(WindowHandle window) override { desktop_.Close(window); }

  void Focus(WindowHandle window) override {
    ChangeInputOf(window, [window](GuiThreadInfo& input) { input.focus = window; });
  }
  void CreateCaret(WindowHandle window, const Rect& caret) override {
    ChangeInputOf(window, [window, caret](GuiThreadInfo& input) {
      input.caret = window;
      input.caretRect = caret;
    });
  }
  void DestroyCaret(GuiThread thread) override {
    ChangeInput(ThreadOf(thread), [](GuiThreadInfo& input) {
      input.caret = 0;
      input.caretRect = Rect{};
    });
  }
  void Capture(WindowHandle window) override {
    ChangeInputOf(window, [window](GuiThreadInfo& input) { input.capture = window; });
  }
  void ReleaseCapture(GuiThread thread) override {
    ChangeInput(ThreadOf(thread), [](GuiThreadInfo& input) { input.capture = 0; });
  }

  bool SetInputMethodOpen(WindowHandle window, bool open) override {
    const sim::SimWindow* found = desktop_.Window(window);
    if (found == nullptr) return false;
    desktop_.SetImeOpen(found->process, open);
    return true;
  }

  void HangSecondThread(bool hung) override { desktop_.SetHung(kProcess, hung); }
  // Everything the simulated desktop does happens at once.
  void LetSecondThreadCatchUp() override {}

  void Publish(WindowHandle window, const PublishedAccessible& published) override {
    sim::SimAccessible answers;
    answers.caret = published.caret;
    // The client object itself is no child: the simulated program names none then.
    if (!published.focusOnItself) answers.focus = published.focusedChild;
    desktop_.SetAccessible(window, answers);
  }
  // A round ends as it is asked for; a new answer is told once its time has passed.
  void LetAccessibilityRoundPass() override { program_.TellAccessibleAnswer(); }

  void SetLeftButton(bool down) override {
    if (down) {
      desktop_.ButtonDown();
    } else {
      desktop_.ButtonUp();
    }
  }

  std::uint32_t DisplayDpi() override { return sim::DefaultMonitors().front().dpi; }

  void AnswerNextBox(bool ok) override { desktop_.QueueBoxAnswer(sim::BoxAnswer{ok, 0}); }
  void AnswerNextMenu(std::string_view keyword, int position) override {
    desktop_.QueueMenuAnswer(sim::MenuAnswer{position == 0 ? "none" : std::string(keyword), 0});
  }

  void SetTextBoxFromOutside(std::string_view text) override {
    desktop_.SetTitle(program_.TextBox(), text);
  }

  std::unique_ptr<Platform> StartAnotherInstance() override {
    const ProcessId process = kFirstOtherProcess + kProcessStep * otherProcesses_++;
    return std::make_unique<sim::SimPlatform>(desktop_, process, process + 1);
  }

  void PostTrayEvent(std::uint32_t eventCode) override {
    program_.Post(sim::SimMessage::TrayCallback(eventCode));
  }

  void LetCaretWatchLook() override {
    for (int i = 0; i < kTimerPeriods; ++i) program_.WatchCaretOnce();
  }

  void LetTimerPeriodsPass() override {
    const bool tick = program_.TimerEnabled() && program_.TimerPeriod() != 0;
    const bool finder = program_.FinderTimerPeriod() != 0;
    for (int i = 0; i < kTimerPeriods; ++i) {
      if (tick) program_.Post(sim::SimMessage::Timer());
      if (finder) program_.Post(sim::SimMessage::FinderFrame());
    }
  }

  void LetFolderChangesSettle() override { desktop_.SettleFileChanges(); }

  std::string WriteFile(std::string_view name, std::string_view bytes) override {
    const std::string path = PathOf(name);
    desktop_.Files().Put(path, std::string(bytes));
    return path;
  }
  std::string MakeDirectory(std::string_view name) override {
    const std::string path = PathOf(name);
    desktop_.Files().PutDirectory(path);
    return path;
  }
  std::string MissingFile(std::string_view name) override { return PathOf(name); }
  void SetReadOnly(const std::string& path, bool readOnly) override {
    desktop_.Files().SetReadOnly(path, readOnly);
  }

 private:
  static std::string PathOf(std::string_view name) {
    return std::string(kFolder) + "\\" + std::string(name);
  }

  void ChangeInputOf(WindowHandle window, const std::function<void(GuiThreadInfo&)>& change) {
    const sim::SimWindow* found = desktop_.Window(window);
    if (found != nullptr) ChangeInput(found->thread, change);
  }

  // Keeps each thread's input as the thread itself set it and tells the desktop what
  // GetGUIThreadInfo reports for it: the caret bit while a caret exists.
  void ChangeInput(ThreadId thread, const std::function<void(GuiThreadInfo&)>& change) {
    GuiThreadInfo& input = input_[thread];
    change(input);
    for (WindowHandle* field : {&input.focus, &input.capture, &input.caret}) {
      if (desktop_.Window(*field) == nullptr) *field = 0;
    }
    if (input.caret == 0) input.caretRect = Rect{};
    input.flags = input.caret != 0 ? kCaretBlinking : 0;
    desktop_.SetGuiState(thread, input);
  }

  sim::SimDesktop desktop_;
  sim::SimPlatform program_;
  std::map<ThreadId, GuiThreadInfo> input_;
  ProcessId otherProcesses_ = 0;
};

}  // namespace

std::unique_ptr<DesktopDriver> MakeDriver() { return std::make_unique<SimDriver>(); }

}  // namespace sevalune::contract
