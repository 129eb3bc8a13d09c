// What each platform call of one tick costs on the real system (under Wine here): the
// average over many calls, against the foreground window and the program's own marker.
// Start a program with a caret (notepad) in the foreground, then run this. With a program
// in front that publishes its caret through accessibility (the end-to-end caret helper),
// the accessibility query's lines say what the fallback costs the GUI thread and how its
// rounds on the worker fare.
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <thread>

#include "backend/win32/Win32Platform.h"

namespace {

using namespace sevalune;

constexpr int kRepeats = 500;
constexpr int kSpacedRepeats = 100;

void Time(const char* name, const std::function<void()>& call) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRepeats; ++i) call();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  std::printf("| %s | %.1f |\n", name, spent.count() / kRepeats);
}

// One call in each pause, as the tick makes it: the worker has finished the previous round
// and waits, so each call also wakes it. Only the call is timed.
void TimeSpaced(const char* name, std::chrono::milliseconds pause,
                const std::function<void()>& call) {
  std::chrono::duration<double, std::micro> spent{0};
  for (int i = 0; i < kSpacedRepeats; ++i) {
    std::this_thread::sleep_for(pause);
    const auto start = std::chrono::steady_clock::now();
    call();
    spent += std::chrono::steady_clock::now() - start;
  }
  std::printf("| %s | %.1f |\n", name, spent.count() / kSpacedRepeats);
}

// The CPU time this thread spent, in microseconds.
double ThreadCpuMicroseconds() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto hundredNanoseconds = [](const FILETIME& time) {
    return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
  };
  return (hundredNanoseconds(kernel) + hundredNanoseconds(user)) / 10.0;
}

// The CPU time (not the wall time) this thread spends on a call made once in each pause,
// less what the pauses alone cost it.
void CpuSpaced(const char* name, int repeats, std::chrono::milliseconds pause,
               const std::function<void()>& call) {
  const double idleStart = ThreadCpuMicroseconds();
  for (int i = 0; i < repeats; ++i) std::this_thread::sleep_for(pause);
  const double idle = ThreadCpuMicroseconds() - idleStart;
  const double start = ThreadCpuMicroseconds();
  for (int i = 0; i < repeats; ++i) {
    std::this_thread::sleep_for(pause);
    call();
  }
  const double spent = ThreadCpuMicroseconds() - start - idle;
  std::printf("| %s | %.1f |\n", name, spent / repeats);
}

}  // namespace

int main() {
  win32::Win32Platform platform(win32::Win32Options{});
  const WindowHandle foreground = platform.GetForegroundWindow();
  const WindowHandle marker = platform.MarkerWindow();
  const ThreadId thread = platform.GetWindowThreadProcessId(foreground).thread;
  GuiThreadInfo info;
  Point point;
  Rect rect;
  int flip = 0;
  platform.SetWindowPos(marker, kInsertTopmost, 0, 0, 15, 6, swp::NoActivate | swp::ShowWindow);

  std::printf("| call | microseconds |\n|---|---|\n");
  Time("GetForegroundWindow", [&] { platform.GetForegroundWindow(); });
  Time("GetWindowThreadProcessId", [&] { platform.GetWindowThreadProcessId(foreground); });
  Time("GetClassName", [&] { platform.GetClassName(foreground, 100); });
  Time("GetWindowText (another process)", [&] { platform.GetWindowText(foreground, 250); });
  Time("FindWindow(\"ComboLBox\")", [&] { platform.FindWindow("ComboLBox", std::nullopt); });
  Time("IsWindowVisible", [&] { platform.IsWindowVisible(foreground); });
  Time("IsWindowEnabled", [&] { platform.IsWindowEnabled(foreground); });
  Time("GetWindow (previous)", [&] { platform.GetWindow(foreground, WindowRelation::Previous); });
  Time("GetGUIThreadInfo", [&] { platform.GetGUIThreadInfo(thread, info); });
  Time("ClientToScreen", [&] { platform.ClientToScreen(info.focus, point); });
  Time("PumpMessages (empty queue)", [&] { platform.PumpMessages(); });
  Time("TextBoxText", [&] { platform.TextBoxText(); });
  Time("GetWindowRect (marker)", [&] { platform.GetWindowRect(marker, rect); });
  Time("MonitorRectOf", [&] { platform.MonitorRectOf(foreground); });
  Time("MonitorDpiOf", [&] { platform.MonitorDpiOf(Rect{100, 100, 101, 101}); });
  Time("SetWindowPos (marker moved)", [&] {
    platform.SetWindowPos(marker, kInsertTop, 100 + (++flip % 2), 100, 10, 9,
                          swp::NoZOrder | swp::NoActivate);
  });
  Time("SetWindowPos (marker shown / shrunk)", [&] {
    const int size = (++flip % 2) * 10;
    platform.SetWindowPos(marker, kInsertTop, 0, 0, size, size, swp::NoZOrder | swp::NoActivate);
  });
  Time("SetMarkerColor (changed)",
       [&] { platform.SetMarkerColor(++flip % 2 ? 0xFF00FF : 0xFF00); });

  // The accessibility fallback: asked about the focus window (the foreground window when it
  // has none), as the tick asks.
  const WindowHandle asked = info.focus != 0 ? info.focus : foreground;
  std::uint64_t serial = 0;
  std::map<AccessibleStatus, int> statuses;
  std::map<AccessibleSource, int> sources;
  TimeSpaced("QueryAccessible (one request a tick, 110 ms apart)", std::chrono::milliseconds(110),
             [&] {
               const AccessibleAnswer answer =
                   platform.QueryAccessible(asked, ++serial, AccessibleReach::Everything);
               if (answer.serial + 1 == serial) {
                 ++statuses[answer.status];
                 if (answer.status == AccessibleStatus::Answered) ++sources[answer.source];
               }
             });
  CpuSpaced("QueryAccessible, CPU of this thread (1000 requests 10 ms apart)", 1000,
            std::chrono::milliseconds(10),
            [&] { platform.QueryAccessible(asked, ++serial, AccessibleReach::Everything); });
  Time("QueryAccessible (back to back, the worker busy)",
       [&] { platform.QueryAccessible(asked, ++serial, AccessibleReach::Everything); });
  std::printf(
      "\nanswers to the request of the call before, of %d: %d answered (%d caret, %d "
      "focused element, %d nothing), %d timed out, %d busy\n",
      kSpacedRepeats, statuses[AccessibleStatus::Answered],
      sources[AccessibleSource::MsaaCaret] + sources[AccessibleSource::UiaCaretRange] +
          sources[AccessibleSource::UiaSelection],
      sources[AccessibleSource::MsaaFocus] + sources[AccessibleSource::UiaFocus],
      sources[AccessibleSource::None], statuses[AccessibleStatus::TimedOut],
      statuses[AccessibleStatus::Busy]);
  return 0;
}
