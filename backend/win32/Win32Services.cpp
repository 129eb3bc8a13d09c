// shell32 (tray icon, opening documents), kernel32 (profile files) and the process itself.
#include <algorithm>
#include <cstddef>
#include <cwchar>

#include "backend/win32/HandleCast.h"
#include "backend/win32/ModulePath.h"
#include "backend/win32/WideText.h"
#include "backend/win32/Win32Platform.h"

namespace sevalune::win32 {
namespace {

#if defined(_WIN32) && !defined(_WIN64)
// The first form of the notification-icon record, which every shell accepts, still has
// its size and its fields where they were (the tip at byte 24).
static_assert(NOTIFYICONDATAA_V1_SIZE == 88);
static_assert(offsetof(NOTIFYICONDATAW, szTip) == 24);
#endif

// The tip field holds 63 units and the terminator in the first form of the record; the
// program's tip is kept within that. The balloon's fields hold 255 and 63 units.
constexpr std::size_t kTipUnits = 63;
constexpr std::size_t kBalloonTextUnits = 255;
constexpr std::size_t kBalloonTitleUnits = 63;
// Only systems before Vista heed it; later ones show a balloon for as long as they choose.
constexpr UINT kBalloonTimeoutMs = 10000;

template <std::size_t Size>
void CopyInto(wchar_t (&field)[Size], const std::string& text, std::size_t maxUnits) {
  static_assert(Size > 0);
  const std::wstring wide = TruncateUnits(Widen(text), std::min(maxUnits, Size - 1));
  std::wmemcpy(field, wide.data(), wide.size());  // the record came zeroed: terminated
}

constexpr const wchar_t* kSingleInstanceMutex = L"Local\\Sevalune.SingleInstance";

const wchar_t* PointerOrNull(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

HICON Win32Platform::IconFor(TrayPicture picture) const {
  return picture == TrayPicture::Enabled ? enabledIcon_.get() : disabledIcon_.get();
}

bool Win32Platform::ShellNotifyIcon(TrayMessage message, const NotifyIconData& data) {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof record;
  record.hWnd = ToHwnd(data.window);
  record.uID = data.id;
  record.uFlags = data.flags;
  record.uCallbackMessage = data.callbackMessage;
  record.hIcon = IconFor(data.picture);
  CopyInto(record.szTip, data.tip, kTipUnits);
  CopyInto(record.szInfo, data.info, kBalloonTextUnits);
  CopyInto(record.szInfoTitle, data.infoTitle, kBalloonTitleUnits);
  record.dwInfoFlags = data.infoFlags;
  record.uTimeout = kBalloonTimeoutMs;
  const bool done = ::Shell_NotifyIconW(static_cast<DWORD>(message), &record) != FALSE;
  if (done) RememberTrayIcon(message, record.hWnd, record.uID);
  return done;
}

void Win32Platform::RememberTrayIcon(TrayMessage message, HWND window, UINT id) {
  const auto icon = std::make_pair(window, id);
  const auto known = std::find(trayIcons_.begin(), trayIcons_.end(), icon);
  if (message == TrayMessage::Add && known == trayIcons_.end()) trayIcons_.push_back(icon);
  if (message == TrayMessage::Delete && known != trayIcons_.end()) trayIcons_.erase(known);
}

void Win32Platform::RemoveRemainingTrayIcons() {
  // An icon whose window is gone would stay in the notification area until the pointer
  // passes over it.
  for (const auto& [window, id] : trayIcons_) {
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof record;
    record.hWnd = window;
    record.uID = id;
    ::Shell_NotifyIconW(NIM_DELETE, &record);
  }
  trayIcons_.clear();
}

std::intptr_t Win32Platform::ShellExecute(WindowHandle owner, std::string_view verb,
                                          std::string_view file, std::string_view parameters,
                                          std::string_view directory, int showCommand) {
  const std::wstring wideVerb = Widen(verb);
  const std::wstring wideFile = Widen(file);
  const std::wstring wideParameters = Widen(parameters);
  const std::wstring wideDirectory = Widen(directory);
  if (!shellApartment_) shellApartment_.emplace();
  HINSTANCE result =
      ::ShellExecuteW(ToHwnd(owner), PointerOrNull(wideVerb), wideFile.c_str(),
                      PointerOrNull(wideParameters), PointerOrNull(wideDirectory), showCommand);
  // Not a real instance handle: a number above 32 on success, an error code otherwise.
  return reinterpret_cast<std::intptr_t>(result);
}

ProfileString Win32Platform::GetPrivateProfileString(std::string_view section, std::string_view key,
                                                     std::string_view defaultValue,
                                                     std::size_t bufferSize,
                                                     std::string_view fileName) {
  const DWORD size = static_cast<DWORD>(std::clamp<std::size_t>(bufferSize, 1, MAXDWORD));
  std::wstring buffer(size, L'\0');
  const DWORD count = ::GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                                 Widen(defaultValue).c_str(), buffer.data(), size,
                                                 Widen(fileName).c_str());
  buffer.resize(std::min<DWORD>(count, size - 1));
  return ProfileString{count, NarrowTruncated(buffer)};
}

std::uint16_t Win32Platform::GetUserDefaultUILanguage() { return ::GetUserDefaultUILanguage(); }

std::string Win32Platform::ExecutableDirectory() { return Narrow(DirectoryOf(ExecutablePath())); }

bool Win32Platform::AnotherInstanceRunning() {
  if (!anotherInstanceRunning_) {
    // The handle is kept for the life of the process: while it is open, the name exists.
    ::SetLastError(ERROR_SUCCESS);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
    const DWORD error = ::GetLastError();
    instanceMutex_.reset(mutex);
    // Access denied: the name exists but belongs to a process of another security context
    // in this session; that is another instance too.
    anotherInstanceRunning_ = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
  }
  return *anotherInstanceRunning_;
}

bool Win32Platform::WatchSettingsFolder(std::string_view filePath, std::uint32_t settleMs) {
  const std::wstring folder = DirectoryOf(Widen(filePath));
  // Writes, and files made, renamed or removed (an editor that saves by renaming).
  HANDLE change = ::FindFirstChangeNotificationW(
      folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME);
  if (change == INVALID_HANDLE_VALUE) return false;
  folderWatch_.reset(change);
  settleMs_ = settleMs;
  return true;
}

void Win32Platform::Quit(int exitCode) {
  if (quitCode_) return;
  quitCode_ = exitCode;
  // Ends the message loop once the program has returned to it.
  ::PostQuitMessage(exitCode);
}

}  // namespace sevalune::win32
