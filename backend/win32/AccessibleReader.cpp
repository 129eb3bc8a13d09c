#include "backend/win32/AccessibleReader.h"

#include <oleacc.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "backend/win32/Displays.h"
#include "backend/win32/HandleCast.h"
#include "backend/win32/UiAutomationClient.h"
#include "platform/TextRangeCaret.h"

namespace sevalune::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// Defined here rather than taken from a library: mingw's oleacc library exports a symbol of
// this name that is no GUID.
constexpr IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

using AccessibleObjectFromWindowFunction = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

// oleacc.dll is loaded on the first round only, and from the system folder by its full
// path: never a copy lying beside the executable, which may run from any folder.
AccessibleObjectFromWindowFunction LoadAccessibleObjectFromWindow() {
  static const AccessibleObjectFromWindowFunction function = [] {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return AccessibleObjectFromWindowFunction{};
    const std::wstring path = std::wstring(folder, length) + L"\\oleacc.dll";
    HMODULE library = ::LoadLibraryW(path.c_str());
    if (library == nullptr) return AccessibleObjectFromWindowFunction{};
    FARPROC found = ::GetProcAddress(library, "AccessibleObjectFromWindow");
    // Through the generic function pointer type, which every compiler accepts quietly.
    return reinterpret_cast<AccessibleObjectFromWindowFunction>(
        reinterpret_cast<void (*)()>(found));
  }();
  return function;
}

ComPtr<IAccessible> ObjectOf(HWND window, LONG objectId) {
  const AccessibleObjectFromWindowFunction objectFromWindow = LoadAccessibleObjectFromWindow();
  ComPtr<IAccessible> object;
  if (objectFromWindow == nullptr) return object;
  if (FAILED(objectFromWindow(window, static_cast<DWORD>(objectId), kIidAccessible,
                              reinterpret_cast<void**>(object.GetAddressOf())))) {
    object.Reset();
  }
  return object;
}

VARIANT ChildVariant(LONG child) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = child;
  return variant;
}

std::int32_t Clamped(double value) {
  if (!(value == value)) return 0;  // not a number
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(std::round(value), kLowest, kHighest));
}

Rect FromLocation(double left, double top, double width, double height) {
  return Rect{Clamped(left), Clamped(top), Clamped(left + width), Clamped(top + height)};
}

std::optional<Rect> Usable(const Rect& rect) {
  if (!IsAccessibleRectangle(rect)) return std::nullopt;
  return rect;
}

std::optional<Rect> LocationOf(IAccessible* object, LONG child) {
  LONG left = 0;
  LONG top = 0;
  LONG width = 0;
  LONG height = 0;
  if (object->accLocation(&left, &top, &width, &height, ChildVariant(child)) != S_OK) {
    return std::nullopt;
  }
  return Usable(FromLocation(left, top, width, height));
}

bool IsInvisible(IAccessible* object) {
  VARIANT state;
  ::VariantInit(&state);
  const bool invisible = SUCCEEDED(object->get_accState(ChildVariant(CHILDID_SELF), &state)) &&
                         state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_INVISIBLE) != 0;
  ::VariantClear(&state);
  return invisible;
}

// A caret object's rectangle, unless it has none or says it is not shown.
std::optional<Rect> CaretOf(IAccessible* caret) {
  const std::optional<Rect> rect = LocationOf(caret, CHILDID_SELF);
  if (!rect || IsInvisible(caret)) return std::nullopt;
  return rect;
}

// The focused child that a window's client object names: a child id of it, or an object
// of its own. The client object itself (the window) is no element inside the window.
std::optional<Rect> FocusedChildOf(IAccessible* client, const VARIANT& focus) {
  if (focus.vt == VT_I4 && focus.lVal != CHILDID_SELF) return LocationOf(client, focus.lVal);
  if (focus.vt != VT_DISPATCH || focus.pdispVal == nullptr) return std::nullopt;
  ComPtr<IAccessible> own;
  if (FAILED(focus.pdispVal->QueryInterface(kIidAccessible,
                                            reinterpret_cast<void**>(own.GetAddressOf())))) {
    return std::nullopt;
  }
  return LocationOf(own.Get(), CHILDID_SELF);
}

// ---- coordinates of DPI-unaware programs ----------------------------------------------

