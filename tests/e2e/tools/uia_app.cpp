// A target whose focused element is known only through UI Automation, for the tests under
// Wine 10: a top-level window without child windows that keeps the keyboard focus itself,
// with no system caret and nothing of its own for Active Accessibility (WM_GETOBJECT for
// any other id goes to DefWindowProc). WM_GETOBJECT for UiaRootObjectId answers a provider
// (IRawElementProviderSimple, IRawElementProviderFragment, IRawElementProviderFragmentRoot)
// through UiaReturnRawElementProvider:
//
//   shape=flat (default)  the window's root provider is the text field itself: its bounding
//                         rectangle is the 200 x 24 field inside the window (a client that
//                         only reaches the root, as Wine 10's does, finds the field);
//   shape=tree            the root provider is the window's client area, and the field is its
//                         one child fragment, which the root names as its focus (GetFocus)
//                         and as the element at any point inside the field.
//
// hang=MS makes every provider call that reads the field (its rectangle, a property, the
// focus, the element at a point) wait MS milliseconds first; the command kHang switches it
// at run time and the wake event ends it (UiaAppCommands.h). The calls come through the
// window's single-threaded apartment, so a waiting call holds the window's thread, as a hung
// program does. The title carries the field's screen rectangle and counts the requests by
// object id and the provider calls.
//
// Needs the provider declarations of mingw-w64 12 or later (Debian 13): built inside the
// root of scripts/make-wine10-root (tests/e2e/Wine10.cmake).
//
//   sevalune_e2e_uia_app.exe [shape=flat|tree] [hang=MS]
#include "backend/win32/WindowsHeaders.h"
// Need the declarations of <windows.h>.
#include <ole2.h>
#include <uiautomation.h>
#include <wrl/client.h>

#include <atomic>
#include <cwchar>
#include <string>

#include "ToolWindow.h"
#include "UiaAppCommands.h"
#include "backend/win32/LaunchOptions.h"
#include "backend/win32/ScopedWin.h"
#include "backend/win32/WindowInstance.h"

namespace {

namespace app = sevalune::e2e::uia_app;
using Microsoft::WRL::ComPtr;

// Sent by the window to itself from a provider call on another thread: the title is set on
// the window's own thread only.
constexpr UINT kRefreshTitle = WM_APP + 40;

class Provider;

// What the window shows and its providers report. It outlives the thread's COM apartment,
// so no call that reaches a provider can find it gone.
struct Model {
  HWND window = nullptr;
  bool tree = false;
  std::atomic<DWORD> hangMilliseconds{0};
  sevalune::win32::ScopedKernelHandle wake;
  std::atomic<long> uia{0};
  std::atomic<long> client{0};
  std::atomic<long> caret{0};
  std::atomic<long> other{0};
  std::atomic<long> calls{0};
  std::atomic<long> busy{0};
  ComPtr<Provider> root;
  ComPtr<Provider> field;  // shape=tree only
};

RECT ToScreen(HWND window, RECT rect) {
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT FieldOnScreen(const Model& model) { return ToScreen(model.window, app::kFieldClient); }

RECT ClientOnScreen(const Model& model) {
  RECT client{};
  ::GetClientRect(model.window, &client);
  return ToScreen(model.window, client);
}

bool WindowHasFocus(const Model& model) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = ::GetWindowThreadProcessId(model.window, nullptr);
  return ::GetGUIThreadInfo(thread, &info) != FALSE && info.hwndFocus == model.window;
}

void Publish(const Model& model) {
  if (::GetWindowThreadProcessId(model.window, nullptr) != ::GetCurrentThreadId()) {
    ::PostMessageW(model.window, kRefreshTitle, 0, 0);
    return;
  }
  app::Published published;
  published.field = FieldOnScreen(model);
  published.uia = model.uia;
  published.client = model.client;
  published.caret = model.caret;
  published.other = model.other;
  published.calls = model.calls;
  published.busy = model.busy;
  ::SetWindowTextW(model.window, app::TitleFor(published).c_str());
}

// The hang of a provider call that reads the field, then the count of calls answered.
void AnswerCall(Model& model) {
  if (const DWORD milliseconds = model.hangMilliseconds; milliseconds != 0) {
    ++model.busy;
    Publish(model);
    if (::WaitForSingleObject(model.wake.get(), milliseconds) == WAIT_OBJECT_0) {
      model.hangMilliseconds = 0;
    }
    --model.busy;
  }
  ++model.calls;
  Publish(model);
}

VARIANT BoolVariant(bool value) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_BOOL;
  variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return variant;
}

