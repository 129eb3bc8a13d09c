// The real sevalune.exe's icon in the notification area: its pictures and tip, a real click
// on it, the mouse events the shell reports, and a task bar that is created again.
//
// Under Wine the icon shows as a small window inside Wine's "Wine System Tray" window, so
// its picture can be read from the screen and a click on it is a real click; another
// process may change or delete it with Shell_NotifyIcon. Where no such window exists the
// tests that look at the icon itself are skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <ostream>
#include <vector>

#include "TrayFixture.h"
#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

// Long enough for a delivered message to have shown its effect: a menu, an icon.
constexpr Milliseconds kQuietWatch = 1000ms;
constexpr UINT kSendTimeoutMs = 5000;
const char* const kNoNotificationArea =
    "no notification area to look into (Wine's \"Wine System Tray\" window is not there)";

std::string DescribeIcons(const std::vector<HWND>& icons) {
  std::string text = std::to_string(icons.size()) + " icon(s):";
  for (HWND icon : icons) text.append(" ").append(Describe(WindowRectOf(icon)));
  return text;
}

// Every event delivered so far has been handled once this returns: the program takes
// sent messages in order, and the events were sent too.
void WaitUntilHandled(HWND window) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &ignored);
}

void ClickWith(UINT button, POINT point) {
  MovePointerTo(point);
  INPUT press[2]{};
  press[0].type = press[1].type = INPUT_MOUSE;
  const bool right = button == WM_RBUTTONUP;
  press[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  ::SendInput(2, press, sizeof(INPUT));
}

// --- the icon after start ------------------------------------------------------------------

using TrayIcon = TrayTest;

TEST_F(TrayIcon, ShowsTheEnabledPictureAndTheTipAfterStart) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  const std::optional<HWND> icon = WaitForProgramIcon();
  if (!icon) GTEST_SKIP() << kNoNotificationArea;
  std::cout << "[ tray     ] the program's icon: " << DescribeWindow(*icon) << " at "
            << Describe(WindowRectOf(*icon)) << " in "
            << DescribeWindow(::GetAncestor(*icon, GA_ROOT)) << "\n";
  EXPECT_EQ(ProgramIcons().size(), 1u) << DescribeIcons(ProgramIcons());

  const IconPictures pictures = ExpectedIconPictures();
  ASSERT_FALSE(pictures.enabled.pixels.empty()) << "sevalune.exe has no enabled icon resource";
  ASSERT_NE(pictures.enabled, pictures.disabled) << "the two pictures are the same";
  EXPECT_TRUE(IconShows(*icon, pictures.enabled))
      << DescribeDifference(ScreenPicture(WindowRectOf(*icon)), pictures.enabled);

  EXPECT_EQ(TipOf(*icon), L"sevalune");
}

// --- a real click on the icon ----------------------------------------------------------------

struct ClickCase {
  const char* name;
  UINT button;  // the release the notification area reports
  friend void PrintTo(const ClickCase& c, std::ostream* out) { *out << c.name; }
};

class TrayIconClick : public TrayTest, public ::testing::WithParamInterface<ClickCase> {};

// Another process changes the icon's picture first (Wine lets it); the menu step gives the
// icon its own picture back when the menu has closed.
TEST_P(TrayIconClick, OpensTheMenuAtThePointerAndRefreshesTheIconAfterwards) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  const std::optional<HWND> icon = WaitForProgramIcon();
  if (!icon) GTEST_SKIP() << kNoNotificationArea;
  const IconPictures pictures = ExpectedIconPictures();
  ASSERT_TRUE(IconShows(*icon, pictures.enabled));
  EXPECT_TRUE(ChangeNotificationIconPicture(marker(), kIconId, ::LoadIconW(nullptr, IDI_ERROR)));
  ASSERT_TRUE(
      WaitUntil([&] { return !Contains(ScreenPicture(WindowRectOf(*icon)), pictures.enabled); },
                kTickTimeout))
      << "the picture did not change from outside";

  const POINT pointer = CentreOf(*icon);
  ClickWith(GetParam().button, pointer);
  const std::optional<HWND> menu = WaitForMenu();
  ASSERT_TRUE(menu.has_value()) << "the click opened no menu";
  const RECT place = WindowRectOf(*menu);
  EXPECT_EQ(place.left, pointer.x) << Describe(place);
  EXPECT_EQ(place.top, pointer.y) << Describe(place);
  EXPECT_EQ(ProcessOf(::GetForegroundWindow()), sevalune().id())
      << "foreground during the menu: " << DescribeWindow(::GetForegroundWindow());
  ASSERT_NO_FATAL_FAILURE(ExpectSuspendedAndFurtherClicksIgnored(1));

  MovePointerTo(kMenuPoint);
  DismissMenu();
  EXPECT_TRUE(IconShows(*icon, pictures.enabled))
      << DescribeDifference(ScreenPicture(WindowRectOf(*icon)), pictures.enabled);
  ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
  ExpectMarkerUnderNotepadCaret();
}

