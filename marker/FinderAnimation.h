// The finder's animation ("find my caret"): a frame that shrinks from the edges of the
// display onto the place the marker would take, in the marker's colour, frame by frame on
// a timer of its own; and the debounce that lets a held combination start it only once.
// Pure arithmetic.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "marker/MarkerGeometry.h"
#include "platform/Platform.h"

namespace sevalune {

// 32 frames 15 ms apart: about half a second (SetTimer rounds 15 ms to the system's clock
// tick, 15.6 ms on most Windows machines).
inline constexpr std::uint32_t kFinderFramePeriodMs = 15;
inline constexpr std::int32_t kFinderFrames = 32;
// After the animation, presses are ignored until none has come for this many frame
// periods (about 0.3 s): a held combination repeats every 30 to 40 ms.
inline constexpr std::int32_t kFinderQuietFrames = 20;
// The frame's width, and the free space it leaves around the target at the end.
inline constexpr std::int32_t kFinderThickness = 6;
inline constexpr std::int32_t kFinderGap = 4;

constexpr std::int32_t ClampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The frame's last outer rectangle: around the target, the gap and the frame's width away
// from it on every side.
constexpr Rect FinderEndRect(const MarkerRect& target) {
  constexpr std::int64_t margin = kFinderGap + kFinderThickness;
  return Rect{ClampToInt32(std::int64_t{target.x} - margin),
              ClampToInt32(std::int64_t{target.y} - margin),
              ClampToInt32(std::int64_t{target.x} + target.width + margin),
              ClampToInt32(std::int64_t{target.y} + target.height + margin)};
}

// One edge on its way: fast at first, slowing down as it arrives (ease-out, the square of
// the frames still to go), truncated towards zero.
constexpr std::int32_t FinderEdge(std::int32_t from, std::int32_t to, std::int32_t frame,
                                  std::int32_t frames) {
  if (frames <= 0 || frame >= frames) return to;
  if (frame <= 0) return from;
  const std::int64_t all = std::int64_t{frames} * frames;
  const std::int64_t left = std::int64_t{frames - frame} * (frames - frame);
  const std::int64_t distance = std::int64_t{to} - from;
  return ClampToInt32(from + distance * (all - left) / all);
}

// The outer rectangle of frame `frame` (0: the start, `frames`: the end).
constexpr Rect FinderFrameRect(const Rect& start, const Rect& end, std::int32_t frame,
                               std::int32_t frames) {
  return Rect{FinderEdge(start.left, end.left, frame, frames),
              FinderEdge(start.top, end.top, frame, frames),
              FinderEdge(start.right, end.right, frame, frames),
              FinderEdge(start.bottom, end.bottom, frame, frames)};
}

// The frame drawn as four bars, top, bottom, left and right, within the outer rectangle;
// bars of a frame narrower than twice its width overlap.
struct FrameSides {
  Rect top;
  Rect bottom;
  Rect left;
  Rect right;
  friend bool operator==(const FrameSides&, const FrameSides&) = default;
};

constexpr FrameSides FinderFrameSides(const Rect& outer, std::int32_t thickness) {
  const std::int32_t innerTop = ClampToInt32(std::int64_t{outer.top} + thickness);
  const std::int32_t innerBottom =
      std::max(innerTop, ClampToInt32(std::int64_t{outer.bottom} - thickness));
  return FrameSides{
      Rect{outer.left, outer.top, outer.right, innerTop},
      Rect{outer.left, innerBottom, outer.right, outer.bottom},
      Rect{outer.left, innerTop, ClampToInt32(std::int64_t{outer.left} + thickness), innerBottom},
      Rect{ClampToInt32(std::int64_t{outer.right} - thickness), innerTop, outer.right,
           innerBottom}};
}

// What the finder does when a frame period has passed.
enum class FinderStep { ShowFrame, Hide, Wait, Stop };

// The animation's course: idle; playing frames 0 to kFinderFrames; then quiet until no
// press has come for kFinderQuietFrames periods. A press starts it only when idle: one
// that comes while it plays or while it is quiet is a repeat (a held combination) or a
// bounce, and a press while quiet makes the quiet last longer.
class FinderCycle {
 public:
  enum class Phase { Idle, Playing, Quiet };

  // True when the press starts the animation at frame 0.
  constexpr bool Press() {
    switch (phase_) {
      case Phase::Idle:
        phase_ = Phase::Playing;
        frame_ = 0;
        return true;
      case Phase::Quiet:
        quietLeft_ = kFinderQuietFrames;
        return false;
      case Phase::Playing:
        return false;
    }
    return false;
  }

  constexpr FinderStep Advance() {
    switch (phase_) {
      case Phase::Playing:
        if (frame_ < kFinderFrames) {
          ++frame_;
          return FinderStep::ShowFrame;
        }
        phase_ = Phase::Quiet;
        quietLeft_ = kFinderQuietFrames;
        return FinderStep::Hide;
      case Phase::Quiet:
        if (--quietLeft_ > 0) return FinderStep::Wait;
        phase_ = Phase::Idle;
        return FinderStep::Stop;
      case Phase::Idle:
        return FinderStep::Stop;
    }
    return FinderStep::Stop;
  }

  // Back to idle at once (the tray menu opened).
  constexpr void Cancel() { phase_ = Phase::Idle; }

  constexpr Phase phase() const { return phase_; }
  constexpr std::int32_t frame() const { return frame_; }

 private:
  Phase phase_ = Phase::Idle;
  std::int32_t frame_ = 0;
  std::int32_t quietLeft_ = 0;
};

}  // namespace sevalune
