#include "TrayFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ResourceIds.h"
#include "harness/Desktop.h"
#include "harness/MarkerExpectations.h"
#include "harness/MarkerWatch.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

// The size of the pictures in the executable's icon resources.
constexpr int kIconResourceSize = 32;
// More than one blink cycle at the default period: long enough for a tick that would show
// the marker to come round.
constexpr Milliseconds kSuspendedWatch = 1200ms;
// The pointer comes to rest on the icon from a few pixels away, so that the icon's window
// sees it move.
constexpr int kPointerApproach = 4;
// Far more than a menu takes to show once its step has started.
constexpr Milliseconds kMenuRetryInterval = 1000ms;

Picture IconResourcePicture(const std::filesystem::path& executable, int resourceId) {
  const IconResource icon(executable, resourceId, kIconResourceSize);
  return DrawnIcon(icon.get(), NotificationIconSize());
}

}  // namespace

std::vector<MenuItemLook> ExpectedMenuLook(bool trackingOn) {
  return {{L"&Help...", false},     {L"&About...", false}, {L"&WindowClass...", false},
          {L"&Settings...", false}, {L"&Quit", false},     {L"&Enabled(toggle)", trackingOn}};
}

void TrayTest::StartBesideNotepad(const std::wstring& arguments, std::wstring_view notepadText) {
  notepad_ = StartNotepad();
  ASSERT_NE(notepad_, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(notepadText));
  iconsBeforeStart_ = NotificationIconWindows();
  marker_ = StartSevalune(settingsFile_, arguments);
  ASSERT_NE(marker_, nullptr);
  // Start-up may activate the marker for a moment and then gives the foreground back;
  // notepad's caret is where the marker belongs once it is back.
  ASSERT_TRUE(WaitUntil([&] { return NotepadIsActive(); }, kTickTimeout))
      << "notepad did not get the foreground back after the start; foreground: "
      << DescribeWindow(::GetForegroundWindow());
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerUnderNotepadCaret());
}

DWORD TrayTest::programThread() const { return ::GetWindowThreadProcessId(marker_, nullptr); }

std::vector<HWND> TrayTest::ProgramIcons() const {
  std::vector<HWND> icons = NotificationIconWindows();
  std::erase_if(icons, [&](HWND icon) {
    return std::find(iconsBeforeStart_.begin(), iconsBeforeStart_.end(), icon) !=
           iconsBeforeStart_.end();
  });
  return icons;
}

std::optional<HWND> TrayTest::WaitForProgramIcon() {
  if (!RunningUnderWine()) return std::nullopt;
  return WaitForNewIconWindow(iconsBeforeStart_, kStartTimeout);
}

IconPictures TrayTest::ExpectedIconPictures() const {
  return IconPictures{IconResourcePicture(sevaluneCopy(), SEVALUNE_ICON_ENABLED),
                      IconResourcePicture(sevaluneCopy(), SEVALUNE_ICON_DISABLED)};
}

std::wstring TrayTest::TipOf(HWND icon) {
  const POINT centre = CentreOf(icon);
  MovePointerTo(POINT{centre.x - kPointerApproach, centre.y - kPointerApproach});
  MovePointerTo(centre);
  const std::optional<std::wstring> tip =
      WaitForValue([&] { return ShownNotificationTip(icon); }, kTickTimeout);
  MovePointerTo(kMenuPoint);
  return tip.value_or(L"(no tip showed)");
}

bool TrayTest::IconShows(HWND icon, const Picture& picture) {
  return WaitUntil([&] { return Contains(ScreenPicture(WindowRectOf(icon)), picture); },
                   kTickTimeout);
}

std::optional<HWND> TrayTest::OpenMenu(UINT event, Delivery how) {
  MovePointerTo(kMenuPoint);
  // The menu step goes on for a moment after its menu or box has closed, and ignores a
  // release that arrives meanwhile, as it would ignore a user's click; so the release is
  // given again until a menu shows.
  const std::optional<HWND> menu = WaitForValue(
      [&]() -> std::optional<HWND> {
        DeliverIconEvent(marker_, kIconCallback, kIconId, event, how);
        return WaitForValue([&] { return ProgramMenu(); }, kMenuRetryInterval);
      },
      kTickTimeout);
  if (menu) menuWindow_ = MenuWindowOf(sevalune().id());
  return menu;
}

