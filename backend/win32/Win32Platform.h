// The real desktop: every Platform call made with the Unicode (W) functions of user32,
// shell32 and kernel32, with UTF-8 <-> UTF-16 conversion at this boundary.
//
// Construction plays the part of the process start: it creates, hidden, the application
// window, the main window (which is the marker) and the main window's text box.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/win32/AccessibleWorkers.h"
#include "backend/win32/ScopedWin.h"
#include "backend/win32/TargetWatch.h"
#include "backend/win32/WindowsHeaders.h"
#include "platform/Platform.h"

namespace sevalune::win32 {

struct Win32Options {
  // Behave as if user32 had no GetGUIThreadInfo, so the older location method is used.
  bool forceOldMethod = false;
};

class Win32Platform final : public Platform {
 public:
  explicit Win32Platform(Win32Options options = {});
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The message loop of the process; returns the exit code asked for by Quit (or the one
  // that WM_QUIT carries when the main window was closed from outside).
  int RunMessageLoop();
  // One wait of the message loop, at most timeoutMs: for a message, which is dispatched
  // with all that wait, or for a change in the watched folder, which starts the settle
  // time again. Nothing else blocks the thread. Nullopt, or the code that WM_QUIT carried.
  std::optional<int> WaitAndDispatch(DWORD timeoutMs);

  void SetEventHandler(PlatformEvents* handler) override;
  std::uint16_t GetUserDefaultUILanguage() override;  // Win32Services.cpp

  // --- user32 (Win32Queries.cpp) ------------------------------------------------------
  WindowHandle GetForegroundWindow() override;
  bool SetForegroundWindow(WindowHandle window) override;
  ThreadProcess GetWindowThreadProcessId(WindowHandle window) override;
  std::optional<bool> GetGUIThreadInfo(ThreadId thread, GuiThreadInfo& info) override;
  bool AttachThreadInput(ThreadId attach, ThreadId attachTo, bool doAttach) override;
  WindowHandle GetFocus() override;
  WindowHandle GetCapture() override;
  bool GetCaretPos(Point& point) override;
  bool ClientToScreen(WindowHandle window, Point& point) override;
  std::string GetClassName(WindowHandle window, int maxCount) override;
  std::string GetWindowText(WindowHandle window, int maxCount) override;
  WindowHandle FindWindow(std::optional<std::string_view> className,
                          std::optional<std::string_view> title) override;
  WindowHandle GetWindow(WindowHandle window, WindowRelation relation) override;
  WindowHandle GetDesktopWindow() override;
  bool IsWindowVisible(WindowHandle window) override;
  bool IsWindowEnabled(WindowHandle window) override;
  bool GetWindowRect(WindowHandle window, Rect& rect) override;
  bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int width,
                    int height, std::uint32_t flags) override;
  bool ShowWindow(WindowHandle window, int command) override;
  bool GetCursorPos(Point& point) override;
  bool SetCursorPos(int x, int y) override;
  std::int16_t GetAsyncKeyState(int virtualKey) override;
  std::optional<std::intptr_t> SendMessageTimeout(WindowHandle window, std::uint32_t message,
                                                  std::uintptr_t wParam, std::intptr_t lParam,
                                                  std::uint32_t timeoutMs) override;
  Rect MonitorRectOf(WindowHandle window) override;
  std::uint32_t MonitorDpiOf(const Rect& rect) override;

  // --- accessibility, on worker threads (Win32Accessibility.cpp) ----------------------
  AccessibleAnswer QueryAccessible(WindowHandle window, std::uint64_t serial) override;

