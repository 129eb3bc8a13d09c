#include "harness/VersionInfo.h"

#include <cstdio>
#include <vector>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::e2e {
namespace {

constexpr const wchar_t* kStringNames[] = {
    L"ProductName",  L"ProductVersion",   L"FileVersion", L"FileDescription",
    L"InternalName", L"OriginalFilename", L"CompanyName", L"LegalCopyright"};

struct LanguageAndCodePage {
  WORD language;
  WORD codePage;
};

std::optional<std::wstring> FirstTranslation(std::vector<unsigned char>& data) {
  void* value = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) == FALSE ||
      length < sizeof(LanguageAndCodePage)) {
    return std::nullopt;
  }
  const auto* pair = static_cast<const LanguageAndCodePage*>(value);
  wchar_t text[16];
  std::swprintf(text, 16, L"%04X%04X", pair->language, pair->codePage);
  return text;
}

}  // namespace

std::optional<VersionInfo> ReadVersionInfo(const std::filesystem::path& file) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> data(size);
  if (::GetFileVersionInfoW(file.c_str(), 0, size, data.data()) == FALSE) return std::nullopt;

  VersionInfo info;
  info.translation = FirstTranslation(data);
  if (!info.translation) return info;
  for (const wchar_t* name : kStringNames) {
    const std::wstring path = L"\\StringFileInfo\\" + *info.translation + L"\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(data.data(), path.c_str(), &value, &length) != FALSE && length > 0) {
      info.strings[name] = static_cast<const wchar_t*>(value);
    }
  }
  return info;
}

}  // namespace sevalune::e2e
