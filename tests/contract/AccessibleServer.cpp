#include "tests/contract/AccessibleServer.h"

// Needs the declarations of <windows.h>.
#include <objbase.h>
#include <oleacc.h>

#include <map>
#include <mutex>

#include "tests/contract/DesktopDriver.h"
#include "tests/win32/AccessibleObject.h"

namespace sevalune::contract {
namespace {

constexpr LONG kFocusedChildId = 1;

struct Served {
  PublishedAccessible published;
  WNDPROC previous = nullptr;
};

// Guarded: published by the test's thread, read by the window's.
std::mutex servedMutex;
std::map<HWND, Served> served;

std::optional<PublishedAccessible> PublishedBy(HWND window) {
  const std::lock_guard lock(servedMutex);
  const auto it = served.find(window);
  if (it == served.end()) return std::nullopt;
  return it->second.published;
}

using testing::LongVariant;

// One object of the window: its caret, or its client area with one child. Every member the
// reader does not call says "not supported".
class Accessible final : public testing::AccessibleObject {
 public:
  Accessible(HWND window, bool caret) : window_(window), caret_(caret) {}

  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    const std::optional<Rect> rect = LocationOf(child);
    if (!rect) return AnswerLocation(std::nullopt, left, top, width, height);
    return AnswerLocation(RECT{rect->left, rect->top, rect->right, rect->bottom}, left, top, width,
                          height);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    const bool hidden = caret_ && !LocationOf(child);
    *state = LongVariant(hidden ? STATE_SYSTEM_INVISIBLE : 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    *role = LongVariant(caret_ ? ROLE_SYSTEM_CARET : ROLE_SYSTEM_CLIENT);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    ::VariantInit(focus);
    const std::optional<PublishedAccessible> published = PublishedBy(window_);
    if (caret_ || !published) return S_FALSE;
    if (published->focusOnItself) {
      *focus = LongVariant(CHILDID_SELF);
      return S_OK;
    }
    if (!published->focusedChild) return S_FALSE;
    *focus = LongVariant(kFocusedChildId);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return Nothing(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = caret_ ? 0 : 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
    return Nothing(child);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR* text) override { return Nothing(text); }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* text) override { return Nothing(text); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
    return Nothing(text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return Nothing(text); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG*) override {
    return Nothing(file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override {
    return Nothing(text);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection != nullptr) ::VariantInit(selection);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* text) override {
    return Nothing(text);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override {
    if (end != nullptr) ::VariantInit(end);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT* found) override {
    if (found != nullptr) ::VariantInit(found);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }

 private:
  ~Accessible() override = default;

  template <typename Out>
  static HRESULT Nothing(Out* out) {
    if (out != nullptr) *out = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }

  // The caret's rectangle, the client area's, or its focused child's.
  std::optional<Rect> LocationOf(const VARIANT& child) const {
    const std::optional<PublishedAccessible> published = PublishedBy(window_);
    if (!published || child.vt != VT_I4) return std::nullopt;
    if (caret_) return child.lVal == CHILDID_SELF ? published->caret : std::nullopt;
    if (child.lVal == kFocusedChildId) return published->focusedChild;
    if (child.lVal != CHILDID_SELF) return std::nullopt;
    RECT client{};
    ::GetClientRect(window_, &client);
    ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return Rect{client.left, client.top, client.right, client.bottom};
  }

  HWND window_;
  bool caret_;
};

LRESULT CALLBACK ServingProcedure(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
  WNDPROC previous = nullptr;
  {
    const std::lock_guard lock(servedMutex);
    const auto it = served.find(window);
    if (it != served.end()) previous = it->second.previous;
    if (message == WM_NCDESTROY && it != served.end()) served.erase(it);
  }
  if (message == WM_GETOBJECT) {
    // The id is a 32-bit value; on 64-bit Windows it may arrive zero- or sign-extended.
    const auto id = static_cast<LONG>(static_cast<DWORD>(lParam));
    if (id == OBJID_CARET || id == OBJID_CLIENT) {
      IAccessible* object = new Accessible(window, id == OBJID_CARET);
      const LRESULT result = ::LresultFromObject(IID_IAccessible, wParam, object);
      object->Release();
      return result;
    }
  }
  if (previous == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return ::CallWindowProcW(previous, window, message, wParam, lParam);
}

// The thread's single-threaded apartment, for as long as the thread runs.
class ThreadApartment {
 public:
  ThreadApartment() : joined_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ThreadApartment() {
    if (joined_) ::CoUninitialize();
  }
  ThreadApartment(const ThreadApartment&) = delete;
  ThreadApartment& operator=(const ThreadApartment&) = delete;

 private:
  bool joined_;
};

}  // namespace

void ServeAccessible(HWND window, const PublishedAccessible& published) {
  static thread_local const ThreadApartment apartment;
  const std::lock_guard lock(servedMutex);
  const auto it = served.find(window);
  if (it != served.end()) {
    it->second.published = published;
    return;
  }
  Served entry;
  entry.published = published;
  entry.previous = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ServingProcedure)));
  served.emplace(window, entry);
}

}  // namespace sevalune::contract
