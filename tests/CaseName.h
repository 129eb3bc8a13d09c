// Names the instances of a table-driven test after a field of each case, so that ctest
// and GoogleTest list "Layout/ProfileContract.AnswersAsTheRealReader/PlainValue" rather
// than an index or the bytes of the case. A test name holds only ASCII letters, digits
// and underscores: the field's words are run together, each capitalised ("a key of
// another section" -> "AKeyOfAnotherSection"); other characters only separate words.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace sevalune::testing {

inline std::string TestNameOf(std::string_view words) {
  std::string name;
  bool wordStarts = true;
  for (const char c : words) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) {
      wordStarts = true;
      continue;
    }
    name += wordStarts && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    wordStarts = false;
  }
  return name;
}

// For a case named by the text it reads, where every character counts: letters and digits
// stay, a blank becomes "_" and other characters are spelled ("-5" -> "Minus5", "99.5" ->
// "99Dot5", "" -> "Empty"); a long text is cut, with its length added.
inline std::string SpelledOut(std::string_view text) {
  constexpr std::size_t kLongest = 32;
  std::string name;
  for (const char c : text.substr(0, kLongest)) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (letter || digit) {
      name += c;
      continue;
    }
    switch (c) {
      case ' ':
        name += "_";
        break;
      case '\t':
        name += "Tab";
        break;
      case '\n':
        name += "Lf";
        break;
      case '.':
        name += "Dot";
        break;
      case ',':
        name += "Comma";
        break;
      case '-':
        name += "Minus";
        break;
      case '+':
        name += "Plus";
        break;
      case '&':
        name += "Amp";
        break;
      default:
        name += "X";
        break;
    }
  }
  if (text.size() > kLongest) name += "_etc" + std::to_string(text.size());
  return name.empty() ? "Empty" : name;
}

// The generator for INSTANTIATE_TEST_SUITE_P: CaseName<&Case::what>{}. The words must
// differ between the cases of one instantiation.
template <auto kField>
struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& instance) const {
    return TestNameOf(instance.param.*kField);
  }
};

// The generator for cases named by the text they read: TextName<&Case::text>{}.
template <auto kField>
struct TextName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& instance) const {
    return SpelledOut(instance.param.*kField);
  }
};

}  // namespace sevalune::testing
