#include "backend/win32/ModulePath.h"

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32 {

std::wstring ExecutablePath() {
  // GetModuleFileNameW fills the whole buffer when the path does not fit; grow until it
  // fits, up to the longest path the system knows.
  constexpr DWORD kLongestPath = 32768;
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::wstring path(size, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
    if (length == 0) return {};
    if (length < size || size >= kLongestPath) {
      path.resize(length < size ? length : size);
      return path;
    }
  }
}

std::wstring DirectoryOf(std::wstring_view path) {
  const std::size_t lastSeparator = path.rfind(L'\\');
  if (lastSeparator == std::wstring_view::npos) return {};
  const std::wstring_view folder = path.substr(0, lastSeparator);
  const bool driveRoot = !folder.empty() && folder.back() == L':';
  return std::wstring(driveRoot ? path.substr(0, lastSeparator + 1) : folder);
}

}  // namespace sevalune::win32
