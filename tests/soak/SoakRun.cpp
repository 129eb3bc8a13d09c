#include "tests/soak/SoakRun.h"

#include <array>
#include <cstdio>
#include <exception>
#include <span>
#include <utility>

#include "platform/AppIdentity.h"
#include "settings/Settings.h"
#include "tests/soak/MarkerShapes.h"
#include "tray/TrayIcon.h"

namespace sevalune::soak {
namespace {

constexpr std::int16_t kEmptyForegroundTicksBeforeRecovery = 10;

// How often things happen: between two ticks up to this many desktop changes; one call
// in this many gets a change in its middle; one round between ticks in this many has a
// tray click, a re-created task bar.
constexpr int kMostChangesBetweenTicks = 2;
constexpr int kMostChangesInsideModal = 1;
constexpr std::uint32_t kCallChangeOdds = 300;
constexpr std::uint32_t kTrayClickOdds = 120;
constexpr std::uint32_t kTaskbarRestartOdds = 5000;
constexpr std::uint32_t kTrayClickInsideModalOdds = 10;
// Of the changes made in the middle of a platform call, per thousand: a tray click, the
// task bar re-created, a timer message; the rest change the desktop.
constexpr std::uint32_t kQueuedTrayClickPerMille = 8;
constexpr std::uint32_t kTaskbarRestartPerMille = 2;
constexpr std::uint32_t kQueuedTimerPerMille = 10;
constexpr std::uint32_t kQueuedTargetMovePerMille = 10;
// One round between ticks in this many lets the caret watch look (a frame of time).
constexpr std::uint32_t kCaretWatchOdds = 2;
constexpr std::uint64_t kClockCheckInterval = 256;
constexpr int kMostAfterTicks = 3;

struct TrayClick {
  std::uint32_t code;
  std::uint32_t weight;
};
constexpr std::array<TrayClick, 5> kTrayClicks{{{kMsgLeftButtonUp, 3},
                                                {kMsgRightButtonUp, 3},
                                                {0x0201, 2},  // left button down
                                                {0x0203, 1},  // left double click
                                                {kMsgMouseMove, 1}}};

std::uint32_t PickTrayClick(RandomSource& random) {
  std::uint32_t total = 0;
  for (const TrayClick& click : kTrayClicks) total += click.weight;
  std::uint32_t draw = random.Below(total);
  for (const TrayClick& click : kTrayClicks) {
    if (draw < click.weight) return click.code;
    draw -= click.weight;
  }
  return kMsgLeftButtonUp;
}

std::string ColorText(Color color) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(color));
  return text;
}

// One level of nesting (of ticks, or of modal loops) for as long as it lives, however the
// scope is left.
class DepthScope {
 public:
  DepthScope(int& depth, std::function<void()> onExit) : depth_(depth), onExit_(std::move(onExit)) {
    ++depth_;
  }
  ~DepthScope() {
    --depth_;
    if (onExit_) onExit_();
  }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

 private:
  int& depth_;
  std::function<void()> onExit_;
};

}  // namespace

SoakRun::SoakRun(const SoakOptions& options, std::uint64_t randomValue, std::ostream& out)
    : options_(options),
      randomValue_(randomValue),
      out_(out),
      random_(randomValue),
      profile_(ChooseProfile(random_, options.platform)),
      program_(desktop_),
      process_(program_.process()),
      app_(program_.app()),
      churn_(desktop_, process_, random_),
      audit_(desktop_, process_, app_.program().state),
      oracle_(desktop_, process_, profile_) {}

SoakRun::~SoakRun() {
  desktop_.SetCallHook(nullptr);
  desktop_.SetEventSink(nullptr);
  process_.SetEventHandler(nullptr);
  process_.SetNestedTickDriver(nullptr);
}

