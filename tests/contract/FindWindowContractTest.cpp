// FindWindow, GetClassName and GetWindowText: how the program finds the task bar, the
// desktop and windows by title, and reads class names and titles into fixed buffers.
#include <ostream>
#include <string>

#include "tests/CaseName.h"
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

using testing::CaseName;

class FindWindowContract : public ContractTest {
 protected:
  WindowHandle Titled(const std::string& className, const std::string& title, bool visible = true) {
    WindowRequest wanted;
    wanted.className = className;
    wanted.title = title;
    wanted.rect = Rect{60, 60, 160, 120};
    wanted.visible = visible;
    return Driver().AddWindow(wanted);
  }
};

TEST_F(FindWindowContract, ClassMatchesWithoutRegardToCase) {
  const WindowHandle window = Titled("ContractFindClass", "find me");
  EXPECT_EQ(platform.FindWindow("contractfindclass", std::nullopt), window);
  EXPECT_EQ(platform.FindWindow("CONTRACTFINDCLASS", "find me"), window);
  EXPECT_EQ(platform.FindWindow("ContractFindClas", std::nullopt), 0u);
  EXPECT_EQ(platform.FindWindow("NoSuchContractClass", std::nullopt), 0u);
}

struct TitleCase {
  const char* what;
  const char* title;
  const char* query;
};

class FindWindowTitles : public FindWindowContract,
                         public ::testing::WithParamInterface<TitleCase> {};

TEST_P(FindWindowTitles, TitleMatchesWholeAndWithoutRegardToCase) {
  const TitleCase& c = GetParam();
  const WindowHandle window = Titled("ContractTitled", c.title);
  EXPECT_EQ(platform.FindWindow(std::nullopt, c.query), window) << c.query;
  EXPECT_EQ(platform.FindWindow("ContractTitled", c.query), window) << c.query;
}

INSTANTIATE_TEST_SUITE_P(
    Titles, FindWindowTitles,
    ::testing::Values(TitleCase{"ASCII", "Korvanel", "korvanel"},
                      TitleCase{"ASCII with blanks", "Program Manager X", "PROGRAM manager x"},
                      // Äö / äÖ
                      TitleCase{"Latin 1", "Latin-1 \xC3\x84\xC3\xB6", "latin-1 \xC3\xA4\xC3\x96"},
                      // Жив / жИВ
                      TitleCase{"Cyrillic", "\xD0\x96\xD0\xB8\xD0\xB2", "\xD0\xB6\xD0\x98\xD0\x92"},
                      // ΑΒΓ / αβγ
                      TitleCase{"Greek", "\xCE\x91\xCE\x92\xCE\x93", "\xCE\xB1\xCE\xB2\xCE\xB3"},
                      // Ｆｕｌ / ｆＵＬ
                      TitleCase{"full width", "\xEF\xBC\xA6\xEF\xBD\x95\xEF\xBD\x8C",
                                "\xEF\xBD\x86\xEF\xBC\xB5\xEF\xBC\xAC"},
                      // び
                      TitleCase{"hiragana", "\xE3\x81\xB3", "\xE3\x81\xB3"},
                      // _うおう_x / _うおう_X
                      TitleCase{"hidden form prefix", "_\xE3\x81\x86\xE3\x81\x8A\xE3\x81\x86_x",
                                "_\xE3\x81\x86\xE3\x81\x8A\xE3\x81\x86_X"}),
    CaseName<&TitleCase::what>{});

TEST_F(FindWindowContract, ATitleMustMatchWhole) {
  Titled("ContractTitled", "_\xE3\x81\x86\xE3\x81\x8A\xE3\x81\x86_x");  // _うおう_x
  EXPECT_EQ(platform.FindWindow(std::nullopt, "_\xE3\x81\x86\xE3\x81\x8A\xE3\x81\x86_"), 0u);
  EXPECT_EQ(platform.FindWindow("ContractTitled", "_\xE3\x81\x86\xE3\x81\x8A\xE3\x81\x86_x "), 0u);
}

TEST_F(FindWindowContract, HiddenWindowsAreFound) {
  const WindowHandle hidden = Titled("ContractHidden", "contract hidden window", false);
  EXPECT_EQ(platform.FindWindow(std::nullopt, "contract hidden window"), hidden);
  EXPECT_EQ(platform.FindWindow("ContractHidden", std::nullopt), hidden);
}

TEST_F(FindWindowContract, TheHigherOfTwoMatchingWindowsIsFound) {
  const WindowHandle lower = Titled("ContractTwice", "twice");
  const WindowHandle higher = Titled("ContractTwice", "twice");
  EXPECT_EQ(platform.FindWindow("ContractTwice", std::nullopt), higher);
  EXPECT_EQ(platform.FindWindow(std::nullopt, "twice"), higher);
  Driver().RemoveWindow(higher);
  EXPECT_EQ(platform.FindWindow("ContractTwice", "twice"), lower);
}

TEST_F(FindWindowContract, ChildWindowsAreNotFound) {
  const WindowHandle parent = Titled("ContractParent", "contract parent");
  ChildRequest wanted;
  wanted.parent = parent;
  wanted.className = "ContractOnlyChild";
  wanted.title = "contract child title";
  wanted.rect = Rect{0, 0, 10, 10};
  ASSERT_NE(Driver().AddChild(wanted), 0u);
  EXPECT_EQ(platform.FindWindow(std::nullopt, "contract child title"), 0u);
  EXPECT_EQ(platform.FindWindow("ContractOnlyChild", std::nullopt), 0u);
}

