// What the marker is on vanishes between two ticks: the tracked program ends, its focused
// control or its whole window is destroyed, or its controls are destroyed and made again
// about as fast as the program ticks. The real sevalune.exe must go on running, must not
// leave its marker on a caret that is gone, and must track whatever comes next.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <ostream>

#include "FaultHelper.h"
#include "backend/win32/ScopedWin.h"
#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/MarkerExpectations.h"

namespace sevalune::e2e {
namespace {

// Long enough for the program's recovery from an empty foreground (eleven ticks).
constexpr Milliseconds kRecoveryWatch = 2500ms;
constexpr const char* kFastTick = "[Sevalune]\r\nMimawariKankaku=10\r\n";
// Each churned control lives one period of the helper's timer (10 ms).
constexpr WPARAM kChurnedControls = 300;

bool Contains(const std::vector<RECT>& rects, const RECT& rect) {
  return std::any_of(rects.begin(), rects.end(),
                     [&](const RECT& known) { return SameRect(known, rect); });
}

// The marker leaves the caret that is gone within a few ticks and does not come back.
void ExpectMarkerLeaves(HWND marker, const RECT& vanishedCaret) {
  EXPECT_TRUE(
      WaitUntil([&] { return !SameRect(WindowRectOf(marker), vanishedCaret); }, kTickTimeout))
      << "the marker stays on the vanished caret at " << Describe(vanishedCaret)
      << "; foreground: " << DescribeWindow(::GetForegroundWindow());
  const BlinkSummary after = SummariseBlinking(RecordMarker(marker, kRecoveryWatch));
  std::cout << "[ vanished ] afterwards " << after.Describe() << "; foreground "
            << DescribeWindow(::GetForegroundWindow()) << "\n";
  EXPECT_FALSE(Contains(after.shownRects, vanishedCaret))
      << "the marker went back to the vanished caret: " << after.Describe();
}

// Where the caret marker belongs on the caret of the thread that owns `frame`, once that
// thread has its caret back: the program's start-up takes the activation for a moment.
std::optional<RECT> WaitForCaretMarkerRect(HWND frame) {
  return WaitForValue([&] { return CaretMarkerRectFor(frame); }, kTickTimeout);
}

// The marker's rectangle reaches `expected`: the tick tracks it. The screen is not read:
// once the recovery has activated another window, Wine (without a window manager) stacks
// windows shown later above the topmost marker (see README.md).
void ExpectMarkerPlacedAt(HWND marker, const std::optional<RECT>& expected) {
  ASSERT_TRUE(expected.has_value()) << "nothing with a caret came next";
  EXPECT_TRUE(WaitUntil([&] { return SameRect(WindowRectOf(marker), *expected); }, kTickTimeout))
      << "expected the marker at " << Describe(*expected) << ", last seen at "
      << Describe(WindowRectOf(marker));
}

void Terminate(HWND frame) {
  const win32::ScopedKernelHandle process(
      ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(frame)));
  ASSERT_TRUE(process);
  ::TerminateProcess(process.get(), 1);
  ::WaitForSingleObject(process.get(), INFINITE);
}

// --- the tracked program ends ------------------------------------------------------------

enum class Ending { NotepadTerminated, HelperExitsItself };

struct EndingCase {
  const char* name;
  Ending ending;
  // A Windows session has the desktop's "Program Manager" window, which the program
  // activates when nothing else holds the foreground; a bare Wine session has none.
  bool desktopWindow;
  friend void PrintTo(const EndingCase& c, std::ostream* out) { *out << c.name; }
};

class TrackedProgramEnds : public FaultTest, public ::testing::WithParamInterface<EndingCase> {
 protected:
  // Starts the program to be tracked; returns its frame.
  HWND StartTracked() {
    if (GetParam().ending == Ending::NotepadTerminated) {
      const HWND notepad = StartNotepad();
      if (notepad != nullptr) TypeIntoNotepad(L"vanish");
      return notepad;
    }
    helper_ = &StartFaultApp();
    return helper_->frame();
  }

  void EndIt(HWND frame) {
    if (GetParam().ending == Ending::NotepadTerminated) return Terminate(frame);
    helper_->Post(fault_app::kExit);
    ASSERT_TRUE(helper_->process().WaitForExit(kTickTimeout).has_value());
  }

 private:
  FaultApp* helper_ = nullptr;
};

TEST_P(TrackedProgramEnds, MarkerLeavesItsCaretAndTheNextProgramIsTracked) {
  if (GetParam().desktopWindow) {
    ASSERT_NE(StartDesktopStandIn(), nullptr);
  }
  const HWND frame = StartTracked();
  ASSERT_NE(frame, nullptr);
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);
  const std::optional<RECT> onCaret = WaitForCaretMarkerRect(frame);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, onCaret, kMagenta));

  // While the marker is on the caret.
  ASSERT_NO_FATAL_FAILURE(EndIt(frame));
  std::cout << "[ vanished ] the foreground is now " << DescribeWindow(::GetForegroundWindow())
            << "\n";
  ExpectMarkerLeaves(marker, *onCaret);
  EXPECT_TRUE(sevalune().IsRunning());

  const FaultApp& next = StartFaultApp();
  ASSERT_NE(next.frame(), nullptr);
  ExpectMarkerPlacedAt(marker, CaretMarkerRectFor(next.frame()));
  EXPECT_TRUE(sevalune().IsRunning());
}

