// The soak's checks: they must accept what the program documents and catch what it does
// not. The placement oracle is held against the real program on small desktops, so the
// two cannot drift apart silently.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "app/Application.h"
#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "backend/sim/SimProgram.h"
#include "settings/Settings.h"
#include "tests/CaseName.h"
#include "tests/soak/DesktopChurn.h"
#include "tests/soak/ForegroundAudit.h"
#include "tests/soak/MarkerShapes.h"
#include "tests/soak/PlacementOracle.h"
#include "tests/soak/SoakOptions.h"
#include "tests/soak/SoakRun.h"

namespace sevalune::soak {
namespace {

using sim::NewChild;
using sim::NewWindow;
using sim::SimDesktop;
using sim::SimPlatform;

constexpr MarkerSizes kSizes{10, 9, 18, 8, 5, 3};

// --- marker shapes ------------------------------------------------------------------------

struct ShapeCase {
  const char* what;
  Rect marker;
  bool startUpAllowed;
  bool documented;
};

class MarkerShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(MarkerShapeTest, AcceptsExactlyTheDocumentedShapes) {
  const ShapeCase& c = GetParam();
  EXPECT_EQ(!UndocumentedMarkerShape(c.marker, kSizes, c.startUpAllowed).has_value(), c.documented)
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, MarkerShapeTest,
    ::testing::Values(ShapeCase{"hidden at the origin", {0, 0, 0, 0}, false, true},
                      ShapeCase{"start-up rectangle first", {0, 0, 15, 6}, true, true},
                      ShapeCase{"start-up rectangle later", {0, 0, 15, 6}, false, false},
                      ShapeCase{"caret block", {300, 200, 310, 209}, false, true},
                      ShapeCase{"caret block, input method", {300, 200, 318, 208}, false, true},
                      ShapeCase{"bar under a control", {40, 80, 240, 85}, false, true},
                      ShapeCase{"bar beside a tall control", {9, 10, 12, 70}, false, true},
                      ShapeCase{"side bar too low", {9, 10, 12, 40}, false, false},
                      ShapeCase{"menu square", {103, 103, 121, 121}, false, true},
                      ShapeCase{"hidden away from the origin", {5, 5, 5, 5}, false, false},
                      ShapeCase{"any other size", {10, 10, 17, 17}, false, false}),
    testing::CaseName<&ShapeCase::what>{});

// --- a small desktop with the program started on it ---------------------------------------

constexpr ProcessId kEditorProcess = 700;
constexpr ThreadId kEditorThread = 701;

class ProgramOnDesktop {
 public:
  explicit ProgramOnDesktop(const SoakProfile& profile) : profile_(profile) {
    desktop_.SetPlatformNew(profile.platform == PlatformKind::New);
    sim::PutSettingsFile(desktop_, profile.SettingsFileText());
    NewWindow editor;
    editor.className = "Notepad";
    editor.title = "memo - Notepad";
    editor.process = kEditorProcess;
    editor.thread = kEditorThread;
    editor.rect = Rect{100, 100, 700, 500};
    editor_ = desktop_.CreateWindow(editor);
    desktop_.SetForeground(editor_);
  }

  WindowHandle AddControl(const Rect& rect) {
    NewChild control;
    control.parent = editor_;
    control.className = "Edit";
    control.rect = rect;
    return desktop_.CreateChild(control);
  }

  void SetThread(const GuiThreadInfo& info) { desktop_.SetGuiState(kEditorThread, info); }

  void Start() { program_.Start(); }

  // The first tick after the start places the marker at once.
  void StartAndTick() {
    Start();
    program_.Tick();
  }

  const Program& Core() const { return program_.program(); }

  Rect Marker() const { return desktop_.Window(process_.Marker())->rect; }
  Color MarkerColor() const { return process_.CurrentMarkerColor(); }
  TickConditions Conditions() const {
    return TickConditions{editor_, false, true, profile_.platform == PlatformKind::Old};
  }
  PlacementOracle Oracle() const { return PlacementOracle(desktop_, process_, profile_); }

  SimDesktop& Desktop() { return desktop_; }
  SimPlatform& Process() { return process_; }
  WindowHandle Editor() const { return editor_; }

