#include "tests/soak/PlacementOracle.h"

#include <algorithm>
#include <cstdint>

#include "backend/sim/CaseFold.h"

namespace sevalune::soak {
namespace {

constexpr std::string_view kMenu = "menu";
constexpr std::string_view kCaret = "caret";
constexpr std::string_view kParts = "parts";

constexpr std::int32_t kMenuInset = 3;
constexpr std::int32_t kMenuSquare = 18;
constexpr std::int32_t kTallControl = 50;
constexpr std::int32_t kOldMethodCaretDrop = 14;
constexpr std::size_t kLongestClassName = 99;  // what a 100-unit buffer holds

bool ListHasItem(std::string_view list, std::string_view item) {
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = list.find(',', start);
    if (list.substr(start, comma - start) == item) return true;
    if (comma == std::string_view::npos) return false;
    start = comma + 1;
  }
}

// The marker's window after SetWindowPos with this position and size.
Rect MarkerWindowRect(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
  return Rect{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
              static_cast<std::int32_t>(x + std::max<std::int64_t>(width, 0)),
              static_cast<std::int32_t>(y + std::max<std::int64_t>(height, 0))};
}

std::string_view KindOfThreadInfo(const GuiThreadInfo& info) {
  const bool menuMode = static_cast<std::int32_t>(info.flags) >= 4;
  if (menuMode || (info.capture != 0 && info.capture != info.focus)) return kMenu;
  return info.flags == 1 ? kCaret : kParts;
}

}  // namespace

Rect PlacementOracle::RectOf(WindowHandle window) const {
  const sim::SimWindow* found = desktop_.Window(window);
  return found != nullptr ? found->rect : Rect{};
}

std::string PlacementOracle::ClassOf(WindowHandle window) const {
  const sim::SimWindow* found = desktop_.Window(window);
  if (found == nullptr) return {};
  return found->className.substr(0, kLongestClassName);
}

PlacementOracle::Located PlacementOracle::LocateByThreadInfo(WindowHandle foreground) const {
  const sim::SimWindow* window = desktop_.Window(foreground);
  const GuiThreadInfo info = window != nullptr
                                 ? desktop_.GuiState(window->thread).value_or(GuiThreadInfo{})
                                 : GuiThreadInfo{};
  Located located{KindOfThreadInfo(info), Point{info.caretRect.left, info.caretRect.bottom},
                  info.focus};
  // The caret's rectangle is in the client coordinates of its own window.
  const WindowHandle caretWindow = info.caret != 0 ? info.caret : info.focus;
  if (desktop_.Window(caretWindow) != nullptr) {
    located.caret.x += RectOf(caretWindow).left;
    located.caret.y += RectOf(caretWindow).top;
  }
  return located;
}

// The older method borrows the foreground thread's input state; when that thread cannot
// be attached to, the queries answer for the program's own thread, which has no focus.
PlacementOracle::Located PlacementOracle::LocateByAttaching(WindowHandle foreground) const {
  const sim::SimWindow* window = desktop_.Window(foreground);
  const ThreadId other = window != nullptr ? window->thread : 0;
  const bool attached = other != 0 && other != program_.Thread() && desktop_.GuiState(other);
  const GuiThreadInfo info = attached ? *desktop_.GuiState(other) : GuiThreadInfo{};

  Located located{kParts, Point{}, info.focus};
  const Point caret = info.caret != 0 ? Point{info.caretRect.left, info.caretRect.top} : Point{};
  const bool hasCaret = caret.x != 0 || caret.y != 0;
  if (hasCaret) {
    located.caret = caret;
    if (desktop_.Window(info.focus) != nullptr) {
      located.caret.x += RectOf(info.focus).left;
      located.caret.y += RectOf(info.focus).top;
    }
    located.caret.y += kOldMethodCaretDrop;
  }
  located.kind = info.capture != 0 ? kMenu : hasCaret ? kCaret : kParts;
  return located;
}

ProcessId PlacementOracle::TypingProcess(const sim::SimWindow& foreground) const {
  if (!desktop_.PlatformNew()) return foreground.process;
  const std::optional<GuiThreadInfo> state = desktop_.GuiState(foreground.thread);
  if (!state || state->focus == 0 || state->focus == foreground.handle) return foreground.process;
  const sim::SimWindow* focus = desktop_.Window(state->focus);
  return focus != nullptr ? focus->process : foreground.process;
}

bool PlacementOracle::InputMethodOpen(WindowHandle foreground) const {
  const sim::SimWindow* window = desktop_.Window(foreground);
  if (window == nullptr) return false;
  const ProcessId process = TypingProcess(*window);
  const std::vector<WindowHandle>& order = desktop_.Windows().TopLevelZOrder();
  const auto at = std::find(order.begin(), order.end(), foreground);
  for (auto above = at; above != order.begin();) {
    --above;
    const sim::SimWindow& candidate = *desktop_.Window(*above);
    if (candidate.title != "Default IME" || candidate.process != process) continue;
    if (candidate.process != program_.Process() && desktop_.IsHung(candidate.process)) {
      return false;  // no answer in time
    }
    return sim::EqualIgnoringCase(candidate.className, "IME") &&
           desktop_.ImeOpen(candidate.process);
  }
  return false;
}

