// Several scenario files in one run: each on a desktop of its own, each output under its
// name (or, quiet, only those that did not pass), a summary of the files that did not pass,
// and the worst status of all.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "simrunner/ScenarioFiles.h"

namespace sevalune::sim {
namespace {

struct FilesResult {
  int status = 0;
  std::string output;
};

FilesResult RunFiles(const std::vector<ScenarioFile>& files,
                     ShownOutput shown = ShownOutput::Every) {
  std::ostringstream out;
  const int status = RunScenarioFiles(files, shown, out);
  return {status, out.str()};
}

constexpr const char* kPasses =
    "window editor process=7 thread=8 rect=100,100,700,500\n"
    "foreground editor\n"
    "start\n"
    "expect fg=editor icon=on\n";
constexpr const char* kFails = "start\nexpect icon=off\n";
constexpr const char* kMalformed = "start\nfly away\n";
// What every start prints before its state line.
constexpr const char* kStartEvents =
    "  icon add on\n"
    "  hotkey register Ctrl+Alt+Shift+F12 ok\n"
    "  watch dir=\"C:\\Program Files\\Sevalune\"\n";

TEST(ScenarioFiles, EachFileRunsOnADesktopOfItsOwnUnderItsName) {
  // The second file would see the editor, and a second icon, if the desktop were shared.
  const FilesResult run = RunFiles({{"a.sim", kPasses}, {"b.sim", "start\nexpect fg=none\n"}});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, std::string("=== a.sim\n") + kStartEvents +
                            "start marker=0,0,15x6 shown color=000000 fg=editor cursor=0,0 icon=on "
                            "menu=closed\n"
                            "=== b.sim\n" +
                            kStartEvents +
                            "start marker=0,0,15x6 shown color=000000 fg=none cursor=0,0 icon=on "
                            "menu=closed\n"
                            "=== 2 of 2 scenarios passed\n");
}

TEST(ScenarioFiles, AFailedExpectationGivesStatusOneAndTheOthersStillRun) {
  const FilesResult run = RunFiles({{"fails.sim", kFails}, {"passes.sim", kPasses}});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find(std::string("=== passes.sim\n") + kStartEvents + "start "),
            std::string::npos)
      << run.output;
  EXPECT_TRUE(
      run.output.ends_with("=== expect failed: fails.sim\n"
                           "=== 1 of 2 scenarios passed\n"))
      << run.output;
}

TEST(ScenarioFiles, AMalformedOrUnreadableFileGivesStatusTwo) {
  const FilesResult run =
      RunFiles({{"bad.sim", kMalformed}, {"fails.sim", kFails}, {"gone.sim", std::nullopt}});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.output.find("=== bad.sim\nscenario:2: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("=== gone.sim\nsevalune-sim: cannot read gone.sim\n"),
            std::string::npos)
      << run.output;
  EXPECT_TRUE(
      run.output.ends_with("=== malformed: bad.sim\n"
                           "=== expect failed: fails.sim\n"
                           "=== unreadable: gone.sim\n"
                           "=== 0 of 3 scenarios passed\n"))
      << run.output;
}

TEST(ScenarioFiles, QuietLeavesOutTheOutputOfFilesThatPassed) {
  const FilesResult run =
      RunFiles({{"passes.sim", kPasses}, {"fails.sim", kFails}}, ShownOutput::NotPassed);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.find("passes.sim\n"), std::string::npos) << run.output;
  EXPECT_TRUE(run.output.starts_with(std::string("=== fails.sim\n") + kStartEvents + "start "))
      << run.output;
  EXPECT_NE(run.output.find("expect failed at line 2: wanted icon=off got icon=on"),
            std::string::npos)
      << run.output;
}

}  // namespace
}  // namespace sevalune::sim