  // --- shell32, kernel32, the process (Win32Services.cpp) ----------------------------
  bool ShellNotifyIcon(TrayMessage message, const NotifyIconData& data) override;
  std::intptr_t ShellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                             std::string_view parameters, std::string_view directory,
                             int showCommand) override;
  ProfileString GetPrivateProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue, std::size_t bufferSize,
                                        std::string_view fileName) override;
  std::string ExecutableDirectory() override;
  bool AnotherInstanceRunning() override;
  void Quit(int exitCode) override;
  bool WatchSettingsFolder(std::string_view filePath, std::uint32_t settleMs) override;

  // --- the program's windows, timer and message pump (Win32Platform.cpp) --------------
  WindowHandle MarkerWindow() override;
  WindowHandle MenuFormWindow() override;
  WindowHandle EnsureMenuForm() override;
  void DestroyMenuForm() override;
  std::string TextBoxText() override;
  Color MarkerColor() override;
  void SetMarkerColor(Color color) override;
  void FollowCaret(ThreadId thread) override;
  void SetTimerPeriod(std::uint32_t milliseconds) override;
  void EnableTimer(bool enabled) override;
  bool PumpMessages() override;

  // --- boxes, menus and input (Win32Interaction.cpp) ----------------------------------
  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) override;
  std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                      std::string_view defaultText) override;
  void InjectUnassignedKey() override;
  int TrackPopupMenu(WindowHandle owner, const std::vector<PopupMenuItem>& items) override;
  HotkeyRegistration RegisterHotKey(int id, std::uint32_t modifiers,
                                    std::uint32_t virtualKey) override;
  bool UnregisterHotKey(int id) override;

  // --- the finder's frame (Win32Finder.cpp) --------------------------------------------
  void ShowFinderFrame(const Rect& outer, std::int32_t thickness, Color color) override;
  void HideFinderFrame() override;
  void SetFinderTimer(std::uint32_t milliseconds) override;

 private:
  using GetGuiThreadInfoFunction = BOOL(WINAPI*)(DWORD, GUITHREADINFO*);
  // shcore's GetDpiForMonitor; the DPI kind is the MONITOR_DPI_TYPE enumeration.
  using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

  static LRESULT CALLBACK MarkerProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept;
  LRESULT HandleMarkerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FinderProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept;
  bool EnsureFinderWindows();
  void PaintFinder(HWND window, HDC deviceContext) const;
  void NoteFolderChange();
  void FillBackground(HDC deviceContext, const RECT& area) const;
  void ApplyTimer();
  HWND CreateMenuForm() const;
  HICON IconFor(TrayPicture picture) const;
  GetGuiThreadInfoFunction GuiThreadInfoFunction();
  GetDpiForMonitorFunction DpiForMonitorFunction();
  std::uint32_t SystemDpi();
  void RememberTrayIcon(TrayMessage message, HWND window, UINT id);
  void RemoveRemainingTrayIcons();

  HINSTANCE instance_;
  bool forceOldMethod_;
  PlatformEvents* handler_ = nullptr;
  std::optional<int> quitCode_;  // set by Quit: no handler is called any more
  // The GUI thread's apartment, joined on the first ShellExecute (the shell may need it to
  // open a document) and kept until the end.
  std::optional<ScopedComApartment> shellApartment_;
  ScopedIcon enabledIcon_;
  ScopedIcon disabledIcon_;
  ScopedWindowClass appClass_;
  ScopedWindowClass markerClass_;
  ScopedWindowClass menuClass_;
  ScopedWindowClass finderClass_;
  UINT taskbarCreatedMessage_;
  Color markerColor_ = 0;
  ScopedBrush markerBrush_;
  std::uint32_t timerPeriod_ = 110;
  bool timerEnabled_ = false;
  ScopedWindow appWindow_;
  ScopedWindow frmSevalune_;  // owns the text box, its child
  HWND txtYokusi_ = nullptr;
  ScopedWindow frmMenu_;
  ScopedKernelHandle instanceMutex_;
  std::optional<bool> anotherInstanceRunning_;
  std::optional<GetGuiThreadInfoFunction> getGuiThreadInfo_;  // looked up on first use
  ScopedModule shcore_;                                       // loaded on first use
  std::optional<GetDpiForMonitorFunction> getDpiForMonitor_;  // null where shcore lacks it
  std::optional<std::uint32_t> systemDpi_;                    // fixed for the process's life
  std::vector<std::pair<HWND, UINT>> trayIcons_;              // added and not yet deleted
  // The finder's frame: four bars, made when first shown.
  Color finderColor_ = 0;
  ScopedBrush finderBrush_;
  std::array<ScopedWindow, 4> finderBars_;
  // The settings file's folder, and how long it must be quiet before the program is told.
  ScopedChangeNotification folderWatch_;
  UINT settleMs_ = 0;
  std::optional<ULONGLONG> settleSince_;    // the first change not yet told
  std::optional<TargetWatch> targetWatch_;  // after the marker: it posts to the marker
  // Started on the first query; goes first, before the windows it may be asking about.
  std::unique_ptr<AccessibleWorkers> accessibility_;
};

}  // namespace sevalune::win32
