// What a test's own IAccessible objects share: IUnknown with a thread-safe count, and an
// IDispatch without a type library (readers call IAccessible directly). A subclass answers
// the IAccessible calls. COM interfaces have no virtual destructor of their own, so the
// base declares one: an object is deleted only by its own Release.
#pragma once

#include <atomic>
#include <optional>

// clang-format off
#include "backend/win32/WindowsHeaders.h"
#include <oleacc.h>
#include <oleauto.h>
// clang-format on

namespace sevalune::testing {

// A VT_I4 variant: a child id or a number, as the IAccessible calls pass them.
inline VARIANT LongVariant(LONG value) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = value;
  return variant;
}

// GCC warns of IAccessible's non-virtual destructor, which the virtual one here answers.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class AccessibleObject : public IAccessible {
 public:
  AccessibleObject(const AccessibleObject&) = delete;
  AccessibleObject& operator=(const AccessibleObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  // Obsolete setters that servers leave unimplemented.
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 protected:
  AccessibleObject() = default;
  virtual ~AccessibleObject() = default;

  // Answers accLocation with a rectangle on the screen; E_FAIL for an element that has none
  // (not on the screen): no rectangle to trust.
  static HRESULT AnswerLocation(const std::optional<RECT>& screen, LONG* left, LONG* top,
                                LONG* width, LONG* height) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
      return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    if (!screen) return E_FAIL;
    *left = screen->left;
    *top = screen->top;
    *width = screen->right - screen->left;
    *height = screen->bottom - screen->top;
    return S_OK;
  }

 private:
  std::atomic<ULONG> references_{1};
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace sevalune::testing
