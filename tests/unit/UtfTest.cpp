#include "platform/Utf.h"

#include <gtest/gtest.h>

namespace sevalune {
namespace {

TEST(UtfTest, RoundTripsJapaneseAndSurrogatePairs) {
  const std::string text = "_うおう_ 𠮷";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16(text).size(), 8u);
  EXPECT_EQ(Utf16Length(text), 8u);
}

TEST(UtfTest, TruncatesByUnitsWithoutSplittingAPair) {
  EXPECT_EQ(TruncateToUtf16Units("abc", 2), "ab");
  EXPECT_EQ(TruncateToUtf16Units("うおう", 2), "うお");
  EXPECT_EQ(TruncateToUtf16Units("a𠮷", 2), "a");
  EXPECT_EQ(TruncateToUtf16Units("a𠮷", 3), "a𠮷");
  EXPECT_EQ(TruncateToUtf16Units("", 5), "");
}

TEST(UtfTest, InvalidInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("\xff"), u"\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("a\xe3\x81"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80"), u"\uFFFD");  // an encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xc0\xaf"), u"\uFFFD");      // an overlong form
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace sevalune
