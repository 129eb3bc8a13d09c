// What each platform call of one tick costs on the real system (under Wine here): the
// average over many calls, against the foreground window and the program's own marker.
// Start a program with a caret (notepad) in the foreground, then run this.
#include <chrono>
#include <cstdio>
#include <functional>

#include "backend/win32/Win32Platform.h"

namespace {

using namespace sevalune;

constexpr int kRepeats = 500;

void Time(const char* name, const std::function<void()>& call) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRepeats; ++i) call();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  std::printf("| %s | %.1f |\n", name, spent.count() / kRepeats);
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
  return 0;
}
