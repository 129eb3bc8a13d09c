#include "tracking/AccessibleFallback.h"

#include "tracking/AccessibleRules.h"

namespace sevalune {

void ApplyAccessibleFallback(Tracker& t, WindowHandle foreground, Target& target) {
  AccessibleMemory& memory = t.tick.accessible;
  if (!t.settings.accessibility || !NeedsAccessibleLook(target, t.state.method)) {
    // The next look starts afresh, with its grace.
    memory.key = AccessibleKey{};
    return;
  }
  const WindowHandle focus = target.threadGuiInfo.focus;
  const AccessibleKey key{foreground, focus != 0 ? focus : foreground};
  if (key != memory.key) {
    memory.key = key;
    memory.graceTicks = kAccessibleGraceTicks;
  } else if (memory.graceTicks > 0) {
    --memory.graceTicks;
  }

  const std::uint64_t tick = t.tick.ticks;
  if (memory.nothingHere.Remembers(key.asked, tick)) return;
  const AccessibleAnswer answer = t.platform.QueryAccessible(key.asked, tick);
  const bool askedJustBefore = memory.askedKey == key && memory.askedTick + 1 == tick;
  memory.askedKey = key;
  memory.askedTick = tick;
  // The first tick after a change has no answer for these windows yet.
  if (!askedJustBefore || !AnswersPreviousTick(answer, tick, key.asked)) return;

  if (ApplyAccessibleAnswer(answer, target)) return;
  if (memory.graceTicks == 0) memory.nothingHere.Remember(key.asked, tick + kNothingHereTicks);
}

}  // namespace sevalune
