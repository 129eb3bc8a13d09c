// The simulated GetPrivateProfileString: Windows' rules for reading initialisation files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "backend/sim/ProfileReader.h"
#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "tests/CaseName.h"

namespace sevalune::sim {
namespace {

using namespace std::string_literals;

struct ReadCase {
  const char* what;
  std::string file;
  const char* key;
  std::size_t bufferSize;
  const char* expected;
  std::size_t expectedCount;
};

class ProfileReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileReadTest, AnswersLikeWindows) {
  const ReadCase& c = GetParam();
  const ProfileString answer = ReadProfileString(c.file, "Sevalune", c.key, "dflt", c.bufferSize);
  EXPECT_EQ(answer.text, c.expected) << c.what;
  EXPECT_EQ(answer.count, c.expectedCount) << c.what;
}

// "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E" is 日本語 (three units); "\xF0\x9F\x98\x80" is
// an emoji outside the basic plane (a surrogate pair, two units).
INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileReadTest,
    ::testing::Values(
        ReadCase{"plain value", "[Sevalune]\nIro=abc\n", "Iro", 40, "abc", 3},
        ReadCase{"blanks around name and value", "[Sevalune]\n \t Iro \t= \t abc def \t\n", "Iro",
                 40, "abc def", 7},
        ReadCase{"blanks around the header", "  [ Sevalune ]  \nIro=x\n", "Iro", 40, "x", 1},
        ReadCase{"names without regard to case", "[SEVALUNE]\niRO=x\n", "Iro", 40, "x", 1},
        ReadCase{"double quotes removed", "[Sevalune]\nIro=\"a b\"\n", "Iro", 40, "a b", 3},
        ReadCase{"single quotes removed", "[Sevalune]\nIro='a b'\n", "Iro", 40, "a b", 3},
        ReadCase{"blanks inside quotes kept", "[Sevalune]\nIro=\" a \"\n", "Iro", 40, " a ", 3},
        ReadCase{"two quotes give empty", "[Sevalune]\nIro=\"\"\n", "Iro", 40, "", 0},
        ReadCase{"a lone quote stays", "[Sevalune]\nIro=\"\n", "Iro", 40, "\"", 1},
        ReadCase{"mixed quotes stay", "[Sevalune]\nIro=\"a'\n", "Iro", 40, "\"a'", 3},
        ReadCase{"empty value is not the default", "[Sevalune]\nIro=\n", "Iro", 40, "", 0},
        ReadCase{"key without = has no value: the default", "[Sevalune]\nDebug\n", "Debug", 40,
                 "dflt", 4},
        ReadCase{"first key wins", "[Sevalune]\nIro=1\niro=2\n", "Iro", 40, "1", 1},
        ReadCase{"only the first matching section counts",
                 "[Sevalune]\nA=1\n[Other]\nIro=0\n[sevalune]\nIro=2\n", "Iro", 40, "dflt", 4},
        ReadCase{"first section's key wins over a later one",
                 "[Sevalune]\nIro=1\n[Sevalune]\nIro=2\n", "Iro", 40, "1", 1},
        ReadCase{"lines before any section ignored", "Iro=0\n[Sevalune]\nx=1\n", "Iro", 40, "dflt",
                 4},
        ReadCase{"key of another section", "[Other]\nIro=1\n", "Iro", 40, "dflt", 4},
        ReadCase{"missing section", "[Other]\n", "Iro", 40, "dflt", 4},
        ReadCase{"header without ] is no header", "[Sevalune\nIro=1\n", "Iro", 40, "dflt", 4},
        ReadCase{"CRLF lines", "[Sevalune]\r\nIro=1\r\nSaizu=2\r\n", "Saizu", 40, "2", 1},
        ReadCase{"CR lines", "[Sevalune]\rIro=1\rSaizu=2\r", "Saizu", 40, "2", 1},
        ReadCase{"value with = inside", "[Sevalune]\nIro=a=b\n", "Iro", 40, "a=b", 3},
        ReadCase{"cut at NUL", "[Sevalune]\nIro=ab\0cd\n"s, "Iro", 40, "ab", 2},
        ReadCase{"invalid UTF-8 tolerated",
                 "[Sevalune]\nIro=\xFF"
                 "ab\n",
                 "Iro", 40,
                 "\xEF\xBF\xBD"
                 "ab",
                 3},
        ReadCase{"truncated to bufferSize - 1", "[Sevalune]\nIro=abcdef\n", "Iro", 4, "abc", 3},
        ReadCase{"truncated in UTF-16 units",
                 "[Sevalune]\nIro=\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n", "Iro", 3,
                 "\xE6\x97\xA5\xE6\x9C\xAC", 2},
        ReadCase{"surrogate pair that fits",
                 "[Sevalune]\nIro=a\xF0\x9F\x98\x80"
                 "b\n",
                 "Iro", 4, "a\xF0\x9F\x98\x80", 3},
        ReadCase{"half a surrogate pair is counted, not handed back",
                 "[Sevalune]\nIro=a\xF0\x9F\x98\x80"
                 "b\n",
                 "Iro", 3, "a", 2},
        ReadCase{"quotes go before truncation", "[Sevalune]\nIro=\"abcdef\"\n", "Iro", 4, "abc", 3},
        ReadCase{"buffer of one", "[Sevalune]\nIro=abc\n", "Iro", 1, "", 0},
        ReadCase{"buffer of zero", "[Sevalune]\nIro=abc\n", "Iro", 0, "", 0},
        ReadCase{"default truncated", "", "Iro", 3, "df", 2},
        ReadCase{"UTF-8 byte-order mark", "\xEF\xBB\xBF[Sevalune]\nIro=\xE6\x97\xA5\n", "Iro", 40,
                 "\xE6\x97\xA5", 1},
        ReadCase{"UTF-16LE byte-order mark",
                 "\xFF\xFE[\0S\0e\0v\0a\0l\0u\0n\0e\0]\0\n\0I\0r\0o\0=\0\xE5\x65\n\0"s, "Iro", 40,
                 "\xE6\x97\xA5", 1},
        ReadCase{"UTF-16BE byte-order mark",
                 "\xFE\xFF\0[\0S\0e\0v\0a\0l\0u\0n\0e\0]\0\n\0I\0r\0o\0=\0x\0\n"s, "Iro", 40, "x",
                 1},
        ReadCase{"UTF-16 with a dangling byte",
                 "\xFF\xFE[\0S\0e\0v\0a\0l\0u\0n\0e\0]\0\n\0I\0r\0o\0=\0y\0z"s, "Iro", 40, "y", 1}),
    testing::CaseName<&ReadCase::what>{});

