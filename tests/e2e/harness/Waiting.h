// Waiting for a condition on the desktop: polls until it holds or a deadline passes. The
// deadlines are generous because the machine may be loaded; they bound a test, they are
// never what a test measures.
#pragma once

#include <chrono>
#include <optional>
#include <thread>

namespace sevalune::e2e {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

inline constexpr Milliseconds kPollInterval = 15ms;
// Long enough for a Wine process to start on a busy machine.
inline constexpr Milliseconds kStartTimeout = 30s;
// Long enough for a few ticks of the program at its default period.
inline constexpr Milliseconds kTickTimeout = 10s;

// True as soon as condition() is true; false if it is still false at the deadline.
template <typename Condition>
bool WaitUntil(Condition condition, Milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
}

// The first value probe() yields; nullopt if it yields none before the deadline.
template <typename Probe>
auto WaitForValue(Probe probe, Milliseconds timeout) -> decltype(probe()) {
  decltype(probe()) value;
  WaitUntil([&] { return (value = probe()).has_value(); }, timeout);
  return value;
}

// Runs sample() every poll interval for the given time.
template <typename Sample>
void SampleFor(Milliseconds duration, Sample sample) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    sample();
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace sevalune::e2e
