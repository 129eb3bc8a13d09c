// The real sevalune.exe's pop-up menu beside a program the user is typing into: the menu
// comes to the front and closes again without a single character reaching that program.
//
// Under Wine SetForegroundWindow is never refused, so the menu step injects no key there
// at all; the key it injects where the foreground is refused is checked by the Win32
// backend's own tests (it types nothing into the focused control).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "TrayFixture.h"
#include "harness/Desktop.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

constexpr std::wstring_view kTyped = L"abc";
constexpr int kRounds = 3;
// Far longer than a key injected by the menu step takes to reach notepad.
constexpr Milliseconds kKeyArrival = 1000ms;
// Where the click elsewhere lands inside notepad's text area: near its lower-left corner,
// away from the menu.
constexpr int kClickInset = 40;

enum class Closing { Escape, ClickElsewhere };

const char* NameOf(Closing how) { return how == Closing::Escape ? "Escape" : "a click elsewhere"; }

class TrayMenuTyping : public TrayTest {
 protected:
  // A real left click on the icon: the way a user opens the menu, and the notification
  // area's own window takes part as it does for a user.
  std::optional<HWND> OpenByClickOn(HWND icon) {
    { const HeldLeftButton click(CentreOf(icon)); }
    return WaitForMenu();
  }

  // The program holds the foreground (so that a click elsewhere can close the menu) and
  // nothing covers the menu at its centre.
  void ExpectInFront(HWND menu) {
    const HWND foreground = ::GetForegroundWindow();
    EXPECT_EQ(ProcessOf(foreground), sevalune().id())
        << "foreground during the menu: " << DescribeWindow(foreground);
    const HWND seen = ::WindowFromPoint(CentreOf(menu));
    EXPECT_EQ(seen, menu) << "at the menu's centre: " << DescribeWindow(seen);
  }

  void Close(Closing how) {
    if (how == Closing::Escape) {
      PressChord({VK_ESCAPE});
    } else {
      const RECT text = WindowRectOf(notepadEdit());
      const HeldLeftButton click(POINT{text.left + kClickInset, text.bottom - kClickInset});
    }
    EXPECT_TRUE(WaitUntilNoMenu()) << NameOf(how) << " left the menu open";
  }

  void ExpectNotepadTextUnchanged() {
    const bool changed = WaitUntil([&] { return TextOf(notepadEdit()) != kTyped; }, kKeyArrival);
    EXPECT_FALSE(changed) << "notepad now holds "
                          << ::testing::PrintToString(TextOf(notepadEdit()));
  }
};

TEST_F(TrayMenuTyping, OpensInFrontClosesAndTypesNothingIntoTheFocusedProgram) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad(L"", kTyped));
  ASSERT_EQ(TextOf(notepadEdit()), kTyped);
  const std::optional<HWND> icon = WaitForProgramIcon();

  for (int round = 0; round < kRounds; ++round) {
    for (const Closing how : {Closing::Escape, Closing::ClickElsewhere}) {
      SCOPED_TRACE("round " + std::to_string(round + 1) + ", closed by " + NameOf(how));
      // The first menu by a real click (no menu step is still finishing that could ignore
      // it); the others as the shell reports a click, given again until a menu shows.
      const bool first = round == 0 && how == Closing::Escape;
      const std::optional<HWND> menu = first && icon ? OpenByClickOn(*icon) : OpenMenu();
      ASSERT_TRUE(menu.has_value()) << "no menu opened";
      ExpectInFront(*menu);
      ASSERT_NO_FATAL_FAILURE(Close(how));
      ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
      ExpectNotepadTextUnchanged();
    }
  }
  EXPECT_EQ(TextOf(notepadEdit()), kTyped);
  ExpectMarkerUnderNotepadCaret();
  EXPECT_TRUE(sevalune().IsRunning());
}

}  // namespace
}  // namespace sevalune::e2e