using GetWindowDpiAwarenessContextFunction = HANDLE(WINAPI*)(HWND);
using GetAwarenessFromDpiAwarenessContextFunction = int(WINAPI*)(HANDLE);
using LogicalToPhysicalPointFunction = BOOL(WINAPI*)(HWND, POINT*);

template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  FARPROC found = user32 == nullptr ? nullptr : ::GetProcAddress(user32, name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Windows 10 (1607) and later tell a window's DPI awareness; DPI_AWARENESS_UNAWARE is 0.
bool IsDpiUnaware(HWND window) {
  static const auto contextOf =
      User32Function<GetWindowDpiAwarenessContextFunction>("GetWindowDpiAwarenessContext");
  static const auto awarenessOf = User32Function<GetAwarenessFromDpiAwarenessContextFunction>(
      "GetAwarenessFromDpiAwarenessContext");
  if (contextOf == nullptr || awarenessOf == nullptr) return false;
  HANDLE context = contextOf(window);
  return context != nullptr && awarenessOf(context) == 0;
}

bool Touches(const Rect& a, const Rect& b) {
  const std::int32_t aRight = a.right > a.left ? a.right : a.left + 1;
  return a.left < b.right && b.left < aRight && a.top < b.bottom && b.top < a.bottom;
}

// The rectangle an Active Accessibility object of the window reported, in physical pixels.
// The system converts the coordinates of its own proxies, and of every UI Automation
// provider, for a per-monitor aware client; a DPI-unaware program's own IAccessible answers
// in its logical coordinates, which on a scaled display lie elsewhere. Such an answer, off
// its window as given but on it once converted, is converted.
Rect InPhysicalPixels(HWND window, const Rect& rect, const Rect& windowRect) {
  static const auto toPhysical =
      User32Function<LogicalToPhysicalPointFunction>("LogicalToPhysicalPointForPerMonitorDPI");
  if (toPhysical == nullptr || Touches(rect, windowRect) || !IsDpiUnaware(window)) return rect;
  POINT topLeft{rect.left, rect.top};
  POINT bottomRight{rect.right, rect.bottom};
  if (toPhysical(window, &topLeft) == FALSE || toPhysical(window, &bottomRight) == FALSE) {
    return rect;
  }
  const Rect converted{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  return Touches(converted, windowRect) ? converted : rect;
}

// ---- UI Automation --------------------------------------------------------------------

enum UiaState : int { kUiaUnknown, kUiaAvailable, kUiaAbsent };
std::atomic<int> uiaState{kUiaUnknown};

// How long UI Automation waits for a provider to connect and for each call into it: a few
// rounds' time, not the seconds it waits by default, so that a worker stuck in a slow or
// hung provider is free again soon. (Windows 8 and later; Windows 7's client has no limits
// to set, and a worker stuck there is abandoned as for Active Accessibility.)
constexpr DWORD kUiaConnectionTimeoutMs = 300;
constexpr DWORD kUiaTransactionTimeoutMs = 300;

void LimitCallTimes(uia::Automation* automation) {
  ComPtr<uia::Automation2> limited;
  if (FAILED(automation->QueryInterface(uia::kIidAutomation2,
                                        reinterpret_cast<void**>(limited.GetAddressOf()))) ||
      !limited) {
    return;
  }
  limited->put_ConnectionTimeout(kUiaConnectionTimeoutMs);
  limited->put_TransactionTimeout(kUiaTransactionTimeoutMs);
}

ComPtr<uia::Automation> CreateAutomation() {
  ComPtr<uia::Automation> automation;
  for (const CLSID& kind : {uia::kClsidAutomation8, uia::kClsidAutomation}) {
    if (SUCCEEDED(::CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, uia::kIidAutomation,
                                     reinterpret_cast<void**>(automation.GetAddressOf())))) {
      uiaState = kUiaAvailable;
      LimitCallTimes(automation.Get());
      return automation;
    }
    automation.Reset();
  }
  uiaState = kUiaAbsent;
  return automation;
}

// The first rectangle of a range's bounding rectangles (left, top, width, height each).
std::optional<Rect> FirstRectangle(SAFEARRAY* rectangles) {
  VARTYPE type = VT_EMPTY;
  LONG lower = 0;
  LONG upper = -1;
  if (::SafeArrayGetDim(rectangles) != 1 || FAILED(::SafeArrayGetVartype(rectangles, &type)) ||
      type != VT_R8 || FAILED(::SafeArrayGetLBound(rectangles, 1, &lower)) ||
      FAILED(::SafeArrayGetUBound(rectangles, 1, &upper)) || upper - lower + 1 < 4) {
    return std::nullopt;
  }
  void* data = nullptr;
  if (FAILED(::SafeArrayAccessData(rectangles, &data))) return std::nullopt;
  const auto* numbers = static_cast<const double*>(data);
  const Rect rect = FromLocation(numbers[0], numbers[1], numbers[2], numbers[3]);
  ::SafeArrayUnaccessData(rectangles);
  return rect;
}

std::optional<Rect> BoundsOf(uia::TextRange* range) {
  SAFEARRAY* rectangles = nullptr;
  if (FAILED(range->GetBoundingRectangles(&rectangles)) || rectangles == nullptr) {
    return std::nullopt;
  }
  const std::optional<Rect> rect = FirstRectangle(rectangles);
  ::SafeArrayDestroy(rectangles);
  return rect;
}

// A copy of the range, changed by `change`; null when either fails.
template <typename Change>
ComPtr<uia::TextRange> ChangedCopy(uia::TextRange* range, Change change) {
  ComPtr<uia::TextRange> copy;
  if (FAILED(range->Clone(copy.GetAddressOf())) || !copy || FAILED(change(copy.Get()))) return {};
  return copy;
}

std::optional<Rect> BoundsOfChanged(ComPtr<uia::TextRange> changed) {
  if (!changed) return std::nullopt;
  return BoundsOf(changed.Get());
}

// Where a collapsed range stands (TextRangeCaret.h): its own rectangle, the character after
// it, the character before it (at the end of a text), its line (an empty text).
std::optional<Rect> CaretOfRange(uia::TextRange* range) {
  const auto expandedTo = [range](int unit) {
    return BoundsOfChanged(ChangedCopy(
        range, [unit](uia::TextRange* copy) { return copy->ExpandToEnclosingUnit(unit); }));
  };
  const auto characterBefore = [range] {
    return BoundsOfChanged(ChangedCopy(range, [](uia::TextRange* copy) {
      int moved = 0;
      const HRESULT result =
          copy->MoveEndpointByUnit(uia::kEndpointStart, uia::kUnitCharacter, -1, &moved);
      return FAILED(result) || moved != -1 ? E_FAIL : result;
    }));
  };
  return CaretFromTextRange([range] { return BoundsOf(range); },
                            [&] { return expandedTo(uia::kUnitCharacter); }, characterBefore,
                            [&] { return expandedTo(uia::kUnitLine); });
}

std::optional<Rect> CaretRangeOf(uia::Element* element) {
  ComPtr<uia::TextPattern2> text;
  if (FAILED(element->GetCurrentPatternAs(uia::kTextPattern2Id, uia::kIidTextPattern2,
                                          reinterpret_cast<void**>(text.GetAddressOf()))) ||
      !text) {
    return std::nullopt;
  }
  BOOL active = FALSE;
  ComPtr<uia::TextRange> range;
  if (FAILED(text->GetCaretRange(&active, range.GetAddressOf())) || !range || !active) {
    return std::nullopt;
  }
  return CaretOfRange(range.Get());
}

std::optional<Rect> CollapsedSelectionOf(uia::Element* element) {
  ComPtr<uia::TextPattern> text;
  if (FAILED(element->GetCurrentPatternAs(uia::kTextPatternId, uia::kIidTextPattern,
                                          reinterpret_cast<void**>(text.GetAddressOf()))) ||
      !text) {
    return std::nullopt;
  }
  ComPtr<uia::TextRangeArray> ranges;
  int count = 0;
  ComPtr<uia::TextRange> range;
  if (FAILED(text->GetSelection(ranges.GetAddressOf())) || !ranges ||
      FAILED(ranges->get_Length(&count)) || count != 1 ||
      FAILED(ranges->GetElement(0, range.GetAddressOf())) || !range) {
    return std::nullopt;
  }
  int order = 1;
  if (FAILED(
          range->CompareEndpoints(uia::kEndpointStart, range.Get(), uia::kEndpointEnd, &order)) ||
      order != 0) {
    return std::nullopt;  // a real selection: no caret to point at
  }
  return CaretOfRange(range.Get());
}

std::optional<Rect> BoundsOf(uia::Element* element) {
  RECT bounds{};
  if (FAILED(element->get_CurrentBoundingRectangle(&bounds))) return std::nullopt;
  return Usable(ToRect(bounds));
}

using Clock = std::chrono::steady_clock;

// An object of one window kept from round to round: a call on a kept object costs a fifth of
// a fresh one, and under Wine 10 a fresh one alone takes longer than a whole round may.
struct KeptObject {
  HWND window = nullptr;
  ComPtr<IAccessible> object;
  Clock::time_point fetched;

  IAccessible* For(HWND asked) const { return asked == window ? object.Get() : nullptr; }
  IAccessible* Fetch(HWND asked, LONG objectId) {
    object = ObjectOf(asked, objectId);
    window = object ? asked : nullptr;
    fetched = Clock::now();
    return object.Get();
  }
  void Drop() {
    object.Reset();
    window = nullptr;
  }
};

// How long a kept caret object's "no caret" is believed. A program may replace its caret
// object; after this a fresh one is asked before "no caret" counts.
constexpr auto kCaretObjectTrusted = std::chrono::seconds(1);

}  // namespace