VARIANT IntVariant(int value) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = value;
  return variant;
}

VARIANT TextVariant(const wchar_t* text) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_BSTR;
  variant.bstrVal = ::SysAllocString(text);
  return variant;
}

// GCC warns of the interfaces' non-virtual destructors; a provider is deleted only by its
// own Release, through its own type.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
// One element: the root (the window's client area, or the field itself with shape=flat)
// or, with shape=tree, the field as the root's child.
class Provider final : public IRawElementProviderSimple,
                       public IRawElementProviderFragment,
                       public IRawElementProviderFragmentRoot {
 public:
  enum class Kind { Root, Field };
  Provider(Model& model, Kind kind) : model_(model), kind_(kind) {}
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IRawElementProviderSimple)) {
      *object = static_cast<IRawElementProviderSimple*>(this);
    } else if (iid == __uuidof(IRawElementProviderFragment)) {
      *object = static_cast<IRawElementProviderFragment*>(this);
    } else if (iid == __uuidof(IRawElementProviderFragmentRoot) && kind_ == Kind::Root) {
      *object = static_cast<IRawElementProviderFragmentRoot*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override {
    if (options == nullptr) return E_POINTER;
    *options = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider |
                                            ProviderOptions_UseComThreading);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID, IUnknown** pattern) override {
    if (pattern == nullptr) return E_POINTER;
    *pattern = nullptr;  // no text pattern: nothing says where a caret is
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID id, VARIANT* value) override {
    if (value == nullptr) return E_POINTER;
    AnswerCall(model_);
    ::VariantInit(value);
    const bool field = IsField();
    switch (id) {
      case UIA_ControlTypePropertyId:
        *value = IntVariant(field ? UIA_EditControlTypeId : UIA_PaneControlTypeId);
        break;
      case UIA_NamePropertyId:
        *value = TextVariant(field ? L"Field" : app::kTitlePrefix);
        break;
      case UIA_AutomationIdPropertyId:
        *value = TextVariant(field ? L"field" : L"frame");
        break;
      case UIA_HasKeyboardFocusPropertyId:
        *value = BoolVariant(field && WindowHasFocus(model_));
        break;
      case UIA_IsKeyboardFocusablePropertyId:
      case UIA_IsEnabledPropertyId:
        *value = BoolVariant(true);
        break;
      default:
        break;  // VT_EMPTY: the host provider's value, or none
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override {
    if (host == nullptr) return E_POINTER;
    *host = nullptr;
    if (kind_ != Kind::Root) return S_OK;
    return ::UiaHostProviderFromHwnd(model_.window, host);
  }

  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction,
                                     IRawElementProviderFragment** found) override {
    if (found == nullptr) return E_POINTER;
    *found = nullptr;
    Provider* next = nullptr;
    if (kind_ == Kind::Root && model_.field &&
        (direction == NavigateDirection_FirstChild || direction == NavigateDirection_LastChild)) {
      next = model_.field.Get();
    }
    if (kind_ == Kind::Field && direction == NavigateDirection_Parent) next = model_.root.Get();
    if (next != nullptr) *found = next->AsFragment();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** id) override {
    if (id == nullptr) return E_POINTER;
    *id = nullptr;  // the root's comes from its window
    if (kind_ == Kind::Root) return S_OK;
    *id = ::SafeArrayCreateVector(VT_I4, 0, 2);
    if (*id == nullptr) return E_OUTOFMEMORY;
    for (LONG index : {0L, 1L}) {
      int part = index == 0 ? UiaAppendRuntimeId : 1;
      ::SafeArrayPutElement(*id, &index, &part);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* bounds) override {
    if (bounds == nullptr) return E_POINTER;
    AnswerCall(model_);
    const RECT rect = IsField() ? FieldOnScreen(model_) : ClientOnScreen(model_);
    *bounds = UiaRect{static_cast<double>(rect.left), static_cast<double>(rect.top),
                      static_cast<double>(rect.right - rect.left),
                      static_cast<double>(rect.bottom - rect.top)};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** roots) override {
    if (roots == nullptr) return E_POINTER;
    *roots = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetFocus() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** root) override {
    if (root == nullptr) return E_POINTER;
    return model_.root->QueryInterface(__uuidof(IRawElementProviderFragmentRoot),
                                       reinterpret_cast<void**>(root));
  }

  // IRawElementProviderFragmentRoot
  HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                     IRawElementProviderFragment** found) override {
    if (found == nullptr) return E_POINTER;
    AnswerCall(model_);
    const RECT field = FieldOnScreen(model_);
    const bool inField = x >= field.left && x < field.right && y >= field.top && y < field.bottom;
    *found = (inField && model_.field ? model_.field.Get() : this)->AsFragment();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** found) override {
    if (found == nullptr) return E_POINTER;
    AnswerCall(model_);
    *found = nullptr;  // with shape=flat the root itself has the focus
    if (model_.field && WindowHasFocus(model_)) *found = model_.field->AsFragment();
    return S_OK;
  }

 private:
  ~Provider() = default;

  bool IsField() const { return kind_ == Kind::Field || !model_.tree; }
  IRawElementProviderFragment* AsFragment() {
    AddRef();
    return static_cast<IRawElementProviderFragment*>(this);
  }

  Model& model_;
  const Kind kind_;
  std::atomic<ULONG> references_{1};
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

LRESULT AnswerGetObject(Model& model, WPARAM wParam, LPARAM lParam) {
  // The id is a 32-bit value; on 64-bit Windows it may arrive zero- or sign-extended.
  const auto id = static_cast<LONG>(static_cast<DWORD>(lParam));
  if (id == app::kUiaRootObjectId) {
    ++model.uia;
    Publish(model);
    return ::UiaReturnRawElementProvider(model.window, wParam, lParam, model.root.Get());
  }
  ++(id == OBJID_CLIENT ? model.client : id == OBJID_CARET ? model.caret : model.other);
  Publish(model);
  return ::DefWindowProcW(model.window, WM_GETOBJECT, wParam, lParam);
}

void Paint(const Model& model) {
  const sevalune::e2e::tools::PaintScope paint(model.window);
  const RECT field = app::kFieldClient;
  ::FillRect(paint.dc(), &field, ::GetSysColorBrush(COLOR_WINDOW));
  ::FrameRect(paint.dc(), &field, ::GetSysColorBrush(COLOR_WINDOWFRAME));
}

LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  Model* model = sevalune::win32::WindowInstance<Model>(window, message, lParam);
  if (message == WM_NCCREATE && model != nullptr) model->window = window;
  if (model == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_GETOBJECT:
      return AnswerGetObject(*model, wParam, lParam);
    case app::kHang:
      if (wParam != 0) ::ResetEvent(model->wake.get());
      model->hangMilliseconds = static_cast<DWORD>(wParam);
      return 0;
    case kRefreshTitle:
    case WM_MOVE:
      Publish(*model);
      return 0;
    case WM_PAINT:
      Paint(*model);
      return 0;
    case WM_DESTROY:
      // Lets every client's hold on the providers go.
      ::UiaReturnRawElementProvider(window, 0, 0, nullptr);
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// ---- start-up -------------------------------------------------------------------------

void ApplyCommandLine(Model& model) {
  for (const std::wstring& argument : sevalune::win32::CommandLineArguments()) {
    if (argument == L"shape=tree") model.tree = true;
    if (argument == L"shape=flat") model.tree = false;
    if (argument.starts_with(L"hang=")) {
      model.hangMilliseconds = static_cast<DWORD>(std::wcstoul(argument.c_str() + 5, nullptr, 10));
    }
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*arguments*/,
                    int /*showCommand*/) {
  Model model;  // before the apartment: it must outlive every call into the providers
  ApplyCommandLine(model);
  model.wake.reset(
      ::CreateEventW(nullptr, TRUE, FALSE, app::WakeEventName(::GetCurrentProcessId()).c_str()));
  if (!model.wake) return 1;
  const sevalune::win32::ScopedComApartment apartment(COINIT_APARTMENTTHREADED);
  if (!apartment.initialized()) return 1;
  model.root.Attach(new Provider(model, Provider::Kind::Root));
  if (model.tree) model.field.Attach(new Provider(model, Provider::Kind::Field));
  sevalune::e2e::tools::RegisterToolWindowClass(instance, app::kFrameClass, &FrameProcedure,
                                                IDC_IBEAM);

  HWND window = ::CreateWindowExW(0, app::kFrameClass, app::kTitlePrefix, WS_OVERLAPPEDWINDOW,
                                  app::kFrameOrigin.x, app::kFrameOrigin.y, app::kFrameSize.cx,
                                  app::kFrameSize.cy, nullptr, nullptr, instance, &model);
  if (window == nullptr) return 1;
  Publish(model);
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::SetFocus(window);
  const int status = sevalune::e2e::tools::RunMessageLoop();
  model.field.Reset();
  model.root.Reset();
  return status;
}
