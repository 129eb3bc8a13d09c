// Asks the system's UI Automation client what it answers for the UI Automation helper
// (uia_app.cpp), in both of its shapes, for Wine's notepad, and for the helper while its
// provider hangs; prints one line per call: the call, its HRESULT, what it answered. It
// asks as Sevalune's accessibility worker does: CUIAutomation8, created in the
// multithreaded apartment. docs/accessibility-notes.md records what Wine 10 answered.
//
//   sevalune_e2e_uia_probe.exe PATH\sevalune_e2e_uia_app.exe
//
// Exit status 0 when the client reaches the helper's provider through ElementFromHandle
// and answers the field's rectangle (what the tests under Wine 10 build on), 1 otherwise.
// Needs the UI Automation client declarations of mingw-w64 12 or later (Debian 13).
#include "backend/win32/WindowsHeaders.h"
// Need the declarations of <windows.h>.
#include <ole2.h>
#include <uiautomation.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "UiaAppCommands.h"

namespace {

namespace app = sevalune::e2e::uia_app;
using Microsoft::WRL::ComPtr;
using Clock = std::chrono::steady_clock;

// ---- printing -------------------------------------------------------------------------

std::string HresultText(HRESULT hr) {
  constexpr std::pair<HRESULT, const char*> kNames[] = {
      {S_OK, "S_OK"},
      {S_FALSE, "S_FALSE"},
      {E_NOTIMPL, "E_NOTIMPL"},
      {E_NOINTERFACE, "E_NOINTERFACE"},
      {E_FAIL, "E_FAIL"},
      {E_INVALIDARG, "E_INVALIDARG"},
      {static_cast<HRESULT>(UIA_E_ELEMENTNOTAVAILABLE), "UIA_E_ELEMENTNOTAVAILABLE"},
      {static_cast<HRESULT>(UIA_E_TIMEOUT), "UIA_E_TIMEOUT"},
  };
  for (const auto& [known, name] : kNames) {
    if (hr == known) return name;
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(hr));
  return text;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + ',' + std::to_string(r.top) + ',' + std::to_string(r.right) +
         ',' + std::to_string(r.bottom);
}

std::string Narrow(const wchar_t* text) {
  if (text == nullptr) return "(null)";
  std::string narrow;
  for (const wchar_t* c = text; *c != L'\0'; ++c) {
    narrow += *c < 0x80 ? static_cast<char>(*c) : '?';
  }
  return narrow;
}

void Line(const std::string& call, HRESULT hr, const std::string& answer = "") {
  std::printf("  %-52s %-10s %s\n", call.c_str(), HresultText(hr).c_str(), answer.c_str());
  std::fflush(stdout);
}

void Section(const char* title) {
  std::printf("\n%s\n", title);
  std::fflush(stdout);
}

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// ---- the programs asked about ---------------------------------------------------------

class Program {
 public:
  explicit Program(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &process_) != FALSE;
  }
  ~Program() {
    if (!started_) return;
    if (HWND window = TopWindow(); window != nullptr) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.hProcess, 3000) != WAIT_OBJECT_0) {
      ::TerminateProcess(process_.hProcess, 1);
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD id() const { return process_.dwProcessId; }

  // Its visible top-level window, once it has one (up to 20 s; Wine starts slowly at first).
  HWND TopWindow() const {
    for (int attempt = 0; started_ && attempt < 200; ++attempt) {
      HWND found = nullptr;
      for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner == process_.dwProcessId && ::IsWindowVisible(w) != FALSE) found = w;
      }
      if (found != nullptr) return found;
      ::Sleep(100);
    }
    return nullptr;
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_{};
};

std::optional<app::Published> HelperState(HWND window) {
  wchar_t title[256] = {};
  ::GetWindowTextW(window, title, 256);
  return app::PublishedInTitle(title);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  if (::GetGUIThreadInfo(thread, &info) == FALSE) return nullptr;
  return info.hwndFocus;
}

