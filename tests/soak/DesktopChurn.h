// Changes the simulated desktop at random, the way a busy user and other programs do:
// windows come and go, move, hide and change their stacking; the foreground moves or
// vanishes; carets, focus, capture and menu modes change; input methods open and close;
// programs hang; the mouse moves and clicks; windows start or stop publishing a caret or a
// focused element through the accessibility interfaces, sense or nonsense, quickly,
// slowly or lazily, and UI Automation comes and goes. The program's own windows are only ever
// touched by giving them the foreground.
//
// Only the desktop's scenario-side setters are used, never a platform call, so a change
// can be made from inside the call hook, in the middle of one of the program's calls.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "tests/soak/RandomSource.h"

namespace sevalune::soak {

enum class ChangeKind {
  CreateWindow,
  CreateControl,
  DestroyWindow,
  ShowOrHide,
  EnableOrDisable,
  Restack,
  Move,
  Topmost,
  Rename,
  Foreground,
  FocusAndCapture,
  Caret,
  InputMethod,
  Hang,
  Cursor,
  Button,
  SuppressionText,
  ForegroundLock,
  Accessibility,
};
inline constexpr std::size_t kChangeKindCount = 19;

std::string_view ChangeKindName(ChangeKind kind);

class DesktopChurn {
 public:
  DesktopChurn(sim::SimDesktop& desktop, const sim::SimPlatform& program, RandomSource& random);

  // A first set of windows with controls, carets and a foreground window.
  void Populate();
  // One random change of the desktop; returns what it changed.
  ChangeKind ChangeOne();

  const std::array<std::uint64_t, kChangeKindCount>& Counts() const { return counts_; }

 private:
  ChangeKind PickKind();
  void Apply(ChangeKind kind);

  void CreateWindow();
  void CreateControl();
  void DestroyWindow();
  void ShowOrHide();
  void EnableOrDisable();
  void Restack();
  void Move();
  void Topmost();
  void Rename();
  void MoveForeground();
  void ChangeFocusAndCapture();
  void ChangeCaret();
  void OpenOrCloseInputMethod();
  void HangOrWake();
  void MoveCursor();
  void UseButton();
  void SetSuppressionText();
  void ToggleForegroundLock();
  void ChangeAccessibility();
  // A caret or element rectangle for the window: mostly a plausible one, now and then
  // nonsense (empty, enormous, off every screen, outside the window).
  Rect AccessibleRect(const Rect& window, bool caret);

  // A living window the churn created (0 when there is none); dead ones are forgotten.
  WindowHandle AnyTopLevel();
  WindowHandle AnyControl();
  WindowHandle AnyWindow();
  WindowHandle AnyWindowOfThread(ThreadId thread);
  static WindowHandle LivingPick(const sim::SimDesktop& desktop, std::vector<WindowHandle>& pool,
                                 RandomSource& random);
  ProcessId AnyProcess();
  Rect AnyWindowRect();
  GuiThreadInfo StateOf(ThreadId thread) const;

  sim::SimDesktop& desktop_;
  const sim::SimPlatform& program_;
  RandomSource& random_;
  std::vector<WindowHandle> topLevels_;
  std::vector<WindowHandle> controls_;
  std::array<std::uint64_t, kChangeKindCount> counts_{};
};

}  // namespace sevalune::soak
