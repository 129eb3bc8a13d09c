#include "tracking/AccessibleFallback.h"

#include "platform/TextBuffers.h"
#include "tracking/AccessibleRules.h"

namespace sevalune {
namespace {

// The window asked about is the focus window, or the foreground window when there is none.
AccessibleKey KeyFor(WindowHandle foreground, const Target& target) {
  const WindowHandle focus = target.threadGuiInfo.focus;
  return AccessibleKey{foreground, focus != 0 ? focus : foreground};
}

bool LooksAccessible(const Tracker& t, const Target& target) {
  return t.settings.accessibility && NeedsAccessibleLook(target, t.state.method);
}

std::optional<AccessibleReach> ReachFor(const Tracker& t, std::string_view foregroundClass) {
  return AccessibleReachFor(t.settings.accessibleClasses, foregroundClass,
                            t.tick.accessible.askedClass);
}

// A new key starts its grace; the class, the thread and the integrity level of the window
// asked about are read once for it.
void LookAt(Tracker& t, const AccessibleKey& key, std::string_view foregroundClass) {
  AccessibleMemory& memory = t.tick.accessible;
  if (key == memory.key) {
    if (memory.graceTicks > 0) --memory.graceTicks;
    return;
  }
  memory.key = key;
  memory.graceTicks = kAccessibleGraceTicks;
  memory.askedClass = key.asked == key.foreground
                          ? std::string(foregroundClass)
                          : t.platform.GetClassName(key.asked, kClassNameBuffer);
  memory.askedWindowThread = t.platform.GetWindowThreadProcessId(key.asked).thread;
  memory.askedAbove = t.platform.RunsAboveOurIntegrity(key.asked);
}

}  // namespace

void ApplyAccessibleFallback(Tracker& t, WindowHandle foreground, std::string_view foregroundClass,
                             Target& target) {
  AccessibleMemory& memory = t.tick.accessible;
  if (!LooksAccessible(t, target)) {
    // The next look starts afresh, with its grace.
    memory.key = AccessibleKey{};
    return;
  }
  const AccessibleKey key = KeyFor(foreground, target);
  LookAt(t, key, foregroundClass);
  const std::optional<AccessibleReach> reach = ReachFor(t, foregroundClass);
  // An administrator's program refuses every call; one the system judges hung would hold a
  // worker until it answers again.
  if (!reach || memory.askedAbove) return;

  const std::uint64_t tick = t.tick.ticks;
  if (memory.nothingHere.Remembers(key.asked, tick)) return;
  if (t.platform.IsHungAppWindow(key.asked)) return;
  const AccessibleAnswer answer = t.platform.QueryAccessible(key.asked, tick, *reach);
  const bool askedJustBefore = memory.askedKey == key && memory.askedTick + 1 == tick;
  if (!askedJustBefore) memory.askedSince = tick;
  memory.askedKey = key;
  memory.askedTick = tick;
  memory.askedReach = *reach;
  memory.askedThread = memory.askedWindowThread != 0 ? memory.askedWindowThread : target.thread;
  // The first tick after a change has no answer for these windows yet.
  if (!askedJustBefore || !AnswersPreviousTick(answer, tick, key.asked)) return;

  if (ApplyAccessibleAnswer(answer, target)) return;
  if (memory.graceTicks == 0) memory.nothingHere.Remember(key.asked, tick + kNothingHereTicks);
}

bool AskOnCaretEvent(Tracker& t, const TargetNotice& notice) {
  const AccessibleMemory& memory = t.tick.accessible;
  // Only while the last tick's request is the latest: that tick looked at these windows
  // (a tick that asked nothing, or a window left alone for a while, is the tick's).
  if (memory.askedTick == 0 || memory.askedTick != t.tick.ticks) return false;
  if (!notice.CaretEventFrom(memory.askedThread)) return false;
  t.platform.QueryAccessible(memory.askedKey.asked, memory.askedTick, memory.askedReach);
  TargetNotice alone;
  alone.AddCaretThread(memory.askedThread);
  return notice == alone;
}

bool ApplyAccessibleBetweenTicks(Tracker& t, WindowHandle foreground,
                                 std::string_view foregroundClass, Target& target) {
  const AccessibleMemory& memory = t.tick.accessible;
  if (!LooksAccessible(t, target)) return false;
  const AccessibleKey key = KeyFor(foreground, target);
  // Only what the last tick asked about: its class is known and its request is the latest.
  const std::uint64_t serial = t.tick.ticks;
  if (key != memory.key || key != memory.askedKey || memory.askedTick != serial) return false;
  const std::optional<AccessibleReach> reach = ReachFor(t, foregroundClass);
  if (!reach) return false;
  const AccessibleAnswer answer = t.platform.QueryAccessible(0, serial, *reach);
  return AnswersRecentRequest(answer, serial, memory.askedSince, key.asked) &&
         ApplyAccessibleAnswer(answer, target);
}

}  // namespace sevalune
