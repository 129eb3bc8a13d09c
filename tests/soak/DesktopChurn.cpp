#include "tests/soak/DesktopChurn.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <string>

#include "tests/soak/SoakProfile.h"

namespace sevalune::soak {
namespace {

using sim::NewChild;
using sim::NewWindow;

struct ThreadSlot {
  ProcessId process;
  ThreadId thread;
};

// Six other programs; the first has two GUI threads.
constexpr std::array<ThreadSlot, 7> kThreads{{{5100, 5101},
                                              {5100, 5102},
                                              {5200, 5201},
                                              {5300, 5301},
                                              {5400, 5401},
                                              {5500, 5501},
                                              {5600, 5601}}};

constexpr std::size_t kMostTopLevelWindows = 24;
constexpr std::size_t kMostControls = 48;
constexpr std::size_t kFirstTopLevelWindows = 10;
constexpr int kFirstThreadStates = 6;

// How often each change is made, relative to the others.
struct Weighted {
  ChangeKind kind;
  std::uint32_t weight;
};
constexpr std::array<Weighted, kChangeKindCount> kWeights{{
    {ChangeKind::CreateWindow, 6},
    {ChangeKind::CreateControl, 5},
    {ChangeKind::DestroyWindow, 6},
    {ChangeKind::ShowOrHide, 6},
    {ChangeKind::EnableOrDisable, 4},
    {ChangeKind::Restack, 8},
    {ChangeKind::Move, 8},
    {ChangeKind::Topmost, 2},
    {ChangeKind::Rename, 3},
    {ChangeKind::Foreground, 14},
    {ChangeKind::FocusAndCapture, 14},
    {ChangeKind::Caret, 12},
    {ChangeKind::InputMethod, 6},
    {ChangeKind::Hang, 1},
    {ChangeKind::Cursor, 8},
    {ChangeKind::Button, 4},
    {ChangeKind::SuppressionText, 1},
    {ChangeKind::ForegroundLock, 1},
    {ChangeKind::Accessibility, 10},
}};

constexpr std::uint32_t TotalWeight() {
  std::uint32_t total = 0;
  for (const Weighted& each : kWeights) total += each.weight;
  return total;
}

const std::string kLongClassName(120, 'L');

// Classes of ordinary windows, and of those that a gate of the tick singles out.
constexpr std::array<std::string_view, 13> kWindowClasses{
    "Notepad",        "Notepad",       "Chrome_WidgetWin_1", "#32770",          "ThunderForm",
    "ThunderRT6Main", "XThunderYMain", "ComboLBox",          kNeverMarkedClass, kMenusOnlyClass,
    kParkingClass,    "Edit",          "LongClass"};
constexpr std::array<std::string_view, 10> kTitles{
    "",   "memo - Notepad", "memo - Notepad", "Settings",    "Korvanel",
    "び", "_うおう_form",   "_うおう",        "Default IME", "Program Manager"};
constexpr std::array<std::string_view, 4> kControlClasses{"Edit", "Button", "RichEdit20W",
                                                          "ComboBox"};
// Menu modes, moving or sizing, and a caret; plain caret states come most often.
constexpr std::array<std::uint32_t, 12> kThreadFlags{0, 1, 1, 1, 1, 2, 3, 4, 5, 8, 16, 17};
// Texts that look like the suppression switch but are not; "1" itself is set rarely.
constexpr std::array<std::string_view, 4> kNearSuppressionTexts{"", "01", "1 ", "x"};
constexpr std::uint32_t kSuppressOdds = 25;

}  // namespace

std::string_view ChangeKindName(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::CreateWindow:
      return "create-window";
    case ChangeKind::CreateControl:
      return "create-control";
    case ChangeKind::DestroyWindow:
      return "destroy";
    case ChangeKind::ShowOrHide:
      return "show-hide";
    case ChangeKind::EnableOrDisable:
      return "enable-disable";
    case ChangeKind::Restack:
      return "restack";
    case ChangeKind::Move:
      return "move";
    case ChangeKind::Topmost:
      return "topmost";
    case ChangeKind::Rename:
      return "rename";
    case ChangeKind::Foreground:
      return "foreground";
    case ChangeKind::FocusAndCapture:
      return "focus-capture";
    case ChangeKind::Caret:
      return "caret";
    case ChangeKind::InputMethod:
      return "input-method";
    case ChangeKind::Hang:
      return "hang";
    case ChangeKind::Cursor:
      return "cursor";
    case ChangeKind::Button:
      return "button";
    case ChangeKind::SuppressionText:
      return "suppression-text";
    case ChangeKind::ForegroundLock:
      return "foreground-lock";
    case ChangeKind::Accessibility:
      return "accessibility";
  }
  return "?";
}

