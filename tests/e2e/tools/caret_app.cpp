// A target that draws its own caret, as a browser engine does, for the end-to-end tests: a
// top-level window without child windows that keeps the keyboard focus itself, draws a
// text field and a caret bar in its client area and never calls CreateCaret, so that
// GetGUIThreadInfo reports no caret. The caret is published only through Active
// Accessibility and WinEvents:
//
//   - WM_GETOBJECT/OBJID_CARET answers an IAccessible (ROLE_SYSTEM_CARET) whose
//     accLocation is the caret's screen rectangle;
//   - WM_GETOBJECT/OBJID_CLIENT answers the client area, whose get_accFocus is the text
//     field (child kFieldChildId) while the window has the focus;
//   - every move of the caret raises EVENT_OBJECT_LOCATIONCHANGE for OBJID_CARET, and
//     taking the focus raises EVENT_OBJECT_FOCUS for the field.
//
// Typed characters are appended to the field's text and move the caret kAdvance pixels to
// the right; Enter starts the field afresh. The window's title carries the caret's screen
// rectangle, posted messages move, hide or show the caret or make the window hang, and a
// sent one answers how often each object was asked for (CaretAppCommands.h).
//
//   sevalune_e2e_caret_app.exe [caret=hidden] [focus=child|object] [chromium]
//
//   caret     hidden: start with the caret hidden
//   focus     how get_accFocus names the focused field. child (default): a VT_I4 child id
//             of the client object, which a reader in another process resolves with calls
//             on the proxy it already holds; the cheaper answer and nothing new to release.
//             object: a VT_DISPATCH object of its own, which COM marshals into the reader's
//             process as a new proxy (several times slower under Wine); readers meet both
//   chromium  the window has a browser engine's class (kChromiumFrameClass), and its caret
//             events name the caret as that engine's do, by a negative child id
#include "backend/win32/WindowsHeaders.h"
// Need the declarations of <windows.h>.
#include <objbase.h>
#include <oleacc.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CaretAppCommands.h"
#include "ToolWindow.h"
#include "backend/win32/LaunchOptions.h"
#include "backend/win32/ScopedWin.h"
#include "backend/win32/WindowInstance.h"
#include "tests/win32/AccessibleObject.h"