Rect PlacementOracle::PartsRect(WindowHandle focus) const {
  const Rect control = RectOf(focus);
  const std::int64_t height = std::int64_t{control.bottom} - control.top;
  if (height < kTallControl) {
    return MarkerWindowRect(control.left, std::int64_t{control.bottom} - 1,
                            std::int64_t{control.right} - control.left,
                            profile_.sizes.lowBarHeight);
  }
  const sim::SimWindow* window = desktop_.Window(focus);
  const Rect display = sim::MonitorRectFor(
      desktop_.Monitors(), window != nullptr ? std::optional<Rect>(control) : std::nullopt);
  const std::int64_t x = std::max(std::int64_t{display.left} + 1, std::int64_t{control.left} - 1);
  return MarkerWindowRect(x, control.top, profile_.sizes.tallBarWidth, height);
}

Placement PlacementOracle::Expected(const TickConditions& tick) const {
  Located located =
      tick.oldMethod ? LocateByAttaching(tick.foreground) : LocateByThreadInfo(tick.foreground);
  if (located.kind == kParts && profile_.debugMode) located.kind = kCaret;
  const bool ime = InputMethodOpen(tick.foreground);
  const MarkerColors& colors = profile_.colors;
  const MarkerSizes& sizes = profile_.sizes;

  if (located.kind == kMenu) {
    const Rect window = RectOf(tick.foreground);
    return Placement{
        kMenu,
        MarkerWindowRect(std::int64_t{window.left} + kMenuInset,
                         std::int64_t{window.top} + kMenuInset, kMenuSquare, kMenuSquare),
        colors.menu};
  }
  if (located.kind == kCaret) {
    return Placement{kCaret,
                     MarkerWindowRect(located.caret.x, located.caret.y,
                                      ime ? sizes.caretImeWidth : sizes.caretWidth,
                                      ime ? sizes.caretImeHeight : sizes.caretHeight),
                     ime ? colors.caretIme : colors.caret};
  }
  return Placement{kParts, PartsRect(located.focus), ime ? colors.partsIme : colors.parts};
}

// --- the accessibility fallback ----------------------------------------------------------

namespace {

// A line without width touches what its one pixel column touches.
bool Touches(const Rect& a, const Rect& b) {
  const std::int64_t aRight = std::max<std::int64_t>(a.right, std::int64_t{a.left} + 1);
  return a.left < b.right && b.left < aRight && a.top < b.bottom && b.top < a.bottom;
}

std::int64_t Width(const Rect& r) { return std::int64_t{r.right} - r.left; }
std::int64_t Height(const Rect& r) { return std::int64_t{r.bottom} - r.top; }

// The documented rules: a caret has height, is at most half its display in each direction
// and touches both its display and its window.
bool BelievableCaret(const Rect& caret, const AccessibleView& view) {
  return Height(caret) > 0 && Width(caret) >= 0 && 2 * Height(caret) <= Height(view.display) &&
         2 * Width(caret) <= Width(view.display) && Touches(caret, view.display) &&
         Touches(caret, view.window);
}

// An element has area, fits its display, touches its display and window, and does not
// cover the whole window.
bool BelievableElement(const Rect& element, const AccessibleView& view) {
  const Rect& w = view.window;
  const bool coversWindow = element.left <= w.left && element.top <= w.top &&
                            element.right >= w.right && element.bottom >= w.bottom;
  return Height(element) > 0 && Width(element) > 0 && Height(element) <= Height(view.display) &&
         Width(element) <= Width(view.display) && Touches(element, view.display) &&
         Touches(element, view.window) && !coversWindow;
}

// What a round answers: the first step with a rectangle of height.
bool Answers(const std::optional<Rect>& rect) {
  return rect && rect->bottom > rect->top && rect->right >= rect->left;
}

}  // namespace

WindowHandle PlacementOracle::AccessibleAsked(const TickConditions& tick) const {
  if (!profile_.accessibility) return 0;
  const sim::SimWindow* window = desktop_.Window(tick.foreground);
  if (window == nullptr) return 0;
  if (tick.oldMethod) {
    const Located located = LocateByAttaching(tick.foreground);
    if (located.kind != kParts) return 0;
    return located.focus != 0 ? located.focus : tick.foreground;
  }
  const GuiThreadInfo info = desktop_.GuiState(window->thread).value_or(GuiThreadInfo{});
  const std::string_view kind = KindOfThreadInfo(info);
  if (kind == kMenu) return 0;
  if (kind == kCaret && info.caret != 0 && info.caretRect.bottom > info.caretRect.top) return 0;
  return info.focus != 0 ? info.focus : tick.foreground;
}

