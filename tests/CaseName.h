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

// The generator for INSTANTIATE_TEST_SUITE_P: CaseName<&Case::what>{}. The words must
// differ between the cases of one instantiation.
template <auto kField>
struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& instance) const {
    return TestNameOf(instance.param.*kField);
  }
};

}  // namespace sevalune::testing