 private:
  const SoakProfile& profile_;
  SimDesktop desktop_;
  WindowHandle editor_ = 0;
  sim::SimProgram program_{desktop_};
  SimPlatform& process_ = program_.process();
};

// --- the placement oracle against the program --------------------------------------------

struct TargetCase {
  const char* what;
  PlatformKind platform;
  bool debugMode;
  Rect control;
  std::uint32_t flags;
  bool caret;
  bool foreignCapture;
  bool inputMethodOpen;
  const char* kind;
};

class PlacementOracleTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(PlacementOracleTest, AgreesWithTheProgramOnTheTarget) {
  const TargetCase& c = GetParam();
  SoakProfile profile;
  profile.platform = c.platform;
  profile.debugMode = c.debugMode;
  ProgramOnDesktop world(profile);
  const WindowHandle control = world.AddControl(c.control);
  GuiThreadInfo info;
  info.flags = c.flags;
  info.focus = control;
  if (c.caret) {
    info.caret = control;
    info.caretRect = Rect{30, 4, 31, 20};
  }
  if (c.foreignCapture) info.capture = world.Editor();
  world.SetThread(info);
  world.Desktop().SetImeOpen(kEditorProcess, c.inputMethodOpen);

  world.StartAndTick();

  const Placement expected = world.Oracle().Expected(world.Conditions());
  EXPECT_EQ(expected.kind, c.kind) << c.what;
  EXPECT_EQ(RectText(world.Marker()), RectText(expected.rect)) << c.what;
  EXPECT_EQ(world.MarkerColor(), expected.color) << c.what;
}

constexpr Rect kLowControl{120, 140, 420, 170};
constexpr Rect kTallControl{0, 140, 420, 400};

INSTANTIATE_TEST_SUITE_P(
    Targets, PlacementOracleTest,
    ::testing::Values(TargetCase{"caret, new method", PlatformKind::New, false, kLowControl, 1,
                                 true, false, false, "caret"},
                      TargetCase{"caret, input method open", PlatformKind::New, false, kLowControl,
                                 1, true, false, true, "caret"},
                      TargetCase{"caret, old method", PlatformKind::Old, false, kLowControl, 1,
                                 true, false, false, "caret"},
                      TargetCase{"low control", PlatformKind::New, false, kLowControl, 0, false,
                                 false, false, "parts"},
                      TargetCase{"tall control at the screen edge", PlatformKind::New, false,
                                 kTallControl, 0, false, false, true, "parts"},
                      TargetCase{"menu mode", PlatformKind::New, false, kLowControl, 16, false,
                                 false, false, "menu"},
                      TargetCase{"capture by another window", PlatformKind::New, false, kLowControl,
                                 0, false, true, false, "menu"},
                      TargetCase{"capture, old method", PlatformKind::Old, false, kLowControl, 0,
                                 false, true, false, "menu"},
                      TargetCase{"moving while the caret blinks", PlatformKind::New, false,
                                 kLowControl, 3, true, false, false, "parts"},
                      TargetCase{"debug mode without a caret", PlatformKind::New, true, kLowControl,
                                 0, false, false, false, "caret"},
                      TargetCase{"debug mode, old method", PlatformKind::Old, true, kLowControl, 0,
                                 false, false, false, "caret"}),
    testing::CaseName<&TargetCase::what>{});

// --- reasons not to place the marker ------------------------------------------------------

TEST(PlacementOracleGates, NamesEveryGateThatHidesTheMarker) {
  SoakProfile profile;
  profile.neverList = "Never";
  profile.menusOnlyList = "MenusOnly";
  ProgramOnDesktop world(profile);
  SimDesktop& desktop = world.Desktop();
  const PlacementOracle oracle = world.Oracle();
  const TickConditions tick = world.Conditions();
  const WindowHandle editor = world.Editor();

  EXPECT_EQ(oracle.ReasonNotToPlace(tick, "caret"), std::nullopt);

  TickConditions menuOpen = tick;
  menuOpen.MenuIsOpen = true;
  EXPECT_TRUE(oracle.ReasonNotToPlace(menuOpen, "caret"));
  TickConditions off = tick;
  off.trackingOn = false;
  EXPECT_TRUE(oracle.ReasonNotToPlace(off, "caret"));
  TickConditions none = tick;
  none.foreground = 0;
  EXPECT_TRUE(oracle.ReasonNotToPlace(none, "caret"));

  desktop.SetClass(editor, "Never");
  EXPECT_TRUE(oracle.ReasonNotToPlace(tick, "menu"));
  desktop.SetClass(editor, "MenusOnly");
  EXPECT_TRUE(oracle.ReasonNotToPlace(tick, "caret"));
  EXPECT_EQ(oracle.ReasonNotToPlace(tick, "menu"), std::nullopt);
  desktop.SetClass(editor, "ThunderForm");
  desktop.SetTitle(editor, "_うおう_hidden");
  EXPECT_TRUE(oracle.ReasonNotToPlace(tick, "caret"));
  desktop.SetClass(editor, "Notepad");

  NewWindow dropDown;
  dropDown.className = "ComboLBox";
  dropDown.process = 800;
  dropDown.thread = 801;
  const WindowHandle list = desktop.CreateWindow(dropDown);
  EXPECT_TRUE(oracle.ReasonNotToPlace(tick, "caret"));
  desktop.SetVisible(list, false);
  EXPECT_EQ(oracle.ReasonNotToPlace(tick, "caret"), std::nullopt);

  desktop.SetEnabled(editor, false);
  EXPECT_TRUE(oracle.ReasonNotToPlace(tick, "caret"));
  desktop.SetEnabled(editor, true);
  desktop.SetVisible(editor, false);
  EXPECT_TRUE(oracle.ReasonNotToPlace(tick, "caret"));
  desktop.SetVisible(editor, true);
  desktop.SetTitle(world.Process().TextBox(), "1");
  EXPECT_TRUE(oracle.ReasonNotToPlace(tick, "caret"));
}

TEST(PlacementOracleInputMethod, AsksOnlyTheProcessWindowAboveAndCountsAHangAsClosed) {
  SoakProfile profile;
  ProgramOnDesktop world(profile);
  SimDesktop& desktop = world.Desktop();
  const PlacementOracle oracle = world.Oracle();
  desktop.SetImeOpen(kEditorProcess, true);
  EXPECT_TRUE(oracle.InputMethodOpen(world.Editor()));
  desktop.SetHung(kEditorProcess, true);
  EXPECT_FALSE(oracle.InputMethodOpen(world.Editor()));
  desktop.SetHung(kEditorProcess, false);

  // A second window of the same thread lies above the input-method window.
  NewWindow second;
  second.process = kEditorProcess;
  second.thread = kEditorThread;
  const WindowHandle above = desktop.CreateWindow(second);
  EXPECT_FALSE(oracle.InputMethodOpen(above));
}

// --- the foreground audit -----------------------------------------------------------------

class ForegroundAuditTest : public ::testing::Test {
 protected:
  SoakProfile profile;
  ProgramOnDesktop world{profile};
  std::optional<ForegroundAudit> audit;
  std::vector<std::string> faults;

