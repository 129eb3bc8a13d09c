// The real sevalune.exe ticking every 10 ms beside notepad while the user types, with the
// tray menu opened now and then: after a warm-up, its handles, GDI and USER objects and
// windows stay where they were (within 2), and its memory within a few hundred KB.
// scripts/measure-resources runs the same measurement for minutes and prints a table.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <thread>
#include <vector>

#include "FaultHelper.h"
#include "harness/Desktop.h"
#include "harness/MenusAndBoxes.h"
#include "harness/ProcessResources.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

constexpr const char* kFastTick = "[Sevalune]\r\nMimawariKankaku=10\r\n";
constexpr Milliseconds kWarmUp = 15s;
constexpr Milliseconds kMeasured = 45s;
constexpr Milliseconds kSampleEvery = 5s;
constexpr Milliseconds kKeyEvery = 100ms;
constexpr int kKeysPerLine = 40;
// Menus opened during the warm-up and during the measured time.
constexpr int kMenusInWarmUp = 1;
constexpr int kMenusMeasured = 2;
constexpr std::int64_t kCountTolerance = 2;
constexpr std::int64_t kMemoryToleranceBytes = 512 * 1024;

using Clock = std::chrono::steady_clock;

class ResourceGrowth : public FaultTest {
 protected:
  // Types one key into notepad every kKeyEvery until `until`; a new line now and then,
  // so that the caret and the marker move in both directions.
  void TypeUntil(Clock::time_point until) {
    while (Clock::now() < until) {
      TypeText(++keys_ % kKeysPerLine == 0 ? std::wstring_view(L"\r") : std::wstring_view(L"x"));
      std::this_thread::sleep_for(kKeyEvery);
    }
  }

  // Opens the tray menu, closes it with Escape, waits for the program's steps after it
  // and gives the foreground back to notepad.
  void OpenAndCloseTrayMenu(HWND marker, HWND notepad) {
    ClickTrayIcon(marker);
    ASSERT_TRUE(WaitForValue([&] { return ShownPopupMenuOf(sevalune().id()); }, kTickTimeout))
        << "no tray menu";
    const HWND menuWindow = MenuWindowOf(sevalune().id());
    PressChord({VK_ESCAPE});
    ASSERT_TRUE(WaitUntilMenuStepEnded(sevalune().id(), menuWindow)) << "the menu step did not end";
    // The system may hand the foreground to the marker when the menu's window goes; the
    // program then passes it on and shows the marker again.
    ASSERT_TRUE(
        WaitUntil([&] { return ::GetForegroundWindow() != marker && ::IsWindowVisible(marker); },
                  kTickTimeout));
    ::SetForegroundWindow(notepad);
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::optional<ThreadCaret> thread = CaretOfThreadOf(notepad);
          return thread && thread->caretWindow == notepadEdit();
        },
        kTickTimeout));
  }

 private:
  int keys_ = 0;
};

void PrintSamples(const std::vector<ResourceSample>& samples) {
  for (std::size_t i = 0; i < samples.size(); ++i) {
    std::cout << "[ sample   ] " << (i == 0 ? "warm" : "then") << " " << DescribeSample(samples[i])
              << "\n";
  }
}

// The counter's largest and smallest value after the warm-up, if the system gives it.
std::optional<std::pair<std::uint64_t, std::uint64_t>> Range(
    const std::vector<ResourceSample>& samples,
    std::optional<std::uint64_t> ResourceSample::*field) {
  std::optional<std::pair<std::uint64_t, std::uint64_t>> range;
  for (const ResourceSample& sample : samples) {
    const std::optional<std::uint64_t>& value = sample.*field;
    if (!value) return std::nullopt;
    if (!range) range = std::make_pair(*value, *value);
    range->first = std::min(range->first, *value);
    range->second = std::max(range->second, *value);
  }
  return range;
}

TEST_F(ResourceGrowth, NothingGrowsWhileTickingFastBesideTyping) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(AnsiSettingsFile(kFastTick));
  ASSERT_NE(marker, nullptr);

  const Clock::time_point start = Clock::now();
  for (int menu = 0; menu < kMenusInWarmUp; ++menu) {
    ASSERT_NO_FATAL_FAILURE(OpenAndCloseTrayMenu(marker, notepad));
  }
  TypeUntil(start + kWarmUp);
  std::vector<ResourceSample> samples{SampleResources(sevalune().id())};
  const int sampleCount = static_cast<int>(kMeasured / kSampleEvery);
  for (int i = 1; i <= sampleCount; ++i) {
    // Menus spread over the measured time, each followed by typing before its sample.
    if (i % (sampleCount / (kMenusMeasured + 1)) == 0 && i < sampleCount) {
      ASSERT_NO_FATAL_FAILURE(OpenAndCloseTrayMenu(marker, notepad));
    }
    TypeUntil(start + kWarmUp + i * kSampleEvery);
    samples.push_back(SampleResources(sevalune().id()));
  }
  PrintSamples(samples);
  ASSERT_TRUE(sevalune().IsRunning());

  for (const NamedCounter& counter : ResourceCounters()) {
    const auto range = Range(samples, counter.field);
    if (!range) {
      std::cout << "[ counter  ] " << counter.name << ": not given by this system\n";
      continue;
    }
    if (counter.isBytes) {
      // Memory may go down and up again; what must not happen is a steady climb.
      const std::int64_t growth = *Growth(samples.front(), samples.back(), counter.field);
      EXPECT_LE(growth, kMemoryToleranceBytes)
          << counter.name << " grew by " << growth << " bytes after the warm-up";
    } else {
      EXPECT_LE(static_cast<std::int64_t>(range->second - range->first), kCountTolerance)
          << counter.name << " went from " << range->first << " to " << range->second;
    }
  }
}

}  // namespace
}  // namespace sevalune::e2e