namespace {

namespace app = sevalune::e2e::caret_app;
using Microsoft::WRL::ComPtr;

constexpr const wchar_t* kFieldName = L"Text";

// What the window shows and its accessible objects report. It outlives the thread's COM
// apartment, so no call that reaches an object can find it gone.
struct Model {
  HWND window = nullptr;
  std::wstring text;
  POINT caret = app::kFirstCaretClient;
  bool caretShown = true;
  bool focusAsObject = false;
  bool chromium = false;
  std::map<LONG, LRESULT> requests;  // WM_GETOBJECT requests by object id
};

// ---- geometry -------------------------------------------------------------------------

RECT CaretClientRect(const Model& model) {
  return RECT{model.caret.x, model.caret.y, model.caret.x + app::kCaretWidth,
              model.caret.y + app::kCaretHeight};
}

RECT ToScreen(HWND window, RECT rect) {
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT ClientOnScreen(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return ToScreen(window, client);
}

bool HasFocus(const Model& model) { return ::GetFocus() == model.window; }

// ---- accessible objects ---------------------------------------------------------------

// What one element (an object itself or a simple child of it) reports.
struct Element {
  LONG role = 0;
  LONG state = 0;
  const wchar_t* name = nullptr;
  std::optional<RECT> screen;  // none while the element is not on the screen
};

Element CaretElement(const Model& model) {
  if (!model.caretShown) return Element{ROLE_SYSTEM_CARET, STATE_SYSTEM_INVISIBLE, nullptr, {}};
  return Element{ROLE_SYSTEM_CARET, 0, nullptr, ToScreen(model.window, CaretClientRect(model))};
}

Element FieldElement(const Model& model) {
  const LONG focused = HasFocus(model) ? STATE_SYSTEM_FOCUSED : 0;
  return Element{ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE | focused, kFieldName,
                 ToScreen(model.window, app::kFieldClient)};
}

Element ClientElement(const Model& model) {
  return Element{ROLE_SYSTEM_CLIENT, STATE_SYSTEM_FOCUSABLE, app::kTitlePrefix,
                 ClientOnScreen(model.window)};
}

// "Not supported" for what no element here has. Subclasses say which child ids exist and
// what each element reports. Objects live in the window's single-threaded apartment.
class Accessible : public sevalune::testing::AccessibleObject {
 public:
  // IAccessible: what every element answers from its Element.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    const std::optional<Element> element = ElementFor(child);
    if (!element) return E_INVALIDARG;
    if (element->name == nullptr) return S_FALSE;
    *name = ::SysAllocString(element->name);
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return AnswerNumber(child, role, &Element::role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return AnswerNumber(child, state, &Element::state);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    const std::optional<Element> element = ElementFor(child);
    if (!element) return E_INVALIDARG;
    return AnswerLocation(element->screen, left, top, width, height);
  }

  // IAccessible: defaults for an element without children, value or actions.
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    return IsChild(child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Unsupported(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    ::VariantInit(focus);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return Unsupported(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return Unsupported(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return Unsupported(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
    return Unsupported(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection != nullptr) ::VariantInit(selection);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT child) override {
    return IsChild(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT start, VARIANT* end) override {
    if (end != nullptr) ::VariantInit(end);
    return IsChild(start) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT* found) override {
    if (found != nullptr) ::VariantInit(found);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return IsChild(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }

 protected:
  explicit Accessible(const Model& model) : model_(model) {}

  const Model& model() const { return model_; }
  // The element with this child id, or nullopt when there is no such child.
  virtual std::optional<Element> ElementOf(LONG childId) const = 0;

  std::optional<Element> ElementFor(const VARIANT& child) const {
    if (child.vt != VT_I4) return std::nullopt;
    return ElementOf(child.lVal);
  }
  bool IsChild(const VARIANT& child) const { return ElementFor(child).has_value(); }

 private:
  HRESULT AnswerNumber(const VARIANT& child, VARIANT* answer, LONG Element::*field) const {
    if (answer == nullptr) return E_POINTER;
    ::VariantInit(answer);
    const std::optional<Element> element = ElementFor(child);
    if (!element) return E_INVALIDARG;
    *answer = sevalune::testing::LongVariant((*element).*field);
    return S_OK;
  }
  HRESULT Unsupported(const VARIANT& child, BSTR* text) const {
    if (text != nullptr) *text = nullptr;
    return IsChild(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }

  const Model& model_;
};

// Makes an object with its first reference owned by the answer.
template <typename Object>
ComPtr<IAccessible> Make(const Model& model) {
  ComPtr<IAccessible> object;
  object.Attach(new Object(model));
  return object;
}

// Hands an object to the caller as IDispatch (the form VARIANTs and get_accParent use).
HRESULT GiveAsDispatch(const ComPtr<IAccessible>& object, IDispatch** out) {
  return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

// The text field as an object of its own, for focus=object.
class FieldAccessible final : public Accessible {
 public:
  explicit FieldAccessible(const Model& model) : Accessible(model) {}
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;

 private:
  std::optional<Element> ElementOf(LONG childId) const override {
    if (childId != CHILDID_SELF) return std::nullopt;
    return FieldElement(model());
  }
};

// The client area, with the text field as its one child.
class ClientAccessible final : public Accessible {
 public:
  explicit ClientAccessible(const Model& model) : Accessible(model) {}

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    return ::CreateStdAccessibleObject(model().window, OBJID_WINDOW, IID_IDispatch,
                                       reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    const bool field = child.vt == VT_I4 && child.lVal == app::kFieldChildId;
    // With focus=child the field is a simple element of this object (S_FALSE).
    if (!field || !model().focusAsObject) return Accessible::get_accChild(child, object);
    return GiveAsDispatch(Make<FieldAccessible>(model()), object);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    ::VariantInit(focus);
    if (!HasFocus(model())) return S_FALSE;
    if (!model().focusAsObject) {
      *focus = sevalune::testing::LongVariant(app::kFieldChildId);
      return S_OK;
    }
    focus->vt = VT_DISPATCH;
    return GiveAsDispatch(Make<FieldAccessible>(model()), &focus->pdispVal);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    if (child.vt != VT_I4 || child.lVal != app::kFieldChildId) {
      return IsChild(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
    }
    *value = ::SysAllocString(model().text.c_str());
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::optional<Element> ElementOf(LONG childId) const override {
    if (childId == CHILDID_SELF) return ClientElement(model());
    if (childId == app::kFieldChildId) return FieldElement(model());
    return std::nullopt;
  }
};

HRESULT STDMETHODCALLTYPE FieldAccessible::get_accParent(IDispatch** parent) {
  if (parent == nullptr) return E_POINTER;
  return GiveAsDispatch(Make<ClientAccessible>(model()), parent);
}

HRESULT STDMETHODCALLTYPE FieldAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  if (!IsChild(child)) return E_INVALIDARG;
  *value = ::SysAllocString(model().text.c_str());
  return *value != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The caret, which lies in the client area (its parent).
class CaretAccessible final : public Accessible {
 public:
  explicit CaretAccessible(const Model& model) : Accessible(model) {}
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    return GiveAsDispatch(Make<ClientAccessible>(model()), parent);
  }

 private:
  std::optional<Element> ElementOf(LONG childId) const override {
    if (childId != CHILDID_SELF) return std::nullopt;
    return CaretElement(model());
  }
};

std::optional<LRESULT> AnswerGetObject(const Model& model, WPARAM flags, LPARAM objectId) {
  // The id is a 32-bit value; on 64-bit Windows it may arrive zero- or sign-extended.
  const auto id = static_cast<LONG>(static_cast<DWORD>(objectId));
  ComPtr<IAccessible> object;
  if (id == OBJID_CARET) object = Make<CaretAccessible>(model);
  if (id == OBJID_CLIENT) object = Make<ClientAccessible>(model);
  if (!object) return std::nullopt;
  return ::LresultFromObject(IID_IAccessible, flags, object.Get());
}

// ---- the window -----------------------------------------------------------------------

void Publish(const Model& model) {
  app::PublishedCaret caret;
  caret.shown = model.caretShown;
  if (caret.shown) caret.screen = ToScreen(model.window, CaretClientRect(model));
  ::SetWindowTextW(model.window, app::TitleFor(caret).c_str());
}

void InvalidateCaret(const Model& model) {
  const RECT caret = CaretClientRect(model);
  ::InvalidateRect(model.window, &caret, TRUE);
}

void NotifyCaret(const Model& model, DWORD event) {
  ::NotifyWinEvent(event, model.window, OBJID_CARET,
                   model.chromium ? app::kChromiumCaretChild : CHILDID_SELF);
}

void MoveCaret(Model& model, POINT to) {
  InvalidateCaret(model);
  model.caret = to;
  InvalidateCaret(model);
  Publish(model);
  NotifyCaret(model, EVENT_OBJECT_LOCATIONCHANGE);
}

void ShowCaret(Model& model, bool shown) {
  if (model.caretShown == shown) return;
  model.caretShown = shown;
  InvalidateCaret(model);
  Publish(model);
  NotifyCaret(model, shown ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE);
  if (shown) NotifyCaret(model, EVENT_OBJECT_LOCATIONCHANGE);
}

void Type(Model& model, wchar_t character) {
  if (character == L'\r') {
    model.text.clear();
    const RECT field = app::kFieldClient;
    ::InvalidateRect(model.window, &field, TRUE);
    return MoveCaret(model, app::kFirstCaretClient);
  }
  if (character < L' ') return;  // other control keys: Backspace, Tab, Escape
  model.text += character;
  const RECT field = app::kFieldClient;
  ::InvalidateRect(model.window, &field, TRUE);
  MoveCaret(model, POINT{model.caret.x + app::kAdvance, model.caret.y});
}

// The field's text goes one character per advance from the first caret position, so that
// the text ends where the caret stands until the caret is moved by a command.
void Paint(const Model& model) {
  const sevalune::e2e::tools::PaintScope paint(model.window);
  const RECT field = app::kFieldClient;
  ::FillRect(paint.dc(), &field, ::GetSysColorBrush(COLOR_WINDOW));
  ::FrameRect(paint.dc(), &field, ::GetSysColorBrush(COLOR_WINDOWFRAME));
  ::SetBkMode(paint.dc(), TRANSPARENT);
  for (std::size_t i = 0; i < model.text.size(); ++i) {
    ::TextOutW(paint.dc(), app::kFirstCaretClient.x + static_cast<int>(i) * app::kAdvance,
               app::kFirstCaretClient.y, &model.text[i], 1);
  }
  if (model.caretShown) {
    const RECT caret = CaretClientRect(model);
    ::FillRect(paint.dc(), &caret, ::GetSysColorBrush(COLOR_WINDOWTEXT));
  }
}

LRESULT HandleCommand(Model& model, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case app::kMoveCaret:
      MoveCaret(model, POINT{static_cast<LONG>(wParam), static_cast<LONG>(lParam)});
      return 0;
    case app::kHideCaret:
      ShowCaret(model, false);
      return 0;
    case app::kShowCaret:
      ShowCaret(model, true);
      return 0;
    case app::kHang:
      ::Sleep(static_cast<DWORD>(wParam));
      return 0;
    default:
      return 0;
  }
}

LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  Model* model = sevalune::win32::WindowInstance<Model>(window, message, lParam);
  if (message == WM_NCCREATE && model != nullptr) model->window = window;
  if (model == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message >= app::kMoveCaret && message <= app::kHang) {
    return HandleCommand(*model, message, wParam, lParam);
  }
  switch (message) {
    case WM_GETOBJECT:
      ++model->requests[static_cast<LONG>(static_cast<DWORD>(lParam))];
      if (const auto answer = AnswerGetObject(*model, wParam, lParam)) return *answer;
      break;
    case app::kRequestsFor:
      return model->requests[static_cast<LONG>(static_cast<DWORD>(lParam))];
    case WM_SETFOCUS:
      ::NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, app::kFieldChildId);
      return 0;
    case WM_CHAR:
      Type(*model, static_cast<wchar_t>(wParam));
      return 0;
    case WM_MOVE:
      // The caret's screen rectangle moves with the window.
      Publish(*model);
      NotifyCaret(*model, EVENT_OBJECT_LOCATIONCHANGE);
      return 0;
    case WM_PAINT:
      Paint(*model);
      return 0;
    case WM_DESTROY:
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
    if (argument == L"caret=hidden") model.caretShown = false;
    if (argument == L"focus=object") model.focusAsObject = true;
    if (argument == L"focus=child") model.focusAsObject = false;
    if (argument == L"chromium") model.chromium = true;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*arguments*/,
                    int /*showCommand*/) {
  Model model;  // before the apartment: it must outlive every call into the objects
  ApplyCommandLine(model);
  // The accessible objects are called in this single-threaded apartment, through the
  // window's message queue, when another process reads them.
  const sevalune::win32::ScopedComApartment apartment(COINIT_APARTMENTTHREADED);
  if (!apartment.initialized()) return 1;
  const wchar_t* frameClass = model.chromium ? app::kChromiumFrameClass : app::kFrameClass;
  sevalune::e2e::tools::RegisterToolWindowClass(instance, frameClass, &FrameProcedure, IDC_IBEAM);

  HWND window = ::CreateWindowExW(0, frameClass, app::kTitlePrefix, WS_OVERLAPPEDWINDOW,
                                  app::kFrameOrigin.x, app::kFrameOrigin.y, app::kFrameSize.cx,
                                  app::kFrameSize.cy, nullptr, nullptr, instance, &model);
  if (window == nullptr) return 1;
  Publish(model);
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::SetFocus(window);
  return sevalune::e2e::tools::RunMessageLoop();
}
