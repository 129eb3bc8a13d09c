#include "settings/ProfileEdit.h"

#include <algorithm>
#include <cstddef>

#include "platform/Utf.h"

namespace sevalune {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::string_view kDefaultLineEnd = "\r\n";

// The blanks the profile reader trims: ASCII only.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; }

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// One line of the file: its bytes as stored, its text, and its end ("\r\n", "\n", "\r" or
// none for a last line without one), which is ASCII in every encoding.
struct Line {
  std::string raw;
  std::string text;
  std::string end;
  bool rewritten = false;
};

std::string_view MarkOf(ProfileEncoding encoding) {
  switch (encoding) {
    case ProfileEncoding::Utf8WithMark:
      return kUtf8Mark;
    case ProfileEncoding::Utf16Le:
      return kUtf16LeMark;
    case ProfileEncoding::Utf16Be:
      return kUtf16BeMark;
    case ProfileEncoding::Ansi:
      break;
  }
  return {};
}

bool IsUtf16(ProfileEncoding encoding) {
  return encoding == ProfileEncoding::Utf16Le || encoding == ProfileEncoding::Utf16Be;
}

char16_t UnitAt(std::string_view bytes, std::size_t at, bool bigEndian) {
  const auto first = static_cast<unsigned char>(bytes[at]);
  const auto second = static_cast<unsigned char>(bytes[at + 1]);
  return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
}

std::string Utf16Bytes(std::u16string_view units, bool bigEndian) {
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

// The file's text, split where the reader splits it (CR, LF, CRLF), each line's bytes kept.
class Document {
 public:
  Document(std::string_view bytes, const AnsiCodec& codec)
      : encoding_(EncodingOf(bytes)), codec_(codec) {
    bytes.remove_prefix(MarkOf(encoding_).size());
    if (IsUtf16(encoding_)) {
      SplitUtf16(bytes);
    } else {
      SplitBytes(bytes);
    }
  }

  std::vector<Line>& lines() { return lines_; }

  // The end new lines take: the file's first, or CRLF.
  std::string LineEnd() const {
    for (const Line& line : lines_) {
      if (!line.end.empty()) return line.end;
    }
    return std::string(kDefaultLineEnd);
  }

  // A line with this text inserted before index `at`; a last line without an end gets one.
  void Insert(std::size_t at, std::string text) {
    std::string end = LineEnd();
    if (at > 0 && lines_[at - 1].end.empty()) {
      lines_[at - 1].end = end;
      end.clear();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{{}, std::move(text), std::move(end), true});
  }

  EditedProfile Bytes() {
    // A value the code page lacks turns the whole file into UTF-16.
    if (encoding_ == ProfileEncoding::Ansi) {
      for (Line& line : lines_) {
        if (!line.rewritten) continue;
        if (std::optional<std::string> ansi = codec_.encode(line.text)) {
          line.raw = *std::move(ansi);
        } else {
          return Encoded(ProfileEncoding::Utf16Le, true);
        }
      }
    }
    return Encoded(encoding_, false);
  }

 private:
  void SplitBytes(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
      const std::size_t start = pos;
      while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n') ++pos;
      Line line;
      line.raw = std::string(bytes.substr(start, pos - start));
      line.text = encoding_ == ProfileEncoding::Ansi ? codec_.decode(line.raw) : line.raw;
      line.end = EndAt(pos, [&](std::size_t i) { return i < bytes.size() ? bytes[i] : '\0'; });
      pos += line.end.size();
      lines_.push_back(std::move(line));
    }
  }

  void SplitUtf16(std::string_view bytes) {
    const bool bigEndian = encoding_ == ProfileEncoding::Utf16Be;
    // A dangling last byte is no character; it is kept as it was.
    const std::size_t units = bytes.size() / 2;
    auto unitChar = [&](std::size_t i) {
      if (i >= units) return '\0';
      const char16_t unit = UnitAt(bytes, i * 2, bigEndian);
      return unit == u'\r' ? '\r' : unit == u'\n' ? '\n' : 'x';
    };
    std::size_t pos = 0;
    while (pos < units) {
      const std::size_t start = pos;
      while (pos < units && unitChar(pos) == 'x') ++pos;
      Line line;
      line.raw = std::string(bytes.substr(start * 2, (pos - start) * 2));
      std::u16string text;
      for (std::size_t i = start; i < pos; ++i) text += UnitAt(bytes, i * 2, bigEndian);
      line.text = Utf16ToUtf8(text);
      line.end = EndAt(pos, unitChar);
      pos += line.end.size();
      lines_.push_back(std::move(line));
    }
    if (bytes.size() % 2 != 0) danglingByte_ = std::string(bytes.substr(bytes.size() - 1));
  }

  template <typename CharAt>
  static std::string EndAt(std::size_t pos, CharAt charAt) {
    if (charAt(pos) == '\r') return charAt(pos + 1) == '\n' ? "\r\n" : "\r";
    if (charAt(pos) == '\n') return "\n";
    return {};
  }

  EditedProfile Encoded(ProfileEncoding encoding, bool reencodeAll) const {
    std::string out(MarkOf(encoding));
    const bool bigEndian = encoding == ProfileEncoding::Utf16Be;
    for (const Line& line : lines_) {
      if (reencodeAll || line.rewritten) {
        out += IsUtf16(encoding)                   ? Utf16Bytes(Utf8ToUtf16(line.text), bigEndian)
               : encoding == ProfileEncoding::Ansi ? line.raw
                                                   : line.text;
      } else {
        out += line.raw;
      }
      out += IsUtf16(encoding) ? Utf16Bytes(Utf8ToUtf16(line.end), bigEndian) : line.end;
    }
    if (!reencodeAll) out += danglingByte_;
    return {std::move(out), encoding};
  }

  ProfileEncoding encoding_;
  const AnsiCodec& codec_;
  std::vector<Line> lines_;
  std::string danglingByte_;
};

// The section header's name, for a header line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

bool IsKeyLine(std::string_view line, std::string_view key) {
  line = Trim(line);
  return SameName(TrimRight(line.substr(0, line.find('='))), key);
}

bool IsCommentedKey(std::string_view line, std::string_view key) {
  line = Trim(line);
  if (line.empty() || (line.front() != ';' && line.front() != '#')) return false;
  line = TrimLeft(line.substr(1));
  const std::size_t equals = line.find('=');
  return equals != std::string_view::npos && SameName(TrimRight(line.substr(0, equals)), key);
}

// The lines [first, last) of the first section of that name, after its header.
struct SectionLines {
  std::size_t first = 0;
  std::size_t last = 0;
};

std::optional<SectionLines> FindSection(const std::vector<Line>& lines, std::string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::optional<std::string_view> header = SectionName(lines[i].text);
    if (!header || !SameName(*header, name)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end].text)) ++end;
    return SectionLines{i + 1, end};
  }
  return std::nullopt;
}

