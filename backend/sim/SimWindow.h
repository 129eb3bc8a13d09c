// One window of the simulated desktop, and the descriptions scenarios create windows from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sevalune::sim {

struct SimWindow {
  WindowHandle handle = 0;
  std::string name;  // the scenario's name for it; may be empty
  std::string className;
  std::string title;
  ProcessId process = 0;
  ThreadId thread = 0;
  Rect rect;                // screen pixels; the client origin is the top-left corner
  WindowHandle parent = 0;  // 0 for a top-level window
  bool visible = true;
  bool enabled = true;
  bool topmost = false;
  bool noActivate = false;  // a tool or no-activate window: never given the activation
  bool destroyed = false;
  // For a thread's "Default IME" window: the top-level window it is owned by and sits
  // directly above.
  WindowHandle imeOwner = 0;
  std::vector<WindowHandle> children;  // z-order, top first
};

// A new top-level window.
struct NewWindow {
  std::string name;
  std::string className;
  std::string title;
  ProcessId process = 100;
  ThreadId thread = 101;
  Rect rect;
  bool visible = true;
  bool enabled = true;
  bool topmost = false;
  bool noActivate = false;
  // Z-order place: directly above or below another top-level window (taking its band);
  // at the top of its band when neither is given.
  WindowHandle above = 0;
  WindowHandle below = 0;
  // Give the window's thread its hidden "Default IME" window if it has none yet.
  bool defaultImeWindow = true;
};

// A new child control; it has the process and thread of its parent unless given others (a
// packaged app's core window inside the frame host's frame).
struct NewChild {
  std::string name;
  WindowHandle parent = 0;
  std::string className;
  std::string title;
  Rect rect;
  bool visible = true;
  bool enabled = true;
  std::optional<ProcessId> process;
  std::optional<ThreadId> thread;
};

}  // namespace sevalune::sim
