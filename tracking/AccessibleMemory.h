// What the accessibility fallback keeps from one tick to the next: the request it made
// last, the grace after a change of focus window, and the windows that answered nothing.
// Durations count ticks, as every duration of the tick does.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace sevalune {

// After the foreground or the focus window changes, the new focus window is asked on every
// tick for this long, whatever it answers: browsers build their accessibility tree only
// once asked, and answer nothing meanwhile (about 2 s at the default period).
inline constexpr std::int16_t kAccessibleGraceTicks = 18;
// Once the grace is over, a window that answered nothing usable is left alone for this
// long (about 1 s at the default period): a program without an accessible caret then costs
// one round a second, while a caret that appears later in the same window (a page whose
// focus moves into a text field) is still found soon.
inline constexpr std::int16_t kNothingHereTicks = 9;
// Windows remembered at once; the oldest entry gives way.
inline constexpr std::size_t kNothingHereWindows = 8;

// The windows that answered nothing, each until a tick.
class NothingHereMemory {
 public:
  // Remembers the window until tick `until` (exclusive).
  void Remember(WindowHandle window, std::uint64_t until) {
    Entry* slot = &entries_[0];
    for (Entry& entry : entries_) {
      if (entry.window == window) {
        slot = &entry;
        break;
      }
      if (entry.until < slot->until) slot = &entry;  // the one to expire first gives way
    }
    *slot = Entry{window, until};
  }

  bool Remembers(WindowHandle window, std::uint64_t tick) const {
    for (const Entry& entry : entries_) {
      if (entry.window == window && window != 0 && tick < entry.until) return true;
    }
    return false;
  }

  void Forget(WindowHandle window) {
    for (Entry& entry : entries_) {
      if (entry.window == window) entry = Entry{};
    }
  }

 private:
  struct Entry {
    WindowHandle window = 0;
    std::uint64_t until = 0;
  };
  std::array<Entry, kNothingHereWindows> entries_{};
};

// The windows an answer belongs to: the foreground window and the window asked about (its
// focus window, or itself when it has none).
struct AccessibleKey {
  WindowHandle foreground = 0;
  WindowHandle asked = 0;
  friend bool operator==(const AccessibleKey&, const AccessibleKey&) = default;
};

struct AccessibleMemory {
  AccessibleKey key;       // what the fallback looked at on its last tick
  std::string askedClass;  // the class of key.asked, read when the key changed
  // The GUI thread of key.asked (a packaged app's core window has a thread, and a process,
  // of its own inside the frame host's frame), and whether its program runs above this
  // one's integrity level (it is then never asked); read when the key changed.
  ThreadId askedWindowThread = 0;
  bool askedAbove = false;
  std::int16_t graceTicks = 0;   // ticks of grace left for that key
  AccessibleKey askedKey;        // the key of the last request made
  std::uint64_t askedTick = 0;   // the tick it was made on (0: none yet)
  std::uint64_t askedSince = 0;  // the first of the ticks in a row that asked about that key
  // How far that request asked, and the GUI thread of the window asked: a caret event of
  // that thread between ticks asks the same again.
  AccessibleReach askedReach = AccessibleReach::Everything;
  ThreadId askedThread = 0;
  NothingHereMemory nothingHere;
};

}  // namespace sevalune
