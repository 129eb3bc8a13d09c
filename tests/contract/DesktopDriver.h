// What the contract tests need from a desktop besides the Platform under test: a way to
// build the world the calls are asked about. Two implementations exist, one per build:
// the simulated desktop (SimDriver.cpp) and the real one (Win32Driver.cpp), which makes
// real windows on two GUI threads of this process and real files in a temporary folder.
//
// The tests set the world up only through this interface and then ask the Platform alone,
// so every assertion holds for both backends, or says per backend why not.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace sevalune::contract {

// Who answers the calls: the simulated desktop, or a real user32 (Wine's or Windows').
enum class Flavor { Simulator, Wine, Windows };

// The GUI thread a window belongs to: the one that owns the Platform object (as the
// program's own thread does), or a second GUI thread of the same process.
enum class GuiThread { Main, Second };

// A borderless top-level window, so that its client area is its whole rectangle.
struct WindowRequest {
  std::string className = "ContractWindow";
  std::string title;
  Rect rect{};
  GuiThread thread = GuiThread::Main;
  bool visible = true;
  bool enabled = true;
  bool topmost = false;
};

// A borderless child control; its rectangle is in the parent's client coordinates.
struct ChildRequest {
  WindowHandle parent = 0;
  std::string className = "ContractChild";
  std::string title;
  Rect rect{};
  bool visible = true;
  bool enabled = true;
};

// What a window publishes through Active Accessibility, as a program that draws its own
// caret does: a caret object (screen rectangle; nullopt: hidden, it has no location) and a
// client object whose focus is a child at a screen rectangle (nullopt: no child has it),
// or, with focusOnItself, the client object itself.
struct PublishedAccessible {
  std::optional<Rect> caret;
  std::optional<Rect> focusedChild;
  bool focusOnItself = false;
};

class DesktopDriver {
 public:
  virtual ~DesktopDriver() = default;

  virtual Flavor Answerer() const = 0;
  // The process under test: its Platform object, built once per driver.
  virtual Platform& Program() = 0;
  virtual ThreadId ThreadOf(GuiThread thread) = 0;
  virtual ProcessId Process() const = 0;

  // --- windows ------------------------------------------------------------------------
  // Created at the top of their z-order band, shown without taking the activation.
  virtual WindowHandle AddWindow(const WindowRequest& wanted) = 0;
  virtual WindowHandle AddChild(const ChildRequest& wanted) = 0;
  virtual void RemoveWindow(WindowHandle window) = 0;

  // --- input state of the window's GUI thread, set by that thread itself ---------------
  virtual void Focus(WindowHandle window) = 0;
  // A shown caret in the window, the rectangle in the window's client coordinates.
  virtual void CreateCaret(WindowHandle window, const Rect& caret) = 0;
  virtual void DestroyCaret(GuiThread thread) = 0;
  virtual void Capture(WindowHandle window) = 0;
  virtual void ReleaseCapture(GuiThread thread) = 0;
  // Opens or closes the input method of the window's thread; false when the desktop
  // offers no way to do so.
  virtual bool SetInputMethodOpen(WindowHandle window, bool open) = 0;
  // The second thread stops taking messages (as a hung program does) until told again.
  virtual void HangSecondThread(bool hung) = 0;
  // Returns once the second thread has handled what was sent to it so far. Activating
  // another thread's window reaches that thread as a message, as on Windows.
  virtual void LetSecondThreadCatchUp() = 0;

  // --- accessibility ----------------------------------------------------------------
  // The window answers the accessibility interfaces from now on (UI Automation aside:
  // there is none under Wine).
  virtual void Publish(WindowHandle window, const PublishedAccessible& published) = 0;
  // Lets a round of accessibility calls end or be given up, while this thread serves its
  // own windows' calls.
  virtual void LetAccessibilityRoundPass() = 0;

  // --- the mouse ------------------------------------------------------------------------
  virtual void SetLeftButton(bool down) = 0;

  // --- the displays -------------------------------------------------------------------
  // The DPI of every display of this desktop: the simulator's default single display
  // has 96; a real desktop's is the system DPI (the screen's LOGPIXELSX), which Wine gives
  // every display (on Windows, run the suite with one display).
  virtual std::uint32_t DisplayDpi() = 0;

  // --- the user -----------------------------------------------------------------------
  // How the user closes the next modal box the program shows: with OK, or otherwise
  // (Cancel, Escape).
  virtual void AnswerNextBox(bool ok) = 0;
  // The item the user picks in the next pop-up menu, named both by its caption's word
  // (the simulated desktop's way) and by its 1-based position; position 0 dismisses it.
  virtual void AnswerNextMenu(std::string_view keyword, int position) = 0;

  // --- other programs -----------------------------------------------------------------
  // Another thread puts the text into the main window's text box with WM_SETTEXT.
  virtual void SetTextBoxFromOutside(std::string_view text) = 0;
  // Another copy of the program starts while this one runs.
  virtual std::unique_ptr<Platform> StartAnotherInstance() = 0;
  // A tray icon's mouse event is posted to the main window, as the shell does.
  virtual void PostTrayEvent(std::uint32_t eventCode) = 0;
  // Waits until the program's enabled timers (the tick's, the finder's) have come due
  // several times over.
  virtual void LetTimerPeriodsPass() = 0;
  // Waits while the program idles in its message loop until the folder changes made so
  // far have been noticed and a watch's settle time has passed, dispatching what comes.
  virtual void LetFolderChangesSettle() = 0;
  // Waits until the caret watch of FollowCaret has looked at its thread several times.
  virtual void LetCaretWatchLook() = 0;

  // --- files ----------------------------------------------------------------------------
  // Full paths, in the form the program passes them to the platform.
  virtual std::string WriteFile(std::string_view name, std::string_view bytes) = 0;
  virtual std::string MakeDirectory(std::string_view name) = 0;
  virtual std::string MissingFile(std::string_view name) = 0;
  // The file's read-only attribute.
  virtual void SetReadOnly(const std::string& path, bool readOnly) = 0;
};

// The driver of this build's backend.
std::unique_ptr<DesktopDriver> MakeDriver();

}  // namespace sevalune::contract
