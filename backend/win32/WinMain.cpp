// The process entry: library loading restricted to the system folder, then the platform (it creates
// the program's windows), then the program's handlers, then the message loop until the program asks
// to quit. The handlers and the platform are destroyed on the way out, before the process ends with
// the code the program asked for.
#include <exception>

#include "app/Application.h"
#include "backend/win32/LaunchOptions.h"
#include "backend/win32/Win32Platform.h"

namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, named here: older headers declare it only for Windows 8.
constexpr DWORD kSearchSystemFolderOnly = 0x00000800;

// Every library loaded from now on, also by system libraries on the program's behalf, comes
// from the system folder: never a DLL of that name placed beside the executable, which may
// run from any folder (Downloads among them). SetDefaultDllDirectories is looked up: Windows
// 7 has it only with an update (KB2533623), and starts without it as before.
void LoadLibrariesFromSystemFolderOnly() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  FARPROC found = ::GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (found == nullptr) return;
  // Through the generic function pointer type, which every compiler accepts quietly.
  const auto setDefaultDllDirectories =
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found));
  setDefaultDllDirectories(kSearchSystemFolderOnly);
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  LoadLibrariesFromSystemFolderOnly();
  try {
    sevalune::win32::Win32Platform platform(
        {.forceOldMethod = sevalune::win32::OldMethodRequestedForThisProcess()});
    sevalune::Application app(platform);
    platform.SetEventHandler(&app);
    app.Start();
    return platform.RunMessageLoop();
  } catch (const std::exception&) {
    // The program's windows could not be created (the desktop is out of window handles):
    // end quietly with a failure status rather than through the runtime's abort.
    return 1;
  }
}