SoakResult SoakRun::Run() {
  startTime_ = std::chrono::steady_clock::now();
  PrintHeader();
  SetUpDesktop();
  StartProgram();
  if (!violation_) {
    out_ << "location method in force: "
         << (app_.program().state.method == LocationMethod::AttachThreadInput ? "old" : "new")
         << "\n";
    RunTicks();
  }
  SoakResult result;
  result.stoppedByTime = !violation_ && counts_.ticks < options_.ticks;
  if (!violation_) FinalQuit();
  result.ticks = counts_.ticks;
  result.violation = violation_;
  result.passed = !violation_;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - startTime_;
  PrintSummary(out_, counts_, options_.ticks, desktop_, churn_, elapsed.count());
  PrintOutcome(result, elapsed.count());
  return result;
}

// --- set-up -----------------------------------------------------------------------------

void SoakRun::SetUpDesktop() {
  desktop_.SetPlatformNew(profile_.platform == PlatformKind::New);
  if (profile_.secondDisplayLeft) {
    desktop_.SetMonitors({sim::MonitorInfo{Rect{-1920, 0, 0, 1080}, false},
                          sim::MonitorInfo{Rect{0, 0, 1920, 1080}, true}});
  }
  sim::PutSettingsFile(desktop_, profile_.SettingsFileText());
  churn_.Populate();
  // The desktop answers for a thread without a recorded state by searching every window
  // it ever had, which grows through a long run; an empty state gives the same answer.
  for (const ThreadId thread :
       {sim::kProgramThread, sim::SimDesktop::kTaskbarThread, sim::SimDesktop::kProgmanThread}) {
    desktop_.SetGuiState(thread, GuiThreadInfo{});
  }
  desktop_.SetEventSink([this](const std::string& line) { OnEvent(line); });
  desktop_.SetCallHook([this](std::string_view callName) { OnPlatformCall(callName); });
  program_.InterposeEvents(*this);
  process_.SetNestedTickDriver([this] { NestedTick(); });
}

void SoakRun::StartProgram() {
  RunGuarded("during start-up", [this] { program_.Start(); });
  started_ = true;
  changing_ = true;
  auditing_ = true;
}

// --- the run ----------------------------------------------------------------------------

void SoakRun::RunTicks() {
  while (!violation_ && counts_.ticks < options_.ticks) {
    if (counts_.outerTicks % kClockCheckInterval == 0 && TimeIsUp()) return;
    BetweenTicks();
    if (violation_) return;
    OuterTick();
  }
}

void SoakRun::BetweenTicks() {
  const int changes = random_.Between(0, kMostChangesBetweenTicks);
  for (int i = 0; i < changes; ++i) {
    ChangeDesktop();
    ++counts_.changesBetweenTicks;
  }
  if (random_.OneIn(kTrayClickOdds)) {
    DeliverTrayClick();
    CheckInvariants("after a tray click", MenuStep::Outside);
  }
  if (random_.OneIn(kTaskbarRestartOdds)) {
    RestartTaskbar();
    CheckInvariants("after the task bar was re-created", MenuStep::Outside);
  }
  if (random_.OneIn(kCaretWatchOdds)) {
    ++counts_.caretWatchLooks;
    RunGuarded("while the caret watch looked", [this] { process_.WatchCaretOnce(); });
  }
  // The idle message loop dispatches whatever was posted during the last tick.
  if (process_.QueuedMessages() > 0) {
    RunGuarded("in the idle message loop", [this] { process_.PumpMessages(); });
    CheckInvariants("after the idle message loop", MenuStep::Outside);
  }
}

void SoakRun::OuterTick() {
  ++counts_.outerTicks;
  RunGuarded("in a tick", [this] { process_.Deliver(sim::SimMessage::Timer()); });
  CheckInvariants("after a tick", MenuStep::Outside);
}

