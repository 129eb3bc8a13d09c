// The Win32 backend against the real user32, shell32 and kernel32 (under Wine here):
// the windows it creates, the message routing to the handlers, and the calls whose
// conversions or buffers are the backend's own.
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

namespace sevalune::win32 {
namespace {

class RecordingHandler final : public PlatformEvents {
 public:
  void OnTimer() override { ++timers; }
  void OnTrayCallback(std::uint32_t eventCode) override { trayEvents.push_back(eventCode); }
  void OnTaskbarCreated() override { ++taskbarCreated; }
  void OnHotkey(int id) override { hotkeys.push_back(id); }
  void OnFinderFrame() override {}
  void OnSettingsFileChanged() override {}

  int timers = 0;
  std::vector<std::uint32_t> trayEvents;
  int taskbarCreated = 0;
  std::vector<int> hotkeys;
};

LONG_PTR StyleOf(WindowHandle window, int which) {
  return ::GetWindowLongPtrW(ToHwnd(window), which);
}

// A plain top-level window of this test with the given title; destroyed with the object.
class TestWindow {
 public:
  explicit TestWindow(const wchar_t* title)
      : window_(::CreateWindowExW(0, L"Static", title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr)) {}
  WindowHandle handle() const { return ToHandle(window_.get()); }
  void Destroy() { window_.reset(); }

 private:
  ScopedWindow window_;
};

class Win32PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { platform.SetEventHandler(&handler); }

  HWND Marker() { return ToHwnd(platform.MarkerWindow()); }
  HWND TextBox() { return ::FindWindowExW(Marker(), nullptr, L"Edit", nullptr); }