struct AccessibleReaderCache {
  KeptObject caret;
  KeptObject client;
  ComPtr<uia::Automation> automation;
  HWND elementWindow = nullptr;
  ComPtr<uia::Element> windowElement;  // the element of `elementWindow`
  ComPtr<IUnknown> hasFocusCondition;
};

namespace {

std::optional<Rect> MsaaCaret(KeptObject& kept, HWND window) {
  if (IAccessible* caret = kept.For(window)) {
    if (const std::optional<Rect> rect = CaretOf(caret)) return rect;
    if (Clock::now() - kept.fetched < kCaretObjectTrusted) return std::nullopt;
  }
  IAccessible* fresh = kept.Fetch(window, OBJID_CARET);
  return fresh != nullptr ? CaretOf(fresh) : std::nullopt;
}

// The focused child of the window's client object, kept while it answers; one that fails
// (its program ended it, or the window has a new one) is asked afresh.
std::optional<Rect> MsaaFocus(KeptObject& kept, HWND window) {
  VARIANT focus;
  ::VariantInit(&focus);
  IAccessible* client = kept.For(window);
  if (client != nullptr && FAILED(client->get_accFocus(&focus))) {
    ::VariantClear(&focus);
    kept.Drop();
    client = nullptr;
  }
  if (client == nullptr) {
    client = kept.Fetch(window, OBJID_CLIENT);
    if (client == nullptr || FAILED(client->get_accFocus(&focus))) {
      ::VariantClear(&focus);
      return std::nullopt;
    }
  }
  const std::optional<Rect> rect = FocusedChildOf(client, focus);
  ::VariantClear(&focus);
  return rect;
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  if (window != nullptr) ::GetWindowThreadProcessId(window, &process);
  return process;
}

// The element's program: its process id, else (a client that does not answer that, as
// Wine's) the process of its own window; 0 when neither can be read.
DWORD ProcessOf(uia::Element* element) {
  int process = 0;
  if (SUCCEEDED(element->get_CurrentProcessId(&process)) && process > 0) {
    return static_cast<DWORD>(process);
  }
  void* own = nullptr;
  if (FAILED(element->get_CurrentNativeWindowHandle(&own))) return 0;
  return ProcessOf(static_cast<HWND>(own));
}

// The system's focus answers for the window only when it belongs to the window's program, or
// to that of the focus window of the window's thread: a packaged app's core window lies in
// the frame host's frame, and the two threads share their focus.
bool BelongsToProgramOf(DWORD process, HWND window) {
  if (process == ProcessOf(window)) return true;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  return ::GetGUIThreadInfo(thread, &info) != FALSE && info.hwndFocus != nullptr &&
         process == ProcessOf(info.hwndFocus);
}

// The focused element below the window's own element, else that element itself (a provider
// whose root is the field). The window's element is kept from round to round: under Wine 10
// the first one costs hundreds of ms.
ComPtr<uia::Element> FocusedInWindow(AccessibleReaderCache& cache, HWND window) {
  if (cache.elementWindow != window) {
    cache.windowElement.Reset();
    cache.elementWindow = nullptr;
    if (FAILED(cache.automation->ElementFromHandle(window, cache.windowElement.GetAddressOf())) ||
        !cache.windowElement) {
      cache.windowElement.Reset();
      return {};
    }
    cache.elementWindow = window;
  }
  if (!cache.hasFocusCondition) {
    VARIANT focused;
    ::VariantInit(&focused);
    focused.vt = VT_BOOL;
    focused.boolVal = VARIANT_TRUE;
    if (FAILED(cache.automation->CreatePropertyCondition(uia::kHasKeyboardFocusPropertyId, focused,
                                                         cache.hasFocusCondition.GetAddressOf()))) {
      cache.hasFocusCondition.Reset();
    }
  }
  ComPtr<uia::Element> found;
  if (cache.hasFocusCondition &&
      SUCCEEDED(cache.windowElement->FindFirst(
          uia::kTreeScopeDescendants, cache.hasFocusCondition.Get(), found.GetAddressOf())) &&
      found) {
    return found;
  }
  return cache.windowElement;
}

ComPtr<uia::Element> FocusedElementOf(AccessibleReaderCache& cache, HWND window) {
  if (!cache.automation) {
    if (uiaState == kUiaAbsent) return {};
    cache.automation = CreateAutomation();
    if (!cache.automation) return {};
  }
  ComPtr<uia::Element> element;
  if (FAILED(cache.automation->GetFocusedElement(element.GetAddressOf())) || !element) return {};
  const DWORD process = ProcessOf(element.Get());
  // A client that cannot tell the focus's program (Wine 10's, which also names the desktop
  // as the focus) is asked about the window's own element instead.
  if (process == 0) return FocusedInWindow(cache, window);
  if (!BelongsToProgramOf(process, window)) return {};
  return element;
}

}  // namespace