// Ticks that arrive while a menu or a box of the program is open, with the desktop
// still changing around it.
void SoakRun::NestedTick() {
  if (violation_) return;
  ++counts_.nestedTicks;
  const DepthScope modal(modalDepth_, nullptr);
  if (changing_) {
    const int changes = random_.Between(0, kMostChangesInsideModal);
    for (int i = 0; i < changes; ++i) {
      ChangeDesktop();
      ++counts_.changesBetweenTicks;
    }
    // The menu step ignores clicks on the icon while it runs.
    if (random_.OneIn(kTrayClickInsideModalOdds)) DeliverTrayClick();
  }
  if (process_.QueuedMessages() > 0) process_.PumpMessages();
  process_.Deliver(sim::SimMessage::Timer());
  CheckInvariants("after a tick inside a menu or box", MenuStep::Inside);
}

void SoakRun::FinalQuit() {
  changing_ = false;
  auditing_ = false;
  while (desktop_.TakeMenuAnswer()) {
  }
  while (desktop_.TakeBoxAnswer()) {
  }
  if (process_.QueuedMessages() > 0) {
    RunGuarded("before the final Quit", [this] { process_.PumpMessages(); });
  }
  if (violation_) return;
  const WindowHandle marker = process_.Marker();
  if (desktop_.Tray().Find(marker, kTrayIconId) == nullptr) {
    return Fail("there is no tray icon to choose Quit from");
  }
  desktop_.QueueMenuAnswer(sim::MenuAnswer{"Quit", 0});
  try {
    program_.TrayEvent(kMsgRightButtonUp);
  } catch (const std::exception& error) {
    return Fail(std::string("an exception escaped the final Quit: ") + error.what());
  }
  const std::optional<int> exitCode = process_.ExitCode();
  if (!exitCode || !process_.Ended()) return Fail("choosing Quit did not end the process");
  if (process_.CallsAfterQuit() != 0) {
    return Fail(std::to_string(process_.CallsAfterQuit()) + " platform calls after Quit");
  }
  if (*exitCode != 0) return Fail("Quit ended the process with code " + std::to_string(*exitCode));
  if (desktop_.Tray().Find(marker, kTrayIconId) != nullptr) {
    return Fail("the tray icon is still there after Quit");
  }
}

// --- the program's messages -------------------------------------------------------------

void SoakRun::OnTimer() {
  ++counts_.ticks;
  const bool outermost = tickDepth_ == 0;
  const TickStart start = outermost ? SnapshotTickStart() : TickStart{};
  audit_.TickStarting();
  {
    const DepthScope running(tickDepth_, [this] { audit_.TickEnded(); });
    app_.OnTimer();
  }
  if (!outermost) return;
  if (start.conditions.foreground == 0 &&
      start.NoForegroundTicks == kEmptyForegroundTicksBeforeRecovery &&
      app_.program().tracker.tick.noForegroundTicks == 0) {
    ++counts_.noForegroundRecoveries;
  }
  CheckPlacement(start);
}

void SoakRun::OnTrayCallback(std::uint32_t eventCode) {
  ++trayDispatches_;
  const bool insideMenuStep = app_.program().state.menuIsOpen;
  app_.OnTrayCallback(eventCode);
  // Quit was chosen: the program unwinds, and the final check judges what it leaves.
  if (process_.QuitRequested()) return;
  CheckInvariants("after a tray callback", insideMenuStep ? MenuStep::Inside : MenuStep::Outside);
}

void SoakRun::OnTargetMoved(const TargetNotice& notice) {
  ++counts_.targetMoveHandlers;
  const Rect before = MarkerRect();
  app_.OnTargetMoved(notice);
  const Rect after = MarkerRect();
  if (after != before) ++counts_.movesBetweenTicks;
  // Between ticks the marker is only ever moved where a tick has shown it.
  if (before == Rect{} && after != Rect{}) {
    return Fail("a placement between ticks showed the hidden marker at " + RectText(after));
  }
  if (process_.QuitRequested()) return;
  CheckInvariants("after a placement between ticks",
                  app_.program().state.menuIsOpen ? MenuStep::Inside : MenuStep::Outside);
}

void SoakRun::OnTaskbarCreated() {
  // Still counted as pending while the icon is being added again.
  app_.OnTaskbarCreated();
  if (pendingTaskbarCreated_ > 0) --pendingTaskbarCreated_;
}

