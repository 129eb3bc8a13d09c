#include "tracking/LocationMethod.h"

#include <optional>

namespace sevalune {

LocationMethod ProbeLocationMethod(Platform& platform) {
  GuiThreadInfo info;
  // With no window in the foreground (a start at logon, say) the query has no foreground
  // thread to answer for; the program's own GUI thread tells just as well whether it works.
  WindowHandle probed = platform.GetForegroundWindow();
  if (probed == 0) probed = platform.MarkerWindow();
  const ThreadId thread = platform.GetWindowThreadProcessId(probed).thread;
  const std::optional<bool> answered = platform.GetGUIThreadInfo(thread, info);
  return answered.value_or(false) ? LocationMethod::GuiThreadInfo
                                  : LocationMethod::AttachThreadInput;
}

}  // namespace sevalune
