// Pure rules of the accessibility fallback: when it is used, which answer is fresh enough,
// and which rectangles a provider reports are believed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "marker/Target.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tracking/ClassList.h"
#include "tracking/LocationMethod.h"

namespace sevalune {

// The fallback looks only where the system query showed no caret: a focused control
// without one, or (per-thread query) a caret without a caret window or with an empty
// rectangle. The older method has no caret window to check; a menu is never replaced.
constexpr bool NeedsAccessibleLook(const Target& target, LocationMethod method) {
  switch (target.kind) {
    case TargetKind::FocusedControl:
      return true;
    case TargetKind::Caret: {
      if (method == LocationMethod::AttachThreadInput) return false;
      const GuiThreadInfo& info = target.threadGuiInfo;
      return info.caret == 0 || info.caretRect.bottom <= info.caretRect.top;
    }
    case TargetKind::Menu:
    case TargetKind::None:
      break;
  }
  return false;
}

// How far a window may be asked, by its classes and those of its foreground window: not at
// all when either is on the never-asked list (which wins), only for the OBJID_CARET object
// when either is on the caret-only list, else the whole chain. An empty list names no
// class, not the empty one.
inline std::optional<AccessibleReach> AccessibleReachFor(const AccessibleClassLists& lists,
                                                         std::string_view foregroundClass,
                                                         std::string_view askedClass) {
  const auto listed = [&](std::string_view list) {
    return !list.empty() &&
           (ClassListContains(list, foregroundClass) || ClassListContains(list, askedClass));
  };
  if (listed(lists.neverAsked)) return std::nullopt;
  if (listed(lists.caretOnly)) return AccessibleReach::CaretOnly;
  return AccessibleReach::Everything;
}

// An answer is used only when it answers the request made on the tick just before, for
// the window asked about now: never one older than a tick.
constexpr bool AnswersPreviousTick(const AccessibleAnswer& answer, std::uint64_t tick,
                                   WindowHandle window) {
  return tick > 0 && answer.serial == tick - 1 && answer.window == window;
}

// Between ticks an answer is used when it answers, for the window asked about now, the
// request of the last tick (or one made since under its serial) or of the tick just before
// it, if that one asked about the same windows (`askedSince`, the first tick of the run of
// ticks that asked about them): a round asked between those ticks may end after the last
// tick asked again. Never one older than a tick, as for the tick itself.
constexpr bool AnswersRecentRequest(const AccessibleAnswer& answer, std::uint64_t lastAsked,
                                    std::uint64_t askedSince, WindowHandle window) {
  return lastAsked > 0 && answer.window == window && answer.serial <= lastAsked &&
         answer.serial + 1 >= lastAsked && answer.serial >= askedSince;
}

// What the program makes of a rectangle a provider reported.
enum class AccessibleVerdict {
  Usable,
  Empty,          // no height (or a negative width): there is nothing to mark
  Enormous,       // too large for what it claims to be
  OffDisplay,     // not on the display of its window: off every screen, or on another one
  OutsideWindow,  // does not touch its window (coordinates of another moment or place)
  WholeWindow,    // an element covering its whole window: nothing smaller to mark
};

namespace accessible_detail {

constexpr std::int64_t Width(const Rect& r) { return std::int64_t{r.right} - r.left; }
constexpr std::int64_t Height(const Rect& r) { return std::int64_t{r.bottom} - r.top; }

// Whether two rectangles share a pixel; a line without width counts as one pixel wide.
constexpr bool Touches(const Rect& a, const Rect& b) {
  const std::int64_t aRight = std::max<std::int64_t>(a.right, std::int64_t{a.left} + 1);
  return a.left < b.right && b.left < aRight && a.top < b.bottom && b.top < a.bottom;
}

constexpr bool Contains(const Rect& outer, const Rect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

constexpr AccessibleVerdict Placement(const Rect& rect, const Rect& window, const Rect& display) {
  if (!Touches(rect, display)) return AccessibleVerdict::OffDisplay;
  if (!Touches(rect, window)) return AccessibleVerdict::OutsideWindow;
  return AccessibleVerdict::Usable;
}

}  // namespace accessible_detail

// A caret: a line or a narrow block with height. Taller or wider than half its display it
// is no caret (a provider that reports the whole document or a bogus size).
constexpr AccessibleVerdict JudgeAccessibleCaret(const Rect& caret, const Rect& window,
                                                 const Rect& display) {
  using namespace accessible_detail;
  if (Height(caret) <= 0 || Width(caret) < 0) return AccessibleVerdict::Empty;
  if (Height(caret) * 2 > Height(display) || Width(caret) * 2 > Width(display)) {
    return AccessibleVerdict::Enormous;
  }
  return Placement(caret, window, display);
}

// A focused element: a rectangle with area, no larger than its display, inside its window
// but smaller than it (an element covering the whole window adds nothing to the bar that
// the window itself gets).
constexpr AccessibleVerdict JudgeAccessibleElement(const Rect& element, const Rect& window,
                                                   const Rect& display) {
  using namespace accessible_detail;
  if (Height(element) <= 0 || Width(element) <= 0) return AccessibleVerdict::Empty;
  if (Height(element) > Height(display) || Width(element) > Width(display)) {
    return AccessibleVerdict::Enormous;
  }
  const AccessibleVerdict placed = Placement(element, window, display);
  if (placed != AccessibleVerdict::Usable) return placed;
  if (Contains(element, window)) return AccessibleVerdict::WholeWindow;
  return AccessibleVerdict::Usable;
}

constexpr bool IsCaretSource(AccessibleSource source) {
  return source == AccessibleSource::MsaaCaret || source == AccessibleSource::UiaCaretRange ||
         source == AccessibleSource::UiaSelection;
}

constexpr bool IsElementSource(AccessibleSource source) {
  return source == AccessibleSource::MsaaFocus || source == AccessibleSource::UiaFocus;
}

// The target with a usable answer put in: a caret becomes the caret target at its left,
// lower end; an element the place of the focused-control bar. False (target untouched)
// when the answer found nothing usable.
constexpr bool ApplyAccessibleAnswer(const AccessibleAnswer& answer, Target& target) {
  if (answer.status != AccessibleStatus::Answered) return false;
  if (IsCaretSource(answer.source)) {
    if (JudgeAccessibleCaret(answer.rect, answer.windowRect, answer.displayRect) !=
        AccessibleVerdict::Usable) {
      return false;
    }
    target.kind = TargetKind::Caret;
    target.caretPoint = Point{answer.rect.left, answer.rect.bottom};
    target.element.reset();
    return true;
  }
  if (IsElementSource(answer.source)) {
    if (JudgeAccessibleElement(answer.rect, answer.windowRect, answer.displayRect) !=
        AccessibleVerdict::Usable) {
      return false;
    }
    target.kind = TargetKind::FocusedControl;
    // The debug switch puts the caret block at the element's top-left corner.
    target.caretPoint = Point{answer.rect.left, answer.rect.top};
    target.element = FocusedElement{answer.rect, answer.displayRect};
    return true;
  }
  return false;
}

}  // namespace sevalune