// The soak presses no hot key and changes no settings file; handed on all the same.
void SoakRun::OnHotkey(int id) { app_.OnHotkey(id); }
void SoakRun::OnFinderFrame() { app_.OnFinderFrame(); }
void SoakRun::OnSettingsFileChanged() { app_.OnSettingsFileChanged(); }

// --- the desktop's observers ------------------------------------------------------------

void SoakRun::OnEvent(const std::string& line) {
  Increment(counts_.eventsByKind, std::string_view(line).substr(0, line.find(' ')));
  if (!started_) return;
  if (line.starts_with("foreground ")) ++counts_.foregroundByProgram;
  if (!auditing_) return;
  if (const std::optional<std::string> fault = audit_.Check(line)) Fail(*fault);
}

void SoakRun::OnPlatformCall(std::string_view callName) {
  if (changing_) {
    // Answers are scripted as the menu or box opens, so none is ever left over.
    if (callName == "TrackPopupMenu") QueueMenuAnswer();
    if (callName == "MessageBox" || callName == "InputBox") QueueBoxAnswer();
    if (random_.OneIn(kCallChangeOdds)) ChangeDuringCall();
  }
  if (auditing_) audit_.CallStarting(callName);
}

void SoakRun::ChangeDuringCall() {
  ++counts_.changesDuringCalls;
  std::uint32_t draw = random_.Below(1000);
  if (draw < kQueuedTrayClickPerMille) {
    // Queued by the desktop: handlers run only where the program pumps messages.
    return DeliverTrayClick();
  }
  draw -= kQueuedTrayClickPerMille;
  if (draw < kTaskbarRestartPerMille) return RestartTaskbar();
  draw -= kTaskbarRestartPerMille;
  if (draw < kQueuedTimerPerMille) {
    NoteChange();
    ++counts_.timersQueued;
    process_.Post(sim::SimMessage::Timer());
    return;
  }
  draw -= kQueuedTimerPerMille;
  if (draw < kQueuedTargetMovePerMille) {
    // The system's notification of a moved caret, focus or foreground.
    ++counts_.targetMovesQueued;
    process_.Post(sim::SimMessage::TargetMoved());
  } else {
    ChangeDesktop();
  }
}

void SoakRun::ChangeDesktop() {
  const WindowHandle before = desktop_.Foreground();
  churn_.ChangeOne();
  if (desktop_.Foreground() != before) ++counts_.foregroundByDesktop;
  NoteChange();
}

void SoakRun::NoteChange() {
  ++changes_;
  audit_.DesktopChanged();
}

void SoakRun::DeliverTrayClick() {
  NoteChange();
  const std::uint32_t code = PickTrayClick(random_);
  if (desktop_.InsideCallHook()) {
    ++counts_.trayClicksQueued;
    desktop_.SendTrayEvent(process_.Marker(), kTrayIconId, code);
    return;
  }
  ++counts_.trayClicksDelivered;
  if (modalDepth_ > 0) {
    // Inside a menu or box: the error, if any, belongs to the outer step.
    desktop_.SendTrayEvent(process_.Marker(), kTrayIconId, code);
    return;
  }
  RunGuarded("in a tray click",
             [this, code] { desktop_.SendTrayEvent(process_.Marker(), kTrayIconId, code); });
}

void SoakRun::RestartTaskbar() {
  ++counts_.taskbarRestarts;
  ++pendingTaskbarCreated_;
  if (desktop_.InsideCallHook()) {
    desktop_.RestartTaskbar();
  } else {
    RunGuarded("while the task bar was re-created", [this] { desktop_.RestartTaskbar(); });
  }
  NoteChange();
}