INSTANTIATE_TEST_SUITE_P(
    E2e, TrackedProgramEnds,
    ::testing::Values(EndingCase{"NotepadTerminated", Ending::NotepadTerminated, true},
                      EndingCase{"HelperExitsWithWindowsOpen", Ending::HelperExitsItself, true},
                      EndingCase{"NoDesktopWindowToRecoverTo", Ending::HelperExitsItself, false}),
    CaseName{});

// --- the window under the marker is destroyed, the process lives on ---------------------

struct DestroyedCase {
  const char* name;
  fault_app::Command destroy;
  friend void PrintTo(const DestroyedCase& c, std::ostream* out) { *out << c.name; }
};

class WindowUnderMarkerDestroyed : public FaultTest,
                                   public ::testing::WithParamInterface<DestroyedCase> {};

TEST_P(WindowUnderMarkerDestroyed, ProgramGoesOnAndTracksWhatComesNext) {
  FaultApp& helper = StartFaultApp();
  ASSERT_NE(helper.frame(), nullptr);
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);
  const std::optional<RECT> onCaret = WaitForCaretMarkerRect(helper.frame());
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, onCaret, kMagenta));

  const HWND focus = CaretOfThreadOf(helper.frame())->focus;
  helper.Post(GetParam().destroy);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(focus); }, kTickTimeout));
  std::cout << "[ vanished ] the foreground is now " << DescribeWindow(::GetForegroundWindow())
            << "\n";
  ExpectMarkerLeaves(marker, *onCaret);
  EXPECT_TRUE(sevalune().IsRunning());
  EXPECT_TRUE(::IsWindow(marker));

  if (GetParam().destroy == fault_app::kDestroyControl) {
    helper.Post(fault_app::kCreateControl);
    ExpectMarkerFollows(
        marker, [&] { return CaretMarkerRectFor(helper.frame()); }, kMagenta);
  } else {
    const FaultApp& next = StartFaultApp();
    ASSERT_NE(next.frame(), nullptr);
    ExpectMarkerPlacedAt(marker, CaretMarkerRectFor(next.frame()));
  }
  EXPECT_TRUE(sevalune().IsRunning());
}

INSTANTIATE_TEST_SUITE_P(E2e, WindowUnderMarkerDestroyed,
                         ::testing::Values(DestroyedCase{"FocusedControl",
                                                         fault_app::kDestroyControl},
                                           DestroyedCase{"WholeWindow", fault_app::kDestroyFrame}),
                         CaseName{});

// Controls destroyed and made again about as fast as the program ticks (10 ms): each tick
// may find the focus on a control that is gone by the time it asks about it. The marker
// marks only what is there: a caret block inside the control, or, in the moment between a
// control's end and its successor's caret (the focus on the frame, or on the new control
// before it has made its caret), the focused-control bar of the frame or of the control.
using ChurningControls = FaultTest;

TEST_F(ChurningControls, MarkerOnlyEverMarksTheControlTheFrameOrTheCaret) {
  FaultApp& helper = StartFaultApp();
  ASSERT_NE(helper.frame(), nullptr);
  const HWND marker = StartSevalune(AnsiSettingsFile(kFastTick));
  ASSERT_NE(marker, nullptr);
  const std::optional<RECT> onCaret = WaitForCaretMarkerRect(helper.frame());
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, onCaret, kMagenta));

  helper.Post(fault_app::kChurnControls, kChurnedControls);
  std::vector<MarkerSample> samples;
  const bool churned = WaitUntil(
      [&] {
        samples.push_back(MarkerSample{std::chrono::steady_clock::now(), WindowRectOf(marker)});
        return helper.Ask(fault_app::kControlsDestroyed) == static_cast<LRESULT>(kChurnedControls);
      },
      kStartTimeout);
  const BlinkSummary during = SummariseBlinking(samples);
  std::cout << "[ churn    ] marker " << during.Describe() << "\n";
  ASSERT_TRUE(churned) << "the helper destroyed only "
                       << helper.Ask(fault_app::kControlsDestroyed).value_or(-1) << " controls";
  // Every control is made at the same place; a caret may sit anywhere along its text.
  const RECT control = WindowRectOf(CaretOfThreadOf(helper.frame())->focus);
  const RECT frame = WindowRectOf(helper.frame());
  for (const RECT& shown : during.shownRects) {
    const POINT corner{shown.left, shown.top};
    const bool caretBlock =
        SameRect(shown, CaretMarkerRect(corner)) && ::PtInRect(&control, corner);
    EXPECT_TRUE(caretBlock || SameRect(shown, UnderlineRect(control)) ||
                SameRect(shown, LeftBarRect(frame)))
        << "the marker was shown at " << Describe(shown) << ", neither as a caret block inside "
        << "the edit control at " << Describe(control)
        << " nor as the bar of it or of the frame at " << Describe(frame);
  }
  EXPECT_TRUE(sevalune().IsRunning());
  ExpectMarkerFollows(
      marker, [&] { return CaretMarkerRectFor(helper.frame()); }, kMagenta);
}

}  // namespace
}  // namespace sevalune::e2e