TEST_F(FindWindowContract, NoCriteriaFindsTheTopOfTheZOrder) {
  Titled("ContractAny", "any");
  EXPECT_EQ(platform.FindWindow(std::nullopt, std::nullopt),
            platform.GetWindow(platform.GetDesktopWindow(), WindowRelation::FirstChild));
}

TEST_F(FindWindowContract, TheEmptyTitleFindsAWindowWithoutTitle) {
  const WindowHandle untitled = Titled("ContractUntitled", "");
  EXPECT_EQ(platform.FindWindow("ContractUntitled", ""), untitled);
  EXPECT_EQ(platform.FindWindow("ContractUntitled", "x"), 0u);
}

TEST_F(FindWindowContract, TheEmptyTitleDoesNotMatchATitledWindow) {
  Titled("ContractTitledOnly", "a title");
  EXPECT_EQ(platform.FindWindow("ContractTitledOnly", ""), 0u);
}

TEST_F(FindWindowContract, JapaneseClassNamesRoundTrip) {
  const std::string className = "\xE3\x82\xAF\xE3\x83\xA9\xE3\x82\xB9\xE7\xAA\x93";  // クラス窓
  const WindowHandle window = Titled(className, "japanese class");
  EXPECT_EQ(platform.GetClassName(window, 100), className);
  EXPECT_EQ(platform.FindWindow(className, std::nullopt), window);
}

struct CutCase {
  int maxCount;
  const char* expected;
};

std::string BufferName(const ::testing::TestParamInfo<CutCase>& instance) {
  const int count = instance.param.maxCount;
  return "MaxCount" + (count < 0 ? "Minus" + std::to_string(-count) : std::to_string(count));
}

class TitleCut : public FindWindowContract, public ::testing::WithParamInterface<CutCase> {};

// "ab", an emoji outside the basic plane (a surrogate pair: units 3 and 4), "cd".
constexpr const char* kSurrogateTitle =
    "ab\xF0\x9F\x98\x80"
    "cd";

TEST_P(TitleCut, HoldsAtMostMaxCountMinusOneUnits) {
  const CutCase& c = GetParam();
  const WindowHandle window = Titled("ContractCut", kSurrogateTitle);
  EXPECT_EQ(platform.GetWindowText(window, c.maxCount), c.expected) << c.maxCount;
}

// A pair cut in half loses its first half: the text never ends in half a character.
INSTANTIATE_TEST_SUITE_P(Buffers, TitleCut,
                         ::testing::Values(CutCase{100,
                                                   "ab\xF0\x9F\x98\x80"
                                                   "cd"},
                                           CutCase{7,
                                                   "ab\xF0\x9F\x98\x80"
                                                   "cd"},
                                           CutCase{6,
                                                   "ab\xF0\x9F\x98\x80"
                                                   "c"},
                                           CutCase{5, "ab\xF0\x9F\x98\x80"}, CutCase{4, "ab"},
                                           CutCase{3, "ab"}, CutCase{2, "a"}, CutCase{1, ""},
                                           CutCase{0, ""}, CutCase{-1, ""}),
                         BufferName);

TEST_F(FindWindowContract, ClassNamesAreCutTheSameWay) {
  const WindowHandle window = Titled("ContractClassName", "x");
  EXPECT_EQ(platform.GetClassName(window, 100), "ContractClassName");
  EXPECT_EQ(platform.GetClassName(window, 18), "ContractClassName");
  EXPECT_EQ(platform.GetClassName(window, 9), "Contract");
  EXPECT_EQ(platform.GetClassName(window, 1), "");
  EXPECT_EQ(platform.GetClassName(window, 0), "");
}

TEST_F(FindWindowContract, JapaneseTitlesAreCutInUnits) {
  // 日本語のタイトル: eight units.
  const WindowHandle window =
      Titled("ContractCut",
             "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x82\xBF\xE3\x82"
             "\xA4\xE3\x83\x88\xE3\x83\xAB");
  EXPECT_EQ(platform.GetWindowText(window, 4), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
  EXPECT_EQ(platform.GetWindowText(window, 200),
            "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\x88"
            "\xE3\x83\xAB");
}

TEST_F(FindWindowContract, TextOfAnotherThreadsWindowAndOfAChild) {
  WindowRequest wanted;
  wanted.title = "second thread's window";
  wanted.thread = GuiThread::Second;
  wanted.rect = Rect{0, 0, 50, 50};
  const WindowHandle window = Driver().AddWindow(wanted);
  ChildRequest child;
  child.parent = window;
  child.title = "child's text";
  child.rect = Rect{0, 0, 10, 10};
  const WindowHandle control = Driver().AddChild(child);
  EXPECT_EQ(platform.GetWindowText(window, 100), "second thread's window");
  EXPECT_EQ(platform.GetWindowText(control, 100), "child's text");
  EXPECT_EQ(platform.GetClassName(control, 100), "ContractChild");
}

}  // namespace
}  // namespace sevalune::contract