// Whether the window's thread takes a message within 300 ms.
bool ThreadAnswers(HWND window) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 300, &result) != 0;
}

// ---- what an element answers ----------------------------------------------------------

// Names a rectangle after what it equals, for reading the report.
using RectNames = std::function<std::string(const RECT&)>;

void ReportBounds(const std::string& what, IUIAutomationElement* element, const RectNames& name) {
  RECT bounds{};
  const HRESULT hr = element->get_CurrentBoundingRectangle(&bounds);
  Line(what + " get_CurrentBoundingRectangle", hr,
       SUCCEEDED(hr) ? RectText(bounds) + name(bounds) : "");
}

void ReportElement(const std::string& what, IUIAutomationElement* element, DWORD processId,
                   const RectNames& name) {
  ReportBounds(what, element, name);
  int process = 0;
  HRESULT hr = element->get_CurrentProcessId(&process);
  Line(what + " get_CurrentProcessId", hr,
       SUCCEEDED(hr) ? std::to_string(process) +
                           (static_cast<DWORD>(process) == processId ? " (its process)" : "")
                     : "");
  UIA_HWND handle = nullptr;
  hr = element->get_CurrentNativeWindowHandle(&handle);
  char text[32];
  std::snprintf(text, sizeof text, "%p", handle);
  Line(what + " get_CurrentNativeWindowHandle", hr, SUCCEEDED(hr) ? text : "");
  BSTR elementName = nullptr;
  hr = element->get_CurrentName(&elementName);
  Line(what + " get_CurrentName", hr, SUCCEEDED(hr) ? Narrow(elementName) : "");
  ::SysFreeString(elementName);
  CONTROLTYPEID type = 0;
  hr = element->get_CurrentControlType(&type);
  Line(what + " get_CurrentControlType", hr, SUCCEEDED(hr) ? std::to_string(type) : "");
  BOOL focus = FALSE;
  hr = element->get_CurrentHasKeyboardFocus(&focus);
  Line(what + " get_CurrentHasKeyboardFocus", hr, SUCCEEDED(hr) ? (focus ? "true" : "false") : "");
  for (const auto& [property, label] :
       {std::pair{UIA_NamePropertyId, "Name"},
        std::pair{UIA_BoundingRectanglePropertyId, "BoundingRectangle"},
        std::pair{UIA_ProcessIdPropertyId, "ProcessId"},
        std::pair{UIA_IsTextPatternAvailablePropertyId, "IsTextPatternAvailable"},
        std::pair{UIA_IsTextPattern2AvailablePropertyId, "IsTextPattern2Available"},
        std::pair{UIA_HasKeyboardFocusPropertyId, "HasKeyboardFocus"}}) {
    VARIANT value;
    ::VariantInit(&value);
    hr = element->GetCurrentPropertyValue(property, &value);
    std::string answer = "vt=" + std::to_string(value.vt);
    if (value.vt == VT_I4) answer += " " + std::to_string(value.lVal);
    if (value.vt == VT_BOOL) answer += value.boolVal != VARIANT_FALSE ? " true" : " false";
    if (value.vt == VT_BSTR) answer += " " + Narrow(value.bstrVal);
    Line(what + " GetCurrentPropertyValue(" + label + ")", hr, SUCCEEDED(hr) ? answer : "");
    ::VariantClear(&value);
  }
  ComPtr<IUnknown> pattern;
  hr = element->GetCurrentPattern(UIA_TextPatternId, pattern.GetAddressOf());
  Line(what + " GetCurrentPattern(TextPattern)", hr, pattern ? "a pattern" : "none");
  ComPtr<IUIAutomationTextPattern2> text2;
  hr = element->GetCurrentPatternAs(UIA_TextPattern2Id, __uuidof(IUIAutomationTextPattern2),
                                    reinterpret_cast<void**>(text2.GetAddressOf()));
  Line(what + " GetCurrentPatternAs(TextPattern2)", hr, text2 ? "a pattern" : "none");
}

