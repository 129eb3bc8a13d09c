// The contract's world on the real desktop: real windows of this process's two GUI
// threads, input state set by the thread that owns it, real files in a temporary folder,
// and the real Win32 backend as the program's platform.
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "backend/win32/HandleCast.h"
#include "backend/win32/WideText.h"
#include "backend/win32/Win32Platform.h"
#include "tests/contract/AccessibleServer.h"
#include "tests/contract/DesktopDriver.h"
#include "tests/contract/SecondGuiThread.h"
#include "tests/win32/ModalDriver.h"

#include <imm.h>

namespace sevalune::contract {
namespace {

using win32::Narrow;
using win32::ToHandle;
using win32::ToHwnd;
using win32::Widen;

constexpr ULONGLONG kAccessibilityRoundPassMs = 250;

// Wine's ntdll exports its version; Windows' does not.
Flavor DetectFlavor() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const bool wine = ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
  return wine ? Flavor::Wine : Flavor::Windows;
}

// A folder of its own under the user's temporary folder, removed with everything in it.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    // A name nobody else uses: the system makes a unique empty file, which becomes the folder.
    wchar_t unique[MAX_PATH + 1] = {};
    ::GetTempFileNameW(base, L"slc", 0, unique);
    ::DeleteFileW(unique);
    path_ = unique;
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  std::wstring PathOf(std::string_view name) const { return path_ + L"\\" + Widen(name); }

 private:
  std::wstring path_;
};