void SoakRun::QueueMenuAnswer() {
  // Never Quit: that is the final check. Tracking is switched off now and then, and
  // mostly on again at the next menu.
  static constexpr std::array<std::string_view, 9> kItems{
      "Help", "About", "WindowClass", "none", "Help", "About", "WindowClass", "none", "Enabled"};
  std::string_view item = random_.PickFrom(std::span<const std::string_view>(kItems));
  if (!app_.program().state.isEnabled && !random_.OneIn(5)) item = "Enabled";
  Increment(counts_.menuAnswers, item);
  desktop_.QueueMenuAnswer(sim::MenuAnswer{std::string(item), random_.Between(0, kMostAfterTicks)});
}

void SoakRun::QueueBoxAnswer() {
  const bool ok = random_.OneIn(2);
  desktop_.QueueBoxAnswer(sim::BoxAnswer{ok, random_.Between(0, kMostAfterTicks)});
}

// --- checks -----------------------------------------------------------------------------

Rect SoakRun::MarkerRect() const {
  const sim::SimWindow* marker = desktop_.Window(process_.Marker());
  return marker != nullptr ? marker->rect : Rect{};
}

SoakRun::TickStart SoakRun::SnapshotTickStart() const {
  TickStart start;
  start.conditions.foreground = desktop_.Foreground();
  const AppState& state = app_.program().state;
  start.conditions.MenuIsOpen = state.menuIsOpen;
  start.conditions.trackingOn = state.isEnabled;
  start.conditions.oldMethod = state.method == LocationMethod::AttachThreadInput;
  start.marker = MarkerRect();
  start.color = process_.CurrentMarkerColor();
  start.changes = changes_;
  start.programForegroundChanges = counts_.foregroundByProgram;
  start.trayDispatches = trayDispatches_;
  start.NoForegroundTicks = app_.program().tracker.tick.noForegroundTicks;
  start.markerMoves = desktop_.CallCount("SetWindowPos");
  start.hidings = desktop_.CallCount("ShowWindow");
  start.accessibles = oracle_.ViewAccessibles();
  return start;
}

// A tick during which nothing but the program changed the desktop, and which placed the
// marker, must have put it exactly on the target the desktop shows. In such a tick (no
// menu ran in it) every SetWindowPos is on the marker, and only a placement leaves it
// with a size; the recovery's re-showing is told apart by its ShowWindow.
void SoakRun::CheckPlacement(const TickStart& start) {
  // The answers the next tick may use were asked for during this one.
  const AccessibleViews before = std::exchange(accessiblesBefore_, start.accessibles);
  const bool tickBeforeUndisturbed = tickBeforeUndisturbed_;
  tickBeforeUndisturbed_ = changes_ == start.changes;
  if (violation_) return;
  const Rect marker = MarkerRect();
  const Color color = process_.CurrentMarkerColor();
  const bool changed = marker != start.marker || color != start.color;
  const bool placedAgain = desktop_.CallCount("SetWindowPos") != start.markerMoves &&
                           desktop_.CallCount("ShowWindow") == start.hidings;
  const bool placed = (changed || placedAgain) && marker != Rect{};
  const bool undisturbed = changes_ == start.changes &&
                           counts_.foregroundByProgram == start.programForegroundChanges &&
                           trayDispatches_ == start.trayDispatches;
  if (!undisturbed) return;
  ++counts_.undisturbedTicks;
  if (!placed) return;
  // An accessible answer may have been asked for in the middle of a disturbed tick: what it
  // saw (a window that published something only for a moment, a window since moved) cannot
  // be told.
  const WindowHandle asked = oracle_.AccessibleAsked(start.conditions);
  if (asked != 0 && !tickBeforeUndisturbed) return;
  ++counts_.placementsChecked;
  const std::vector<Placement> acceptable =
      oracle_.Acceptable(start.conditions, before, start.accessibles);
  const Placement& expected = acceptable.front();
  if (const auto reason = oracle_.ReasonNotToPlace(start.conditions, expected.kind)) {
    return Fail("the tick placed the marker (" + RectText(marker) + ") although " + *reason);
  }
  for (std::size_t i = 0; i < acceptable.size(); ++i) {
    if (marker != acceptable[i].rect || color != acceptable[i].color) continue;
    if (i > 0 && acceptable[i].rect != expected.rect) ++counts_.accessiblePlacements;
    return;
  }
  std::string wanted = RectText(expected.rect) + " in colour " + ColorText(expected.color);
  for (std::size_t i = 1; i < acceptable.size(); ++i) {
    wanted += ", or for what it publishes through accessibility " + RectText(acceptable[i].rect) +
              " in colour " + ColorText(acceptable[i].color);
  }
  Fail("the tick placed the marker " + RectText(marker) + " in colour " + ColorText(color) +
       "; the " + std::string(expected.kind) + " target in " +
       desktop_.NameOf(start.conditions.foreground) + " needs " + wanted);
}