// FindFirst below an element for the element whose HasKeyboardFocus is the value given.
void ReportFindByFocus(const std::string& what, IUIAutomation* automation,
                       IUIAutomationElement* element, bool focus, const RectNames& name) {
  VARIANT value;
  ::VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = focus ? VARIANT_TRUE : VARIANT_FALSE;
  const std::string text = focus ? "true" : "false";
  ComPtr<IUIAutomationCondition> condition;
  HRESULT hr =
      automation->CreatePropertyCondition(UIA_HasKeyboardFocusPropertyId, value, &condition);
  if (FAILED(hr)) {
    Line("CreatePropertyCondition(HasKeyboardFocus, " + text + ")", hr);
    return;
  }
  ComPtr<IUIAutomationElement> found;
  hr = element->FindFirst(TreeScope_Descendants, condition.Get(), found.GetAddressOf());
  Line(what + " FindFirst(descendants, HasKeyboardFocus " + text + ")", hr,
       found ? "an element" : "none");
  if (found) ReportBounds("  that element:", found.Get(), name);
}

// The ways to the element below an element: by condition, and by the tree walker.
void ReportFindFocused(const std::string& what, IUIAutomation* automation,
                       IUIAutomationElement* element, const RectNames& name) {
  ReportFindByFocus(what, automation, element, true, name);
  ReportFindByFocus(what, automation, element, false, name);
  ComPtr<IUIAutomationCondition> any;
  HRESULT hr = automation->CreateTrueCondition(&any);
  if (FAILED(hr)) return;
  ComPtr<IUIAutomationElement> found;
  hr = element->FindFirst(TreeScope_Children, any.Get(), found.GetAddressOf());
  Line(what + " FindFirst(children, true)", hr, found ? "an element" : "none");
  if (found) ReportBounds("  that element:", found.Get(), name);
  ComPtr<IUIAutomationTreeWalker> walker;
  hr = automation->get_RawViewWalker(&walker);
  if (FAILED(hr)) {
    Line("get_RawViewWalker", hr);
    return;
  }
  found.Reset();
  hr = walker->GetFirstChildElement(element, found.GetAddressOf());
  Line(what + " RawViewWalker GetFirstChildElement", hr, found ? "an element" : "none");
  if (found) ReportBounds("  that element:", found.Get(), name);
}

void ReportFocused(IUIAutomation* automation, DWORD processId, const RectNames& name) {
  ComPtr<IUIAutomationElement> focused;
  const Clock::time_point start = Clock::now();
  const HRESULT hr = automation->GetFocusedElement(focused.GetAddressOf());
  Line("GetFocusedElement", hr,
       std::string(focused ? "an element" : "none") + " in " +
           std::to_string(MillisecondsSince(start)) + " ms");
  if (focused) ReportElement("  focused:", focused.Get(), processId, name);
}

void ReportAtPoint(IUIAutomation* automation, POINT point, const RectNames& name) {
  ComPtr<IUIAutomationElement> found;
  const HRESULT hr = automation->ElementFromPoint(point, found.GetAddressOf());
  Line("ElementFromPoint(" + std::to_string(point.x) + ',' + std::to_string(point.y) + ')', hr,
       found ? "an element" : "none");
  if (found) ReportBounds("  at point:", found.Get(), name);
}

// ---- the sections ---------------------------------------------------------------------

ComPtr<IUIAutomation> CreateAutomation() {
  ComPtr<IUIAutomation> automation;
  const HRESULT hr = ::CoCreateInstance(CLSID_CUIAutomation8, nullptr, CLSCTX_INPROC_SERVER,
                                        __uuidof(IUIAutomation),
                                        reinterpret_cast<void**>(automation.GetAddressOf()));
  Line("CoCreateInstance(CUIAutomation8, IUIAutomation)", hr);
  return automation;
}