  void SetUp() override {
    world.Start();
    audit.emplace(world.Desktop(), world.Process(), world.Core().state);
    world.Desktop().SetCallHook([this](std::string_view call) { audit->CallStarting(call); });
    world.Desktop().SetEventSink([this](const std::string& line) {
      if (const auto fault = audit->Check(line)) faults.push_back(*fault);
    });
  }

  void TearDown() override {
    world.Desktop().SetCallHook(nullptr);
    world.Desktop().SetEventSink(nullptr);
  }

  WindowHandle OtherWindow() {
    NewWindow other;
    other.process = 900;
    other.thread = 901;
    other.rect = Rect{0, 0, 100, 100};
    return world.Desktop().CreateWindow(other);
  }
};

TEST_F(ForegroundAuditTest, CatchesTheProgramTakingTheForegroundInAnOrdinaryTick) {
  const WindowHandle other = OtherWindow();
  audit->TickStarting();  // the editor holds the foreground
  world.Process().SetForegroundWindow(other);
  audit->TickEnded();
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_NE(faults[0].find("SetForegroundWindow"), std::string::npos);
}

TEST_F(ForegroundAuditTest, AcceptsTheRecoveryAndTheMenuWindow) {
  const WindowHandle other = OtherWindow();
  world.Desktop().SetForeground(world.Process().ApplicationWindow());
  audit->TickStarting();
  world.Process().SetForegroundWindow(other);
  audit->TickEnded();

  world.Desktop().SetForeground(world.Editor());
  world.Desktop().QueueMenuAnswer(sim::MenuAnswer{"none", 0});
  world.Desktop().SendTrayEvent(world.Process().Marker(), 1, kMsgLeftButtonUp);

  world.Desktop().SetForeground(world.Process().Marker());
  world.Process().ShowWindow(world.Process().Marker(), kShowHide);
  EXPECT_TRUE(faults.empty()) << faults.front();
}

TEST_F(ForegroundAuditTest, ADesktopChangeToNoForegroundDuringATickAllowsRecovery) {
  const WindowHandle other = OtherWindow();
  audit->TickStarting();
  world.Desktop().SetForeground(0);
  audit->DesktopChanged();
  world.Process().SetForegroundWindow(other);
  audit->TickEnded();
  EXPECT_TRUE(faults.empty());
}

// --- whole runs ---------------------------------------------------------------------------

std::string RunText(std::uint64_t randomValue, std::uint64_t ticks,
                    std::optional<PlatformKind> platform, bool& passed) {
  SoakOptions options;
  options.ticks = ticks;
  options.platform = platform;
  std::ostringstream out;
  SoakRun run(options, randomValue, out);
  passed = run.Run().passed;
  std::string text = out.str();
  // Everything but the time taken must repeat.
  const std::size_t elapsed = text.find("elapsed:");
  if (elapsed != std::string::npos) text.erase(elapsed, text.find('\n', elapsed) - elapsed);
  return text;
}

TEST(SoakRunTest, TheSameStartValueRepeatsTheRunExactly) {
  bool firstPassed = false;
  bool secondPassed = false;
  const std::string first = RunText(77, 3000, std::nullopt, firstPassed);
  const std::string second = RunText(77, 3000, std::nullopt, secondPassed);
  EXPECT_TRUE(firstPassed) << first;
  EXPECT_EQ(first, second);
}

TEST(SoakRunTest, ShortRunsPassOnBothPlatformKinds) {
  for (const PlatformKind platform : {PlatformKind::New, PlatformKind::Old}) {
    for (const std::uint64_t value : {1u, 2u, 3u}) {
      bool passed = false;
      const std::string text = RunText(value, 4000, platform, passed);
      EXPECT_TRUE(passed) << text;
      EXPECT_NE(text.find("final Quit: icon removed, process ended"), std::string::npos);
    }
  }
}

// --- the profile and the churn ------------------------------------------------------------

TEST(SoakProfileTest, TheProgramReadsExactlyTheProfilesSettings) {
  for (std::uint64_t value = 0; value < 24; ++value) {
    RandomSource random(value);
    const SoakProfile profile = ChooseProfile(random, std::nullopt);
    ProgramOnDesktop world(profile);
    world.Start();
    const Settings& read = world.Core().settings;
    EXPECT_EQ(read.blinkFactor, profile.blinkFactor) << profile.Description();
    EXPECT_EQ(read.sizes, profile.sizes) << profile.Description();
    EXPECT_EQ(read.debugMode, profile.debugMode) << profile.Description();
    EXPECT_EQ(read.classLists.neverMark, profile.neverList);
    EXPECT_EQ(read.classLists.menusOnly, profile.menusOnlyList);
    EXPECT_EQ(read.classLists.parkCursor, profile.parkingList);
    EXPECT_EQ(read.hold, ParseHoldPolicy(profile.oazuke));
    EXPECT_EQ(read.colors, profile.colors);
  }
}

TEST(DesktopChurnTest, TouchesTheProgramsWindowsOnlyByGivingThemTheForeground) {
  SimDesktop desktop;
  SimPlatform program(desktop, sim::kProgramProcess, sim::kProgramThread);
  const WindowHandle own[] = {program.Marker(), program.ApplicationWindow(), program.TextBox()};
  std::vector<sim::SimWindow> before;
  for (const WindowHandle window : own) before.push_back(*desktop.Window(window));
  RandomSource random(5);
  DesktopChurn churn(desktop, program, random);
  churn.Populate();
  bool ownForeground = false;
  for (int i = 0; i < 20000; ++i) {
    churn.ChangeOne();
    ownForeground = ownForeground || desktop.Foreground() == program.Marker();
    for (std::size_t w = 0; w < std::size(own); ++w) {
      const sim::SimWindow* now = desktop.Window(own[w]);
      ASSERT_NE(now, nullptr) << "change " << i;
      ASSERT_EQ(now->rect, before[w].rect) << "change " << i;
      ASSERT_EQ(now->visible, before[w].visible) << "change " << i;
      ASSERT_EQ(now->enabled, before[w].enabled) << "change " << i;
      ASSERT_EQ(now->className, before[w].className) << "change " << i;
    }
    // Window counts stay bounded, so a long run keeps its pace.
    ASSERT_LE(desktop.Windows().TopLevelZOrder().size(), 60u) << "change " << i;
  }
  EXPECT_TRUE(ownForeground);
  EXPECT_GT(churn.Counts()[static_cast<std::size_t>(ChangeKind::DestroyWindow)], 0u);
}

// --- the command line ---------------------------------------------------------------------

TEST(SoakOptionsTest, ReadsTheOptionsAndRejectsNonsense) {
  const auto parsed =
      ParseOptions({"--ticks", "500", "--seconds", "2.5", "--random", "42", "--platform", "old"});
  ASSERT_TRUE(std::holds_alternative<SoakOptions>(parsed));
  const SoakOptions& options = std::get<SoakOptions>(parsed);
  EXPECT_EQ(options.ticks, 500u);
  EXPECT_EQ(options.seconds, 2.5);
  EXPECT_EQ(options.randomValue, 42u);
  EXPECT_EQ(options.platform, PlatformKind::Old);
  EXPECT_EQ(std::get<SoakOptions>(ParseOptions({})).ticks, kDefaultTicks);

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--ticks", "0"},
                                              {"--ticks", "12x"},
                                              {"--seconds", "-1"},
                                              {"--random"},
                                              {"--platform", "xp"},
                                              {"--fast"}}) {
    EXPECT_TRUE(std::holds_alternative<UsageError>(ParseOptions(bad))) << bad.front();
  }
}

}  // namespace
}  // namespace sevalune::soak