DesktopChurn::DesktopChurn(sim::SimDesktop& desktop, const sim::SimPlatform& program,
                           RandomSource& random)
    : desktop_(desktop), program_(program), random_(random) {}

void DesktopChurn::Populate() {
  for (std::size_t i = 0; i < kFirstTopLevelWindows; ++i) {
    CreateWindow();
    CreateControl();
  }
  for (const ThreadSlot& slot : kThreads) {
    desktop_.SetGuiState(slot.thread, GuiThreadInfo{});
  }
  for (int i = 0; i < kFirstThreadStates; ++i) ChangeFocusAndCapture();
  // Start-up asks the foreground window's thread which location method works.
  const WindowHandle first = AnyTopLevel();
  desktop_.SetVisible(first, true);
  desktop_.SetForeground(first);
}

ChangeKind DesktopChurn::ChangeOne() {
  const ChangeKind kind = PickKind();
  Apply(kind);
  ++counts_[static_cast<std::size_t>(kind)];
  return kind;
}

ChangeKind DesktopChurn::PickKind() {
  std::uint32_t draw = random_.Below(TotalWeight());
  for (const Weighted& each : kWeights) {
    if (draw < each.weight) return each.kind;
    draw -= each.weight;
  }
  return ChangeKind::Cursor;
}

void DesktopChurn::Apply(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::CreateWindow:
      return CreateWindow();
    case ChangeKind::CreateControl:
      return CreateControl();
    case ChangeKind::DestroyWindow:
      return DestroyWindow();
    case ChangeKind::ShowOrHide:
      return ShowOrHide();
    case ChangeKind::EnableOrDisable:
      return EnableOrDisable();
    case ChangeKind::Restack:
      return Restack();
    case ChangeKind::Move:
      return Move();
    case ChangeKind::Topmost:
      return Topmost();
    case ChangeKind::Rename:
      return Rename();
    case ChangeKind::Foreground:
      return MoveForeground();
    case ChangeKind::FocusAndCapture:
      return ChangeFocusAndCapture();
    case ChangeKind::Caret:
      return ChangeCaret();
    case ChangeKind::InputMethod:
      return OpenOrCloseInputMethod();
    case ChangeKind::Hang:
      return HangOrWake();
    case ChangeKind::Cursor:
      return MoveCursor();
    case ChangeKind::Button:
      return UseButton();
    case ChangeKind::SuppressionText:
      return SetSuppressionText();
    case ChangeKind::ForegroundLock:
      return ToggleForegroundLock();
    case ChangeKind::Accessibility:
      return ChangeAccessibility();
  }
}

// --- windows ----------------------------------------------------------------------------

void DesktopChurn::CreateWindow() {
  if (topLevels_.size() >= kMostTopLevelWindows) return DestroyWindow();
  const ThreadSlot& slot = kThreads[random_.Below(kThreads.size())];
  NewWindow request;
  const std::string_view className =
      random_.PickFrom(std::span<const std::string_view>(kWindowClasses));
  request.className = className == "LongClass" ? kLongClassName : std::string(className);
  request.title = std::string(random_.PickFrom(std::span<const std::string_view>(kTitles)));
  request.process = slot.process;
  request.thread = slot.thread;
  request.rect = AnyWindowRect();
  // An open drop-down list hides the marker everywhere, so most of them start closed.
  request.visible = className == "ComboLBox" ? random_.OneIn(4) : !random_.OneIn(8);
  request.enabled = !random_.OneIn(10);
  request.topmost = random_.OneIn(8);
  request.defaultImeWindow = !random_.OneIn(5);
  topLevels_.push_back(desktop_.CreateWindow(request));
}

