// The pure rules of the accessibility fallback: where it looks, which answer it takes,
// what it believes of a rectangle, what it makes of the target, and its memory.
#include <gtest/gtest.h>

#include "platform/TextRangeCaret.h"
#include "tracking/AccessibleMemory.h"
#include "tracking/AccessibleRules.h"

namespace sevalune {
namespace {

constexpr Rect kDisplay{0, 0, 1920, 1080};
constexpr Rect kWindow{100, 180, 1100, 900};
constexpr WindowHandle kPage = 0x42;

Target CaretTarget(WindowHandle caretWindow, Rect caretRect) {
  Target target;
  target.kind = TargetKind::Caret;
  target.threadGuiInfo.flags = 1;
  target.threadGuiInfo.focus = kPage;
  target.threadGuiInfo.caret = caretWindow;
  target.threadGuiInfo.caretRect = caretRect;
  return target;
}

Target OfKind(TargetKind kind) {
  Target target;
  target.kind = kind;
  target.threadGuiInfo.focus = kPage;
  return target;
}

TEST(AccessibleLookTest, OnlyWhereTheSystemShowsNoCaret) {
  constexpr LocationMethod kNew = LocationMethod::GuiThreadInfo;
  constexpr LocationMethod kOld = LocationMethod::AttachThreadInput;
  EXPECT_TRUE(NeedsAccessibleLook(OfKind(TargetKind::FocusedControl), kNew));
  EXPECT_TRUE(NeedsAccessibleLook(OfKind(TargetKind::FocusedControl), kOld));
  EXPECT_FALSE(NeedsAccessibleLook(OfKind(TargetKind::Menu), kNew));
  EXPECT_FALSE(NeedsAccessibleLook(OfKind(TargetKind::Menu), kOld));
  EXPECT_FALSE(NeedsAccessibleLook(OfKind(TargetKind::None), kNew));
  EXPECT_FALSE(NeedsAccessibleLook(CaretTarget(kPage, {20, 30, 21, 45}), kNew));
  // A caret line without width is a caret.
  EXPECT_FALSE(NeedsAccessibleLook(CaretTarget(kPage, {20, 30, 20, 45}), kNew));
  EXPECT_TRUE(NeedsAccessibleLook(CaretTarget(0, {20, 30, 21, 45}), kNew));
  EXPECT_TRUE(NeedsAccessibleLook(CaretTarget(kPage, {20, 30, 21, 30}), kNew));
  EXPECT_TRUE(NeedsAccessibleLook(CaretTarget(kPage, {}), kNew));
  // The older method knows no caret window: a caret it read is a caret.
  EXPECT_FALSE(NeedsAccessibleLook(CaretTarget(0, {}), kOld));
}

TEST(AccessibleLookTest, OnlyTheAnswerToTheTickJustBeforeForTheSameWindow) {
  AccessibleAnswer answer;
  answer.serial = 41;
  answer.window = kPage;
  EXPECT_TRUE(AnswersPreviousTick(answer, 42, kPage));
  EXPECT_FALSE(AnswersPreviousTick(answer, 43, kPage));
  EXPECT_FALSE(AnswersPreviousTick(answer, 41, kPage));
  EXPECT_FALSE(AnswersPreviousTick(answer, 42, kPage + 1));
  EXPECT_FALSE(AnswersPreviousTick(AccessibleAnswer{}, 0, 0));
}

TEST(AccessibleLookTest, BetweenTicksTheAnswerToTheLastTwoRequestsForTheSameWindows) {
  AccessibleAnswer answer;
  answer.serial = 42;
  answer.window = kPage;
  EXPECT_TRUE(AnswersRecentRequest(answer, 42, 42, kPage));
  EXPECT_TRUE(AnswersRecentRequest(answer, 43, 30, kPage)) << "a round that ended late";
  EXPECT_FALSE(AnswersRecentRequest(answer, 43, 43, kPage)) << "asked about other windows";
  EXPECT_FALSE(AnswersRecentRequest(answer, 44, 30, kPage)) << "two ticks old";
  EXPECT_FALSE(AnswersRecentRequest(answer, 41, 30, kPage)) << "a request not made yet";
  EXPECT_FALSE(AnswersRecentRequest(answer, 42, 42, kPage + 1));
  EXPECT_FALSE(AnswersRecentRequest(AccessibleAnswer{}, 0, 0, 0)) << "nothing asked yet";
}

TEST(AccessibleReachTest, TheListsMatchEitherClassAndNeverAskedWins) {
  const AccessibleClassLists lists{"Chrome_WidgetWin_1,Chrome_RenderWidgetHostHWND",
                                   "Notepad,Chrome_WidgetWin_1"};
  const auto reach = [&](std::string_view foreground, std::string_view asked) {
    return AccessibleReachFor(lists, foreground, asked);
  };
  EXPECT_EQ(reach("MozillaWindowClass", "MozillaWindowClass"), AccessibleReach::Everything);
  EXPECT_EQ(reach("ElectronHost", "Chrome_RenderWidgetHostHWND"), AccessibleReach::CaretOnly);
  EXPECT_EQ(reach("Chrome_RenderWidgetHostHWND", "Edit"), AccessibleReach::CaretOnly);
  EXPECT_EQ(reach("Notepad", "Edit"), std::nullopt);
  EXPECT_EQ(reach("Edit", "Notepad"), std::nullopt);
  EXPECT_EQ(reach("Chrome_WidgetWin_1", "Chrome_RenderWidgetHostHWND"), std::nullopt);
  // Whole items, case and all.
  EXPECT_EQ(reach("chrome_widgetwin_1", "Chrome_WidgetWin"), AccessibleReach::Everything);
}

TEST(AccessibleReachTest, AnEmptyListNamesNoClassNotEvenTheEmptyOne) {
  EXPECT_EQ(AccessibleReachFor(AccessibleClassLists{}, "", ""), AccessibleReach::Everything);
  EXPECT_EQ(AccessibleReachFor(AccessibleClassLists{",", ""}, "", "Edit"),
            AccessibleReach::CaretOnly)
      << "an empty item is written out";
}

struct Judged {
  const char* what;
  Rect rect;
  AccessibleVerdict verdict;
  friend void PrintTo(const Judged& c, std::ostream* out) { *out << c.what; }
};

class CaretVerdictTest : public ::testing::TestWithParam<Judged> {};

TEST_P(CaretVerdictTest, Judged) {
  EXPECT_EQ(JudgeAccessibleCaret(GetParam().rect, kWindow, kDisplay), GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Carets, CaretVerdictTest,
    ::testing::Values(
        Judged{"a caret line", {300, 200, 301, 218}, AccessibleVerdict::Usable},
        Judged{"a line without width", {300, 200, 300, 218}, AccessibleVerdict::Usable},
        Judged{"a block of half the display", {300, 200, 1260, 740}, AccessibleVerdict::Usable},
        Judged{"all zero", {0, 0, 0, 0}, AccessibleVerdict::Empty},
        Judged{"no height", {300, 200, 301, 200}, AccessibleVerdict::Empty},
        Judged{"upside down", {300, 218, 301, 200}, AccessibleVerdict::Empty},
        Judged{"negative width", {301, 200, 300, 218}, AccessibleVerdict::Empty},
        Judged{"taller than half the display", {300, 180, 301, 721}, AccessibleVerdict::Enormous},
        Judged{"wider than half the display", {100, 200, 1061, 218}, AccessibleVerdict::Enormous},
        Judged{"beyond 32 bits when measured",
               {-2000000000, -2000000000, 2000000000, 2000000000},
               AccessibleVerdict::Enormous},
        Judged{"off every screen", {-5000, -5000, -4999, -4982}, AccessibleVerdict::OffDisplay},
        Judged{"on the next display", {2500, 200, 2501, 218}, AccessibleVerdict::OffDisplay},
        Judged{"a line on the display's right edge",
               {1920, 200, 1920, 218},
               AccessibleVerdict::OffDisplay},
        Judged{"a line on the display's last column",
               {1919, 200, 1919, 218},
               AccessibleVerdict::OutsideWindow},
        Judged{"outside its window", {1500, 200, 1501, 218}, AccessibleVerdict::OutsideWindow},
        Judged{"a line on its window's left edge", {100, 200, 100, 218}, AccessibleVerdict::Usable},
        Judged{"just above its window", {300, 160, 301, 180}, AccessibleVerdict::OutsideWindow}));

class ElementVerdictTest : public ::testing::TestWithParam<Judged> {};

TEST_P(ElementVerdictTest, Judged) {
  EXPECT_EQ(JudgeAccessibleElement(GetParam().rect, kWindow, kDisplay), GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Elements, ElementVerdictTest,
    ::testing::Values(
        Judged{"a field", {280, 196, 600, 222}, AccessibleVerdict::Usable},
        Judged{"a tall text area", {100, 300, 600, 800}, AccessibleVerdict::Usable},
        Judged{
            "partly scrolled out of its window", {200, 850, 600, 950}, AccessibleVerdict::Usable},
        Judged{"no width", {400, 300, 400, 324}, AccessibleVerdict::Empty},
        Judged{"no height", {400, 300, 480, 300}, AccessibleVerdict::Empty},
        Judged{"larger than the display",
               {-100000, -100000, 100000, 100000},
               AccessibleVerdict::Enormous},
        Judged{"taller than the display", {200, 0, 300, 1081}, AccessibleVerdict::Enormous},
        Judged{"on the next display", {2500, 200, 2700, 224}, AccessibleVerdict::OffDisplay},
        Judged{"outside its window", {1200, 200, 1400, 224}, AccessibleVerdict::OutsideWindow},
        Judged{"exactly its window", kWindow, AccessibleVerdict::WholeWindow},
        Judged{"around its window", {90, 170, 1110, 910}, AccessibleVerdict::WholeWindow}));

AccessibleAnswer AnswerOf(AccessibleSource source, Rect rect) {
  AccessibleAnswer answer;
  answer.serial = 7;
  answer.window = kPage;
  answer.status = AccessibleStatus::Answered;
  answer.source = source;
  answer.rect = rect;
  answer.windowRect = kWindow;
  answer.displayRect = kDisplay;
  return answer;
}

TEST(AccessibleApplyTest, ACaretBecomesTheCaretTargetAtItsLeftLowerEnd) {
  for (const AccessibleSource source :
       {AccessibleSource::MsaaCaret, AccessibleSource::UiaCaretRange,
        AccessibleSource::UiaSelection}) {
    Target target = OfKind(TargetKind::FocusedControl);
    target.element = FocusedElement{{1, 2, 3, 4}, kDisplay};
    ASSERT_TRUE(ApplyAccessibleAnswer(AnswerOf(source, {300, 200, 301, 218}), target));
    EXPECT_EQ(target.kind, TargetKind::Caret);
    EXPECT_EQ(target.caretPoint, (Point{300, 218}));
    EXPECT_FALSE(target.element.has_value());
    EXPECT_EQ(target.threadGuiInfo.focus, kPage) << "the blink cycle's focus window is kept";
  }
}

TEST(AccessibleApplyTest, AnElementBecomesThePlaceOfTheBar) {
  for (const AccessibleSource source : {AccessibleSource::MsaaFocus, AccessibleSource::UiaFocus}) {
    Target target = CaretTarget(kPage, {});
    ASSERT_TRUE(ApplyAccessibleAnswer(AnswerOf(source, {280, 196, 600, 222}), target));
    EXPECT_EQ(target.kind, TargetKind::FocusedControl);
    EXPECT_EQ(target.element, (FocusedElement{{280, 196, 600, 222}, kDisplay}));
    EXPECT_EQ(target.caretPoint, (Point{280, 196})) << "the debug block at its top-left corner";
  }
}

TEST(AccessibleApplyTest, NothingUsableLeavesTheTargetAsItWas) {
  const AccessibleAnswer usable = AnswerOf(AccessibleSource::MsaaCaret, {300, 200, 301, 218});
  std::vector<AccessibleAnswer> unusable(5, usable);
  unusable[0].status = AccessibleStatus::TimedOut;
  unusable[1].status = AccessibleStatus::Busy;
  unusable[2].status = AccessibleStatus::NotAsked;
  unusable[3].source = AccessibleSource::None;
  unusable[4].rect = Rect{0, 0, 100000, 100000};
  unusable.push_back(AnswerOf(AccessibleSource::UiaFocus, kWindow));
  for (const AccessibleAnswer& answer : unusable) {
    Target target = OfKind(TargetKind::FocusedControl);
    target.caretPoint = Point{5, 6};
    EXPECT_FALSE(ApplyAccessibleAnswer(answer, target));
    EXPECT_EQ(target.kind, TargetKind::FocusedControl);
    EXPECT_EQ(target.caretPoint, (Point{5, 6}));
    EXPECT_FALSE(target.element.has_value());
  }
}

TEST(NothingHereMemoryTest, RemembersAWindowUntilItsTick) {
  NothingHereMemory memory;
  memory.Remember(kPage, 30);
  EXPECT_TRUE(memory.Remembers(kPage, 21));
  EXPECT_TRUE(memory.Remembers(kPage, 29));
  EXPECT_FALSE(memory.Remembers(kPage, 30));
  EXPECT_FALSE(memory.Remembers(kPage + 1, 21));
  memory.Remember(kPage, 40);
  EXPECT_TRUE(memory.Remembers(kPage, 35));
  memory.Forget(kPage);
  EXPECT_FALSE(memory.Remembers(kPage, 35));
  memory.Remember(0, 50);
  EXPECT_FALSE(memory.Remembers(0, 35)) << "no window is no window to leave alone";
}

TEST(NothingHereMemoryTest, TheEntryToExpireFirstGivesWay) {
  NothingHereMemory memory;
  for (WindowHandle window = 1; window <= kNothingHereWindows; ++window) {
    memory.Remember(window, 100 + window);
  }
  memory.Remember(99, 200);
  EXPECT_FALSE(memory.Remembers(1, 50));
  for (WindowHandle window = 2; window <= kNothingHereWindows; ++window) {
    EXPECT_TRUE(memory.Remembers(window, 50)) << window;
  }
  EXPECT_TRUE(memory.Remembers(99, 50));
}

// A reader of one neighbour of a caret range, counting how often it was asked.
struct RangeReader {
  std::optional<Rect> rect;
  int* asked;
  std::optional<Rect> operator()() const {
    ++*asked;
    return rect;
  }
};

TEST(TextRangeCaretTest, TheRangeOrTheCharacterAfterItFirst) {
  int asked = 0;
  const auto none = RangeReader{std::nullopt, &asked};
  EXPECT_EQ(CaretFromTextRange(RangeReader{Rect{50, 60, 50, 78}, &asked}, none, none, none),
            (Rect{50, 60, 50, 78}));
  EXPECT_EQ(asked, 1) << "a range with its own rectangle asks nothing more";
  EXPECT_EQ(CaretFromTextRange(none, RangeReader{Rect{50, 60, 58, 78}, &asked}, none, none),
            (Rect{50, 60, 50, 78}))
      << "the caret stands at the left edge of the character after it";
  EXPECT_EQ(asked, 3);
}

TEST(TextRangeCaretTest, AtTheEndOfTheTextTheCharacterBeforeIt) {
  int asked = 0;
  const auto none = RangeReader{std::nullopt, &asked};
  const auto empty = RangeReader{Rect{0, 0, 0, 0}, &asked};
  EXPECT_EQ(CaretFromTextRange(empty, none, RangeReader{Rect{142, 60, 150, 78}, &asked}, none),
            (Rect{150, 60, 150, 78}))
      << "its right edge";
  EXPECT_EQ(asked, 3) << "the line is not asked once the character before answered";
  // After a line break at the end (which has no rectangle): the start of its line.
  EXPECT_EQ(CaretFromTextRange(none, none, empty, RangeReader{Rect{10, 80, 400, 98}, &asked}),
            (Rect{10, 80, 10, 98}));
}

TEST(TextRangeCaretTest, AnEmptyTextHasOnlyItsLineOrNothing) {
  int asked = 0;
  const auto none = RangeReader{std::nullopt, &asked};
  EXPECT_EQ(CaretFromTextRange(none, none, none, RangeReader{Rect{10, 60, 300, 78}, &asked}),
            (Rect{10, 60, 10, 78}));
  EXPECT_EQ(CaretFromTextRange(none, none, none, RangeReader{Rect{10, 60, 300, 60}, &asked}),
            std::nullopt)
      << "a line without height is no answer";
  EXPECT_EQ(CaretFromTextRange(none, none, none, none), std::nullopt);
}

}  // namespace
}  // namespace sevalune
