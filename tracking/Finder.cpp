#include "tracking/Finder.h"

#include <optional>

#include "tracking/ImeProbe.h"
#include "tracking/LocateTarget.h"
#include "tracking/ProgramWindows.h"

namespace sevalune {
namespace {

// A target the marker can be put on: a caret, an open menu, or a focused control that
// exists (a thread that could not be asked reports none).
bool IsMarkable(const Target& target) {
  if (target.kind == TargetKind::FocusedControl) return target.threadGuiInfo.focus != 0;
  return target.kind != TargetKind::None;
}

// The window whose display the animation runs on: the focus window for a caret or a
// control, the foreground window for a menu.
WindowHandle AnchorOf(const Target& target, WindowHandle foreground) {
  return target.kind == TargetKind::Menu ? foreground : target.threadGuiInfo.focus;
}

// The centre of the display as a point: where the frame goes when nothing has the keyboard.
MarkerRect CentreOf(const Rect& display) {
  return MarkerRect{ClampToInt32((std::int64_t{display.left} + display.right) / 2),
                    ClampToInt32((std::int64_t{display.top} + display.bottom) / 2), 0, 0};
}

MarkerRect MarkerRectOf(const Rect& window) {
  return MarkerRect{window.left, window.top, ClampToInt32(std::int64_t{window.right} - window.left),
                    ClampToInt32(std::int64_t{window.bottom} - window.top)};
}

}  // namespace

Finder::Finder(Platform& platform, const Settings& settings, const AppState& state,
               const Marker& marker)
    : platform_(platform), settings_(settings), state_(state), marker_(marker) {}

void Finder::OnHotkey() {
  if (state_.menuIsOpen) return;
  if (!cycle_.Press()) return;
  const std::optional<FinderPath> path = Locate();
  if (!path) return;
  // The search pumps messages: the tray menu may have opened meanwhile.
  if (state_.menuIsOpen) return cycle_.Cancel();
  path_ = *path;
  ShowFrame(0);
  platform_.SetFinderTimer(kFinderFramePeriodMs);
}

void Finder::OnForegroundSwitch() { OnHotkey(); }

void Finder::OnFrame() {
  if (state_.menuIsOpen) return Stop();
  switch (cycle_.Advance()) {
    case FinderStep::ShowFrame:
      return ShowFrame(cycle_.frame());
    case FinderStep::Hide:
      return platform_.HideFinderFrame();
    case FinderStep::Wait:
      return;
    case FinderStep::Stop:
      return platform_.SetFinderTimer(0);
  }
}

std::optional<FinderPath> Finder::Locate() {
  const Color fallbackColor = settings_.colors.parts;
  const WindowHandle foreground = platform_.GetForegroundWindow();
  if (foreground == 0 || IsProgramWindow(platform_, state_, foreground)) {
    // Nothing has the keyboard: the frame closes on the middle of the main display.
    const Rect display = platform_.MonitorRectOf(0);
    return FinderPath{display, FinderEndRect(CentreOf(display)), fallbackColor};
  }

  const bool imeOpen = GetImeOpenStatus(platform_, settings_.imeNeedsNativeMode) != 0;
  const std::optional<Target> target =
      FindTarget(platform_, state_.method, settings_.debugMode, foreground);
  if (!target) return std::nullopt;
  if (IsMarkable(*target)) {
    if (const auto placement = marker_.PlacementFor(*target, foreground, imeOpen)) {
      const Rect display = platform_.MonitorRectOf(AnchorOf(*target, foreground));
      return FinderPath{display, FinderEndRect(placement->rect), placement->color};
    }
  }
  // A window without a caret or a focused control: the frame closes on the window.
  Rect window;
  if (!platform_.GetWindowRect(foreground, window)) window = Rect{};
  return FinderPath{platform_.MonitorRectOf(foreground), FinderEndRect(MarkerRectOf(window)),
                    fallbackColor};
}

void Finder::ShowFrame(std::int32_t frame) {
  platform_.ShowFinderFrame(FinderFrameRect(path_.start, path_.end, frame, kFinderFrames),
                            kFinderThickness, path_.color);
}

void Finder::Stop() {
  if (cycle_.phase() == FinderCycle::Phase::Playing) platform_.HideFinderFrame();
  cycle_.Cancel();
  platform_.SetFinderTimer(0);
}

}  // namespace sevalune
