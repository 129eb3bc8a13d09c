#include "backend/win32/LaunchOptions.h"

#include <algorithm>

#include "backend/win32/ScopedWin.h"
#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32 {
namespace {

constexpr const wchar_t* kOldMethodOption = L"--old-method";
constexpr const wchar_t* kOldMethodVariable = L"SEVALUNE_OLD_METHOD";

}  // namespace

std::vector<std::wstring> CommandLineArguments() {
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (words == nullptr) return {};
  const ScopedLocalMemory owner(static_cast<HLOCAL>(words));
  return count > 1 ? std::vector<std::wstring>(words + 1, words + count)
                   : std::vector<std::wstring>{};
}

std::optional<std::wstring> EnvironmentValue(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

bool OldMethodRequested(const std::vector<std::wstring>& arguments,
                        const std::optional<std::wstring>& environmentValue) {
  const bool byOption =
      std::find(arguments.begin(), arguments.end(), kOldMethodOption) != arguments.end();
  const bool byEnvironment = environmentValue && *environmentValue == L"1";
  return byOption || byEnvironment;
}

bool OldMethodRequestedForThisProcess() {
  return OldMethodRequested(CommandLineArguments(), EnvironmentValue(kOldMethodVariable));
}

}  // namespace sevalune::win32