void DesktopChurn::CreateControl() {
  if (controls_.size() >= kMostControls) return DestroyWindow();
  const WindowHandle parent = AnyTopLevel();
  const sim::SimWindow* parentWindow = desktop_.Window(parent);
  if (parentWindow == nullptr) return;
  NewChild request;
  request.parent = parent;
  request.className =
      std::string(random_.PickFrom(std::span<const std::string_view>(kControlClasses)));
  const Rect& outer = parentWindow->rect;
  const int left = outer.left + random_.Between(0, 200);
  const int top = outer.top + random_.Between(0, 150);
  // Low controls get the bar under them, tall ones the bar beside them.
  const int height = random_.OneIn(2) ? random_.Between(1, 49) : random_.Between(50, 300);
  request.rect = Rect{left, top, left + random_.Between(1, 400), top + height};
  request.visible = !random_.OneIn(10);
  request.enabled = !random_.OneIn(10);
  const WindowHandle control = desktop_.CreateChild(request);
  if (control != 0) controls_.push_back(control);
}

void DesktopChurn::DestroyWindow() {
  const WindowHandle window = random_.OneIn(3) ? AnyControl() : AnyTopLevel();
  if (window != 0) desktop_.Close(window);
}

void DesktopChurn::ShowOrHide() {
  const WindowHandle window = AnyWindow();
  const sim::SimWindow* found = desktop_.Window(window);
  if (found == nullptr) return;
  const bool hidden = found->className == "ComboLBox" ? !random_.OneIn(4) : random_.OneIn(4);
  desktop_.SetVisible(window, !hidden);
}

void DesktopChurn::EnableOrDisable() { desktop_.SetEnabled(AnyWindow(), !random_.OneIn(3)); }

void DesktopChurn::Restack() {
  const WindowHandle window = AnyWindow();
  if (random_.OneIn(2)) {
    desktop_.Raise(window);
  } else {
    desktop_.Lower(window);
  }
}