std::optional<Placement> PlacementOracle::AccessiblePlacement(const AccessibleView& view,
                                                              bool ime) const {
  const sim::SimAccessible& published = view.published;
  const bool msaa = published.via == sim::SimAccessible::Interface::Msaa;
  const bool uia = !msaa && view.uiAutomation;
  std::optional<Rect> caret;
  std::optional<Rect> element;
  if (msaa && Answers(published.caret)) {
    caret = published.caret;
  } else if (uia && Answers(published.caret)) {
    caret = published.caret;
  } else if (uia && Answers(published.selection)) {
    caret = published.selection;
  } else if ((msaa || uia) && Answers(published.focus)) {
    element = published.focus;
  }
  const MarkerColors& colors = profile_.colors;
  const MarkerSizes& sizes = profile_.sizes;
  const auto block = [&](Point at) {
    return Placement{kCaret,
                     MarkerWindowRect(at.x, at.y, ime ? sizes.caretImeWidth : sizes.caretWidth,
                                      ime ? sizes.caretImeHeight : sizes.caretHeight),
                     ime ? colors.caretIme : colors.caret};
  };
  // Judged against the display that holds what was found (a line as one pixel wide).
  AccessibleView judged = view;
  if (const std::optional<Rect>& found = caret ? caret : element) {
    Rect held = *found;
    if (held.right <= held.left) held.right = held.left + 1;
    judged.display = sim::MonitorRectFor(desktop_.Monitors(), held);
  }
  if (caret) {
    if (!BelievableCaret(*caret, judged)) return std::nullopt;
    return block(Point{caret->left, caret->bottom});
  }
  if (!element || !BelievableElement(*element, judged)) return std::nullopt;
  if (profile_.debugMode) return block(Point{element->left, element->top});
  const Rect& control = *element;
  const std::int64_t height = Height(control);
  if (height < kTallControl) {
    return Placement{kParts,
                     MarkerWindowRect(control.left, std::int64_t{control.bottom} - 1,
                                      Width(control), sizes.lowBarHeight),
                     ime ? colors.partsIme : colors.parts};
  }
  const std::int64_t x =
      std::max(std::int64_t{judged.display.left} + 1, std::int64_t{control.left} - 1);
  return Placement{kParts, MarkerWindowRect(x, control.top, sizes.tallBarWidth, height),
                   ime ? colors.partsIme : colors.parts};
}

std::vector<Placement> PlacementOracle::Acceptable(const TickConditions& tick,
                                                   const AccessibleViews& before,
                                                   const AccessibleViews& now) const {
  std::vector<Placement> acceptable{Expected(tick)};
  const WindowHandle asked = AccessibleAsked(tick);
  if (asked == 0) return acceptable;
  for (const AccessibleViews* views : {&before, &now}) {
    const auto view = views->find(asked);
    if (view == views->end()) continue;
    if (auto placement = AccessiblePlacement(view->second, InputMethodOpen(tick.foreground))) {
      acceptable.push_back(*placement);
    }
  }
  return acceptable;
}

AccessibleViews PlacementOracle::ViewAccessibles() const {
  AccessibleViews views;
  for (const auto& [window, published] : desktop_.Accessibles()) {
    const sim::SimWindow* found = desktop_.Window(window);
    if (found == nullptr) continue;
    views.emplace(window, AccessibleView{published, found->rect,
                                         sim::MonitorRectFor(desktop_.Monitors(), found->rect),
                                         desktop_.UiAutomation()});
  }
  return views;
}

bool PlacementOracle::DropDownListOpen() const {
  for (const WindowHandle window : desktop_.Windows().TopLevelZOrder()) {
    if (sim::EqualIgnoringCase(desktop_.Window(window)->className, "ComboLBox")) {
      return desktop_.Windows().IsVisibleWithAncestors(window);
    }
  }
  return false;
}

std::optional<std::string> PlacementOracle::ReasonNotToPlace(const TickConditions& tick,
                                                             std::string_view kind) const {
  if (tick.MenuIsOpen) return "the tray menu was open";
  if (!tick.trackingOn) return "tracking was switched off";
  const sim::SimWindow* textBox = desktop_.Window(program_.TextBox());
  if (textBox != nullptr && textBox->title == "1") return "the suppression text was \"1\"";
  const WindowHandle foreground = tick.foreground;
  if (foreground == 0) return "no window held the foreground";
  if (foreground == program_.Marker() || foreground == program_.ApplicationWindow()) {
    return "one of the program's own windows held the foreground";
  }
  const std::string className = ClassOf(foreground);
  if (ListHasItem(profile_.neverList, className)) return "the foreground class is on list 1";
  const sim::SimWindow* window = desktop_.Window(foreground);
  if (className == "ThunderForm" && window != nullptr && window->title.starts_with("_うおう_")) {
    return "the foreground is a hidden form by its title";
  }
  if (DropDownListOpen()) return "a drop-down list was open";
  if (!desktop_.Windows().IsVisibleWithAncestors(foreground)) return "the foreground was hidden";
  if (window == nullptr || !window->enabled) return "the foreground was disabled";
  if (ListHasItem(profile_.menusOnlyList, className) && kind != kMenu) {
    return "the foreground class is on list 2 and no menu was open";
  }
  return std::nullopt;
}

}  // namespace sevalune::soak