  Win32Platform platform;
  RecordingHandler handler;
};

TEST_F(Win32PlatformTest, AppWindowIsHiddenAndFoundByTheApplicationTitle) {
  const WindowHandle app = platform.FindWindow(std::nullopt, "Sevalune Version 1.01");
  ASSERT_NE(app, 0u);
  EXPECT_EQ(platform.GetClassName(app, 100), "SevaluneApp");
  EXPECT_FALSE(platform.IsWindowVisible(app));
}

TEST_F(Win32PlatformTest, MarkerIsAHiddenBorderlessOverlayThatNeverTakesInput) {
  const WindowHandle marker = platform.MarkerWindow();
  EXPECT_EQ(platform.GetClassName(marker, 100), "SevaluneMarker");
  EXPECT_EQ(platform.GetWindowText(marker, 100), "Sevalune");
  EXPECT_FALSE(platform.IsWindowVisible(marker));
  EXPECT_EQ(platform.GetWindow(marker, WindowRelation::FirstChild), ToHandle(TextBox()));

  const LONG_PTR style = StyleOf(marker, GWL_STYLE);
  EXPECT_NE(style & WS_POPUP, 0);
  EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
  const LONG_PTR extended = StyleOf(marker, GWL_EXSTYLE);
  for (const LONG_PTR bit : std::initializer_list<LONG_PTR>{WS_EX_TRANSPARENT, WS_EX_LAYERED,
                                                            WS_EX_NOACTIVATE, WS_EX_TOOLWINDOW}) {
    EXPECT_NE(extended & bit, 0) << std::hex << bit;
  }
}

TEST_F(Win32PlatformTest, TextBoxIsAnEmptyEditFarRightOfTheMarkersCorner) {
  HWND textBox = TextBox();
  ASSERT_NE(textBox, nullptr);
  RECT place{};
  ::GetWindowRect(textBox, &place);
  POINT origin{0, 0};
  ::ClientToScreen(Marker(), &origin);
  EXPECT_GE(place.left - origin.x, 1000);
  EXPECT_EQ(platform.TextBoxText(), "");
}

TEST_F(Win32PlatformTest, TextBoxTextIsWhatAnotherProgramPutThere) {
  for (const std::wstring& text : {std::wstring(L"1"), std::wstring(L"抑止 1"), std::wstring()}) {
    ::SendMessageW(TextBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    EXPECT_EQ(platform.TextBoxText(), Narrow(text));
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

TEST_F(Win32PlatformTest, TimerTicksReachTheHandlerOnlyWhileEnabled) {
  platform.SetTimerPeriod(10);
  platform.EnableTimer(true);
  // Generous: the count matters, not how fast it grows.
  for (int i = 0; i < 500 && handler.timers < 3; ++i) {
    ::Sleep(10);
    platform.PumpMessages();
  }
  EXPECT_GE(handler.timers, 3);

  platform.EnableTimer(false);
  platform.PumpMessages();
  const int seen = handler.timers;
  ::Sleep(50);
  platform.PumpMessages();
  EXPECT_EQ(handler.timers, seen);
}

TEST_F(Win32PlatformTest, TrayCallbacksAndTaskbarCreatedReachTheHandler) {
  // The event is the low word of lParam; wParam (the icon's id) plays no part.
  ::SendMessageW(Marker(), WM_MOUSEMOVE, 1, 0x0205);
  ::SendMessageW(Marker(), WM_MOUSEMOVE, 7, 0x7FFF0202);
  ::SendMessageW(Marker(), WM_MOUSEMOVE, 1, 0x0200);
  EXPECT_EQ(handler.trayEvents, (std::vector<std::uint32_t>{0x205, 0x202, 0x200}));

  ::SendMessageW(Marker(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(handler.taskbarCreated, 1);
}

TEST_F(Win32PlatformTest, PumpMessagesDispatchesWhatWaitsAndLeavesAQuitRequest) {
  ::PostMessageW(Marker(), WM_MOUSEMOVE, 1, 0x0202);
  ::PostQuitMessage(7);
  platform.PumpMessages();
  EXPECT_EQ(handler.trayEvents, (std::vector<std::uint32_t>{0x202}));

  MSG message{};
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

TEST_F(Win32PlatformTest, MessageLoopEndsWithTheQuitCode) {
  ::PostMessageW(Marker(), WM_MOUSEMOVE, 1, 0x0205);
  ::PostQuitMessage(3);
  EXPECT_EQ(platform.RunMessageLoop(), 3);
  EXPECT_EQ(handler.trayEvents, (std::vector<std::uint32_t>{0x205}));
}

TEST_F(Win32PlatformTest, AMenuFormClosedBySomeoneElseIsMadeAfresh) {
  const WindowHandle first = platform.EnsureMenuForm();
  ::DestroyWindow(ToHwnd(first));
  EXPECT_EQ(platform.MenuFormWindow(), 0u) << "the stale handle is forgotten, not destroyed";
  EXPECT_TRUE(::IsWindow(ToHwnd(platform.EnsureMenuForm())));
}

TEST_F(Win32PlatformTest, AfterQuitTheMessageLoopEndsWithItsCodeAndNoHandlerRuns) {
  ::PostMessageW(Marker(), WM_MOUSEMOVE, 1, 0x0205);
  platform.Quit(4);
  EXPECT_EQ(platform.RunMessageLoop(), 4);
  EXPECT_TRUE(handler.trayEvents.empty());
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
  }
}

TEST_F(Win32PlatformTest, NamesAreCutToTheBufferInUtf16Units) {
  TestWindow window(
      L"ab\xD83D\xDE00"
      L"cd");  // a surrogate pair at units 3 and 4
  const WindowHandle handle = window.handle();
  struct Case {
    int maxCount;
    std::string title;
  };
  for (const Case& c : {Case{100,
                             "ab\xF0\x9F\x98\x80"
                             "cd"},
                        Case{5, "ab\xF0\x9F\x98\x80"}, Case{4, "ab"}, Case{2, "a"}, Case{1, ""},
                        Case{0, ""}, Case{-1, ""}}) {
    EXPECT_EQ(platform.GetWindowText(handle, c.maxCount), c.title) << c.maxCount;
  }
  EXPECT_EQ(platform.GetClassName(handle, 100), "Static");
  EXPECT_EQ(platform.GetClassName(handle, 4), "Sta");

  window.Destroy();
  EXPECT_EQ(platform.GetWindowText(handle, 100), "");
  EXPECT_EQ(platform.GetClassName(handle, 100), "");
  EXPECT_EQ(platform.GetClassName(0, 100), "");
}

TEST_F(Win32PlatformTest, FindWindowTakesAMissingCriterionAsAny) {
  TestWindow window(L"Sevalune テスト窓");
  EXPECT_EQ(platform.FindWindow(std::nullopt, "Sevalune テスト窓"), window.handle());
  EXPECT_EQ(platform.FindWindow("Static", "Sevalune テスト窓"), window.handle());
  EXPECT_EQ(platform.FindWindow("SevaluneMarker", std::nullopt), platform.MarkerWindow());
  EXPECT_EQ(platform.FindWindow("NoSuchClass", std::nullopt), 0u);
}

TEST_F(Win32PlatformTest, ProfileStringsFromUnicodeFilesAreCountedInUnits) {
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"sevalune-profile-test.ini";
  {
    // UTF-16LE with a byte-order mark.
    const std::wstring text = L"\xFEFF[Sevalune]\r\nIro=値テスト\r\n";
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    file.write(reinterpret_cast<const char*>(text.data()),
               static_cast<std::streamsize>(text.size() * sizeof(wchar_t)));
  }
  const std::string file = Narrow(path);

  ProfileString whole = platform.GetPrivateProfileString("Sevalune", "Iro", "d", 40, file);
  EXPECT_EQ(whole.count, 4u);
  EXPECT_EQ(whole.text, "値テスト");
  ProfileString cut = platform.GetPrivateProfileString("Sevalune", "Iro", "d", 3, file);
  EXPECT_EQ(cut.count, 2u);
  EXPECT_EQ(cut.text, "値テ");
  ProfileString missing = platform.GetPrivateProfileString("Sevalune", "Saizu", "既定", 40, file);
  EXPECT_EQ(missing.count, 2u);
  EXPECT_EQ(missing.text, "既定");
  ProfileString noFile = platform.GetPrivateProfileString(
      "Sevalune", "Iro", "xyz", 40, Narrow(std::wstring(folder) + L"no-such-file.ini"));
  EXPECT_EQ(noFile.text, "xyz");

  ::DeleteFileW(path.c_str());
}

TEST_F(Win32PlatformTest, ExecutableDirectoryEndsWithoutASeparator) {
  const std::string directory = platform.ExecutableDirectory();
  ASSERT_GE(directory.size(), 2u);
  if (directory.back() == '\\') {
    EXPECT_EQ(directory.size(), 3u) << directory;  // only a drive's root keeps it
  }
}

TEST_F(Win32PlatformTest, AnotherPlatformInTheSameSessionIsAnotherInstance) {
  const bool first = platform.AnotherInstanceRunning();
  Win32Platform second;
  EXPECT_TRUE(second.AnotherInstanceRunning());
  EXPECT_FALSE(first) << "is a real sevalune.exe running in this session?";
}

TEST_F(Win32PlatformTest, GuiThreadInfoAnswersUnlessTheOldMethodIsForced) {
  GuiThreadInfo info;
  EXPECT_EQ(platform.GetGUIThreadInfo(::GetCurrentThreadId(), info), std::optional<bool>(true));

  info.focus = 12345;
  info.caretRect = Rect{1, 2, 3, 4};
  EXPECT_EQ(platform.GetGUIThreadInfo(0xFFFFFFF0u, info), std::optional<bool>(false));
  EXPECT_EQ(info.focus, 0u);
  EXPECT_EQ(info.caretRect, Rect{});

  Win32Platform old({.forceOldMethod = true});
  EXPECT_EQ(old.GetGUIThreadInfo(::GetCurrentThreadId(), info), std::nullopt);
}

TEST_F(Win32PlatformTest, SendMessageTimeoutAnswersOrReportsNothing) {
  EXPECT_EQ(platform.SendMessageTimeout(platform.MarkerWindow(), WM_NULL, 0, 0, 100),
            std::optional<std::intptr_t>(0));
  TestWindow window(L"gone");
  const WindowHandle gone = window.handle();
  window.Destroy();
  EXPECT_EQ(platform.SendMessageTimeout(gone, WM_NULL, 0, 0, 100), std::nullopt);
}

TEST_F(Win32PlatformTest, MonitorOfNoWindowIsThePrimaryDisplay) {
  const Rect primary = platform.MonitorRectOf(0);
  EXPECT_EQ(primary.left, 0);
  EXPECT_EQ(primary.top, 0);
  EXPECT_EQ(primary.right, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(primary.bottom, ::GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(platform.MonitorRectOf(platform.MarkerWindow()), primary);
}

TEST_F(Win32PlatformTest, TrayIconIsAddedChangedAndDeleted) {
  NotifyIconData icon;
  icon.window = platform.MarkerWindow();
  icon.id = 1;
  icon.flags = nif::Message | nif::Icon | nif::Tip;
  icon.callbackMessage = kMsgMouseMove;
  icon.tip = std::string(80, 'x');  // longer than the record's tip holds
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Add, icon));
  icon.picture = TrayPicture::Disabled;
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Modify, icon));
  EXPECT_TRUE(platform.ShellNotifyIcon(TrayMessage::Delete, icon));
  EXPECT_FALSE(platform.ShellNotifyIcon(TrayMessage::Modify, icon));
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
