// The words of a scenario line: blanks separate words, double quotes protect blanks and
// "=" (with \" \\ \r escapes), and a word may be key=value.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace sevalune::sim {

// A malformed line; the runner reports it with the line number.
struct ScenarioError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Word {
  std::string text;                // the whole word, quotes removed and escapes applied
  std::optional<std::string> key;  // set when the word had an unquoted "="
  std::string value;               // the part after that "="
};

std::vector<Word> SplitWords(std::string_view line);

std::int32_t ParseInt(std::string_view text, std::string_view what);
Point ParsePoint(std::string_view text);  // "x,y"
Rect ParseRect(std::string_view text);    // "left,top,right,bottom"
// "x,y,w,h", turned into a rectangle.
Rect ParseSizedRect(std::string_view text);

}  // namespace sevalune::sim
