// The scenario runner as outside checks see it: its exit status, its error and failure
// lines, the state lines it prints, and how it reads quoted text.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "simrunner/ScenarioRunner.h"
#include "tests/CaseName.h"

namespace sevalune::sim {
namespace {

struct RunResult {
  int status = 0;
  std::string output;
};

RunResult RunText(const std::string& text) {
  std::ostringstream out;
  const int status = RunScenario(text, out);
  return {status, out.str()};
}

constexpr const char* kEditor =
    "window editor class=Notepad title=\"memo - Notepad\" process=7 thread=8 "
    "rect=100,100,700,500\n"
    "child text parent=editor class=Edit rect=104,140,696,496\n"
    "foreground editor\n"
    "gui 8 focus=text caret=text:20,30,1,15 flags=1\n";

TEST(ScenarioRunner, TheExampleRunsAndPrintsAStateLineForEachStep) {
  const RunResult run = RunText(std::string(kEditor) +
                                "start\n"
                                "tick\n"
                                "expect marker=124,185,10x9 shown color=FF00FF fg=editor icon=on\n"
                                "tick 4\n"
                                "expect marker=0,0,0x0\n");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output,
            "  icon add on\n"
            "  hotkey register Ctrl+Alt+Shift+F12 ok\n"
            "  watch dir=\"C:\\Program Files\\Sevalune\"\n"
            "start marker=0,0,15x6 shown color=000000 fg=editor cursor=0,0 icon=on menu=closed\n"
            "tick 1 marker=124,185,10x9 shown color=FF00FF fg=editor cursor=0,0 icon=on "
            "menu=closed\n"
            "tick 2 marker=124,185,10x9 shown color=FF00FF fg=editor cursor=0,0 icon=on "
            "menu=closed\n"
            "tick 3 marker=124,185,10x9 shown color=FF00FF fg=editor cursor=0,0 icon=on "
            "menu=closed\n"
            "tick 4 marker=124,185,10x9 shown color=FF00FF fg=editor cursor=0,0 icon=on "
            "menu=closed\n"
            "tick 5 marker=0,0,0x0 shown color=FF00FF fg=editor cursor=0,0 icon=on "
            "menu=closed\n");
}

TEST(ScenarioRunner, AFailedExpectationIsReportedAndTheScenarioGoesOn) {
  const RunResult run = RunText(std::string(kEditor) +
                                "start\n"
                                "expect marker=1,2,3x4 icon=on\n"
                                "expect event \"icon delete\"\n"
                                "tick\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("expect failed at line 6: wanted marker=1,2,3x4 got marker=0,0,15x6"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("expect failed at line 7: wanted event"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("\ntick 1 "), std::string::npos) << "ran to the end";
}

struct Malformed {
  const char* what;
  const char* text;
  const char* report;
};

class MalformedScenario : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedScenario, IsReportedWithItsLineAndNothingRuns) {
  const RunResult run = RunText(GetParam().text);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.output.starts_with(GetParam().report)) << run.output;
  EXPECT_EQ(run.output.find("start "), std::string::npos) << "nothing was run";
  EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedScenario,
    ::testing::Values(
        Malformed{"unknown command", "start\nfly away\n", "scenario:2: "},
        Malformed{"rectangle of three numbers", "# a comment\n\nwindow w rect=1,2,3\nstart\n",
                  "scenario:3: "},
        Malformed{"unclosed quote", "window w title=\"open\nstart\n", "scenario:1: "},
        Malformed{"tick count not a number", "start\ntick many\n", "scenario:2: "},
        Malformed{"ini without end", "ini\n[Sevalune]\n", "scenario:1: "},
        Malformed{"dpi of zero", "monitor 0,0,800,600 dpi=0\n", "scenario:1: "},
        Malformed{"dpi not a number", "monitor 0,0,800,600 dpi=many\n", "scenario:1: "},
        Malformed{"dpi given twice", "monitor 0,0,800,600 dpi=96 dpi=144\n", "scenario:1: "},
        Malformed{"primary given twice", "monitor 0,0,800,600 primary primary\n", "scenario:1: "},
        Malformed{"unknown monitor key", "monitor 0,0,800,600 scale=150\n", "scenario:1: "}),
    testing::CaseName<&Malformed::what>{});

TEST(ScenarioRunner, QuotedTextKeepsBlanksEqualsSignsAndPathBackslashes) {
  const RunResult run = RunText(std::string(kEditor) +
                                "exedir \"C:\\Program Files\\Other Tools\"\n"
                                "set editor class=\"My=Class \\\"x\\\"\"\n"
                                "start\n"
                                "tick\n"
                                "answer menu=Help\n"
                                "tray lup\n"
                                "answer menu=WindowClass\n"
                                "tray lup\n");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("dir=\"C:\\Program Files\\Other Tools\""), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("default=\"My=Class \\\"x\\\"\""), std::string::npos) << run.output;
}

}  // namespace
}  // namespace sevalune::sim
