// Where the system shows no caret, the caret or the focused element that the foreground
// program publishes through the accessibility interfaces.
#pragma once

#include <string_view>

#include "marker/Target.h"
#include "tracking/Tracker.h"

namespace sevalune {

// The tick's step. Asks the platform, at most once per tick and only where the system
// query showed no caret (and not a menu), for the accessible caret or focused element of
// the focus window (the foreground window when there is none), as far as the class lists
// let it ask that window, and puts a usable answer into the target: a caret becomes the
// caret target, an element smaller than the window the place of the focused-control bar.
// The answer used is the one to the request of the tick before, for the same windows; the
// platform never makes the tick wait. A window that keeps answering nothing usable is left
// alone for a while once the grace after it became the focus is over. Without a usable
// answer the target stays as the system query found it.
void ApplyAccessibleFallback(Tracker& tracker, WindowHandle foreground,
                             std::string_view foregroundClass, Target& target);

// Between ticks, first of all: when the notice says that the thread of the window the last
// tick asked about raised a caret event, the same round is asked again at once, under that
// tick's serial; its answer comes with a notice of its own. True when it asked and the
// notice told of nothing else: until that answer comes there is nothing new to place.
bool AskOnCaretEvent(Tracker& tracker, const TargetNotice& notice);

// The step between ticks, which changes nothing of the tick's memory: for the windows the
// last tick asked about, it reads the latest answer and, when it answers that tick's request
// (or one asked since under its serial), puts it into the target as the tick would (true
// when it did).
bool ApplyAccessibleBetweenTicks(Tracker& tracker, WindowHandle foreground,
                                 std::string_view foregroundClass, Target& target);

}  // namespace sevalune
