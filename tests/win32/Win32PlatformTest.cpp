// What only the Win32 backend does, against the real user32, shell32 and kernel32 (under
// Wine here): its windows' styles, icons and painting, its window procedure's routing to
// the handlers, its message loop, and its own options. The platform rules that both
// backends follow are in the contract suite (tests/contract).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "backend/win32/HandleCast.h"
#include "backend/win32/WideText.h"
#include "backend/win32/Win32Platform.h"
#include "marker/FinderAnimation.h"
#include "tests/IconRecord.h"
#include "tests/RecordingHandler.h"

namespace sevalune::win32 {
namespace {

using testing::RecordingHandler;

LONG_PTR StyleOf(WindowHandle window, int which) {
  return ::GetWindowLongPtrW(ToHwnd(window), which);
}

class Win32PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { platform.SetEventHandler(&handler); }

  HWND Marker() { return ToHwnd(platform.MarkerWindow()); }

  Win32Platform platform;
  RecordingHandler handler;
};

TEST_F(Win32PlatformTest, MarkerIsABorderlessOverlayThatNeverTakesInput) {
  const WindowHandle marker = platform.MarkerWindow();
  const LONG_PTR style = StyleOf(marker, GWL_STYLE);
  EXPECT_NE(style & WS_POPUP, 0);
  EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
  const LONG_PTR extended = StyleOf(marker, GWL_EXSTYLE);
  for (const LONG_PTR bit : std::initializer_list<LONG_PTR>{WS_EX_TRANSPARENT, WS_EX_LAYERED,
                                                            WS_EX_NOACTIVATE, WS_EX_TOOLWINDOW}) {
    EXPECT_NE(extended & bit, 0) << std::hex << bit;
  }
}

TEST_F(Win32PlatformTest, WindowIconsAreTheEnabledAndDisabledPictures) {
  const WindowHandle menuForm = platform.EnsureMenuForm();
  const auto markerIcon = ::GetClassLongPtrW(Marker(), GCLP_HICON);
  const auto menuIcon = ::GetClassLongPtrW(ToHwnd(menuForm), GCLP_HICON);
  EXPECT_NE(markerIcon, 0u);
  EXPECT_NE(menuIcon, 0u);
  EXPECT_NE(markerIcon, menuIcon);
}

TEST_F(Win32PlatformTest, MarkerPaintsItselfInItsColour) {
  EXPECT_EQ(platform.MarkerColor(), 0u);
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 4, 4);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::SetWindowPos(Marker(), nullptr, 0, 0, 4, 4, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  for (const Color color : {Color{0xFF00FF}, Color{0x0000FF}, Color{0x00FFFF}}) {
    platform.SetMarkerColor(color);
    EXPECT_EQ(platform.MarkerColor(), color);
    ::SendMessageW(Marker(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(::GetPixel(memory, 1, 1), color) << std::hex << color;
  }

  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

TEST_F(Win32PlatformTest, TrayCallbacksAndTaskbarCreatedReachTheHandler) {
  // The event is the low word of lParam; wParam (the icon's id) plays no part.
  ::SendMessageW(Marker(), WM_MOUSEMOVE, 1, WM_RBUTTONUP);
  ::SendMessageW(Marker(), WM_MOUSEMOVE, 7, MAKELPARAM(WM_LBUTTONUP, 0x7FFF));
  ::SendMessageW(Marker(), WM_MOUSEMOVE, 1, WM_MOUSEMOVE);
  EXPECT_EQ(handler.trayEvents,
            (std::vector<std::uint32_t>{WM_RBUTTONUP, WM_LBUTTONUP, WM_MOUSEMOVE}));

  ::SendMessageW(Marker(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(handler.taskbarsCreated, 1);
}

TEST_F(Win32PlatformTest, PumpMessagesDispatchesWhatWaitsAndLeavesAQuitRequest) {
  ::PostMessageW(Marker(), WM_MOUSEMOVE, 1, WM_LBUTTONUP);
  ::PostQuitMessage(7);
  platform.PumpMessages();
  EXPECT_EQ(handler.trayEvents, (std::vector<std::uint32_t>{WM_LBUTTONUP}));

  MSG message{};
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

TEST_F(Win32PlatformTest, MessageLoopEndsWithTheQuitCode) {
  ::PostMessageW(Marker(), WM_MOUSEMOVE, 1, WM_RBUTTONUP);
  ::PostQuitMessage(3);
  EXPECT_EQ(platform.RunMessageLoop(), 3);
  EXPECT_EQ(handler.trayEvents, (std::vector<std::uint32_t>{WM_RBUTTONUP}));
}

TEST_F(Win32PlatformTest, AMenuFormClosedBySomeoneElseIsMadeAfresh) {
  const WindowHandle first = platform.EnsureMenuForm();
  ::DestroyWindow(ToHwnd(first));
  EXPECT_EQ(platform.MenuFormWindow(), 0u) << "the stale handle is forgotten, not destroyed";
  EXPECT_TRUE(::IsWindow(ToHwnd(platform.EnsureMenuForm())));
}

// The key that the menu step injects when the foreground is refused reaches the focused
// control as a press and a release, and types nothing there.
TEST_F(Win32PlatformTest, TheInjectedKeyTypesNothingIntoTheFocusedControl) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const ScopedWindow frame(::CreateWindowExW(0, L"Static", L"typing", WS_POPUP | WS_VISIBLE, 40, 40,
                                             300, 60, nullptr, nullptr, instance, nullptr));
  const HWND edit = ::CreateWindowExW(0, L"Edit", L"abc", WS_CHILD | WS_VISIBLE, 0, 0, 300, 60,
                                      frame.get(), nullptr, instance, nullptr);
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(::SetForegroundWindow(frame.get()));
  ::SetFocus(edit);
  ::SendMessageW(edit, EM_SETSEL, 3, 3);

  platform.InjectUnassignedKey();
  std::vector<UINT> keyMessages;
  std::vector<WPARAM> keys;
  const ULONGLONG deadline = ::GetTickCount64() + 2000;
  MSG message{};
  // Until the release has come and the character it might have made has been posted.
  while (::GetTickCount64() < deadline &&
         std::count(keyMessages.begin(), keyMessages.end(), static_cast<UINT>(WM_KEYUP)) == 0) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      if (message.hwnd == edit && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
        keyMessages.push_back(message.message);
        keys.push_back(message.wParam);
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::Sleep(10);
  }
  while (::PeekMessageW(&message, edit, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) != FALSE) {
    keyMessages.push_back(message.message);
    keys.push_back(message.wParam);
    ::DispatchMessageW(&message);
  }

  EXPECT_EQ(keyMessages, (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}));
  EXPECT_EQ(keys, (std::vector<WPARAM>(keyMessages.size(), WPARAM{kVirtualKeyUnassigned})));
  wchar_t text[16]{};
  ::GetWindowTextW(edit, text, 16);
  EXPECT_EQ(std::wstring(text), L"abc");
}

TEST_F(Win32PlatformTest, AfterQuitTheMessageLoopEndsWithItsCodeAndNoHandlerRuns) {
  ::PostMessageW(Marker(), WM_MOUSEMOVE, 1, WM_RBUTTONUP);
  platform.Quit(4);
  EXPECT_EQ(platform.RunMessageLoop(), 4);
  EXPECT_TRUE(handler.trayEvents.empty());
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
  }
}

TEST_F(Win32PlatformTest, GuiThreadInfoIsMissingWhenTheOldMethodIsForced) {
  GuiThreadInfo info;
  Win32Platform old({.forceOldMethod = true});
  EXPECT_EQ(old.GetGUIThreadInfo(::GetCurrentThreadId(), info), std::nullopt);
}

TEST_F(Win32PlatformTest, ThePrimaryDisplayIsTheScreenOfTheSystemMetrics) {
  EXPECT_EQ(platform.MonitorRectOf(0),
            (Rect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}));
}

TEST_F(Win32PlatformTest, ATipLongerThanTheIconRecordHoldsIsCut) {
  // A tip longer than the record's tip holds.
  NotifyIconData icon = testing::ProgramIconRecord(platform.MarkerWindow(), TrayPicture::Enabled,
                                                   std::string(80, 'x'));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Add, icon));
  icon.picture = TrayPicture::Disabled;
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Modify, icon));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Delete, icon));
}

}  // namespace
}  // namespace sevalune::win32

