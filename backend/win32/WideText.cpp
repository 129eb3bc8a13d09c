#include "backend/win32/WideText.h"

#include "platform/Utf.h"

namespace sevalune::win32 {
namespace {

// The W functions' wchar_t is a UTF-16 code unit on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

std::wstring Widen(std::string_view text) {
  const std::u16string units = Utf8ToUtf16(text);
  return std::wstring(units.begin(), units.end());
}

std::string Narrow(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

std::string NarrowTruncated(std::wstring_view text) {
  if (!text.empty() && IsHighSurrogate(text.back())) text.remove_suffix(1);
  return Narrow(text);
}

std::wstring TruncateUnits(std::wstring text, std::size_t maxUnits) {
  if (text.size() <= maxUnits) return text;
  text.resize(maxUnits);
  if (!text.empty() && IsHighSurrogate(text.back())) text.pop_back();
  return text;
}

}  // namespace sevalune::win32