void ReportClient(IUIAutomation* automation) {
  Section("The client");
  for (const auto& [iid, label] : {std::pair{__uuidof(IUIAutomation2), "IUIAutomation2"},
                                   std::pair{__uuidof(IUIAutomation3), "IUIAutomation3"},
                                   std::pair{__uuidof(IUIAutomation4), "IUIAutomation4"},
                                   std::pair{__uuidof(IUIAutomation5), "IUIAutomation5"},
                                   std::pair{__uuidof(IUIAutomation6), "IUIAutomation6"}}) {
    ComPtr<IUnknown> other;
    Line(std::string("QueryInterface(") + label + ")",
         automation->QueryInterface(iid, reinterpret_cast<void**>(other.GetAddressOf())));
  }
  ComPtr<IUIAutomation2> second;
  if (FAILED(automation->QueryInterface(IID_PPV_ARGS(&second)))) return;
  DWORD timeout = 0;
  HRESULT hr = second->get_ConnectionTimeout(&timeout);
  Line("IUIAutomation2 get_ConnectionTimeout", hr, std::to_string(timeout) + " ms");
  hr = second->get_TransactionTimeout(&timeout);
  Line("IUIAutomation2 get_TransactionTimeout", hr, std::to_string(timeout) + " ms");
}

// Sets both timeouts of a client's own object; answers whether both calls succeeded.
bool SetTimeouts(IUIAutomation* automation, DWORD milliseconds) {
  ComPtr<IUIAutomation2> second;
  HRESULT hr = automation->QueryInterface(IID_PPV_ARGS(&second));
  if (FAILED(hr)) {
    Line("QueryInterface(IUIAutomation2)", hr);
    return false;
  }
  const std::string value = "(" + std::to_string(milliseconds) + ")";
  hr = second->put_ConnectionTimeout(milliseconds);
  Line("IUIAutomation2 put_ConnectionTimeout" + value, hr);
  const HRESULT transaction = second->put_TransactionTimeout(milliseconds);
  Line("IUIAutomation2 put_TransactionTimeout" + value, transaction);
  DWORD read = 0;
  if (SUCCEEDED(second->get_TransactionTimeout(&read))) {
    Line("IUIAutomation2 get_TransactionTimeout", S_OK, std::to_string(read) + " ms");
  }
  return SUCCEEDED(hr) && SUCCEEDED(transaction);
}

