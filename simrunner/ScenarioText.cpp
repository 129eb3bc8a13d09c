#include "simrunner/ScenarioText.h"

#include <charconv>
#include <limits>

namespace sevalune::sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The escapes of quoted text; any other backslash stands for itself, so that a Windows
// path such as "C:\Program Files\Other" reads as written.
void AppendUnescaped(std::string& text, char c) {
  switch (c) {
    case 'r':
      text.push_back('\r');
      return;
    case 'n':
      text.push_back('\n');
      return;
    case '"':
    case '\\':
      text.push_back(c);
      return;
    default:
      text.push_back('\\');
      text.push_back(c);
      return;
  }
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) return parts;
    start = comma + 1;
  }
}

std::vector<std::int32_t> ParseInts(std::string_view text, std::size_t count,
                                    std::string_view what) {
  const std::vector<std::string_view> parts = SplitCommas(text);
  if (parts.size() != count) {
    throw ScenarioError(std::string(what) + " needs " + std::to_string(count) +
                        " comma-separated numbers: " + std::string(text));
  }
  std::vector<std::int32_t> values;
  for (std::string_view part : parts) values.push_back(ParseInt(part, what));
  return values;
}

}  // namespace

std::vector<Word> SplitWords(std::string_view line) {
  std::vector<Word> words;
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size()) return words;
    Word word;
    std::string current;
    while (pos < line.size() && !IsBlank(line[pos])) {
      const char c = line[pos++];
      if (c == '"') {
        bool closed = false;
        while (pos < line.size()) {
          const char q = line[pos++];
          if (q == '"') {
            closed = true;
            break;
          }
          if (q == '\\') {
            if (pos >= line.size()) break;
            AppendUnescaped(current, line[pos++]);
          } else {
            current.push_back(q);
          }
        }
        if (!closed) throw ScenarioError("unterminated quoted text");
      } else if (c == '=' && !word.key) {
        word.key = current;
        word.text = current + "=";
        current.clear();
      } else {
        current.push_back(c);
      }
    }
    if (word.key) {
      word.value = current;
      word.text += current;
    } else {
      word.text = current;
    }
    words.push_back(std::move(word));
  }
}

std::int32_t ParseInt(std::string_view text, std::string_view what) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw ScenarioError("bad number for " + std::string(what) + ": \"" + std::string(text) + "\"");
  }
  return static_cast<std::int32_t>(value);
}

Point ParsePoint(std::string_view text) {
  const std::vector<std::int32_t> v = ParseInts(text, 2, "point");
  return Point{v[0], v[1]};
}

Rect ParseRect(std::string_view text) {
  const std::vector<std::int32_t> v = ParseInts(text, 4, "rectangle");
  return Rect{v[0], v[1], v[2], v[3]};
}

Rect ParseSizedRect(std::string_view text) {
  const std::vector<std::int32_t> v = ParseInts(text, 4, "caret rectangle");
  const std::int64_t right = std::int64_t{v[0]} + v[2];
  const std::int64_t bottom = std::int64_t{v[1]} + v[3];
  if (right > std::numeric_limits<std::int32_t>::max() ||
      bottom > std::numeric_limits<std::int32_t>::max() ||
      right < std::numeric_limits<std::int32_t>::min() ||
      bottom < std::numeric_limits<std::int32_t>::min()) {
    throw ScenarioError("caret rectangle beyond 32-bit coordinates: " + std::string(text));
  }
  return Rect{v[0], v[1], static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
}

}  // namespace sevalune::sim
