// One soak run: the program's real core on a simulated desktop that changes at random
// between ticks and in the middle of the program's platform calls, with the program's
// invariants checked after every tick and every tray click, and a final Quit.
//
// Every message the program receives passes through this class on its way to the
// Application, so the run knows when a tick starts and ends, however it was dispatched.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "app/Application.h"
#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "backend/sim/SimProgram.h"
#include "tests/soak/DesktopChurn.h"
#include "tests/soak/ForegroundAudit.h"
#include "tests/soak/PlacementOracle.h"
#include "tests/soak/RandomSource.h"
#include "tests/soak/SoakOptions.h"
#include "tests/soak/SoakProfile.h"
#include "tests/soak/SoakSummary.h"

namespace sevalune::soak {

struct SoakResult {
  bool passed = false;
  std::optional<std::string> violation;  // the first broken invariant
  std::uint64_t ticks = 0;
  bool stoppedByTime = false;
};

class SoakRun final : public PlatformEvents {
 public:
  SoakRun(const SoakOptions& options, std::uint64_t randomValue, std::ostream& out);
  ~SoakRun();
  SoakRun(const SoakRun&) = delete;
  SoakRun& operator=(const SoakRun&) = delete;

  SoakResult Run();

  void OnTimer() override;
  void OnTrayCallback(std::uint32_t eventCode) override;
  void OnTaskbarCreated() override;
  void OnHotkey(int id) override;
  void OnFinderFrame() override;
  void OnSettingsFileChanged() override;
  void OnTargetMoved(const TargetNotice& notice) override;

 private:
  // What held when an outermost tick began.
  struct TickStart {
    TickConditions conditions;
    Rect marker;
    Color color = 0;
    std::uint64_t changes = 0;
    std::uint64_t programForegroundChanges = 0;
    std::uint64_t trayDispatches = 0;
    std::int16_t NoForegroundTicks = 0;
    std::uint64_t markerMoves = 0;  // SetWindowPos calls, all on the marker in such a tick
    std::uint64_t hidings = 0;      // ShowWindow calls, made only by the recovery
    AccessibleViews accessibles;    // what windows published through accessibility
  };

  void SetUpDesktop();
  void StartProgram();
  void RunTicks();
  void BetweenTicks();
  void OuterTick();
  void NestedTick();
  void FinalQuit();

  void OnEvent(const std::string& line);
  void OnPlatformCall(std::string_view callName);
  void ChangeDuringCall();
  void ChangeDesktop();
  // Every change the soak makes: ticks running now are no longer undisturbed.
  void NoteChange();
  void DeliverTrayClick();
  void RestartTaskbar();
  void QueueMenuAnswer();
  void QueueBoxAnswer();

  TickStart SnapshotTickStart() const;
  void CheckPlacement(const TickStart& start);
  // Whether control is inside the tray menu step where the invariants are checked.
  enum class MenuStep { Outside, Inside };
  void CheckInvariants(std::string_view where, MenuStep menuStep);
  void RunGuarded(std::string_view where, const std::function<void()>& step);
  void Fail(const std::string& what);
  Rect MarkerRect() const;
  bool TimeIsUp() const;
  void PrintHeader() const;
  void PrintOutcome(const SoakResult& result, double seconds) const;

  SoakOptions options_;
  std::uint64_t randomValue_;
  std::ostream& out_;
  RandomSource random_;
  SoakProfile profile_;
  sim::SimDesktop desktop_;
  sim::SimProgram program_;
  sim::SimPlatform& process_;
  Application& app_;
  DesktopChurn churn_;
  ForegroundAudit audit_;
  PlacementOracle oracle_;
  SoakCounts counts_;
  std::chrono::steady_clock::time_point startTime_;

  bool started_ = false;   // the program's start-up is over
  bool changing_ = false;  // random changes and answers are being made
  bool auditing_ = false;  // foreground changes are being audited
  int tickDepth_ = 0;      // ticks running (a re-entrant one inside another counts)
  int modalDepth_ = 0;     // ticks delivered from inside a menu or box
  int pendingTaskbarCreated_ = 0;
  bool startUpShapeAllowed_ = true;
  std::uint64_t changes_ = 0;
  std::uint64_t trayDispatches_ = 0;
  // The tick before the current one: what windows published at its start (the answers the
  // program may use now were asked for then), and whether the desktop held still in it.
  AccessibleViews accessiblesBefore_;
  bool tickBeforeUndisturbed_ = false;
  std::optional<std::string> violation_;
  std::uint64_t violationTick_ = 0;
};

}  // namespace sevalune::soak
