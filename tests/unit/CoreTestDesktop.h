// A simulated desktop with an editor in front and the program on it, and the whole
// visible state of the program read in one go, so that a test can check every part of
// it at once.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimProgram.h"

namespace sevalune::sim {

inline constexpr ProcessId kEditorProcess = 7;
inline constexpr ThreadId kEditorThread = 8;

// Mouse events of the tray icon as the shell reports them.
inline constexpr std::uint32_t kTrayLeftDown = 0x201;
inline constexpr std::uint32_t kTrayLeftUp = kMsgLeftButtonUp;
inline constexpr std::uint32_t kTrayLeftDouble = 0x203;

inline std::ostream& operator<<(std::ostream& out, const VisibleState& s) {
  return out << "marker=" << s.marker.left << "," << s.marker.top << "," << s.marker.right << ","
             << s.marker.bottom << (s.markerShown ? " shown" : " hidden")
             << (s.markerTopmost ? " topmost" : " not-topmost") << " color=" << std::hex << s.color
             << std::dec << " fg=" << s.foreground << " icon=" << s.icon
             << " menu=" << (s.menuOpen ? "open" : "closed");
}

class CoreDesktopTest : public ::testing::Test {
 protected:
  // The caret block of the editor: client 20,30 of the edit control at 104,140, 15 high.
  static constexpr Rect kCaretMarker{124, 185, 134, 194};
  static constexpr Rect kShrunk{0, 0, 0, 0};
  static constexpr Color kMagenta = 0xFF00FF;

  SimDesktop desktop;
  std::unique_ptr<SimProgram> program;
  std::vector<std::string> events;
  WindowHandle editor = 0;
  WindowHandle text = 0;

  void SetUp() override {
    desktop.SetEventSink([this](const std::string& line) { events.push_back(line); });
    editor = AddWindow("editor", "Notepad", kEditorProcess, kEditorThread, {100, 100, 700, 500});
    NewChild child;
    child.name = "text";
    child.parent = editor;
    child.className = "Edit";
    child.rect = {104, 140, 696, 496};
    text = desktop.CreateChild(child);
    GuiThreadInfo caret;
    caret.flags = 1;
    caret.focus = text;
    caret.caret = text;
    caret.caretRect = {20, 30, 21, 45};
    desktop.SetGuiState(kEditorThread, caret);
    desktop.SetForeground(editor);
  }

  WindowHandle AddWindow(const std::string& name, const std::string& className, ProcessId pid,
                         ThreadId tid, Rect rect, bool topmost = false) {
    NewWindow window;
    window.name = name;
    window.className = className;
    window.title = name;
    window.process = pid;
    window.thread = tid;
    window.rect = rect;
    window.topmost = topmost;
    return desktop.CreateWindow(window);
  }

  void PutSettings(const std::string& iniText) { PutSettingsFile(desktop, iniText); }

  // The process starts: its windows exist; nothing of the program has run yet.
  SimPlatform& Launch() {
    program = std::make_unique<SimProgram>(desktop);
    return process();
  }

  void Start() {
    if (!program) Launch();
    program->Start();
  }

  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) program->Tick();
  }

  void TrayEvent(std::uint32_t code) { program->TrayEvent(code); }

  SimPlatform& process() { return program->process(); }
  const Program& core() const { return program->program(); }
  std::optional<int> exitCode() const { return program->ExitCode(); }

  VisibleState State() const { return program->Visible(); }

  // The state while tracking the editor's caret with the default settings.
  static VisibleState Tracking(Rect marker = kCaretMarker) {
    return {marker, true, true, kMagenta, "editor", "on", false};
  }

  std::size_t CountEvents(const std::string& prefix) const {
    std::size_t count = 0;
    for (const std::string& line : events) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
  }

  // The top-level windows from the top, by name; the hidden input-method windows, which
  // sit directly above the windows that own them, are left out.
  std::vector<std::string> ZOrder() const {
    std::vector<std::string> names;
    for (const WindowHandle window : desktop.Windows().TopLevelZOrder()) {
      if (desktop.Window(window)->className != "IME") names.push_back(desktop.NameOf(window));
    }
    return names;
  }
};

// The program started on the desktop above, one tick run and its events so far forgotten.
class StartedCoreDesktopTest : public CoreDesktopTest {
 protected:
  void SetUp() override {
    CoreDesktopTest::SetUp();
    Start();
    Tick();
    events.clear();
  }
};

}  // namespace sevalune::sim