// Asks about the helper in one shape; answers whether ElementFromHandle reached its
// provider and gave the rectangle the shape promises.
bool ReportHelper(IUIAutomation* automation, const std::wstring& helperPath, const wchar_t* shape) {
  const bool tree = std::wstring(shape) == L"tree";
  Section(tree ? "The helper, shape=tree (root: the client area; its focused child: the field)"
               : "The helper, shape=flat (root: the field)");
  Program helper(L"\"" + helperPath + L"\" shape=" + shape);
  HWND window = helper.TopWindow();
  const std::optional<app::Published> before = window ? HelperState(window) : std::nullopt;
  if (!before) {
    std::printf("  the helper's window did not appear\n");
    return false;
  }
  RECT client{};
  ::GetClientRect(window, &client);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  RECT frame{};
  ::GetWindowRect(window, &frame);
  const RectNames name = [&](const RECT& r) -> std::string {
    if (::EqualRect(&r, &before->field) != FALSE) return " (the field)";
    if (::EqualRect(&r, &client) != FALSE) return " (the client area)";
    if (::EqualRect(&r, &frame) != FALSE) return " (the window)";
    if (r.left == 0 && r.top == 0 && r.right >= 1024) return " (the screen)";
    return "";
  };
  std::printf("  field %s, client area %s, window %s, focus window is %s\n",
              RectText(before->field).c_str(), RectText(client).c_str(), RectText(frame).c_str(),
              FocusOf(window) == window ? "the window" : "another");

  ComPtr<IUIAutomationElement> element;
  const Clock::time_point start = Clock::now();
  const HRESULT hr = automation->ElementFromHandle(window, element.GetAddressOf());
  const long long elapsed = MillisecondsSince(start);
  const std::optional<app::Published> asked = HelperState(window);
  Line("ElementFromHandle(window)", hr,
       std::to_string(elapsed) + " ms; requests: uia +" +
           std::to_string(asked ? asked->uia - before->uia : -1) + ", client +" +
           std::to_string(asked ? asked->client - before->client : -1) + ", other +" +
           std::to_string(asked ? asked->other - before->other : -1));
  bool reached = false;
  if (element) {
    ReportElement("  window's element:", element.Get(), helper.id(), name);
    RECT bounds{};
    const RECT wanted = tree ? client : before->field;
    reached = asked && asked->uia > before->uia &&
              SUCCEEDED(element->get_CurrentBoundingRectangle(&bounds)) &&
              ::EqualRect(&bounds, &wanted) != FALSE;
    ReportFindFocused("  window's element:", automation, element.Get(), name);
  }
  ReportFocused(automation, helper.id(), name);
  ReportAtPoint(automation,
                POINT{(before->field.left + before->field.right) / 2,
                      (before->field.top + before->field.bottom) / 2},
                name);
  if (const std::optional<app::Published> after = HelperState(window)) {
    std::printf(
        "  requests in all: uia %ld, client %ld, caret %ld, other %ld; provider calls %ld\n",
        after->uia, after->client, after->caret, after->other, after->calls);
  }
  return reached;
}

void ReportNotepad(IUIAutomation* automation) {
  Section("Wine's notepad (frame, and its edit control with the system caret)");
  Program notepad(L"notepad.exe");
  HWND frame = notepad.TopWindow();
  HWND edit = frame ? ::FindWindowExW(frame, nullptr, L"Edit", nullptr) : nullptr;
  if (edit == nullptr) {
    std::printf("  notepad's edit control did not appear\n");
    return;
  }
  RECT frameRect{};
  RECT editRect{};
  ::GetWindowRect(frame, &frameRect);
  ::GetWindowRect(edit, &editRect);
  const RectNames name = [&](const RECT& r) -> std::string {
    if (::EqualRect(&r, &frameRect) != FALSE) return " (the frame)";
    if (::EqualRect(&r, &editRect) != FALSE) return " (the edit control)";
    if (r.left == 0 && r.top == 0 && r.right >= 1024) return " (the screen)";
    return "";
  };
  std::printf("  frame %s, edit %s, focus window is %s\n", RectText(frameRect).c_str(),
              RectText(editRect).c_str(), FocusOf(frame) == edit ? "the edit" : "another");
  for (const auto& [window, label] : {std::pair{frame, "frame"}, std::pair{edit, "edit"}}) {
    ComPtr<IUIAutomationElement> element;
    const Clock::time_point start = Clock::now();
    const HRESULT hr = automation->ElementFromHandle(window, element.GetAddressOf());
    Line(std::string("ElementFromHandle(") + label + ")", hr,
         std::string(element ? "an element" : "none") + " in " +
             std::to_string(MillisecondsSince(start)) + " ms");
    if (!element) continue;
    ReportElement(std::string("  ") + label + ":", element.Get(), notepad.id(), name);
    if (window == frame) ReportFindFocused("  frame:", automation, element.Get(), name);
  }
  ReportFocused(automation, notepad.id(), name);
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  return process;
}

// Ends the helper's waiting calls at once.
void WakeHelper(HWND window) {
  HANDLE wake =
      ::OpenEventW(EVENT_MODIFY_STATE, FALSE, app::WakeEventName(ProcessOf(window)).c_str());
  if (wake == nullptr) return;
  ::SetEvent(wake);
  ::CloseHandle(wake);
}