AccessibleReader::AccessibleReader()
    : apartment_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))),
      cache_(std::make_unique<AccessibleReaderCache>()) {
  // Everything a round needs, loaded before the first round: oleacc and, where it exists,
  // UI Automation (tried once per process).
  LoadAccessibleObjectFromWindow();
  if (uiaState != kUiaAbsent) cache_->automation = CreateAutomation();
}

AccessibleReader::~AccessibleReader() {
  cache_.reset();  // every proxy goes before the apartment
  if (apartment_) ::CoUninitialize();
}

std::optional<bool> AccessibleReader::UiAutomationFound() {
  const int state = uiaState;
  if (state == kUiaUnknown) return std::nullopt;
  return state == kUiaAvailable;
}

AccessibleAnswer AccessibleReader::Read(WindowHandle handle, AccessibleReach reach) {
  HWND window = ToHwnd(handle);
  AccessibleAnswer answer;
  answer.status = AccessibleStatus::Answered;
  if (::IsWindow(window) == FALSE) return answer;
  RECT windowRect{};
  ::GetWindowRect(window, &windowRect);
  answer.windowRect = ToRect(windowRect);
  answer.displayRect = DisplayRectOf(window);
  const auto take = [&answer](AccessibleSource source, const std::optional<Rect>& rect) {
    if (!rect) return false;
    answer.source = source;
    answer.rect = *rect;
    return true;
  };

  const auto takeMsaa = [&](AccessibleSource source, const std::optional<Rect>& rect) {
    return take(source,
                rect ? std::optional<Rect>(InPhysicalPixels(window, *rect, answer.windowRect))
                     : std::nullopt);
  };
  // Judged against the display that holds what was found, which need not be the window's.
  const auto found = [&answer] {
    answer.displayRect = DisplayRectHolding(answer.rect);
    return answer;
  };

  if (takeMsaa(AccessibleSource::MsaaCaret, MsaaCaret(cache_->caret, window))) return found();
  // Asking a browser engine's client object or UI Automation switches it into building its
  // whole accessibility tree, which every page then pays for.
  if (reach == AccessibleReach::CaretOnly) return answer;
  const ComPtr<uia::Element> focused = FocusedElementOf(*cache_, window);
  if (focused && (take(AccessibleSource::UiaCaretRange, CaretRangeOf(focused.Get())) ||
                  take(AccessibleSource::UiaSelection, CollapsedSelectionOf(focused.Get())))) {
    return found();
  }
  if (takeMsaa(AccessibleSource::MsaaFocus, MsaaFocus(cache_->client, window))) return found();
  if (focused && take(AccessibleSource::UiaFocus, BoundsOf(focused.Get()))) return found();
  return answer;
}

}  // namespace sevalune::win32