INSTANTIATE_TEST_SUITE_P(E2e, TrayIconClick,
                         ::testing::Values(ClickCase{"RightButton", WM_RBUTTONUP},
                                           ClickCase{"LeftButton", WM_LBUTTONUP}),
                         CaseName{});

// --- the events the shell reports --------------------------------------------------------------

struct EventCase {
  const char* name;
  std::vector<UINT> events;  // delivered in a row
  Delivery how;
  bool opensMenu;
};

// Only a released left or right button opens the menu; a double click opens it once,
// because what follows the first release arrives while the menu step runs.
const std::vector<EventCase> kEventCases = {
    {"AnythingButARelease",
     {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK,
      WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_CONTEXTMENU},
     Delivery::Notify,
     false},
    {"RightReleaseSent", {WM_RBUTTONUP}, Delivery::Notify, true},
    {"LeftReleaseSent", {WM_LBUTTONUP}, Delivery::Notify, true},
    {"RightReleasePosted", {WM_RBUTTONUP}, Delivery::Post, true},
    {"LeftReleasePosted", {WM_LBUTTONUP}, Delivery::Post, true},
    {"DoubleClick",
     {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
     Delivery::Notify,
     true},
};

using TrayCallback = TrayTest;

TEST_F(TrayCallback, OnlyAReleasedButtonOpensTheMenuAndOnlyOnce) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  for (const EventCase& c : kEventCases) {
    SCOPED_TRACE(c.name);
    MovePointerTo(kMenuPoint);
    for (const UINT event : c.events)
      DeliverIconEvent(marker(), kIconCallback, kIconId, event, c.how);
    if (c.opensMenu) {
      ASSERT_TRUE(WaitForMenu().has_value()) << "no menu opened";
      EXPECT_EQ(PopupMenusOfThread(programThread()).size(), 1u);
      DismissMenu();
      // The next case's release must not reach the program while this step still runs.
      ASSERT_NO_FATAL_FAILURE(WaitUntilMenuStepOver());
    } else {
      WaitUntilHandled(marker());
    }
    std::size_t mostMenus = 0;
    SampleFor(kQuietWatch,
              [&] { mostMenus = std::max(mostMenus, PopupMenusOfThread(programThread()).size()); });
    EXPECT_EQ(mostMenus, 0u) << "a menu opened " << (c.opensMenu ? "again" : "");
  }
  EXPECT_TRUE(sevalune().IsRunning());
}

// --- a task bar created again -------------------------------------------------------------

struct AnnouncementCase {
  const char* name;
  bool broadcast;  // else sent to the main window alone
};

const std::vector<AnnouncementCase> kAnnouncements = {{"Broadcast", true},
                                                      {"SentToTheMainWindow", false}};

using TaskbarCreated = TrayTest;

// Wine's explorer never announces a new task bar itself; the test plays the shell: it
// deletes the program's icon (Wine lets another process do that) and announces the task
// bar, and the program must add the icon again with the picture of the moment.
TEST_F(TaskbarCreated, MakesTheProgramAddItsIconAgainWithItsCurrentPicture) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  const std::optional<HWND> firstIcon = WaitForProgramIcon();
  if (!firstIcon) GTEST_SKIP() << kNoNotificationArea;
  const IconPictures pictures = ExpectedIconPictures();
  const auto announce = [&](const AnnouncementCase& c) {
    if (c.broadcast) {
      BroadcastTaskbarCreated();
    } else {
      EXPECT_TRUE(SendTaskbarCreated(marker()));
    }
  };
  const auto deleteAndAnnounce = [&](const AnnouncementCase& c, const Picture& picture) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(DeleteNotificationIcon(marker(), kIconId)) << "Shell_NotifyIcon(NIM_DELETE) failed";
    ASSERT_TRUE(WaitUntil([&] { return ProgramIcons().empty(); }, kTickTimeout))
        << "the icon is still there: " << DescribeIcons(ProgramIcons());
    announce(c);
    const std::optional<HWND> icon = WaitForProgramIcon();
    ASSERT_TRUE(icon.has_value()) << "the icon was not added again";
    EXPECT_TRUE(IconShows(*icon, picture))
        << DescribeDifference(ScreenPicture(WindowRectOf(*icon)), picture);
  };

  for (const AnnouncementCase& c : kAnnouncements) {
    ASSERT_NO_FATAL_FAILURE(deleteAndAnnounce(c, pictures.enabled));
  }

  // While the icon is there, an announcement adds no second one.
  BroadcastTaskbarCreated();
  std::size_t mostIcons = 0;
  SampleFor(kQuietWatch, [&] { mostIcons = std::max(mostIcons, ProgramIcons().size()); });
  EXPECT_EQ(mostIcons, 1u) << DescribeIcons(ProgramIcons());

  ASSERT_TRUE(OpenMenu().has_value());
  ChooseByPosition(MenuItem::Enabled);
  ASSERT_TRUE(WaitUntilNoMenu());
  for (const AnnouncementCase& c : kAnnouncements) {
    ASSERT_NO_FATAL_FAILURE(deleteAndAnnounce(c, pictures.disabled));
  }
  EXPECT_TRUE(sevalune().IsRunning());
}

}  // namespace
}  // namespace sevalune::e2e