// One provider call on an element got while the provider answered, timed while every call
// into the provider waits 3 s; the window's thread is looked at meanwhile.
void TimeHungCall(const std::string& what, IUIAutomationElement* element, HWND window) {
  ::PostMessageW(window, app::kHang, 3000, 0);
  ::Sleep(200);
  bool threadHeld = false;
  std::thread watcher([&] {
    ::Sleep(700);
    threadHeld = !ThreadAnswers(window);
  });
  const Clock::time_point start = Clock::now();
  RECT bounds{};
  const HRESULT hr = element->get_CurrentBoundingRectangle(&bounds);
  const long long elapsed = MillisecondsSince(start);
  watcher.join();
  Line(what, hr,
       std::to_string(elapsed) + " ms; window's thread " +
           (threadHeld ? "held meanwhile" : "free meanwhile"));
  ::PostMessageW(window, app::kHang, 0, 0);
  WakeHelper(window);
}

void ReportHang(const std::wstring& helperPath) {
  Section("The helper with a hanging provider (each call waits 3 s), shape=flat");
  Program helper(L"\"" + helperPath + L"\" shape=flat");
  HWND window = helper.TopWindow();
  if (window == nullptr) {
    std::printf("  the helper's window did not appear\n");
    return;
  }
  ComPtr<IUIAutomation> plain = CreateAutomation();
  ComPtr<IUIAutomation> timed = CreateAutomation();
  if (!plain || !timed) return;
  const bool timeoutsSet = SetTimeouts(timed.Get(), 300);
  ComPtr<IUIAutomationElement> plainElement;
  ComPtr<IUIAutomationElement> timedElement;
  plain->ElementFromHandle(window, plainElement.GetAddressOf());
  timed->ElementFromHandle(window, timedElement.GetAddressOf());
  if (!plainElement || !timedElement) {
    std::printf("  ElementFromHandle gave no element\n");
    return;
  }
  TimeHungCall("get_CurrentBoundingRectangle, default timeouts", plainElement.Get(), window);
  if (timeoutsSet) {
    TimeHungCall("get_CurrentBoundingRectangle, timeouts 300 ms", timedElement.Get(), window);
  }
  // A fresh ElementFromHandle while the window's thread is held in a provider call.
  ::PostMessageW(window, app::kHang, 3000, 0);
  ::Sleep(200);
  std::thread holder([&] {
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    RECT bounds{};
    plainElement->get_CurrentBoundingRectangle(&bounds);
    ::CoUninitialize();
  });
  ::Sleep(500);
  const bool held = !ThreadAnswers(window);
  const Clock::time_point start = Clock::now();
  ComPtr<IUIAutomationElement> fresh;
  const HRESULT hr = timed->ElementFromHandle(window, fresh.GetAddressOf());
  Line("ElementFromHandle while a call waits (timeouts asked)", hr,
       std::to_string(MillisecondsSince(start)) + " ms; window's thread " +
           (held ? "held" : "free"));
  ::PostMessageW(window, app::kHang, 0, 0);
  WakeHelper(window);
  holder.join();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sevalune_e2e_uia_probe.exe PATH\\sevalune_e2e_uia_app.exe\n");
    return 2;
  }
  const std::wstring helperPath = argv[1];
  if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  bool reached = false;
  {
    Section("UI Automation as the worker asks it (multithreaded apartment)");
    ComPtr<IUIAutomation> automation = CreateAutomation();
    if (automation) {
      ReportClient(automation.Get());
      reached = ReportHelper(automation.Get(), helperPath, L"flat");
      ReportHelper(automation.Get(), helperPath, L"tree");
      ReportNotepad(automation.Get());
      ReportHang(helperPath);
    }
  }
  ::CoUninitialize();
  std::printf("\n%s\n", reached
                            ? "The provider answered the field's rectangle."
                            : "FAILED: the provider was not reached through ElementFromHandle.");
  return reached ? 0 : 1;
}