TEST(ProfileDefault, LosesTrailingSpacesOnly) {
  EXPECT_EQ(DefaultProfileString("  a b  ", 40).text, "  a b");
  EXPECT_EQ(DefaultProfileString("a\t", 40).text, "a\t");
  EXPECT_EQ(DefaultProfileString("", 40).count, 0u);
}

TEST(ProfileHugeInput, OneMegabyteLineIsReadAndCut) {
  const std::string longValue(1 << 20, 'v');
  const std::string file =
      "[Other]\n" + std::string(1 << 20, 'j') + "\n[Sevalune]\nIro=" + longValue + "\nSaizu=1,2\n";
  EXPECT_EQ(ReadProfileString(file, "Sevalune", "Iro", "", 500).text, std::string(499, 'v'));
  EXPECT_EQ(ReadProfileString(file, "Sevalune", "Saizu", "", 500).text, "1,2");
}

TEST(ProfileHugeInput, ManyMegabytesOfShortLines) {
  std::string file = "[Sevalune]\n";
  while (file.size() < (8u << 20)) file += "Key=value\n";
  file += "Iro=last\n";
  EXPECT_EQ(ReadProfileString(file, "Sevalune", "Iro", "", 40).text, "last");
}

// Binary junk of every kind must give an answer within the buffer, never a crash.
TEST(ProfileJunk, AnyBytesGiveABoundedAnswer) {
  std::uint32_t state = 12345;  // start value of a small linear congruential generator
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int length = round * 7 % 600;
    for (int i = 0; i < length; ++i) {
      state = state * 1664525u + 1013904223u;
      bytes.push_back(static_cast<char>(state >> 24));
    }
    if (round % 3 == 0) bytes = "[Sevalune]\nIro=" + bytes;
    if (round % 5 == 0) bytes = "\xFF\xFE" + bytes;
    const ProfileString answer = ReadProfileString(bytes, "Sevalune", "Iro", "d", 10);
    EXPECT_LE(answer.count, 9u);
  }
}

// The same rules through the platform call, with the file looked up on the desktop.
class ProfileThroughPlatform : public ::testing::Test {
 protected:
  SimDesktop desktop;
  SimPlatform process{desktop, 4000, 4001};
  static constexpr const char* kPath = "C:\\Program Files\\Sevalune\\sevalune.ini";

  std::string Read(const char* path) {
    return process.GetPrivateProfileString("Sevalune", "Iro", "fallback", 40, path).text;
  }
};

TEST_F(ProfileThroughPlatform, FindsTheFileWithoutRegardToCaseOrSlashes) {
  desktop.Files().Put(kPath, "[Sevalune]\nIro=x\n");
  EXPECT_EQ(Read("c:/program files/SEVALUNE/Sevalune.INI"), "x");
}

TEST_F(ProfileThroughPlatform, UnreadableEntriesGiveTheDefault) {
  EXPECT_EQ(Read(kPath), "fallback");
  desktop.Files().PutDirectory(kPath);
  EXPECT_EQ(Read(kPath), "fallback");
  desktop.Files().PutUnreadable(kPath);
  EXPECT_EQ(Read(kPath), "fallback");
}

}  // namespace
}  // namespace sevalune::sim
