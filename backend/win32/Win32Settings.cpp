// What the settings window needs of Windows: the settings file's bytes and their
// replacement in one step, the ANSI code page, the current user's Run value, the UI
// language, and the window itself.
#include <algorithm>
#include <cwchar>
#include <string>

#include "backend/win32/ModulePath.h"
#include "backend/win32/SettingsDialog.h"
#include "backend/win32/WideText.h"
#include "backend/win32/Win32Platform.h"
#include "platform/SettingsWindowForm.h"

namespace sevalune::win32 {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr WORD kDialogPoints = 9;

// user32's per-thread DPI awareness (Windows 10 1607 and later), looked up at run time;
// the headers declare it only for programs that require Windows 10.
using DpiContext = HANDLE;
using GetThreadDpiAwarenessContextFunction = DpiContext(WINAPI*)();
using AreDpiAwarenessContextsEqualFunction = BOOL(WINAPI*)(DpiContext, DpiContext);
// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
const DpiContext kPerMonitorAwareV2 = reinterpret_cast<DpiContext>(static_cast<INT_PTR>(-4));

// Under per-monitor awareness version 2 the system scales a dialog for the display it is
// on; before it, a dialog is laid out for the system DPI and the program scales its font.
bool SystemScalesDialogs() {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return false;
  const auto current = reinterpret_cast<GetThreadDpiAwarenessContextFunction>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
  const auto equal = reinterpret_cast<AreDpiAwarenessContextsEqualFunction>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
  if (current == nullptr || equal == nullptr) return false;
  return equal(current(), kPerMonitorAwareV2) != FALSE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Writes the bytes into a new temporary file of the folder and flushes them to the disk;
// answers its path, or empty (with GetLastError) when it could not be made or written.
std::wstring WrittenTemporaryFile(const std::wstring& folder, std::string_view bytes) {
  wchar_t path[MAX_PATH + 1] = {};
  if (::GetTempFileNameW(folder.c_str(), L"sev", 0, path) == 0) return {};
  ScopedKernelHandle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    const DWORD error = ::GetLastError();
    ::DeleteFileW(path);
    ::SetLastError(error);
    return {};
  }
  if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) {
    const DWORD error = ::GetLastError();
    file.reset();
    ::DeleteFileW(path);
    ::SetLastError(error);
    return {};
  }
  return path;
}

bool IsAccessDenied(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

}  // namespace

FileBytes Win32Platform::ReadFileBytes(std::string_view path) {
  ScopedKernelHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {missing ? FileReading::Missing : FileReading::Unreadable, {}};
  }
  FileBytes read{FileReading::Read, {}};
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    read.bytes.append(buffer, got);
  }
  return read;
}

FileWrite Win32Platform::ReplaceFileBytes(std::string_view path, std::string_view bytes) {
  const std::wstring target = Widen(path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return FileWrite::FileReadOnly;
  const std::wstring temporary = WrittenTemporaryFile(DirectoryOf(target), bytes);
  if (temporary.empty()) {
    return IsAccessDenied(::GetLastError()) ? FileWrite::FolderNotWritable : FileWrite::Failed;
  }
  // ReplaceFileW keeps the file's attributes and security; a new file is moved in place.
  bool replaced = exists && ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  if (!replaced) {
    replaced = ::MoveFileExW(temporary.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (replaced) return FileWrite::Written;
  const DWORD error = ::GetLastError();
  ::DeleteFileW(temporary.c_str());
  return IsAccessDenied(error) ? FileWrite::FileReadOnly : FileWrite::Failed;
}

std::string Win32Platform::AnsiToUtf8(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int length = static_cast<int>(ansi.size());
  const int units = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0) ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), units);
  return Narrow(wide);
}

std::optional<std::string> Win32Platform::Utf8ToAnsi(std::string_view utf8) {
  // A system whose ANSI code page is UTF-8 has every character; the call takes no
  // lpUsedDefaultChar for it.
  if (::GetACP() == CP_UTF8) return std::string(utf8);
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return std::string();
  const int units = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr,
                                         0, nullptr, &usedDefault);
  if (size <= 0 || usedDefault) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, ansi.data(), size,
                        nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return ansi;
}

std::optional<std::string> Win32Platform::ReadRunValue(std::string_view name) {
  const std::wstring valueName = Widen(name);
  DWORD size = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, valueName.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, valueName.c_str(), RRF_RT_REG_SZ, nullptr,
                     data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(wcsnlen(data.c_str(), data.size()));
  return Narrow(data);
}

bool Win32Platform::WriteRunValue(std::string_view name, std::string_view data) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring text = Widen(data);
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  const LSTATUS status = ::RegSetValueExW(key, Widen(name).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool Win32Platform::DeleteRunValue(std::string_view name) {
  HKEY key = nullptr;
  const LSTATUS opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  const LSTATUS status = ::RegDeleteValueW(key, Widen(name).c_str());
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool Win32Platform::RunSettingsWindow(const SettingsWindowForm& form,
                                      SettingsWindowHandler& handler) {
  if (settingsDialog_ != nullptr) {
    // The user chose the menu item: the program may bring its window forward.
    ::SetForegroundWindow(settingsDialog_);
    return false;
  }
  SettingsDialogPlace place;
  place.openAt = POINT{form.openAt.x, form.openAt.y};
  place.fontPoints = kDialogPoints;
  if (!SystemScalesDialogs()) {
    const Rect at{form.openAt.x, form.openAt.y, form.openAt.x + 1, form.openAt.y + 1};
    const std::uint32_t dpi = MonitorDpiOf(at);
    const std::uint32_t system = SystemDpi();
    place.fontPoints = static_cast<WORD>((kDialogPoints * dpi + system / 2) / system);
  }
  RunSettingsDialog(instance_, form, handler, place, settingsDialog_);
  return true;
}

std::string Win32Platform::ExecutablePath() { return Narrow(win32::ExecutablePath()); }

}  // namespace sevalune::win32
