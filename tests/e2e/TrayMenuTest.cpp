// The real sevalune.exe's pop-up menu: what it shows and how its items are chosen.
//
// Under Wine the menu's items cannot be read from another process (see
// harness/MenusAndBoxes.h). The captions, their order and the check mark are shown two
// ways instead: the menu's picture on the screen equals that of a menu with the expected
// items shown by the test itself, and each item does its own command when it is chosen by
// its position (TrayCommandTest.cpp) or by its access key (here).
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "TrayFixture.h"
#include "harness/Desktop.h"
#include "harness/MarkerExpectations.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

constexpr Milliseconds kOneCycle = 1200ms;
// Where a click lands inside notepad's text area: near its lower-left corner, away from
// the menu, which opens at TrayTest::kMenuPoint.
constexpr int kClickInset = 40;
constexpr const wchar_t* kAboutTitle = L"バージョン情報";
constexpr const wchar_t* kClassBoxTitle = L"アクティブウィンドウのクラス名情報";

using TrayMenu = TrayTest;

// A picture that stays the same for three reads may still be one that Wine had not finished
// drawing when the machine is busy, on either side; a real difference stays, so the
// comparison is made again before it counts.
constexpr int kPictureTries = 3;

TEST_F(TrayMenu, LooksLikeTheFiveItemsInOrderWithTheCheckMarkOnTheLast) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  std::string difference;
  for (int attempt = 1; attempt <= kPictureTries; ++attempt) {
    const std::optional<HWND> menu = OpenMenu();
    ASSERT_TRUE(menu.has_value()) << "no menu opened";
    const RECT place = WindowRectOf(*menu);
    const std::optional<Picture> shown = SteadyScreenPicture(*menu, kTickTimeout);
    DismissMenu();
    ASSERT_TRUE(shown.has_value()) << "the menu's picture did not settle";
    ASSERT_NO_FATAL_FAILURE(WaitUntilMenuStepOver());

    const POINT corner{place.left, place.top};
    const std::optional<Picture> checked =
        ReferenceMenuPicture(ExpectedMenuLook(true), corner, kTickTimeout);
    const std::optional<Picture> unchecked =
        ReferenceMenuPicture(ExpectedMenuLook(false), corner, kTickTimeout);
    ASSERT_TRUE(checked.has_value() && unchecked.has_value()) << "the reference menu did not show";
    ASSERT_NE(*checked, *unchecked) << "the pictures cannot show the check mark";
    if (*shown == *checked) return;
    difference = DescribeDifference(*shown, *checked);
    std::cout << "[ tray     ] try " << attempt << ": the pictures differ: " << difference << "\n";
  }
  ADD_FAILURE() << "in all " << kPictureTries << " tries; the last: " << difference;
}

// The program makes the menu's owner the foreground window while the menu shows, so a
// click anywhere else closes it, and nothing is chosen.
TEST_F(TrayMenu, AClickElsewhereClosesItWithoutChoosingAnything) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  const std::optional<HWND> icon = WaitForProgramIcon();
  ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";

  const RECT text = WindowRectOf(notepadEdit());
  { const HeldLeftButton click(POINT{text.left + kClickInset, text.bottom - kClickInset}); }
  EXPECT_TRUE(WaitUntilNoMenu()) << "the menu stayed open";
  const std::optional<HWND> box = ProgramBox();
  EXPECT_FALSE(box.has_value()) << "a command ran: " << DescribeWindow(box.value_or(nullptr));
  // Tracking is still on: Enabled(toggle) was not chosen either.
  if (icon) {
    EXPECT_TRUE(IconShows(*icon, ExpectedIconPictures().enabled));
  }
  ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
  ExpectMarkerUnderNotepadCaret();
  EXPECT_TRUE(sevalune().IsRunning());
}

// --- access keys -----------------------------------------------------------------------

class TrayMenuKeys : public TrayTest {
 public:
  void ExpectTrackingOff() {
    ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
    ExpectMarkerHiddenFor(marker(), kOneCycle);
  }
  void ExpectTrackingOn() {
    ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
    ExpectMarkerUnderNotepadCaret();
  }
  void ExpectAboutBoxClosedByEnter() { ExpectBoxClosedBy(kAboutTitle, VK_RETURN); }
  void ExpectClassBoxClosedByEscape() { ExpectBoxClosedBy(kClassBoxTitle, VK_ESCAPE); }
  void ExpectStillRunningAndTracking() {
    EXPECT_TRUE(sevalune().IsRunning());
    ExpectTrackingOn();
  }
  void ExpectExit() {
    const std::optional<DWORD> exitCode = sevalune().WaitForExit(kStartTimeout);
    ASSERT_TRUE(exitCode.has_value()) << "the program still runs";
    EXPECT_EQ(*exitCode, 0u);
  }

 private:
  void ExpectBoxClosedBy(const wchar_t* title, WORD key) {
    const std::optional<HWND> box = WaitForBox(title);
    ASSERT_TRUE(box.has_value()) << "no box showed";
    PressChord({key});
    EXPECT_TRUE(WaitUntil([&] { return !FindBox(sevalune().id(), title); }, kTickTimeout));
  }
};

// One letter pressed in the open menu, and what must follow.
struct AccessKeyStep {
  const char* name;
  WORD key;
  void (TrayMenuKeys::*check)();
};

// In this order: the program is still running for every step but the last.
const std::vector<AccessKeyStep> kAccessKeySteps = {
    {"EnabledOff", 'E', &TrayMenuKeys::ExpectTrackingOff},
    {"EnabledOn", 'E', &TrayMenuKeys::ExpectTrackingOn},
    {"About", 'A', &TrayMenuKeys::ExpectAboutBoxClosedByEnter},
    {"WindowClass", 'W', &TrayMenuKeys::ExpectClassBoxClosedByEscape},
    // No help page lies beside this copy of the program: nothing shows.
    {"Help", 'H', &TrayMenuKeys::ExpectStillRunningAndTracking},
    {"Quit", 'Q', &TrayMenuKeys::ExpectExit},
};

TEST_F(TrayMenuKeys, EachAccessKeyChoosesItsItem) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  for (const AccessKeyStep& step : kAccessKeySteps) {
    SCOPED_TRACE(step.name);
    ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";
    PressChord({step.key});
    // Until the menu has taken the key, giving the foreground away would lose it.
    ASSERT_TRUE(WaitUntilNoMenu()) << "the key left the menu open";
    ASSERT_NO_FATAL_FAILURE((this->*step.check)());
  }
}

}  // namespace
}  // namespace sevalune::e2e
