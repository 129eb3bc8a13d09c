// A small console program that looks at a running sevalune.exe from outside, as another
// program on the same desktop would, and prints what it finds one fact per line.
//
//   win32_probe state              the program's windows, the foreground window, the tray
//   win32_probe settext TEXT       puts TEXT into the main window's text box (WM_SETTEXT)
//   win32_probe tray CODE          posts the tray icon's callback with event CODE (e.g. 517)
//   win32_probe close              sends WM_CLOSE to the main window
//   win32_probe taskbar            broadcasts "TaskbarCreated", as a restarted shell does
//   win32_probe version FILE       the version information of FILE
//
// Exit status 0 when the main window was found (state, settext, tray, close) or the
// version information was read (version), 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backend/win32/WideText.h"
#include "backend/win32/WindowsHeaders.h"

namespace {

using sevalune::win32::Narrow;
using sevalune::win32::Widen;

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return Narrow(name);
}

std::string TitleOf(HWND window) {
  wchar_t title[256] = {};
  ::GetWindowTextW(window, title, 256);
  return Narrow(title);
}

void PrintWindow(const char* label, HWND window) {
  if (window == nullptr) {
    std::printf("%s=none\n", label);
    return;
  }
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  const LONG_PTR extended = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  std::printf(
      "%s=%p class=\"%s\" title=\"%s\" rect=%ld,%ld,%ld,%ld size=%ldx%ld visible=%d "
      "topmost=%d style=0x%08llx exstyle=0x%08llx\n",
      label, static_cast<void*>(window), ClassOf(window).c_str(), TitleOf(window).c_str(),
      rect.left, rect.top, rect.right, rect.bottom, rect.right - rect.left, rect.bottom - rect.top,
      ::IsWindowVisible(window) ? 1 : 0, (extended & WS_EX_TOPMOST) != 0 ? 1 : 0,
      static_cast<unsigned long long>(style), static_cast<unsigned long long>(extended));
}

HWND MainWindow() { return ::FindWindowW(L"SevaluneMarker", L"Sevalune"); }

int State() {
  HWND main = MainWindow();
  PrintWindow("main", main);
  HWND edit = main == nullptr ? nullptr : ::FindWindowExW(main, nullptr, L"Edit", nullptr);
  PrintWindow("edit", edit);
  if (edit != nullptr) {
    wchar_t text[256] = {};
    ::SendMessageW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    std::printf("edit.text=\"%s\"\n", Narrow(text).c_str());
  }
  PrintWindow("app", ::FindWindowW(nullptr, L"Sevalune Version 1.01"));
  PrintWindow("menuform", ::FindWindowW(L"SevaluneMenu", nullptr));
  PrintWindow("foreground", ::GetForegroundWindow());
  PrintWindow("taskbar", ::FindWindowW(L"Shell_TrayWnd", nullptr));
  PrintWindow("winetray", ::FindWindowW(nullptr, L"Wine System Tray"));
  // Menus and boxes of the program show up as top-level windows of its thread.
  if (main != nullptr) {
    const DWORD thread = ::GetWindowThreadProcessId(main, nullptr);
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM) -> BOOL {
          if (!::IsWindowVisible(window)) return TRUE;
          PrintWindow("shown", window);
          // The controls of a box: its texts, and what an edit holds.
          ::EnumChildWindows(
              window,
              [](HWND child, LPARAM) -> BOOL {
                wchar_t text[1024] = {};
                ::SendMessageW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
                std::string printable;
                for (const char c : Narrow(text)) {
                  if (c == '\r')
                    printable += "\\r";
                  else if (c == '\n')
                    printable += "\\n";
                  else
                    printable += c;
                }
                std::printf("  control class=\"%s\" text=\"%s\"\n", ClassOf(child).c_str(),
                            printable.c_str());
                return TRUE;
              },
              0);
          return TRUE;
        },
        0);
  }
  return main != nullptr ? 0 : 1;
}

int SetText(const char* text) {
  HWND main = MainWindow();
  HWND edit = main == nullptr ? nullptr : ::FindWindowExW(main, nullptr, L"Edit", nullptr);
  if (edit == nullptr) return 1;
  const std::wstring wide = Widen(text);
  ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  return 0;
}

int Tray(const char* code) {
  HWND main = MainWindow();
  if (main == nullptr) return 1;
  ::PostMessageW(main, WM_MOUSEMOVE, 1, std::strtol(code, nullptr, 0));
  return 0;
}

int Close() {
  HWND main = MainWindow();
  if (main == nullptr) return 1;
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  return 0;
}

int TaskbarCreated() {
  const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return ::PostMessageW(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
}

int Version(const char* file) {
  const std::wstring path = Widen(file);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return 1;
  std::vector<unsigned char> data(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
    std::printf("fileversion=%u.%u.%u.%u productversion=%u.%u.%u.%u\n",
                HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS),
                HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
  }
  for (const wchar_t* name :
       {L"ProductName", L"FileVersion", L"ProductVersion", L"InternalName", L"OriginalFilename",
        L"FileDescription", L"CompanyName", L"LegalCopyright"}) {
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    wchar_t* value = nullptr;
    if (::VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) {
      std::printf("%s=\"%s\"\n", Narrow(name).c_str(), Narrow(value).c_str());
    } else {
      std::printf("%s=missing\n", Narrow(name).c_str());
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Narrow(argv[i]));
  const std::string command = arguments.empty() ? "state" : arguments[0];
  const char* operand = arguments.size() > 1 ? arguments[1].c_str() : "";
  int status = 1;
  if (command == "state") status = State();
  if (command == "settext") status = SetText(operand);
  if (command == "tray") status = Tray(operand);
  if (command == "close") status = Close();
  if (command == "taskbar") status = TaskbarCreated();
  if (command == "version") status = Version(operand);
  std::fflush(stdout);
  return status;
}