// A visible window of the calling thread with the class: the modal box ("#32770") or the
// pop-up menu ("#32768") the thread is showing.
HWND ShownWindowOfClass(const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    HWND found;
  } search{className, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(context);
        wchar_t name[32] = {};
        ::GetClassNameW(window, name, 32);
        if (std::wstring_view(name) != wanted->className || ::IsWindowVisible(window) == FALSE) {
          return TRUE;
        }
        wanted->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PressKey(HWND window, WPARAM key) {
  ::PostMessageW(window, WM_KEYDOWN, key, 0);
  ::PostMessageW(window, WM_KEYUP, key, 0);
}

// Window classes of the tests, registered on first use and unregistered at the end.
class TestClasses {
 public:
  explicit TestClasses(HINSTANCE instance) : instance_(instance) {}
  ~TestClasses() {
    for (const std::wstring& name : registered_) ::UnregisterClassW(name.c_str(), instance_);
  }
  TestClasses(const TestClasses&) = delete;
  TestClasses& operator=(const TestClasses&) = delete;

  std::wstring Ensure(std::string_view className) {
    std::wstring name = Widen(className);
    for (const std::wstring& known : registered_) {
      if (known == name) return name;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name.c_str();
    if (::RegisterClassExW(&windowClass) != 0) registered_.push_back(name);
    return name;
  }

 private:
  HINSTANCE instance_;
  std::vector<std::wstring> registered_;
};

class Win32Driver final : public DesktopDriver {
 public:
  Win32Driver() : flavor_(DetectFlavor()), classes_(::GetModuleHandleW(nullptr)) {}

  ~Win32Driver() override {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) RemoveWindow(*it);
    second_.reset();
    // A test that quit leaves its quit request in this thread's queue; the next test's
    // program must not find it.
    MSG message{};
    while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE) {
    }
  }
  Win32Driver(const Win32Driver&) = delete;
  Win32Driver& operator=(const Win32Driver&) = delete;

  Flavor Answerer() const override { return flavor_; }
  Platform& Program() override { return program_; }
  ThreadId ThreadOf(GuiThread thread) override {
    return thread == GuiThread::Main ? ::GetCurrentThreadId() : Second().Id();
  }
  ProcessId Process() const override { return ::GetCurrentProcessId(); }

  WindowHandle AddWindow(const WindowRequest& wanted) override {
    const std::wstring className = classes_.Ensure(wanted.className);
    const std::wstring title = Widen(wanted.title);
    HWND window = nullptr;
    RunOn(wanted.thread, [&] {
      const Rect& place = wanted.rect;
      window =
          ::CreateWindowExW(wanted.topmost ? WS_EX_TOPMOST : 0, className.c_str(), title.c_str(),
                            WS_POPUP | (wanted.enabled ? 0 : WS_DISABLED), place.left, place.top,
                            place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
      if (window != nullptr && wanted.visible) ::ShowWindow(window, SW_SHOWNOACTIVATE);
    });
    return Remember(window);
  }

  WindowHandle AddChild(const ChildRequest& wanted) override {
    const std::wstring className = classes_.Ensure(wanted.className);
    const std::wstring title = Widen(wanted.title);
    HWND parent = ToHwnd(wanted.parent);
    HWND window = nullptr;
    const DWORD style =
        WS_CHILD | (wanted.visible ? WS_VISIBLE : 0) | (wanted.enabled ? 0 : WS_DISABLED);
    RunOn(parent, [&] {
      window = ::CreateWindowExW(0, className.c_str(), title.c_str(), style, wanted.rect.left,
                                 wanted.rect.top, wanted.rect.right - wanted.rect.left,
                                 wanted.rect.bottom - wanted.rect.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(++childIds_)),
                                 ::GetModuleHandleW(nullptr), nullptr);
    });
    return Remember(window);
  }

  void RemoveWindow(WindowHandle handle) override {
    HWND window = ToHwnd(handle);
    if (::IsWindow(window) == FALSE) return;
    RunOn(window, [window] { ::DestroyWindow(window); });
  }

  void Focus(WindowHandle handle) override {
    HWND window = ToHwnd(handle);
    RunOn(window, [window] { ::SetFocus(window); });
  }

  void CreateCaret(WindowHandle handle, const Rect& caret) override {
    HWND window = ToHwnd(handle);
    RunOn(window, [window, caret] {
      ::CreateCaret(window, nullptr, caret.right - caret.left, caret.bottom - caret.top);
      ::SetCaretPos(caret.left, caret.top);
      ::ShowCaret(window);
    });
  }

  void DestroyCaret(GuiThread thread) override {
    RunOn(thread, [] { ::DestroyCaret(); });
  }

  void Capture(WindowHandle handle) override {
    HWND window = ToHwnd(handle);
    RunOn(window, [window] { ::SetCapture(window); });
  }

  void ReleaseCapture(GuiThread thread) override {
    RunOn(thread, [] { ::ReleaseCapture(); });
  }

  bool SetInputMethodOpen(WindowHandle handle, bool open) override {
    HWND window = ToHwnd(handle);
    bool done = false;
    RunOn(window, [window, open, &done] {
      HIMC context = ::ImmGetContext(window);
      if (context == nullptr) return;
      done = ::ImmSetOpenStatus(context, open ? TRUE : FALSE) != FALSE;
      ::ImmReleaseContext(window, context);
    });
    return done;
  }

  void HangSecondThread(bool hung) override {
    if (hung) {
      Second().Hang();
    } else {
      Second().Resume();
    }
  }

  void LetSecondThreadCatchUp() override {
    // Sent messages are handled in order: once this one is, so are the earlier ones.
    Second().Run([] {});
  }

  void Publish(WindowHandle handle, const PublishedAccessible& published) override {
    HWND window = ToHwnd(handle);
    RunOn(window, [window, &published] { ServeAccessible(window, published); });
  }

  void LetAccessibilityRoundPass() override {
    // Longer than a round's limit on a loaded machine; this thread's windows are served
    // meanwhile, as the program's would be by its message loop.
    const ULONGLONG end = ::GetTickCount64() + kAccessibilityRoundPassMs;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
      MSG message{};
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        if (message.message == WM_QUIT) {
          ::PostQuitMessage(static_cast<int>(message.wParam));
          return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }
  }

  void SetLeftButton(bool down) override {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &input, sizeof input);
  }

  std::uint32_t DisplayDpi() override {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return static_cast<std::uint32_t>(dpi);
  }

  // The answers come from a timer that runs inside the modal loop of the box or menu.
  void AnswerNextBox(bool ok) override {
    user_ = std::make_unique<win32::testing::ModalDriver>([ok] {
      HWND box = ShownWindowOfClass(L"#32770");
      if (box == nullptr) return false;
      if (ok) {
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      } else {
        PressKey(box, VK_ESCAPE);
      }
      return true;
    });
  }

  void AnswerNextMenu(std::string_view /*keyword*/, int position) override {
    user_ = std::make_unique<win32::testing::ModalDriver>([position] {
      HWND menu = ShownWindowOfClass(L"#32768");
      if (menu == nullptr) return false;
      for (int i = 0; i < position; ++i) PressKey(menu, VK_DOWN);
      PressKey(menu, position == 0 ? VK_ESCAPE : VK_RETURN);
      return true;
    });
  }

  void SetTextBoxFromOutside(std::string_view text) override {
    HWND textBox = ::FindWindowExW(ToHwnd(program_.MarkerWindow()), nullptr, L"Edit", nullptr);
    const std::wstring wide = Widen(text);
    Second().Run([textBox, &wide] {
      ::SendMessageW(textBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    });
  }

  std::unique_ptr<Platform> StartAnotherInstance() override {
    return std::make_unique<win32::Win32Platform>();
  }

  void PostTrayEvent(std::uint32_t eventCode) override {
    ::PostMessageW(ToHwnd(program_.MarkerWindow()), WM_MOUSEMOVE, 1,
                   static_cast<LPARAM>(eventCode));
  }

  void LetCaretWatchLook() override {
    // The watch looks every 10 ms; a loaded machine may let it look less often.
    ::Sleep(200);
  }

  void LetTimerPeriodsPass() override {
    // Generous limits: a loaded machine may be slow, and nothing here is measured.
    for (int i = 0; i < 1000 && HIWORD(::GetQueueStatus(QS_TIMER)) == 0; ++i) ::Sleep(10);
    ::Sleep(300);
  }

  void LetFolderChangesSettle() override {
    // Generous: the notification comes within milliseconds, the settle time is the test's.
    constexpr DWORD kWaitMs = 1000;
    const ULONGLONG end = ::GetTickCount64() + kWaitMs;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
      program_.WaitAndDispatch(static_cast<DWORD>(end - now));
    }
  }

  std::string WriteFile(std::string_view name, std::string_view bytes) override {
    const std::wstring path = folder_.PathOf(name);
    win32::ScopedKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      file.release();
      throw std::runtime_error("cannot create " + Narrow(path));
    }
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return Narrow(path);
  }

  std::string MakeDirectory(std::string_view name) override {
    const std::wstring path = folder_.PathOf(name);
    ::CreateDirectoryW(path.c_str(), nullptr);
    return Narrow(path);
  }

  std::string MissingFile(std::string_view name) override { return Narrow(folder_.PathOf(name)); }

  void SetReadOnly(const std::string& path, bool readOnly) override {
    ::SetFileAttributesW(Widen(path).c_str(),
                         readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
  }

 private:
  SecondGuiThread& Second() {
    if (!second_) second_ = std::make_unique<SecondGuiThread>();
    return *second_;
  }

  template <typename Work>
  void RunOn(GuiThread thread, Work work) {
    if (thread == GuiThread::Main) {
      work();
    } else {
      Second().Run(work);
    }
  }

  template <typename Work>
  void RunOn(HWND window, Work work) {
    const DWORD owner = ::GetWindowThreadProcessId(window, nullptr);
    RunOn(second_ && owner == second_->Id() ? GuiThread::Second : GuiThread::Main, work);
  }

  WindowHandle Remember(HWND window) {
    if (window != nullptr) windows_.push_back(ToHandle(window));
    return ToHandle(window);
  }

  Flavor flavor_;
  win32::Win32Platform program_;
  TemporaryFolder folder_;
  TestClasses classes_;
  std::unique_ptr<SecondGuiThread> second_;
  std::unique_ptr<win32::testing::ModalDriver> user_;
  std::vector<WindowHandle> windows_;
  int childIds_ = 0;
};

}  // namespace

std::unique_ptr<DesktopDriver> MakeDriver() { return std::make_unique<Win32Driver>(); }

}  // namespace sevalune::contract
