// A simulated desktop with an editor in front, the program's process on it, and the
// whole visible state of the program read in one go, so that a test can check every
// part of it at once.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "backend/sim/SimProcessExit.h"
#include "settings/Settings.h"

namespace sevalune::sim {

inline constexpr ProcessId kProgramProcess = 4000;
inline constexpr ThreadId kProgramThread = 4001;
inline constexpr ProcessId kEditorProcess = 7;
inline constexpr ThreadId kEditorThread = 8;
inline constexpr std::uint32_t kTrayIconId = 1;

// Mouse events of the tray icon as the shell reports them.
inline constexpr std::uint32_t kTrayLeftDown = 0x201;
inline constexpr std::uint32_t kTrayLeftUp = 0x202;
inline constexpr std::uint32_t kTrayLeftDouble = 0x203;

// What a person watching the screen sees of the program.
struct VisibleState {
  Rect marker;
  bool markerShown = false;
  bool markerTopmost = false;
  Color color = 0;
  std::string foreground;
  std::string icon;  // "on", "off" or "none"
  bool menuOpen = false;
  friend bool operator==(const VisibleState&, const VisibleState&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const VisibleState& s) {
  return out << "marker=" << s.marker.left << "," << s.marker.top << "," << s.marker.right << ","
             << s.marker.bottom << (s.markerShown ? " shown" : " hidden")
             << (s.markerTopmost ? " topmost" : " not-topmost") << " color=" << std::hex
             << s.color << std::dec << " fg=" << s.foreground << " icon=" << s.icon
             << " menu=" << (s.menuOpen ? "open" : "closed");
}

class CoreDesktopTest : public ::testing::Test {
 protected:
  // The caret block of the editor: client 20,30 of the edit control at 104,140, 15 high.
  static constexpr Rect kCaretMarker{124, 185, 134, 194};
  static constexpr Rect kShrunk{0, 0, 0, 0};
  static constexpr Color kMagenta = 0xFF00FF;

  SimDesktop desktop;
  std::unique_ptr<SimPlatform> process;
  std::unique_ptr<Application> app;
  std::vector<std::string> events;
  std::optional<int> exitCode;
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

  void TearDown() override {
    if (process) process->SetEventHandler(nullptr);
    app.reset();
    process.reset();
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

  void PutSettings(const std::string& iniText) {
    desktop.Files().Put(SettingsFilePath(SimPlatform::kDefaultExecutableDirectory), iniText);
  }

  // Runs a piece of the program; the process may end inside it.
  template <typename Step>
  void Guarded(Step step) {
    try {
      step();
    } catch (const SimProcessExit& exit) {
      exitCode = exit.code;
    }
  }

  void Start() {
    process = std::make_unique<SimPlatform>(desktop, kProgramProcess, kProgramThread);
    app = std::make_unique<Application>(*process);
    process->SetEventHandler(app.get());
    Guarded([this] { app->Start(); });
  }

  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) {
      Guarded([this] { process->Deliver(SimMessage::Timer()); });
    }
  }

  void TrayEvent(std::uint32_t code) {
    Guarded([&] { desktop.SendTrayEvent(process->Marker(), kTrayIconId, code); });
  }

  VisibleState State() const {
    VisibleState state;
    const SimWindow* marker = desktop.Window(process->Marker());
    if (marker != nullptr) {
      state.marker = marker->rect;
      state.markerShown = desktop.Windows().IsVisibleWithAncestors(marker->handle);
      state.markerTopmost = marker->topmost;
    }
    state.color = process->CurrentMarkerColor();
    state.foreground = desktop.NameOf(desktop.Foreground());
    const SimTrayIcon* icon = desktop.Tray().Find(process->Marker(), kTrayIconId);
    state.icon = icon == nullptr ? "none" : icon->picture == TrayPicture::Enabled ? "on" : "off";
    state.menuOpen = process->MenuOpen();
    return state;
  }

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

}  // namespace sevalune::sim
