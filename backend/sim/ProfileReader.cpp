#include "backend/sim/ProfileReader.h"

#include <algorithm>
#include <optional>

#include "platform/Utf.h"

namespace sevalune::sim {
namespace {

using Text = std::u16string_view;

bool IsBlank(char16_t unit) {
  return unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\v' || unit == u'\f' ||
         unit == u'\r' || unit == u'\x1A';
}
bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

Text TrimLeft(Text text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

Text TrimRight(Text text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

Text Trim(Text text) { return TrimRight(TrimLeft(text)); }

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  // A dangling last byte is no character.
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    const unsigned high = bigEndian ? first : second;
    const unsigned low = bigEndian ? second : first;
    out.push_back(static_cast<char16_t>((high << 8) | low));
  }
  return out;
}

// Hands out the lines of a text one by one; CR, LF and CRLF all end a line.
class LineReader {
 public:
  explicit LineReader(Text text) : text_(text) {}

  std::optional<Text> Next() {
    if (pos_ >= text_.size()) return std::nullopt;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != u'\r' && text_[pos_] != u'\n') ++pos_;
    const Text line = text_.substr(start, pos_ - start);
    if (pos_ < text_.size() && text_[pos_] == u'\r') {
      ++pos_;
      if (pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
    } else if (pos_ < text_.size()) {
      ++pos_;
    }
    return line;
  }

 private:
  Text text_;
  std::size_t pos_ = 0;
};

char16_t FoldAscii(char16_t unit) {
  return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 0x20) : unit;
}

bool SameName(Text a, Text b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

// The name of a section header line (already trimmed); nullopt for any other line.
std::optional<Text> SectionName(Text line) {
  if (line.empty() || line.front() != u'[') return std::nullopt;
  const std::size_t close = line.rfind(u']');
  if (close == Text::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// The raw value of the key; nullopt when the first matching section lacks it, or when
// its first matching line has no "=" and so no value.
std::optional<Text> FindValue(Text file, Text section, Text key) {
  LineReader lines(file);
  bool inSection = false;
  while (const std::optional<Text> raw = lines.Next()) {
    const Text line = Trim(*raw);
    if (line.empty()) continue;
    if (const std::optional<Text> name = SectionName(line)) {
      if (inSection) return std::nullopt;
      inSection = SameName(*name, section);
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find(u'=');
    if (!SameName(TrimRight(line.substr(0, equals)), key)) continue;
    if (equals == Text::npos) return std::nullopt;
    return TrimLeft(line.substr(equals + 1));
  }
  return std::nullopt;
}

Text CutAtNul(Text text) { return text.substr(0, text.find(u'\0')); }

// The units placed into the buffer: all of them are counted, but half a surrogate pair
// at the end is no character of the text.
ProfileString Placed(Text units) {
  const std::size_t count = units.size();
  if (!units.empty() && IsHighSurrogate(units.back())) units.remove_suffix(1);
  return {count, Utf16ToUtf8(units)};
}

// What lstrcpyn places: at most bufferSize - 1 units.
ProfileString Place(Text value, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  return Placed(value.substr(0, std::min(value.size(), bufferSize - 1)));
}

bool IsQuote(char16_t unit) { return unit == u'"' || unit == u'\''; }

// A value in quotes loses the opening quote; then the last unit placed is taken off as
// the closing quote whenever the buffer could have held the closing quote, which cuts a
// real character when the value just fits.
ProfileString PlaceUnquoted(Text value, std::size_t bufferSize) {
  value = CutAtNul(value);
  if (bufferSize == 0) return {};
  if (value.size() < 2 || !IsQuote(value.front()) || value.back() != value.front()) {
    return Place(value, bufferSize);
  }
  const Text rest = value.substr(1);
  std::size_t units = std::min(rest.size(), bufferSize - 1);
  if (bufferSize >= rest.size() && units > 0) --units;
  return Placed(rest.substr(0, units));
}

// Trailing spaces go, but a default made only of spaces keeps its first.
Text WithoutTrailingSpaces(Text defaultValue) {
  std::size_t end = defaultValue.size();
  while (end > 1 && defaultValue[end - 1] == u' ') --end;
  return defaultValue.substr(0, end);
}

}  // namespace

std::u16string DecodeProfileText(std::string_view fileBytes) {
  if (StartsWith(fileBytes, "\xEF\xBB\xBF")) return Utf8ToUtf16(fileBytes.substr(3));
  if (StartsWith(fileBytes, "\xFF\xFE")) return DecodeUtf16(fileBytes.substr(2), false);
  if (StartsWith(fileBytes, "\xFE\xFF")) return DecodeUtf16(fileBytes.substr(2), true);
  return Utf8ToUtf16(fileBytes);
}

ProfileString ReadProfileString(std::string_view fileBytes, std::string_view section,
                                std::string_view key, std::string_view defaultValue,
                                std::size_t bufferSize) {
  const std::u16string text = DecodeProfileText(fileBytes);
  const std::u16string wantedSection = Utf8ToUtf16(section);
  const std::u16string wantedKey = Utf8ToUtf16(key);
  const std::optional<Text> value = FindValue(text, Trim(wantedSection), Trim(wantedKey));
  if (value) return PlaceUnquoted(*value, bufferSize);
  const std::u16string wideDefault = Utf8ToUtf16(defaultValue);
  return PlaceUnquoted(WithoutTrailingSpaces(wideDefault), bufferSize);
}

ProfileString DefaultProfileString(std::string_view defaultValue, std::size_t bufferSize) {
  const std::u16string wideDefault = Utf8ToUtf16(defaultValue);
  return Place(WithoutTrailingSpaces(wideDefault), bufferSize);
}

}  // namespace sevalune::sim