std::optional<HWND> TrayTest::ProgramMenu() const {
  const std::vector<HWND> menus = PopupMenusOfThread(programThread());
  if (menus.empty()) return std::nullopt;
  // The menu window shows a moment before its message loop runs; a click or a key that
  // comes earlier is not the menu's.
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(menus.front());
  if (!thread || (thread->flags & GUI_INMENUMODE) == 0) return std::nullopt;
  return menus.front();
}

std::optional<HWND> TrayTest::WaitForMenu() {
  const std::optional<HWND> menu = WaitForValue([&] { return ProgramMenu(); }, kTickTimeout);
  if (menu) menuWindow_ = MenuWindowOf(sevalune().id());
  return menu;
}

bool TrayTest::WaitUntilNoMenu() const {
  return WaitUntil([&] { return PopupMenusOfThread(programThread()).empty(); }, kTickTimeout);
}

void TrayTest::ChooseByPosition(MenuItem item) {
  for (int step = 0; step < static_cast<int>(item); ++step) PressChord({VK_DOWN});
  PressChord({VK_RETURN});
}

void TrayTest::DismissMenu() {
  PressChord({VK_ESCAPE});
  EXPECT_TRUE(WaitUntilNoMenu()) << "Escape left the menu open";
}

std::optional<HWND> TrayTest::ProgramBox() const {
  for (HWND window : TopLevelWindowsOf(ProcessOf(marker_))) {
    if (ClassNameOf(window) == L"#32770" && ::IsWindowVisible(window)) return window;
  }
  return std::nullopt;
}

std::optional<HWND> TrayTest::WaitForBox(std::wstring_view title) {
  return WaitForValue([&] { return FindBox(sevalune().id(), title); }, kTickTimeout);
}

bool TrayTest::NotepadIsActive() const {
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(notepad_);
  return ::GetForegroundWindow() == notepad_ && thread && thread->focus == notepadEdit() &&
         thread->caretWindow == notepadEdit();
}

void TrayTest::WaitUntilMenuStepOver() {
  if (menuWindow_ == nullptr) return;
  ASSERT_TRUE(WaitUntilMenuStepEnded(sevalune().id(), menuWindow_)) << "the menu step did not end";
  menuWindow_ = nullptr;
}

void TrayTest::BringNotepadBack() {
  ASSERT_NO_FATAL_FAILURE(WaitUntilMenuStepOver());
  ASSERT_TRUE(ClickToFrontUntilItStays(notepad_, kTickTimeout))
      << "notepad did not keep the foreground; foreground: "
      << DescribeWindow(::GetForegroundWindow());
  ASSERT_TRUE(WaitUntil([&] { return NotepadIsActive(); }, kTickTimeout))
      << "notepad did not get the foreground back; foreground: "
      << DescribeWindow(::GetForegroundWindow());
}

// Notepad places its caret again when it gets the focus back: the caret is read until the
// marker stands at it, not once at a moment when notepad may still be placing it.
void TrayTest::ExpectMarkerUnderNotepadCaret() {
  ExpectMarkerFollows(
      marker_, [&] { return CaretMarkerRectFor(notepad_); }, kMagenta);
}

void TrayTest::ExpectSuspendedAndFurtherClicksIgnored(std::size_t menusAlreadyOpen) {
  DeliverIconEvent(marker_, kIconCallback, kIconId, WM_RBUTTONUP);
  DeliverIconEvent(marker_, kIconCallback, kIconId, WM_LBUTTONUP, Delivery::Post);
  std::vector<RECT> markerPlaces;
  std::size_t mostMenus = 0;
  SampleFor(kSuspendedWatch, [&] {
    const RECT place = WindowRectOf(marker_);
    if (markerPlaces.empty() || !SameRect(markerPlaces.back(), place))
      markerPlaces.push_back(place);
    mostMenus = std::max(mostMenus, PopupMenusOfThread(programThread()).size());
  });
  ASSERT_EQ(markerPlaces.size(), 1u)
      << "the marker moved; last at " << Describe(markerPlaces.back());
  EXPECT_TRUE(SameRect(markerPlaces.front(), RECT{0, 0, 0, 0}))
      << "the marker is at " << Describe(markerPlaces.front());
  EXPECT_EQ(mostMenus, menusAlreadyOpen) << "a click on the icon opened another menu";
}

}  // namespace sevalune::e2e
