// How long the marker trails the caret: watches a running sevalune.exe and the program it
// tracks from outside, as another program on the desktop sees them, and reports the time
// from each move of the caret to the moment the marker stands at the caret's new place.
//
//   sevalune_caret_latency.exe SECONDS [browser]
//
// Start the tracked program (notepad) in the foreground and sevalune.exe with its default
// sizes first, then type into the tracked program while this runs (scripts/measure-latency
// does all of it). With "browser" the tracked program is the end-to-end caret helper as a
// browser engine's window (tests/e2e/tools/caret_app.cpp with "chromium"), whose caret the
// system does not know: its place is read from the helper's title, which it writes at each
// move before it raises the caret's event.
//
// Only moves made while the marker is shown count: the blink cycle keeps the marker away
// for half of the time, and a move then is followed only when the cycle shows the marker
// again. A move that the blink cycle hides before the marker reaches it, or that the next
// move overtakes, is not counted either.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "backend/win32/WindowsHeaders.h"
#include "tests/e2e/tools/CaretAppCommands.h"

namespace {

using Clock = std::chrono::steady_clock;

// The default caret block (Saizu 10,9) at 96 DPI.
constexpr LONG kBlockWidth = 10;
constexpr LONG kBlockHeight = 9;
constexpr auto kPollEvery = std::chrono::microseconds(500);

std::optional<POINT> CaretPoint(HWND foreground) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = ::GetWindowThreadProcessId(foreground, nullptr);
  if (thread == 0 || ::GetGUIThreadInfo(thread, &info) == FALSE || info.hwndCaret == nullptr) {
    return std::nullopt;
  }
  POINT point{info.rcCaret.left, info.rcCaret.bottom};
  ::ClientToScreen(info.hwndCaret, &point);
  return point;
}

struct MarkerView {
  bool shown = false;    // the caret block's size, anywhere
  bool atCaret = false;  // the caret block at the given point
};

// The caret helper's caret as its title says (its left, lower end).
std::optional<POINT> PublishedCaretPoint(HWND helper) {
  wchar_t title[256] = {};
  const int length = ::GetWindowTextW(helper, title, 256);
  const std::optional<sevalune::e2e::caret_app::PublishedCaret> caret =
      sevalune::e2e::caret_app::CaretInTitle(
          std::wstring_view(title, static_cast<std::size_t>(length > 0 ? length : 0)));
  if (!caret || !caret->shown) return std::nullopt;
  return POINT{caret->screen.left, caret->screen.bottom};
}

MarkerView LookAtMarker(HWND marker, POINT caret) {
  RECT rect{};
  if (::GetWindowRect(marker, &rect) == FALSE) return {};
  const bool block =
      rect.right - rect.left == kBlockWidth && rect.bottom - rect.top == kBlockHeight;
  return {block, block && rect.left == caret.x && rect.top == caret.y};
}

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[index];
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  const bool browser = argc > 2 && std::string_view(argv[2]) == "browser";
  const HWND marker = ::FindWindowW(L"SevaluneMarker", nullptr);
  if (marker == nullptr) {
    std::fprintf(stderr, "sevalune.exe is not running\n");
    return 2;
  }
  const HWND helper =
      browser ? ::FindWindowW(sevalune::e2e::caret_app::kChromiumFrameClass, nullptr) : nullptr;
  if (browser && helper == nullptr) {
    std::fprintf(stderr, "the caret helper (chromium) is not running\n");
    return 2;
  }
  std::vector<double> latencies;
  int moves = 0;
  int notCounted = 0;
  std::optional<POINT> caret;
  // A counted move the marker has not reached yet, and when it was seen.
  bool pending = false;
  Clock::time_point pendingSince;
  const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < end) {
    std::this_thread::sleep_for(kPollEvery);
    const Clock::time_point now = Clock::now();
    const std::optional<POINT> seen =
        browser ? PublishedCaretPoint(helper) : CaretPoint(::GetForegroundWindow());
    if (!seen) continue;
    const bool moved = !caret || seen->x != caret->x || seen->y != caret->y;
    const MarkerView view = LookAtMarker(marker, *seen);
    if (moved) {
      if (caret) ++moves;
      if (pending) ++notCounted;  // overtaken by this move
      caret = seen;
      // Already there: the first sample, or a move back to where the marker stands.
      pending = !view.atCaret && view.shown;
      pendingSince = now;
      continue;
    }
    if (!pending) continue;
    if (view.atCaret) {
      latencies.push_back(std::chrono::duration<double, std::milli>(now - pendingSince).count());
      pending = false;
    } else if (!view.shown) {
      ++notCounted;  // the blink cycle hid the marker first
      pending = false;
    }
  }
  std::printf("caret moves seen: %d, counted: %zu, not counted: %d\n", moves, latencies.size(),
              notCounted);
  if (latencies.empty()) return 1;
  std::printf("latency ms: median %.1f, 95th percentile %.1f, maximum %.1f\n",
              Percentile(latencies, 0.5), Percentile(latencies, 0.95),
              *std::max_element(latencies.begin(), latencies.end()));
  return 0;
}
