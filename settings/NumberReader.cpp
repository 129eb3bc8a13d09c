#include "settings/NumberReader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace sevalune {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string WithoutBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (!IsBlank(c)) out.push_back(c);
  }
  return out;
}

bool StartsWithHexMarker(std::string_view text) {
  return text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h');
}

std::optional<double> ReadHexadecimal(std::string_view text) {
  constexpr std::size_t kMaxDigits = 8;
  std::uint32_t value = 0;
  std::size_t digits = 0;
  std::size_t pos = 2;
  for (; pos < text.size() && HexDigitValue(text[pos]) >= 0; ++pos, ++digits) {
    if (digits == kMaxDigits) return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(HexDigitValue(text[pos]));
  }
  const bool forced32 = pos < text.size() && text[pos] == '&';
  if (digits <= 4 && !forced32) return static_cast<double>(static_cast<std::int16_t>(value));
  return static_cast<double>(static_cast<std::int32_t>(value));
}

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

// The length of the longest prefix of `text` that reads as a decimal number; 0 if none.
std::size_t DecimalPrefixLength(std::string_view text) {
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  const std::size_t intStart = pos;
  pos = SkipDigits(text, pos);
  bool anyDigit = pos > intStart;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t fracStart = pos + 1;
    const std::size_t fracEnd = SkipDigits(text, fracStart);
    if (anyDigit || fracEnd > fracStart) {
      anyDigit = anyDigit || fracEnd > fracStart;
      pos = fracEnd;
    }
  }
  if (!anyDigit) return 0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t expPos = pos + 1;
    if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-')) ++expPos;
    const std::size_t expEnd = SkipDigits(text, expPos);
    if (expEnd > expPos) pos = expEnd;
  }
  return pos;
}

std::optional<double> ReadDecimal(const std::string& text) {
  const std::size_t length = DecimalPrefixLength(text);
  if (length == 0) return 0.0;
  const std::string number = text.substr(0, length);
  errno = 0;
  const double value = std::strtod(number.c_str(), nullptr);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> ReadLenientNumber(std::string_view text) {
  const std::string compact = WithoutBlanks(text);
  if (StartsWithHexMarker(compact)) return ReadHexadecimal(compact);
  return ReadDecimal(compact);
}

std::optional<std::int32_t> RoundToInteger(double value, std::int32_t minimum,
                                           std::int32_t maximum) {
  const double rounded = std::nearbyint(value);  // the default mode rounds a half to even
  if (!(rounded >= minimum && rounded <= maximum)) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace sevalune
