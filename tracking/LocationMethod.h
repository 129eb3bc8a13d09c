// The two ways of finding the focus, the caret and an open menu in another program's GUI
// thread.
#pragma once

#include "platform/Platform.h"

namespace sevalune {

enum class LocationMethod {
  // Ask the system for the thread's GUI state (GetGUIThreadInfo).
  GuiThreadInfo,
  // The older way, for systems without that query: attach to the thread's input for a
  // moment and read its focus, capture and caret.
  AttachThreadInput,
};

// Whether the per-thread GUI query exists and answers for the foreground window's thread
// (the program's own thread when no window holds the foreground); if not, the older
// method must be used.
LocationMethod ProbeLocationMethod(Platform& platform);

}  // namespace sevalune
