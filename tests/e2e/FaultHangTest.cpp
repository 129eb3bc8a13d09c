// The foreground program stops answering: the real sevalune.exe keeps ticking, keeps its
// marker on the hung program's caret, and still opens its tray menu. The hung program has
// an input-method window above its main window, on its hung thread, so that the program's
// input-method probe really asks a thread that does not answer.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <ostream>

#include "FaultHelper.h"
#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/MarkerExpectations.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

// Longer than any test waits: the test wakes the helper itself.
constexpr WPARAM kHangLimitMs = 120000;
// The system calls a thread hung once it has not read its messages for 5 s.
constexpr Milliseconds kUntilJudgedHung = 20s;
// About two blink cycles at the default period.
constexpr Milliseconds kTwoCycles = 1800ms;
// Keys that waited in the helper's queue reach its edit within this time once it wakes.
constexpr Milliseconds kKeyArrival = 2s;
// The older method takes the caret's top and guesses its lower end this far down.
constexpr int kOldMethodCaretDrop = 14;

struct HangCase {
  const char* name;
  const wchar_t* arguments;
  bool oldMethod;
  friend void PrintTo(const HangCase& c, std::ostream* out) { *out << c.name; }
};

class HungForeground : public FaultTest, public ::testing::WithParamInterface<HangCase> {
 protected:
  // Where the caret marker belongs on the helper's caret with the method of this case.
  std::optional<RECT> CaretMarker(HWND frame, int width, int height) const {
    const std::optional<ThreadCaret> caret = CaretOfThreadOf(frame);
    if (!caret || caret->caretWindow == nullptr) return std::nullopt;
    const POINT corner =
        GetParam().oldMethod
            ? POINT{caret->upperLeftOnScreen.x, caret->upperLeftOnScreen.y + kOldMethodCaretDrop}
            : caret->lowerLeftOnScreen;
    return RECT{corner.x, corner.y, corner.x + width, corner.y + height};
  }
  std::optional<RECT> ImeOpenMarker(HWND frame) const {
    return CaretMarker(frame, kImeCaretMarkerWidth, kImeCaretMarkerHeight);
  }
  std::optional<RECT> ImeClosedMarker(HWND frame) const {
    return CaretMarker(frame, kCaretMarkerWidth, kCaretMarkerHeight);
  }
};

void ExpectTicking(HWND marker, const char* when) {
  const TickEvidence seen = WatchTicks(marker, kTwoCycles);
  std::cout << "[ ticks    ] " << when << ": " << seen.blink.Describe() << "\n";
  EXPECT_TRUE(seen.Ticking()) << "the marker froze " << when << ": " << seen.blink.Describe();
}

TEST_P(HungForeground, TickGoesOnAndTheTrayMenuStillOpens) {
  FaultApp& app = StartFaultApp(/*imeOpen=*/true);
  ASSERT_NE(app.frame(), nullptr);
  ASSERT_NE(app.ime(), nullptr);
  ASSERT_EQ(DefaultImeWindowAbove(app.frame()), app.ime())
      << "the helper's input-method window is not the first one above its frame";
  const HWND marker = StartSevalune(std::nullopt, GetParam().arguments);
  ASSERT_NE(marker, nullptr);

  // While the helper answers, the probe asks its input-method window: open.
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerFollows(
      marker, [&] { return ImeOpenMarker(app.frame()); }, kRed));
  const LRESULT askedBeforeHang = app.Ask(fault_app::kImeQueries).value_or(0);
  EXPECT_GT(askedBeforeHang, 0) << "the probe never asked the helper's input-method window";

  app.Post(fault_app::kHang, kHangLimitMs);
  ASSERT_TRUE(WaitUntil([&] { return !app.Answers(); }, kTickTimeout))
      << "the helper kept answering";
  // Freshly frozen: each probe waits its whole time-out and gets no answer, which counts
  // as a closed input method.
  ExpectMarkerFollows(
      marker, [&] { return ImeClosedMarker(app.frame()); }, kMagenta);
  ExpectTicking(marker, "while the helper is freshly frozen");

  ASSERT_TRUE(WaitUntil([&] { return ::IsHungAppWindow(app.frame()) != FALSE; }, kUntilJudgedHung))
      << "the system never judged the helper hung";
  ExpectMarkerFollows(
      marker, [&] { return ImeClosedMarker(app.frame()); }, kMagenta);
  ExpectTicking(marker, "while the helper is judged hung");

  ASSERT_TRUE(
      OpenAndDismissTrayMenu(marker, sevalune().id(), "while the foreground program hangs"));
  // The menu step destroys its window, which had the foreground: the system gives it to
  // another window (under Wine the marker, and once the marker has shrunk and lost the X
  // focus, the desktop window). The step is over now, but the tick that made the menu's
  // window anew may still find the marker in front and hand the foreground on.
  std::cout << "[ menu     ] after the menu the foreground is "
            << DescribeWindow(::GetForegroundWindow()) << "\n";
  // The user clicks the hung program's window again.
  ASSERT_TRUE(ClickToFrontUntilItStays(app.frame(), kTickTimeout))
      << "the hung program's window did not keep the foreground; foreground: "
      << DescribeWindow(::GetForegroundWindow());
  ExpectMarkerFollows(
      marker, [&] { return ImeClosedMarker(app.frame()); }, kMagenta);
  ExpectTicking(marker, "after the menu, the helper still hung");
  EXPECT_FALSE(app.Answers()) << "the helper woke too early for this test";

  app.Wake();
  ASSERT_TRUE(WaitUntil([&] { return app.Answers(); }, kTickTimeout)) << "the helper never woke";
  // The menu step injected no key while the helper had the keyboard focus: once it reads
  // its input again, nothing has been typed into it.
  const HWND edit = CaretOfThreadOf(app.frame())->focus;
  EXPECT_FALSE(WaitUntil([&] { return TextOf(edit) != L"fault"; }, kKeyArrival))
      << "the helper's edit now holds " << ::testing::PrintToString(TextOf(edit));
  ExpectMarkerFollows(
      marker, [&] { return ImeOpenMarker(app.frame()); }, kRed);
  EXPECT_GT(app.Ask(fault_app::kImeQueries).value_or(0), askedBeforeHang)
      << "the probe stopped asking after the hang";
  EXPECT_TRUE(sevalune().IsRunning());
  EXPECT_EQ(::GetForegroundWindow(), app.frame())
      << "foreground: " << DescribeWindow(::GetForegroundWindow());
}

INSTANTIATE_TEST_SUITE_P(E2e, HungForeground,
                         ::testing::Values(HangCase{"PerThreadInformation", L"", false},
                                           HangCase{"OldMethod", L"--old-method", true}),
                         CaseName{});

}  // namespace
}  // namespace sevalune::e2e
