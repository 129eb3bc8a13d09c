// The process entry: the platform first (it creates the program's windows), then the
// program's handlers, then the message loop until the program asks to quit. The handlers
// and the platform are destroyed on the way out, before the process ends with the code the
// program asked for.
#include <exception>

#include "app/Application.h"
#include "backend/win32/LaunchOptions.h"
#include "backend/win32/Win32Platform.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
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
