// The real sevalune.exe beside a window that behaves as a browser engine's does toward
// accessibility clients (tools/caret_app.cpp with "chromium": the engine's window class, its
// caret published only as the OBJID_CARET object, a location-change event at each move that
// names the caret by a negative child id): the marker follows each move between ticks, and
// the window is asked for its caret object alone, never for its client object nor by UI
// Automation, also while it shows no caret.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <string>

#include "CaretHelper.h"
#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"

namespace sevalune::e2e {
namespace {

// A tick every 6 s and a blink cycle that keeps the marker shown meanwhile: a move made
// right after a tick that the marker reaches well within the period was followed between
// ticks. The deadline is generous for a loaded machine and still far below the period.
constexpr const char* kSlowTicks = "[Sevalune]\r\nMimawariKankaku=6000\r\nTenmetuKeisuu=100\r\n";
constexpr Milliseconds kFirstTick = 6000ms;
constexpr Milliseconds kWithinTheTick = 1500ms;
constexpr int kFirstRounds = 3;

class BrowserCaretTest : public DesktopTest {
 protected:
  void TearDown() override {
    app_.reset();
    DesktopTest::TearDown();
  }

  HWND StartBesideBrowser(const std::optional<std::string>& settings) {
    app_.emplace(L"chromium");
    EXPECT_NE(app_->frame(), nullptr)
        << "the helper did not come up with the foreground and the focus; foreground: "
        << DescribeWindow(::GetForegroundWindow());
    if (app_->frame() == nullptr) return nullptr;
    return StartSevalune(settings);
  }

  CaretApp& app() { return *app_; }

  std::optional<RECT> CaretBlock() const {
    const std::optional<caret_app::PublishedCaret> caret = app_->Published();
    if (!caret || !caret->shown) return std::nullopt;
    return CaretMarkerRect(POINT{caret->screen.left, caret->screen.bottom});
  }

  // What the helper was asked for so far: its caret object, and never its client object
  // nor a UI Automation provider.
  void ExpectAskedForTheCaretAlone() const {
    const std::optional<LRESULT> caret = app_->RequestsFor(OBJID_CARET);
    const std::optional<LRESULT> client = app_->RequestsFor(OBJID_CLIENT);
    const std::optional<LRESULT> automation = app_->RequestsFor(caret_app::kUiaRootObjectId);
    ASSERT_TRUE(caret && client && automation) << "the helper did not answer";
    std::cout << "[ requests ] OBJID_CARET " << *caret << ", OBJID_CLIENT " << *client
              << ", UiaRootObjectId " << *automation << "\n";
    EXPECT_GT(*caret, 0);
    EXPECT_EQ(*client, 0);
    EXPECT_EQ(*automation, 0);
  }

 private:
  std::optional<CaretApp> app_;
};

TEST_F(BrowserCaretTest, EachMoveIsFollowedBetweenTicks) {
  const HWND marker = StartBesideBrowser(kSlowTicks);
  ASSERT_NE(marker, nullptr);
  // The first tick marks the window as a focused control and asks; its answer puts the
  // block at the caret as soon as it comes. The first round into the helper is its dearest
  // (a fresh caret object); on a loaded machine it can outlast its limit, and the next tick
  // asks again.
  ASSERT_TRUE(
      WaitUntil([&] { return SameRect(WindowRectOf(marker), CaretBlock().value_or(RECT{})); },
                kFirstRounds * kFirstTick + kTickTimeout))
      << "the marker never reached the caret: " << Describe(WindowRectOf(marker));

  for (const int x : {60, 140, 220, 300}) {
    app().Post(caret_app::kMoveCaret, static_cast<WPARAM>(x), caret_app::kFirstCaretClient.y);
    const RECT moved =
        app().OnScreen(RECT{x, caret_app::kFirstCaretClient.y, x + caret_app::kCaretWidth,
                            caret_app::kFirstCaretClient.y + caret_app::kCaretHeight});
    ASSERT_TRUE(app().WaitUntilPublishedAt(moved));
    const RECT block = CaretMarkerRect(POINT{moved.left, moved.bottom});
    EXPECT_TRUE(WaitUntil([&] { return SameRect(WindowRectOf(marker), block); }, kWithinTheTick))
        << "the move to x=" << x << " waited for a tick: the marker is at "
        << Describe(WindowRectOf(marker)) << ", the caret's block at " << Describe(block);
  }
  ExpectMarkerShows(marker, CaretBlock(), kMagenta);
  ExpectAskedForTheCaretAlone();
}

TEST_F(BrowserCaretTest, WithoutACaretOnlyTheCaretIsAskedAndTheWindowGetsItsBar) {
  const HWND marker = StartBesideBrowser(std::nullopt);
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta));

  // Another program would now find the focused field through the client object; this
  // window is a browser's, so the marker takes the window's bar, as for any program
  // without a caret.
  app().Post(caret_app::kHideCaret);
  const RECT frame = WindowRectOf(app().frame());
  ExpectMarkerFollows(
      marker, [&] { return std::optional<RECT>(LeftBarRect(frame)); }, kMagenta);
  // Some more ticks without a caret.
  SampleFor(1000ms, [] {});
  ExpectAskedForTheCaretAlone();

  app().Post(caret_app::kShowCaret);
  ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta);
}

}  // namespace
}  // namespace sevalune::e2e
