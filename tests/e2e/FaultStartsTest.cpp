// Many more starts of sevalune.exe while one already runs: each later instance must end at
// once with exit code 0 and leave the first one alone, with exactly one marker window on
// the desktop; and of instances started all together, exactly one stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <ostream>
#include <vector>

#include "FaultHelper.h"
#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/MarkerExpectations.h"

namespace sevalune::e2e {
namespace {

constexpr int kRepeatedStarts = 20;
constexpr int kStartedTogether = 5;

std::vector<HWND> MarkerWindows() {
  std::vector<HWND> markers;
  for (HWND window : TopLevelWindowsOfClass(L"SevaluneMarker")) {
    if (TextOf(window) == L"Sevalune") markers.push_back(window);
  }
  return markers;
}

using Processes = std::vector<std::unique_ptr<ChildProcess>>;

// Starts `count` instances of the executable, each right after the other; with
// `waitForEach` each one must have ended before the next starts.
Processes StartInstances(const std::filesystem::path& executable, int count, bool waitForEach) {
  Processes started;
  for (int i = 0; i < count; ++i) {
    started.push_back(std::make_unique<ChildProcess>(executable.wstring(), L""));
    if (waitForEach) started.back()->WaitForExit(kStartTimeout);
  }
  return started;
}

struct RepeatCase {
  const char* name;
  bool waitForEach;  // else all are started before any is waited for
  friend void PrintTo(const RepeatCase& c, std::ostream* out) { *out << c.name; }
};

class RepeatedStarts : public FaultTest, public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(RepeatedStarts, EachEndsAtOnceAndTheFirstGoesOnTracking) {
  FaultApp& helper = StartFaultApp();
  ASSERT_NE(helper.frame(), nullptr);
  const HWND marker = StartSevalune(std::nullopt);
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerFollows(
      marker, [&] { return CaretMarkerRectFor(helper.frame()); }, kMagenta));

  const auto begin = std::chrono::steady_clock::now();
  const Processes later = StartInstances(sevaluneCopy(), kRepeatedStarts, GetParam().waitForEach);
  for (std::size_t i = 0; i < later.size(); ++i) {
    const std::optional<DWORD> exitCode = later[i]->WaitForExit(kStartTimeout);
    ASSERT_TRUE(exitCode.has_value()) << "instance " << i + 2 << " still runs";
    EXPECT_EQ(*exitCode, 0u) << "instance " << i + 2;
  }
  const auto took =
      std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now() - begin);
  std::cout << "[ starts   ] " << kRepeatedStarts << " more instances started and ended in "
            << took.count() << " ms\n";

  EXPECT_EQ(MarkerWindows(), std::vector<HWND>{marker});
  EXPECT_TRUE(sevalune().IsRunning());
  EXPECT_EQ(::GetForegroundWindow(), helper.frame())
      << "foreground: " << DescribeWindow(::GetForegroundWindow());
  ExpectMarkerFollows(
      marker, [&] { return CaretMarkerRectFor(helper.frame()); }, kMagenta);
}

INSTANTIATE_TEST_SUITE_P(E2e, RepeatedStarts,
                         ::testing::Values(RepeatCase{"OneAfterTheOther", true},
                                           RepeatCase{"AllAtOnce", false}),
                         CaseName{});

using StartedTogether = FaultTest;

TEST_F(StartedTogether, ExactlyOneInstanceStays) {
  FaultApp& helper = StartFaultApp();
  ASSERT_NE(helper.frame(), nullptr);
  ChildProcess& first = LaunchSevalune(std::nullopt);
  const Processes others = StartInstances(sevaluneCopy(), kStartedTogether - 1, false);

  std::vector<ChildProcess*> all{&first};
  for (const auto& other : others) all.push_back(other.get());
  const auto runningCount = [&] {
    return std::count_if(all.begin(), all.end(),
                         [](const ChildProcess* process) { return process->IsRunning(); });
  };
  ASSERT_TRUE(WaitUntil([&] { return runningCount() <= 1; }, kStartTimeout))
      << runningCount() << " instances still run";
  EXPECT_EQ(runningCount(), 1);
  for (const ChildProcess* process : all) {
    if (!process->IsRunning()) {
      EXPECT_EQ(process->WaitForExit(0ms), 0u);
    }
  }
  const std::vector<HWND> markers = MarkerWindows();
  ASSERT_EQ(markers.size(), 1u);
  ExpectMarkerFollows(
      markers[0], [&] { return CaretMarkerRectFor(helper.frame()); }, kMagenta);
}

}  // namespace
}  // namespace sevalune::e2e
