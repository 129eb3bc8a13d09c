#include "backend/sim/ProfileReader.h"

#include <algorithm>
#include <optional>

#include "backend/sim/CaseFold.h"
#include "winquery/Utf.h"

namespace sevalune::sim {
namespace {

using Text = std::u16string_view;

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }
bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

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

Text SectionName(Text header) {
  const Text inside = header.substr(1);
  return Trim(inside.substr(0, inside.find(u']')));
}

// The raw value of the key, or nullopt when the first matching section lacks it.
std::optional<Text> FindValue(Text file, Text section, Text key) {
  LineReader lines(file);
  bool inSection = false;
  while (const std::optional<Text> raw = lines.Next()) {
    const Text line = Trim(*raw);
    if (line.empty()) continue;
    if (line.front() == u'[') {
      if (inSection) return std::nullopt;
      inSection = EqualFolded(SectionName(line), section);
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find(u'=');
    if (!EqualFolded(TrimRight(line.substr(0, equals)), key)) continue;
    return equals == Text::npos ? Text{} : TrimLeft(line.substr(equals + 1));
  }
  return std::nullopt;
}

Text CutAtNul(Text text) { return text.substr(0, text.find(u'\0')); }

Text WithoutEnclosingQuotes(Text value) {
  if (value.size() < 2) return value;
  const char16_t first = value.front();
  if ((first == u'"' || first == u'\'') && value.back() == first) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

ProfileString Place(Text value, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::size_t units = std::min(value.size(), bufferSize - 1);
  if (units < value.size() && units > 0 && IsHighSurrogate(value[units - 1]) &&
      IsLowSurrogate(value[units])) {
    --units;
  }
  const Text placed = value.substr(0, units);
  return {units, Utf16ToUtf8(placed)};
}

ProfileString PlaceDefault(Text defaultValue, std::size_t bufferSize) {
  std::size_t end = defaultValue.size();
  while (end > 0 && defaultValue[end - 1] == u' ') --end;
  return Place(defaultValue.substr(0, end), bufferSize);
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
  if (!value) return DefaultProfileString(defaultValue, bufferSize);
  return Place(WithoutEnclosingQuotes(CutAtNul(*value)), bufferSize);
}

ProfileString DefaultProfileString(std::string_view defaultValue, std::size_t bufferSize) {
  return PlaceDefault(Utf8ToUtf16(defaultValue), bufferSize);
}

}  // namespace sevalune::sim