void DesktopChurn::Move() {
  const WindowHandle window = AnyWindow();
  const sim::SimWindow* found = desktop_.Window(window);
  if (found == nullptr) return;
  Rect rect = found->rect;
  const int dx = random_.Between(-300, 300);
  const int dy = random_.Between(-200, 200);
  rect = Rect{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
  if (random_.OneIn(3)) rect.bottom = rect.top + random_.Between(1, 120);
  // Windows wandering off far away come back onto the displays.
  if (std::abs(rect.left) > 4000 || std::abs(rect.top) > 3000) rect = AnyWindowRect();
  desktop_.SetRect(window, rect);
}

void DesktopChurn::Topmost() { desktop_.SetTopmost(AnyTopLevel(), random_.OneIn(2)); }

void DesktopChurn::Rename() {
  const WindowHandle window = AnyTopLevel();
  if (random_.OneIn(2)) {
    desktop_.SetTitle(window, random_.PickFrom(std::span<const std::string_view>(kTitles)));
  } else {
    const std::string_view className =
        random_.PickFrom(std::span<const std::string_view>(kWindowClasses));
    desktop_.SetClass(window,
                      className == "LongClass" ? std::string_view(kLongClassName) : className);
    // A window that becomes a drop-down list is mostly a closed one.
    if (className == "ComboLBox" && !random_.OneIn(4)) desktop_.SetVisible(window, false);
  }
}

// --- foreground, threads, input ---------------------------------------------------------

void DesktopChurn::MoveForeground() {
  const std::uint32_t draw = random_.Below(20);
  WindowHandle target = 0;
  if (draw < 2) {
    target = 0;  // the foreground vanishes
  } else if (draw < 4) {
    target = program_.Marker();
  } else if (draw < 6) {
    target = program_.ApplicationWindow();
  } else if (draw < 7) {
    target = desktop_.Lookup("progman");
  } else {
    target = AnyTopLevel();
  }
  desktop_.SetForeground(target);
}

GuiThreadInfo DesktopChurn::StateOf(ThreadId thread) const {
  GuiThreadInfo info = desktop_.GuiState(thread).value_or(GuiThreadInfo{});
  info.active = 0;  // the desktop fills it in from the foreground window
  return info;
}

void DesktopChurn::ChangeFocusAndCapture() {
  const ThreadSlot& slot = kThreads[random_.Below(kThreads.size())];
  GuiThreadInfo info = StateOf(slot.thread);
  const std::uint32_t focusDraw = random_.Below(10);
  info.focus = focusDraw == 0 ? 0 : focusDraw == 1 ? AnyWindow() : AnyWindowOfThread(slot.thread);
  const std::uint32_t captureDraw = random_.Below(10);
  info.capture = captureDraw < 7   ? 0
                 : captureDraw < 8 ? info.focus
                 : captureDraw < 9 ? AnyWindowOfThread(slot.thread)
                                   : AnyWindow();
  info.flags = random_.PickFrom(std::span<const std::uint32_t>(kThreadFlags));
  if ((info.flags & 1u) != 0 || random_.OneIn(4)) {
    info.caret = info.focus;
    const int x = random_.Between(0, 300);
    const int y = random_.OneIn(10) ? 0 : random_.Between(0, 200);
    info.caretRect = Rect{x, y, x + 1, y + random_.Between(1, 20)};
    if (random_.OneIn(12)) info.caretRect = Rect{0, 0, 1, 16};  // a caret at the client origin
  } else {
    info.caret = 0;
    info.caretRect = Rect{};
  }
  desktop_.SetGuiState(slot.thread, info);
}

void DesktopChurn::ChangeCaret() {
  const ThreadSlot& slot = kThreads[random_.Below(kThreads.size())];
  GuiThreadInfo info = StateOf(slot.thread);
  if (random_.OneIn(5)) {
    info.caret = 0;  // the caret disappears
    info.caretRect = Rect{};
    info.flags &= ~1u;
  } else {
    // The caret moves as the user types, or appears in the focus window.
    if (info.caret == 0) info.caret = info.focus;
    // A caret typed far past the window's edge starts a new line.
    if (info.caretRect.left > 1500) info.caretRect.left = 0;
    const int dx = random_.Between(-20, 40);
    const int dy = random_.OneIn(5) ? random_.Between(-20, 20) : 0;
    info.caretRect = Rect{info.caretRect.left + dx, info.caretRect.top + dy,
                          info.caretRect.left + dx + 1, info.caretRect.top + dy + 16};
    if (info.flags == 0) info.flags = 1;
  }
  desktop_.SetGuiState(slot.thread, info);
}

void DesktopChurn::OpenOrCloseInputMethod() { desktop_.SetImeOpen(AnyProcess(), random_.OneIn(2)); }

void DesktopChurn::HangOrWake() {
  const ProcessId process = AnyProcess();
  desktop_.SetHung(process, !desktop_.IsHung(process));
}

void DesktopChurn::MoveCursor() {
  desktop_.SetCursor(Point{random_.Between(-1900, 1919), random_.Between(0, 1079)});
}

void DesktopChurn::UseButton() {
  const std::uint32_t draw = random_.Below(4);
  if (draw < 2) {
    desktop_.ButtonClick();
  } else if (draw == 2) {
    desktop_.ButtonDown();
  } else {
    desktop_.ButtonUp();
  }
}

void DesktopChurn::SetSuppressionText() {
  const sim::SimWindow* box = desktop_.Window(program_.TextBox());
  const bool suppressed = box != nullptr && box->title == "1";
  // The suppression is lifted again soon, or the run would track little.
  std::string_view text = "1";
  if (suppressed ? !random_.OneIn(8) : !random_.OneIn(kSuppressOdds)) {
    text = random_.PickFrom(std::span<const std::string_view>(kNearSuppressionTexts));
  }
  desktop_.SetTitle(program_.TextBox(), text);
}

void DesktopChurn::ToggleForegroundLock() {
  // Locked only now and then, and never for long.
  desktop_.SetForegroundLock(!desktop_.ForegroundLocked() && random_.OneIn(2));
}

// --- picking ----------------------------------------------------------------------------

WindowHandle DesktopChurn::LivingPick(const sim::SimDesktop& desktop,
                                      std::vector<WindowHandle>& pool, RandomSource& random) {
  while (!pool.empty()) {
    const std::size_t index = random.Below(static_cast<std::uint32_t>(pool.size()));
    if (desktop.Window(pool[index]) != nullptr) return pool[index];
    pool[index] = pool.back();
    pool.pop_back();
  }
  return 0;
}

WindowHandle DesktopChurn::AnyTopLevel() { return LivingPick(desktop_, topLevels_, random_); }

WindowHandle DesktopChurn::AnyControl() { return LivingPick(desktop_, controls_, random_); }

WindowHandle DesktopChurn::AnyWindow() { return random_.OneIn(3) ? AnyControl() : AnyTopLevel(); }

WindowHandle DesktopChurn::AnyWindowOfThread(ThreadId thread) {
  std::vector<WindowHandle> ofThread;
  for (const std::vector<WindowHandle>* pool : {&topLevels_, &controls_}) {
    for (const WindowHandle window : *pool) {
      const sim::SimWindow* found = desktop_.Window(window);
      if (found != nullptr && found->thread == thread) ofThread.push_back(window);
    }
  }
  if (ofThread.empty()) return 0;
  return ofThread[random_.Below(static_cast<std::uint32_t>(ofThread.size()))];
}

ProcessId DesktopChurn::AnyProcess() { return kThreads[random_.Below(kThreads.size())].process; }

Rect DesktopChurn::AnyWindowRect() {
  const int left = random_.Between(-1800, 1700);
  const int top = random_.Between(-50, 900);
  return Rect{left, top, left + random_.Between(60, 900), top + random_.Between(30, 700)};
}

// --- accessibility -----------------------------------------------------------------------

Rect DesktopChurn::AccessibleRect(const Rect& window, bool caret) {
  if (random_.OneIn(6)) {
    static constexpr std::array<Rect, 4> kNonsense{{{0, 0, 0, 0},
                                                    {-100000, -100000, 100000, 100000},
                                                    {-5000, -5000, -4990, -4980},
                                                    {0, 0, 0, 0}}};
    const std::size_t which = random_.Below(kNonsense.size());
    if (which < 3) return kNonsense[which];
    // Beside its window: coordinates of another moment.
    return Rect{window.right + 50, window.top, window.right + 60, window.top + 20};
  }
  if (!caret && random_.OneIn(5)) return window;  // the whole window named as the focus
  const int x = window.left + random_.Between(0, 300);
  const int y = window.top + random_.Between(0, 200);
  if (caret) return Rect{x, y, x + random_.Between(0, 2), y + random_.Between(12, 30)};
  const int height = random_.OneIn(3) ? random_.Between(50, 250) : random_.Between(10, 49);
  return Rect{x, y, x + random_.Between(1, 400), y + height};
}

void DesktopChurn::ChangeAccessibility() {
  if (random_.OneIn(20)) return desktop_.SetUiAutomation(!desktop_.UiAutomation());
  // Half the time the window the user works in: the focus window of the foreground thread.
  WindowHandle window = AnyWindow();
  if (const sim::SimWindow* foreground = desktop_.Window(desktop_.Foreground());
      foreground != nullptr && random_.OneIn(2)) {
    const WindowHandle focus = StateOf(foreground->thread).focus;
    window = focus != 0 ? focus : foreground->handle;
  }
  const sim::SimWindow* found = desktop_.Window(window);
  if (found == nullptr) return;
  if (random_.OneIn(4)) {
    desktop_.SetAccessible(window, std::nullopt);
    return;
  }
  sim::SimAccessible published;
  published.via =
      random_.OneIn(3) ? sim::SimAccessible::Interface::Uia : sim::SimAccessible::Interface::Msaa;
  const bool uia = published.via == sim::SimAccessible::Interface::Uia;
  if (!random_.OneIn(3)) published.caret = AccessibleRect(found->rect, true);
  if (uia && random_.OneIn(3)) published.selection = AccessibleRect(found->rect, true);
  if (random_.OneIn(2)) published.focus = AccessibleRect(found->rect, false);
  const std::uint32_t pace = random_.Below(8);
  published.roundMs = pace == 0 ? 80 : pace == 1 ? 30 : 1;
  if (random_.OneIn(5)) published.lazyRounds = static_cast<std::uint32_t>(random_.Between(1, 20));
  desktop_.SetAccessible(window, published);
}

}  // namespace sevalune::soak
