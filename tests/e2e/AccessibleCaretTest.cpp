// The real sevalune.exe beside a program that draws its own caret and publishes it only
// through Active Accessibility (tools/caret_app.cpp): the marker sits at that caret (the
// default 10 x 9 block at its left, lower end) and follows it; with the caret hidden the
// bar goes under the focused field the program names; while the program hangs, the tick
// goes on (the marker blinks, beside the program's window now) and the tray menu opens.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <string_view>

#include "CaretHelper.h"
#include "FaultHelper.h"
#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

// Long enough for every check made while the helper hangs; it cannot be woken earlier.
constexpr Milliseconds kHang = 14000ms;
// About two blink cycles at the default period.
constexpr Milliseconds kTwoCycles = 1800ms;
constexpr POINT kMovedCaretClient{120, 150};

class AccessibleCaretTest : public DesktopTest {
 protected:
  void TearDown() override {
    app_.reset();
    DesktopTest::TearDown();
  }

  // The helper in front with its caret shown, then sevalune.exe with the default settings.
  HWND StartBesideCaretApp(const std::wstring& arguments = L"") {
    app_.emplace(arguments);
    EXPECT_NE(app_->frame(), nullptr)
        << "the caret helper did not come up with the foreground and the focus; foreground: "
        << DescribeWindow(::GetForegroundWindow());
    if (app_->frame() == nullptr) return nullptr;
    return StartSevalune(std::nullopt);
  }

  CaretApp& app() { return *app_; }

  // Where the caret block belongs for the caret the helper draws now.
  std::optional<RECT> CaretBlock() const {
    const std::optional<caret_app::PublishedCaret> caret = app_->Published();
    if (!caret || !caret->shown) return std::nullopt;
    return CaretMarkerRect(POINT{caret->screen.left, caret->screen.bottom});
  }

 private:
  std::optional<CaretApp> app_;
};

void ExpectTicking(HWND marker, const char* when) {
  const TickEvidence seen = WatchTicks(marker, kTwoCycles);
  std::cout << "[ ticks    ] " << when << ": " << seen.blink.Describe() << "\n";
  EXPECT_TRUE(seen.Ticking()) << "the marker froze " << when << ": " << seen.blink.Describe();
}

TEST_F(AccessibleCaretTest, TheMarkerSitsAtTheDrawnCaretAndFollowsIt) {
  const HWND marker = StartBesideCaretApp();
  ASSERT_NE(marker, nullptr);
  const std::optional<RECT> first = CaretBlock();
  ASSERT_TRUE(first.has_value());
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta));

  // Typing moves the drawn caret, and the marker with it.
  TypeText(L"abc");
  RECT typed = *first;
  ::OffsetRect(&typed, 3 * caret_app::kAdvance, 0);
  ASSERT_TRUE(
      WaitUntil([&] { return SameRect(CaretBlock().value_or(RECT{}), typed); }, kTickTimeout))
      << "the helper's caret did not move with the keys";
  ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta);
  EXPECT_TRUE(SameRect(WindowRectOf(marker), typed)) << Describe(WindowRectOf(marker));

  app().Post(caret_app::kMoveCaret, kMovedCaretClient.x, kMovedCaretClient.y);
  const RECT moved = app().OnScreen(RECT{kMovedCaretClient.x, kMovedCaretClient.y,
                                         kMovedCaretClient.x + caret_app::kCaretWidth,
                                         kMovedCaretClient.y + caret_app::kCaretHeight});
  ASSERT_TRUE(app().WaitUntilPublishedAt(moved));
  ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta);
}

// The helper names its focused field as a child id of its client object, or as an object of
// its own (a new proxy in the reader's process); the reader meets both.
class HiddenCaret : public AccessibleCaretTest,
                    public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(HiddenCaret, TheBarGoesUnderTheFocusedField) {
  const HWND marker = StartBesideCaretApp(GetParam());
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta));

  app().Post(caret_app::kHideCaret);
  const RECT field = app().OnScreen(caret_app::kFieldClient);
  ExpectMarkerFollows(
      marker, [&] { return std::optional<RECT>(UnderlineRect(field)); }, kMagenta);

  app().Post(caret_app::kShowCaret);
  ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta);
}

INSTANTIATE_TEST_SUITE_P(E2e, HiddenCaret, ::testing::Values(L"focus=child", L"focus=object"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& param) {
                           return std::wstring_view(param.param) == L"focus=child" ? "ChildId"
                                                                                   : "OwnObject";
                         });

TEST_F(AccessibleCaretTest, WhileTheHelperHangsTheTickGoesOnAndTheTrayMenuOpens) {
  const HWND marker = StartBesideCaretApp();
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta));

  app().Post(caret_app::kHang, static_cast<WPARAM>(kHang.count()));
  ASSERT_TRUE(WaitUntil([&] { return !app().Answers(); }, kTickTimeout))
      << "the helper kept answering";
  // Its accessibility calls are given up: the helper's window is marked as a focused
  // control, as a program without an accessible caret is.
  const RECT frame = WindowRectOf(app().frame());
  ExpectMarkerFollows(
      marker, [&] { return std::optional<RECT>(LeftBarRect(frame)); }, kMagenta);
  ExpectTicking(marker, "while the helper hangs");

  ASSERT_TRUE(OpenAndDismissTrayMenu(marker, sevalune().id(), "while the helper hangs"));
  // The user clicks the hung helper's window again.
  ASSERT_TRUE(ClickToFrontUntilItStays(app().frame(), kTickTimeout))
      << "the hung helper's window did not keep the foreground; foreground: "
      << DescribeWindow(::GetForegroundWindow());
  EXPECT_FALSE(app().Answers()) << "the helper woke too early for this test";
  ExpectTicking(marker, "after the menu, the helper still hung");

  ASSERT_TRUE(WaitUntil([&] { return app().Answers(); }, kHang + kTickTimeout))
      << "the helper never woke";
  ExpectMarkerFollows(
      marker, [&] { return CaretBlock(); }, kMagenta);
  EXPECT_TRUE(sevalune().IsRunning());
}

}  // namespace
}  // namespace sevalune::e2e
