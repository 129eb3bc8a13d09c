#include "tracking/Tick.h"

#include "tracking/ForegroundSwitch.h"
#include "tracking/Gates.h"
#include "tracking/Recovery.h"

namespace sevalune {
namespace {

// Once the caret moves, it is followed between ticks until it has rested for about a second
// of ticks; the platform watches it only while the blink cycle shows the marker, as there is
// nothing to move otherwise. Following counts ticks, not moves, so the blink cycle's clock
// and the tick's other counters are left alone.
void WatchCaret(Tracker& t, ThreadId thread) {
  if (thread == t.tick.watchedThread) return;
  t.tick.watchedThread = thread;
  t.platform.FollowCaret(thread);
}

void CountDownFollowing(Tracker& t) {
  if (t.tick.followTicks == 0 || --t.tick.followTicks > 0) return;
  t.tick.followedThread = 0;
  WatchCaret(t, 0);
}

// On a tick that places the marker, a window that came to the front (noted by the gates
// while the settings ask for it) gets the finder once, when a second has passed since the
// last such play.
void FindAfterSwitch(Tracker& t) {
  if (!t.settings.findOnSwitch) t.tick.foregroundSwitched = false;  // switched off meanwhile
  if (!t.tick.foregroundSwitched ||
      !SwitchFinderMayPlay(t.tick.ticks, t.tick.switchFinderTick, t.settings.tickPeriodMs)) {
    return;
  }
  t.tick.foregroundSwitched = false;
  t.tick.switchFinderTick = t.tick.ticks;
  t.finder.OnForegroundSwitch();
}

}  // namespace

void tmrTimer_Timer(Tracker& t) {
  CountDownFollowing(t);
  ++t.tick.ticks;
  const GateDecision decision = DecideTarget(t, GatePass::Tick);
  switch (decision.verdict) {
    case GateVerdict::LeaveAlone:
      return;
    case GateVerdict::Hide:
      return t.marker.Shrink();
    case GateVerdict::RecoverNoForeground:
      t.marker.Shrink();
      return RecoverNoForeground(t);
    case GateVerdict::RecoverOwnForeground:
      return RecoverOwnForeground(t);
    case GateVerdict::Place:
      break;
  }
  t.marker.Update(decision.target, decision.foreground, decision.imeOpen);
  WatchCaret(t, t.marker.BlinkShowsIt() ? t.tick.followedThread : 0);
  FindAfterSwitch(t);
  t.platform.PumpMessages();
}

void PlaceBetweenTicks(Tracker& t) {
  const GateDecision decision = DecideTarget(t, GatePass::BetweenTicks);
  switch (decision.verdict) {
    case GateVerdict::Hide:
      return t.marker.Shrink();
    case GateVerdict::Place:
      return t.marker.MoveBetweenTicks(decision.target, decision.foreground, decision.imeOpen);
    case GateVerdict::RecoverNoForeground:   // Hide, between ticks
    case GateVerdict::RecoverOwnForeground:  // the recovery steps are the tick's
    case GateVerdict::LeaveAlone:
      return;
  }
}

}  // namespace sevalune