namespace sevalune::win32 {
namespace {

// The finder's bars: the windows of this thread with the finder's class.
std::vector<HWND> FinderBars() {
  std::vector<HWND> bars;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        wchar_t name[32] = {};
        ::GetClassNameW(window, name, 32);
        if (std::wstring_view(name) == L"SevaluneFinder") {
          reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&bars));
  return bars;
}

Rect RectOf(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

TEST_F(Win32PlatformTest, TheFinderFrameIsFourClickThroughBarsThatNeverActivate) {
  EXPECT_TRUE(FinderBars().empty()) << "made when first shown";
  const Rect outer{114, 175, 144, 204};
  platform.ShowFinderFrame(outer, 6, 0x00FF00);
  const std::vector<HWND> bars = FinderBars();
  ASSERT_EQ(bars.size(), 4u);

  std::vector<Rect> places;
  for (HWND bar : bars) {
    EXPECT_TRUE(::IsWindowVisible(bar));
    EXPECT_FALSE(::IsWindowEnabled(bar));
    const LONG_PTR style = ::GetWindowLongPtrW(bar, GWL_STYLE);
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
    const LONG_PTR extended = ::GetWindowLongPtrW(bar, GWL_EXSTYLE);
    for (const LONG_PTR bit : std::initializer_list<LONG_PTR>{
             WS_EX_TRANSPARENT, WS_EX_LAYERED, WS_EX_NOACTIVATE, WS_EX_TOOLWINDOW, WS_EX_TOPMOST}) {
      EXPECT_NE(extended & bit, 0) << std::hex << bit;
    }
    EXPECT_EQ(::SendMessageW(bar, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(bar), 0),
              MA_NOACTIVATE);
    EXPECT_EQ(::SendMessageW(bar, WM_NCHITTEST, 0, MAKELPARAM(120, 180)), HTTRANSPARENT);
    places.push_back(RectOf(bar));
  }
  const FrameSides sides = FinderFrameSides(outer, 6);
  for (const Rect& side : {sides.top, sides.bottom, sides.left, sides.right}) {
    EXPECT_NE(std::find(places.begin(), places.end(), side), places.end())
        << side.left << "," << side.top << "," << side.right << "," << side.bottom;
  }

  // Shown again: the same bars move.
  platform.ShowFinderFrame(Rect{0, 0, 100, 50}, 6, 0x00FF00);
  EXPECT_EQ(FinderBars(), bars);
  platform.HideFinderFrame();
  for (HWND bar : bars) EXPECT_FALSE(::IsWindowVisible(bar));
  EXPECT_FALSE(::IsWindowVisible(Marker())) << "the marker is not the finder's";
}

TEST_F(Win32PlatformTest, TheFinderBarsPaintInTheFramesColour) {
  platform.ShowFinderFrame(Rect{10, 10, 60, 60}, 6, 0x00FF00);
  HWND bar = FinderBars().front();
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 4, 4);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  for (const Color color : {Color{0x00FF00}, Color{0x0000FF}}) {
    platform.ShowFinderFrame(Rect{10, 10, 60, 60}, 6, color);
    ::SendMessageW(bar, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(::GetPixel(memory, 1, 1), color) << std::hex << color;
  }
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  platform.HideFinderFrame();
}

TEST_F(Win32PlatformTest, HotKeysReachTheHandlerWithTheirIds) {
  ::PostMessageW(Marker(), WM_HOTKEY, 1, MAKELPARAM(0x7, 0x7B));
  ::PostMessageW(Marker(), WM_HOTKEY, 5, 0);
  platform.PumpMessages();
  EXPECT_EQ(handler.hotkeys, (std::vector<int>{1, 5}));
}

}  // namespace
}  // namespace sevalune::win32
