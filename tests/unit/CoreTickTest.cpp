// The tick on the simulated desktop where the state line of a scenario does not reach:
// the marker's place among the topmost windows, what the screen shows while a recovery
// pumps messages, and timer messages that arrive inside a tick.
#include <algorithm>
#include <string>

#include "CoreTestDesktop.h"
#include "tracking/Recovery.h"

namespace sevalune::sim {
namespace {

using CoreTickTest = CoreDesktopTest;

std::ptrdiff_t PlaceOf(const std::vector<std::string>& order, const std::string& name) {
  return std::find(order.begin(), order.end(), name) - order.begin();
}

TEST_F(CoreTickTest, TimerMessageArrivingInsideATickIsSkipped) {
  // Every pump of the program finds a timer message waiting. Were those ticks run, the
  // blink cycle would advance several phases per tick and hide the marker early.
  Start();
  desktop.SetCallHook([this](std::string_view call) {
    if (call == "PumpMessages") process().Post(SimMessage::Timer());
  });
  for (int placed = 1; placed <= 4; ++placed) {
    Tick();
    EXPECT_EQ(State(), Tracking()) << "tick " << placed;
  }
  Tick();
  EXPECT_EQ(State(), Tracking(kShrunk));
  desktop.SetCallHook(nullptr);
}

TEST_F(CoreTickTest, ACaretMoveNoticedWhileATickRunsIsFollowedOnceTheTickIsOver) {
  // The caret moves, and the system says so, after the tick has read it and while the tick
  // still runs (its last pump dispatches the notice): the marker must not stay behind.
  Start();
  Tick();
  ASSERT_EQ(State(), Tracking());
  bool read = false;
  bool moved = false;
  desktop.SetCallHook([&](std::string_view call) {
    read = read || call == "GetGUIThreadInfo";
    if (call != "PumpMessages" || !read || moved) return;
    moved = true;
    GuiThreadInfo caret = *desktop.GuiState(kEditorThread);
    caret.caretRect = Rect{40, 30, 41, 45};
    desktop.SetGuiState(kEditorThread, caret);
    process().Post(SimMessage::TargetMoved());
  });
  Tick();
  desktop.SetCallHook(nullptr);
  ASSERT_TRUE(moved);
  EXPECT_EQ(State().marker, (Rect{144, 185, 154, 194}));
}

TEST_F(CoreTickTest, ACaretWhoseWindowGoesWhileItIsReadLeavesTheMarkerWhereItWas) {
  // The editor replaces its text control between the query of its thread and the caret's
  // conversion to the screen: the caret's client coordinates must not land on the screen.
  Start();
  Tick();
  ASSERT_EQ(State(), Tracking());
  desktop.SetCallHook([this](std::string_view call) {
    if (call == "ClientToScreen" && desktop.Window(text) != nullptr) {
      desktop.DestroyWindows({text}, Cause::Scenario);
    }
  });
  Tick();
  desktop.SetCallHook(nullptr);
  EXPECT_EQ(State(), Tracking());
}

TEST_F(CoreTickTest, PlacingAndGatesKeepTheMarkersPlaceAmongTopmostWindows) {
  Start();
  AddWindow("palette", "Palette", 20, 21, {0, 0, 50, 50}, true);
  ASSERT_LT(PlaceOf(ZOrder(), "palette"), PlaceOf(ZOrder(), "marker"));

  // Placed in phases 0 to 3, and hidden by a gate: the z-order is left alone.
  Tick(2);
  desktop.SetTitle(process().TextBox(), "1");
  Tick();
  EXPECT_EQ(State(), Tracking(kShrunk));
  desktop.SetTitle(process().TextBox(), "");
  Tick(2);
  EXPECT_EQ(State(), Tracking());
  EXPECT_LT(PlaceOf(ZOrder(), "palette"), PlaceOf(ZOrder(), "marker"));

  // Hidden by the blink cycle: put on top of the topmost windows again.
  Tick();
  EXPECT_EQ(State(), Tracking(kShrunk));
  EXPECT_EQ(ZOrder().front(), "marker");
}

TEST_F(CoreTickTest, OwnForegroundRecoveryHidesTheMarkerWhileItPumps) {
  Start();
  Tick();
  desktop.SetForeground(process().Marker());
  int pumpsHidden = 0;
  int pumpsShown = 0;
  desktop.SetCallHook([&](std::string_view call) {
    if (call != "PumpMessages") return;
    const bool shown = desktop.Windows().IsVisibleWithAncestors(process().Marker());
    ++(shown ? pumpsShown : pumpsHidden);
  });
  Tick();
  desktop.SetCallHook(nullptr);

  EXPECT_EQ(pumpsShown, 1) << "the pump before the suppression gate";
  EXPECT_EQ(pumpsHidden, kRecoveryPumpPasses);
  EXPECT_EQ(State(), Tracking()) << "shown again where it was, the editor in front";
  EXPECT_EQ(ZOrder().front(), "marker");
}

TEST_F(CoreTickTest, NoForegroundShrinksTheMarkerAndRecoversOnTheEleventhTick) {
  Start();
  Tick(2);
  desktop.SetForeground(0);
  VisibleState waiting = Tracking();
  waiting.marker = Rect{};
  waiting.foreground = "none";
  for (int empty = 1; empty <= 10; ++empty) {
    Tick();
    EXPECT_EQ(State(), waiting) << "empty tick " << empty;
  }
  Tick();
  VisibleState recovered = waiting;
  recovered.foreground = "progman";
  EXPECT_EQ(State(), recovered);
  EXPECT_EQ(core().tracker.tick.noForegroundTicks, 0);
}

}  // namespace
}  // namespace sevalune::sim