void SoakRun::CheckInvariants(std::string_view where, MenuStep menuStep) {
  if (violation_) return;
  const std::string place(where);
  const sim::SimWindow* marker = desktop_.Window(process_.Marker());
  if (process_.Ended() || marker == nullptr) return Fail("the process ended " + place);
  if (const auto shape =
          UndocumentedMarkerShape(marker->rect, profile_.sizes, startUpShapeAllowed_)) {
    return Fail(*shape + " " + place);
  }
  if (marker->rect != kStartUpMarker) startUpShapeAllowed_ = false;
  const bool menuIsOpen = app_.program().state.menuIsOpen;
  if (menuIsOpen && menuStep == MenuStep::Outside) {
    return Fail("MenuIsOpen is still true " + place);
  }
  if (!menuIsOpen && (menuStep == MenuStep::Inside || process_.MenuOpen())) {
    return Fail("MenuIsOpen is false inside the menu step " + place);
  }
  if (desktop_.Tray().Find(process_.Marker(), kTrayIconId) == nullptr &&
      pendingTaskbarCreated_ == 0) {
    return Fail("the tray icon is missing " + place);
  }
}

void SoakRun::RunGuarded(std::string_view where, const std::function<void()>& step) {
  try {
    step();
    if (process_.Ended()) Fail("the process ended " + std::string(where));
  } catch (const std::exception& error) {
    Fail("an exception escaped " + std::string(where) + ": " + error.what());
  } catch (...) {
    Fail("an unknown exception escaped " + std::string(where));
  }
}

void SoakRun::Fail(const std::string& what) {
  if (violation_) return;
  violation_ = what;
  // A failure between two ticks is repeated by running up to the next tick.
  violationTick_ = counts_.ticks + (tickDepth_ > 0 ? 0 : 1);
  changing_ = false;  // the desktop holds still from here on
}

bool SoakRun::TimeIsUp() const {
  if (!options_.seconds) return false;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - startTime_;
  return elapsed.count() >= *options_.seconds;
}

// --- output -----------------------------------------------------------------------------

void SoakRun::PrintHeader() const {
  out_ << "sevalune_soak: random start value " << randomValue_ << " (repeat with --random "
       << randomValue_ << ")\n";
  out_ << "profile: " << profile_.Description() << "\n";
}

void SoakRun::PrintOutcome(const SoakResult& result, double seconds) const {
  if (result.violation) {
    const std::uint64_t repeatTicks = violationTick_;
    out_ << "FAILED at tick " << repeatTicks << ": " << *result.violation << "\n";
    out_ << "random start value " << randomValue_ << "; repeat with: sevalune_soak --random "
         << randomValue_ << " --ticks " << repeatTicks
         << (options_.platform ? std::string(" --platform ") +
                                     (*options_.platform == PlatformKind::Old ? "old" : "new")
                               : std::string())
         << "\n";
    return;
  }
  if (result.stoppedByTime) {
    out_ << "stopped by the time bound after " << static_cast<std::uint64_t>(seconds)
         << " s at tick " << result.ticks << " of " << options_.ticks << " (not a failure)\n";
  }
  out_ << "final Quit: icon removed, process ended\n";
  out_ << "PASSED (random start value " << randomValue_ << ")\n";
}

}  // namespace sevalune::soak
