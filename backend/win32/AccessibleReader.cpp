#include "backend/win32/AccessibleReader.h"

#include <oleacc.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "backend/win32/Displays.h"
#include "backend/win32/HandleCast.h"
#include "backend/win32/UiAutomationClient.h"

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

// The focused child that the window's client object names: a child id of it, or an object
// of its own. The client object itself (the window) is no element inside the window.
std::optional<Rect> FocusedChildOf(HWND window) {
  const ComPtr<IAccessible> client = ObjectOf(window, OBJID_CLIENT);
  if (!client) return std::nullopt;
  VARIANT focus;
  ::VariantInit(&focus);
  std::optional<Rect> rect;
  if (client->get_accFocus(&focus) == S_OK) {
    if (focus.vt == VT_I4 && focus.lVal != CHILDID_SELF) {
      rect = LocationOf(client.Get(), focus.lVal);
    } else if (focus.vt == VT_DISPATCH && focus.pdispVal != nullptr) {
      ComPtr<IAccessible> own;
      if (SUCCEEDED(focus.pdispVal->QueryInterface(kIidAccessible,
                                                   reinterpret_cast<void**>(own.GetAddressOf())))) {
        rect = LocationOf(own.Get(), CHILDID_SELF);
      }
    }
  }
  ::VariantClear(&focus);
  return rect;
}

// ---- UI Automation --------------------------------------------------------------------

enum UiaState : int { kUiaUnknown, kUiaAvailable, kUiaAbsent };
std::atomic<int> uiaState{kUiaUnknown};

ComPtr<uia::Automation> CreateAutomation() {
  ComPtr<uia::Automation> automation;
  for (const CLSID& kind : {uia::kClsidAutomation8, uia::kClsidAutomation}) {
    if (SUCCEEDED(::CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, uia::kIidAutomation,
                                     reinterpret_cast<void**>(automation.GetAddressOf())))) {
      uiaState = kUiaAvailable;
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

// Where a collapsed range stands. Such a range often has no rectangle of its own; the
// character after it has one, and the caret stands at its left edge.
std::optional<Rect> CaretOfRange(uia::TextRange* range) {
  if (const std::optional<Rect> own = BoundsOf(range)) {
    if (IsAccessibleRectangle(*own)) return own;
  }
  ComPtr<uia::TextRange> character;
  if (FAILED(range->Clone(character.GetAddressOf())) || !character ||
      FAILED(character->ExpandToEnclosingUnit(uia::kUnitCharacter))) {
    return std::nullopt;
  }
  std::optional<Rect> rect = BoundsOf(character.Get());
  if (!rect) return std::nullopt;
  rect->right = rect->left;
  return Usable(*rect);
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

}  // namespace

struct AccessibleReaderCache {
  HWND caretWindow = nullptr;
  ComPtr<IAccessible> caret;  // kept while it answers: a call on it costs a fifth of a fresh one
  ComPtr<uia::Automation> automation;
};

namespace {

std::optional<Rect> MsaaCaret(AccessibleReaderCache& cache, HWND window) {
  if (cache.caret && cache.caretWindow == window) {
    if (const std::optional<Rect> rect = CaretOf(cache.caret.Get())) return rect;
  }
  // No kept object, or it says "no caret": a program may have replaced its caret object,
  // so a fresh one is asked before the answer counts.
  cache.caret.Reset();
  cache.caretWindow = nullptr;
  ComPtr<IAccessible> fresh = ObjectOf(window, OBJID_CARET);
  if (!fresh) return std::nullopt;
  const std::optional<Rect> rect = CaretOf(fresh.Get());
  if (rect) {
    cache.caret = std::move(fresh);
    cache.caretWindow = window;
  }
  return rect;
}

ComPtr<uia::Element> FocusedElementOf(AccessibleReaderCache& cache, HWND window) {
  if (!cache.automation) {
    if (uiaState == kUiaAbsent) return {};
    cache.automation = CreateAutomation();
    if (!cache.automation) return {};
  }
  ComPtr<uia::Element> element;
  if (FAILED(cache.automation->GetFocusedElement(element.GetAddressOf())) || !element) return {};
  // The system's focus: only an element of the window's own program answers for it.
  DWORD windowProcess = 0;
  ::GetWindowThreadProcessId(window, &windowProcess);
  int process = 0;
  if (FAILED(element->get_CurrentProcessId(&process)) ||
      static_cast<DWORD>(process) != windowProcess) {
    return {};
  }
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

  if (take(AccessibleSource::MsaaCaret, MsaaCaret(*cache_, window))) return answer;
  // Asking a browser engine's client object or UI Automation switches it into building its
  // whole accessibility tree, which every page then pays for.
  if (reach == AccessibleReach::CaretOnly) return answer;
  const ComPtr<uia::Element> focused = FocusedElementOf(*cache_, window);
  if (focused && (take(AccessibleSource::UiaCaretRange, CaretRangeOf(focused.Get())) ||
                  take(AccessibleSource::UiaSelection, CollapsedSelectionOf(focused.Get())))) {
    return answer;
  }
  if (take(AccessibleSource::MsaaFocus, FocusedChildOf(window))) return answer;
  if (focused) take(AccessibleSource::UiaFocus, BoundsOf(focused.Get()));
  return answer;
}

}  // namespace sevalune::win32