// The key's line with the new value: what stood before the old value stays.
std::string RewrittenLine(std::string_view line, std::string_view value) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos)
    return std::string(TrimRight(line)) + "=" + std::string(value);
  const std::string_view rest = line.substr(equals + 1);
  const std::size_t blanks = rest.size() - TrimLeft(rest).size();
  return std::string(line.substr(0, equals + 1 + blanks)) + std::string(value);
}

void Apply(Document& document, std::string_view section, const ProfileChange& change) {
  std::vector<Line>& lines = document.lines();
  const std::string value = WrittenValue(change.value);
  const std::string keyLine = change.key + "=" + value;
  const std::optional<SectionLines> found = FindSection(lines, section);
  if (!found) {
    std::string header(1, '[');
    header += section;
    header += ']';
    document.Insert(lines.size(), std::move(header));
    document.Insert(lines.size(), keyLine);
    return;
  }
  std::optional<std::size_t> comment;
  std::size_t lastFilled = found->first;
  for (std::size_t i = found->first; i < found->last; ++i) {
    Line& line = lines[i];
    if (IsKeyLine(line.text, change.key)) {
      line.text = RewrittenLine(line.text, value);
      line.rewritten = true;
      return;
    }
    if (IsCommentedKey(line.text, change.key)) comment = i + 1;
    if (!Trim(line.text).empty()) lastFilled = i + 1;
  }
  document.Insert(comment.value_or(lastFilled), keyLine);
}

}  // namespace

ProfileEncoding EncodingOf(std::string_view fileBytes) {
  if (fileBytes.starts_with(kUtf8Mark)) return ProfileEncoding::Utf8WithMark;
  if (fileBytes.starts_with(kUtf16LeMark)) return ProfileEncoding::Utf16Le;
  if (fileBytes.starts_with(kUtf16BeMark)) return ProfileEncoding::Utf16Be;
  return ProfileEncoding::Ansi;
}

std::string WrittenValue(std::string_view value) {
  const bool blankAround = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  const bool quoted = value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
  if (!blankAround && !quoted) return std::string(value);
  std::string written;
  written.reserve(value.size() + 2);
  written += '"';
  written += value;
  written += '"';
  return written;
}

EditedProfile EditProfile(std::string_view fileBytes, std::string_view section,
                          const std::vector<ProfileChange>& changes, const AnsiCodec& codec) {
  Document document(fileBytes, codec);
  for (const ProfileChange& change : changes) Apply(document, section, change);
  return document.Bytes();
}

}  // namespace sevalune
