// Find my caret, pressed on the keyboard: the real sevalune.exe shows its frame shrinking
// onto notepad's caret and takes it away again, while notepad keeps the keyboard; a
// combination another program holds leaves it running and says so in a balloon.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"
#include "harness/MarkerWatch.h"
#include "harness/TrayArea.h"
#include "harness/UserInput.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

constexpr const wchar_t* kFinderClass = L"SevaluneFinder";
constexpr const char* kFinderKeys = "ctrl+alt+shift+F12";
// The frame's end: its width and the gap around the target.
constexpr LONG kEndMargin = 6 + 4;
// The frame is seen many times on its half-second way, but a busy machine may look last a few
// frames before the end: the frame then is still this much wider on each side.
constexpr LONG kLastSeenSlack = 150;

void PressFinderKeys() { PressOnKeyboard(kFinderKeys, {VK_CONTROL, VK_MENU, VK_SHIFT, VK_F12}); }

// The bounding rectangle of the finder's visible bars, how many show, and whether they are
// all click-through, inactive and topmost.
struct FrameSeen {
  RECT outer{};
  int bars = 0;
  bool clickThroughAndInactive = true;
};

FrameSeen FinderFrameOf(DWORD process) {
  FrameSeen seen;
  for (HWND bar : TopLevelWindowsOf(process)) {
    if (ClassNameOf(bar) != kFinderClass || !::IsWindowVisible(bar)) continue;
    const RECT place = WindowRectOf(bar);
    RECT& outer = seen.outer;
    outer = seen.bars++ == 0
                ? place
                : RECT{std::min(outer.left, place.left), std::min(outer.top, place.top),
                       std::max(outer.right, place.right), std::max(outer.bottom, place.bottom)};
    constexpr LONG_PTR kNeeded = WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
    seen.clickThroughAndInactive &= (ExtendedStyleOf(bar) & kNeeded) == kNeeded;
  }
  return seen;
}

// Every distinct whole frame (all four bars showing) seen from its first showing until it
// has gone. Another process may look while the bars are being moved or hidden one by one.
std::vector<FrameSeen> WatchFrames(DWORD process) {
  std::vector<FrameSeen> frames;
  if (!WaitUntil([&] { return FinderFrameOf(process).bars > 0; }, kTickTimeout)) return frames;
  WaitUntil(
      [&] {
        const FrameSeen now = FinderFrameOf(process);
        if (now.bars == 0) return true;
        if (now.bars == 4 && (frames.empty() || !SameRect(frames.back().outer, now.outer))) {
          frames.push_back(now);
        }
        return false;
      },
      kTickTimeout);
  return frames;
}

bool Contains(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

using Finder = DesktopTest;

TEST_F(Finder, TheFrameClosesOnNotepadsCaretAndNotepadKeepsTheKeyboard) {
  HWND notepad = nullptr;
  HWND marker = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartTrackingNotepad(std::nullopt, L"find me", notepad, marker));

  // Without a window manager the keyboard of the X display goes to the window under the
  // pointer: the user's keys reach notepad.
  MovePointerTo(CentreOf(notepadEdit()));
  PressFinderKeys();
  const std::vector<FrameSeen> frames = WatchFrames(sevalune().id());

  std::cout << "[ finder   ] " << frames.size() << " frames seen, first "
            << (frames.empty() ? "-" : Describe(frames.front().outer)) << ", last "
            << (frames.empty() ? "-" : Describe(frames.back().outer)) << "\n";
  ASSERT_GE(frames.size(), 3u) << "the frame was not seen on its way";
  EXPECT_GE(frames.front().outer.right - frames.front().outer.left, 400)
      << "it starts large: " << Describe(frames.front().outer);
  for (std::size_t i = 1; i < frames.size(); ++i) {
    EXPECT_TRUE(Contains(frames[i - 1].outer, frames[i].outer))
        << Describe(frames[i - 1].outer) << " then " << Describe(frames[i].outer);
  }
  const std::optional<RECT> caretMarker = CaretMarkerRectFor(notepad);
  ASSERT_TRUE(caretMarker.has_value());
  const RECT end{caretMarker->left - kEndMargin, caretMarker->top - kEndMargin,
                 caretMarker->right + kEndMargin, caretMarker->bottom + kEndMargin};
  const RECT& last = frames.back().outer;
  EXPECT_TRUE(Contains(last, end)) << Describe(last) << " around " << Describe(end);
  EXPECT_LE(last.right - last.left, end.right - end.left + 2 * kLastSeenSlack) << Describe(last);
  EXPECT_LE(last.bottom - last.top, end.bottom - end.top + 2 * kLastSeenSlack) << Describe(last);
  for (const FrameSeen& frame : frames) EXPECT_TRUE(frame.clickThroughAndInactive);
  EXPECT_EQ(FinderFrameOf(sevalune().id()).bars, 0) << "gone again";

  // Notepad kept the keyboard: no key was typed into it, and it is still in front with the
  // focus and caret in its text.
  EXPECT_EQ(TextOf(notepadEdit()), L"find me");
  EXPECT_EQ(::GetForegroundWindow(), notepad)
      << "foreground: " << DescribeWindow(::GetForegroundWindow());
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(notepad);
  ASSERT_TRUE(thread.has_value());
  EXPECT_EQ(thread->focus, notepadEdit());
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"!"));
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta));
}

// This test program holds the combination as its thread's hot key.
class HeldCombination {
 public:
  HeldCombination()
      : held_(::RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F12) != FALSE) {}
  ~HeldCombination() {
    if (held_) ::UnregisterHotKey(nullptr, 1);
  }
  HeldCombination(const HeldCombination&) = delete;
  HeldCombination& operator=(const HeldCombination&) = delete;
  bool held() const { return held_; }

  // Whether a press of the combination came to this thread.
  bool PressArrived() {
    MSG message{};
    return WaitUntil(
        [&] { return ::PeekMessageW(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) != FALSE; },
        kTickTimeout);
  }

 private:
  bool held_;
};

TEST_F(Finder, ATakenCombinationLeavesItRunningAndSaysSoOnceInABalloon) {
  HeldCombination other;
  ASSERT_TRUE(other.held()) << "another program holds Ctrl+Alt+Shift+F12";
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);

  const std::wstring expected =
      L"Ctrl+Alt+Shift+F12 (Hottoki in sevalune.ini) is used by another program already, so "
      L"Sevalune runs without a hotkey. Choose another combination in sevalune.ini.";
  const auto ours = [&] {
    const std::vector<std::wstring> texts = ShownBalloonTexts();
    return std::count(texts.begin(), texts.end(), expected);
  };
  if (RunningUnderWine()) {
    EXPECT_TRUE(WaitUntil([&] { return ours() > 0; }, kTickTimeout)) << "no balloon over the icon";
    EXPECT_EQ(ours(), 1);
  }
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"still here"));
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, CaretMarkerRectFor(notepad), kMagenta));

  // The combination reaches the program that holds it, and no frame shows.
  MovePointerTo(CentreOf(notepadEdit()));
  PressFinderKeys();
  EXPECT_TRUE(other.PressArrived());
  EXPECT_FALSE(WaitUntil([&] { return FinderFrameOf(sevalune().id()).bars > 0; }, 500ms));
  EXPECT_TRUE(sevalune().IsRunning());
  EXPECT_EQ(TextOf(notepadEdit()), L"still here");
}

}  // namespace
}  // namespace sevalune::e2e
