// GetPrivateProfileString over real files: how the settings file is read, blank by
// blank and quote by quote. The expected answers are those of Wine's reader; where
// Windows is known or likely to answer otherwise, the case says so and is not checked
// against Windows.
//
// Plain files are in the ANSI code page, which differs between systems (the simulated
// desktop's is UTF-8), so their cases use ASCII only; other text comes in files with a
// byte-order mark.
#include <ostream>
#include <string>

#include "platform/Utf.h"
#include "tests/CaseName.h"
#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

using namespace std::string_literals;

std::string Utf8WithMark(std::string_view text) { return "\xEF\xBB\xBF" + std::string(text); }

std::string Utf16(std::string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : Utf8ToUtf16(text)) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

std::string Utf16Le(std::string_view text) { return Utf16(text, false); }
std::string Utf16Be(std::string_view text) { return Utf16(text, true); }

// Section "Sevalune" with the given lines after it, CRLF line ends.
std::string Section(std::string_view lines) { return "[Sevalune]\r\n" + std::string(lines); }

struct ProfileCase {
  const char* what;
  std::string file;
  const char* expected;
  std::size_t count;
  const char* key = "Iro";
  const char* defaultValue = "dflt";
  std::size_t bufferSize = 40;
  const char* section = "Sevalune";
  // Set when Windows is known or likely to answer otherwise: why.
  const char* windowsDiffers = nullptr;
};

using testing::CaseName;

class ProfileContract : public ContractTest, public ::testing::WithParamInterface<ProfileCase> {};

TEST_P(ProfileContract, AnswersAsTheRealReader) {
  const ProfileCase& c = GetParam();
  if (Answerer() == Flavor::Windows && c.windowsDiffers != nullptr) {
    GTEST_SKIP() << c.windowsDiffers;
  }
  const std::string path = Driver().WriteFile("sevalune.ini", c.file);
  const ProfileString answer =
      platform.GetPrivateProfileString(c.section, c.key, c.defaultValue, c.bufferSize, path);
  EXPECT_EQ(answer.text, c.expected) << c.what;
  EXPECT_EQ(answer.count, c.count) << c.what;
}

// Japanese texts: 日本語テキスト is seven units, び one; "\xF0\x9F\x98\x80" is an emoji
// outside the basic plane, a surrogate pair of two units.
INSTANTIATE_TEST_SUITE_P(
    Layout, ProfileContract,
    ::testing::Values(
        ProfileCase{
            .what = "plain value", .file = Section("Iro=abc\r\n"), .expected = "abc", .count = 3},
        ProfileCase{.what = "names without regard to case",
                    .file = "[SEVALUNE]\r\niRO=x\r\n",
                    .expected = "x",
                    .count = 1},
        ProfileCase{.what = "blanks around name and value",
                    .file = Section(" \t Iro \t= \t abc def \t\r\n"),
                    .expected = "abc def",
                    .count = 7},
        ProfileCase{.what = "blanks around the header line",
                    .file = "  [Sevalune]  \r\nIro=x\r\n",
                    .expected = "x",
                    .count = 1},
        ProfileCase{.what = "blanks inside the brackets do not count",
                    .file = "[ Sevalune ]\r\nIro=x\r\n",
                    .expected = "x",
                    .count = 1},
        ProfileCase{.what = "blanks around the requested names do not count",
                    .file = Section("Iro=x\r\n"),
                    .expected = "x",
                    .count = 1,
                    .key = " Iro ",
                    .section = " Sevalune "},
        ProfileCase{.what = "a header without ] is no header",
                    .file = "[Sevalune\r\nIro=1\r\n",
                    .expected = "dflt",
                    .count = 4,
                    .windowsDiffers = "not known how Windows reads it"},
        ProfileCase{.what = "a line like a header without ] stays in its section",
                    .file = Section("[Other\r\nIro=2\r\n"),
                    .expected = "2",
                    .count = 1,
                    .windowsDiffers = "not known how Windows reads it"},
        ProfileCase{.what = "text after the ] is ignored",
                    .file = "[Sevalune] ; note\r\nIro=x\r\n",
                    .expected = "x",
                    .count = 1},
        ProfileCase{.what = "the name runs to the last ]",
                    .file = "[Seva]lune]\r\nIro=x\r\n",
                    .expected = "x",
                    .count = 1,
                    .section = "Seva]lune",
                    .windowsDiffers = "not known where Windows ends the name"},
        ProfileCase{.what = "value with = inside",
                    .file = Section("Iro=a=b\r\n"),
                    .expected = "a=b",
                    .count = 3},
        ProfileCase{.what = "empty value is not the default",
                    .file = Section("Iro=\r\n"),
                    .expected = "",
                    .count = 0},
        ProfileCase{.what = "a key line without = has no value: the default",
                    .file = Section("Iro\r\n"),
                    .expected = "dflt",
                    .count = 4,
                    .windowsDiffers = "Windows may give the empty text"},
        ProfileCase{.what = "a key line without = hides a later one",
                    .file = Section("Iro\r\nIro=2\r\n"),
                    .expected = "dflt",
                    .count = 4,
                    .windowsDiffers = "Windows may give the empty text"},
        ProfileCase{.what = "the first of two keys wins",
                    .file = Section("Iro=1\r\niro=2\r\n"),
                    .expected = "1",
                    .count = 1},
        ProfileCase{.what = "only the first matching section is searched",
                    .file = Section("A=1\r\n[Other]\r\nIro=0\r\n[sevalune]\r\nIro=2\r\n"),
                    .expected = "dflt",
                    .count = 4,
                    .windowsDiffers = "Windows may search a repeated section too"},
        ProfileCase{.what = "a repeated section does not override the first",
                    .file = Section("Iro=1\r\n[Sevalune]\r\nIro=2\r\n"),
                    .expected = "1",
                    .count = 1},
        ProfileCase{.what = "lines before any section belong to none",
                    .file = "Iro=0\r\n[Sevalune]\r\nx=1\r\n",
                    .expected = "dflt",
                    .count = 4},
        ProfileCase{.what = "a key of another section",
                    .file = "[Other]\r\nIro=1\r\n",
                    .expected = "dflt",
                    .count = 4},
        ProfileCase{
            .what = "a missing key", .file = Section("A=1\r\n"), .expected = "dflt", .count = 4},
        ProfileCase{.what = "an empty file", .file = "", .expected = "dflt", .count = 4},
        ProfileCase{.what = "a comment line is passed over",
                    .file = Section(";Iro=1\r\nIro=2\r\n"),
                    .expected = "2",
                    .count = 1},
        ProfileCase{.what = "a comment line is a key named with its semicolon",
                    .file = Section(";Iro=1\r\n"),
                    .expected = "1",
                    .count = 1,
                    .key = ";Iro",
                    .windowsDiffers = "Windows may skip comment lines altogether"},
        ProfileCase{.what = "no comments after a value",
                    .file = Section("Iro=abc ; note\r\n"),
                    .expected = "abc ; note",
                    .count = 10},
        ProfileCase{.what = "CR alone ends lines",
                    .file = "[Sevalune]\rIro=1\rSaizu=2\r",
                    .expected = "2",
                    .count = 1,
                    .key = "Saizu"},
        ProfileCase{.what = "LF alone ends lines",
                    .file = "[Sevalune]\nIro=1\nSaizu=2\n",
                    .expected = "2",
                    .count = 1,
                    .key = "Saizu"},
        ProfileCase{.what = "no line end after the last value",
                    .file = Section("Iro=end"),
                    .expected = "end",
                    .count = 3},
        ProfileCase{.what = "a NUL ends the value",
                    .file = Section("Iro=ab\0cd\r\n"s),
                    .expected = "ab",
                    .count = 2},
        ProfileCase{.what = "a NUL in an earlier line",
                    .file = Section("X=\0\r\nIro=5\r\n"s),
                    .expected = "5",
                    .count = 1}),
    CaseName<&ProfileCase::what>{});

INSTANTIATE_TEST_SUITE_P(
    Quotes, ProfileContract,
    ::testing::Values(
        ProfileCase{.what = "double quotes removed",
                    .file = Section("Iro=\"a b\"\r\n"),
                    .expected = "a b",
                    .count = 3},
        ProfileCase{.what = "single quotes removed",
                    .file = Section("Iro='a b'\r\n"),
                    .expected = "a b",
                    .count = 3},
        ProfileCase{.what = "blanks inside quotes kept",
                    .file = Section("Iro=\" a \"\r\n"),
                    .expected = " a ",
                    .count = 3},
        ProfileCase{.what = "two quotes give the empty text",
                    .file = Section("Iro=\"\"\r\n"),
                    .expected = "",
                    .count = 0},
        ProfileCase{.what = "a lone quote stays",
                    .file = Section("Iro=\"\r\n"),
                    .expected = "\"",
                    .count = 1},
        ProfileCase{.what = "an unbalanced opening quote stays",
                    .file = Section("Iro=\"abc\r\n"),
                    .expected = "\"abc",
                    .count = 4},
        ProfileCase{.what = "an unbalanced closing quote stays",
                    .file = Section("Iro=abc\"\r\n"),
                    .expected = "abc\"",
                    .count = 4},
        ProfileCase{.what = "different quotes stay",
                    .file = Section("Iro=\"a'\r\n"),
                    .expected = "\"a'",
                    .count = 3},
        ProfileCase{.what = "quotes around a part stay",
                    .file = Section("Iro=\"a\" b\r\n"),
                    .expected = "\"a\" b",
                    .count = 5},
        ProfileCase{.what = "a quoted value cut",
                    .file = Section("Iro=\"abcdef\"\r\n"),
                    .expected = "abc",
                    .count = 3,
                    .bufferSize = 4},
        ProfileCase{.what = "a quoted value with room for its closing quote",
                    .file = Section("Iro=\"abc\"\r\n"),
                    .expected = "abc",
                    .count = 3,
                    .bufferSize = 5},
        // Wine takes off the closing quote whenever the buffer could have held it, even
        // when it was cut off already: one character too many goes.
        ProfileCase{.what = "a quoted value that just fits loses a character",
                    .file = Section("Iro=\"abc\"\r\n"),
                    .expected = "ab",
                    .count = 2,
                    .bufferSize = 4,
                    .windowsDiffers = "Windows is not known to cut the last character"},
        ProfileCase{.what = "a quoted default loses its quotes when the key is missing",
                    .file = Section("A=1\r\n"),
                    .expected = "q",
                    .count = 1,
                    .defaultValue = "'q'",
                    .windowsDiffers = "not known whether Windows unquotes the default"}),
    CaseName<&ProfileCase::what>{});

INSTANTIATE_TEST_SUITE_P(
    Buffers, ProfileContract,
    ::testing::Values(
        ProfileCase{.what = "cut to bufferSize - 1",
                    .file = Section("Iro=abcdef\r\n"),
                    .expected = "abc",
                    .count = 3,
                    .bufferSize = 4},
        ProfileCase{.what = "a buffer of one holds nothing",
                    .file = Section("Iro=abc\r\n"),
                    .expected = "",
                    .count = 0,
                    .bufferSize = 1},
        ProfileCase{.what = "the default is cut too",
                    .file = Section("A=1\r\n"),
                    .expected = "df",
                    .count = 2,
                    .bufferSize = 3},
        ProfileCase{.what = "Japanese text is cut in units",
                    .file = Utf16Le(Section("Iro=\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x86"
                                            "\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88\r\n")),
                    .expected = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
                    .count = 3,
                    .bufferSize = 4},
        ProfileCase{.what = "a surrogate pair that fits",
                    .file = Utf16Le(Section("Iro=a\xF0\x9F\x98\x80"
                                            "b\r\n")),
                    .expected = "a\xF0\x9F\x98\x80",
                    .count = 3,
                    .bufferSize = 4},
        // The reader copies units: half a pair is placed and counted; the text the
        // platform hands back leaves that half out.
        ProfileCase{.what = "a surrogate pair cut in half",
                    .file = Utf16Le(Section("Iro=a\xF0\x9F\x98\x80"
                                            "b\r\n")),
                    .expected = "a",
                    .count = 2,
                    .bufferSize = 3}),
    CaseName<&ProfileCase::what>{});

INSTANTIATE_TEST_SUITE_P(
    Defaults, ProfileContract,
    ::testing::Values(ProfileCase{.what = "trailing spaces of the default are dropped",
                                  .file = Section("A=1\r\n"),
                                  .expected = "dflt",
                                  .count = 4,
                                  .defaultValue = "dflt  "},
                      ProfileCase{.what = "a trailing tab of the default stays",
                                  .file = Section("A=1\r\n"),
                                  .expected = "a\t",
                                  .count = 2,
                                  .defaultValue = "a\t"},
                      ProfileCase{.what = "leading spaces of the default stay",
                                  .file = Section("A=1\r\n"),
                                  .expected = "  a",
                                  .count = 3,
                                  .defaultValue = "  a"},
                      ProfileCase{.what = "a default of spaces keeps one",
                                  .file = Section("A=1\r\n"),
                                  .expected = " ",
                                  .count = 1,
                                  .defaultValue = "   ",
                                  .windowsDiffers = "not known what Windows leaves of it"},
                      ProfileCase{.what = "the empty default",
                                  .file = Section("A=1\r\n"),
                                  .expected = "",
                                  .count = 0,
                                  .defaultValue = ""}),
    CaseName<&ProfileCase::what>{});

INSTANTIATE_TEST_SUITE_P(
    Encodings, ProfileContract,
    ::testing::Values(
        ProfileCase{.what = "UTF-16LE with its mark",
                    .file = Utf16Le(Section("Iro=\xE3\x81\xB3\r\n")),
                    .expected = "\xE3\x81\xB3",
                    .count = 1},
        ProfileCase{.what = "UTF-16BE with its mark",
                    .file = Utf16Be(Section("Iro=\xE3\x81\xB3\r\n")),
                    .expected = "\xE3\x81\xB3",
                    .count = 1,
                    .windowsDiffers = "Windows may not read big-endian files"},
        ProfileCase{.what = "UTF-8 with its mark",
                    .file = Utf8WithMark(Section("Iro=\xE3\x81\xB3\r\n")),
                    .expected = "\xE3\x81\xB3",
                    .count = 1,
                    .windowsDiffers = "Windows reads such a file as ANSI, its mark included"},
        ProfileCase{.what = "full-width names match exactly",
                    .file = Utf16Le("[\xEF\xBC\xB3]\r\n\xEF\xBC\xAB=v\r\n"),  // [Ｓ] Ｋ=v
                    .expected = "v",
                    .count = 1,
                    .key = "\xEF\xBC\xAB",
                    .section = "\xEF\xBC\xB3"}),
    CaseName<&ProfileCase::what>{});

// Section and key names match with ASCII letters folded, and only those.
INSTANTIATE_TEST_SUITE_P(
    NameCase, ProfileContract,
    ::testing::Values(ProfileCase{.what = "ASCII letters fold",
                                  .file = "[sEVALUNE]\r\nsAIZU=1\r\n",
                                  .expected = "1",
                                  .count = 1,
                                  .key = "Saizu"},
                      ProfileCase{
                          .what = "Latin-1 letters do not fold",
                          .file = Utf16Le("[\xC3\x89t\xC3\xA9]\r\n\xC3\x89=1\r\n"),  // [Été] É=1
                          .expected = "dflt",
                          .count = 4,
                          .key = "\xC3\xA9",               // é
                          .section = "\xC3\xA9T\xC3\x89",  // éTÉ
                          .windowsDiffers = "Windows likely folds every letter"},
                      ProfileCase{.what = "Cyrillic letters do not fold",
                                  .file = Utf16Le("[S]\r\n\xD0\x96=1\r\n"),  // Ж=1
                                  .expected = "dflt",
                                  .count = 4,
                                  .key = "\xD0\xB6",
                                  .section = "S",  // ж
                                  .windowsDiffers = "Windows likely folds every letter"},
                      ProfileCase{.what = "full-width letters do not fold",
                                  .file = Utf16Le("[\xEF\xBC\xB3]\r\nk=1\r\n"),  // [Ｓ]
                                  .expected = "dflt",
                                  .count = 4,
                                  .key = "k",
                                  .section = "\xEF\xBD\x93",  // ｓ
                                  .windowsDiffers = "Windows likely folds every letter"}),
    CaseName<&ProfileCase::what>{});

// Blanks: space, tab, the line-end characters, vertical tab, form feed and ^Z.
INSTANTIATE_TEST_SUITE_P(
    Blanks, ProfileContract,
    ::testing::Values(ProfileCase{.what = "full-width spaces are no blanks",
                                  .file = Utf16Le(Section("Iro=\xE3\x80\x80"
                                                          "abc\xE3\x80\x80\r\n")),
                                  .expected = "\xE3\x80\x80"
                                              "abc\xE3\x80\x80",
                                  .count = 5},
                      ProfileCase{.what = "vertical tab, form feed and ^Z around a value",
                                  .file = Section("Iro=\x0B\x0C abc\x1A\r\n"),
                                  .expected = "abc",
                                  .count = 3,
                                  .windowsDiffers = "not known which blanks Windows trims"},
                      ProfileCase{.what = "a no-break space is no blank",
                                  .file = Utf16Le(Section("Iro=\xC2\xA0"
                                                          "abc\r\n")),
                                  .expected = "\xC2\xA0"
                                              "abc",
                                  .count = 4}),
    CaseName<&ProfileCase::what>{});

class ProfileFiles : public ContractTest {};

// Beside the settings file, the program's language comes from the user's UI language: a
// language identifier with a primary language (the simulated desktop's user works in
// Japanese, 0x411).
TEST_F(ProfileFiles, TheUserHasAUiLanguage) {
  const std::uint16_t language = platform.GetUserDefaultUILanguage();
  EXPECT_NE(language & 0x3FF, 0);
  if (Answerer() == Flavor::Simulator) {
    EXPECT_EQ(language, 0x411);
  }
}

TEST_F(ProfileFiles, AMissingFileGivesTheDefault) {
  const std::string path = Driver().MissingFile("no-such.ini");
  const ProfileString answer =
      platform.GetPrivateProfileString("Sevalune", "Iro", "dflt", 40, path);
  EXPECT_EQ(answer.text, "dflt");
  EXPECT_EQ(answer.count, 4u);
}

TEST_F(ProfileFiles, ADirectoryGivesTheDefault) {
  const std::string path = Driver().MakeDirectory("sevalune.ini");
  const ProfileString answer = platform.GetPrivateProfileString("Sevalune", "Iro", "'q'", 40, path);
  EXPECT_EQ(answer.text, "'q'");
  EXPECT_EQ(answer.count, 3u);
}

TEST_F(ProfileFiles, AOneMegabyteLineIsReadAndCut) {
  const std::string longValue(1 << 20, 'v');
  const std::string path = Driver().WriteFile(
      "sevalune.ini", "[Other]\r\n" + std::string(1 << 20, 'j') +
                          "\r\n[Sevalune]\r\nIro=" + longValue + "\r\nSaizu=1,2\r\n");
  const ProfileString iro = platform.GetPrivateProfileString("Sevalune", "Iro", "", 500, path);
  EXPECT_EQ(iro.text, std::string(499, 'v'));
  EXPECT_EQ(iro.count, 499u);
  EXPECT_EQ(platform.GetPrivateProfileString("Sevalune", "Saizu", "", 50, path).text, "1,2");
}

}  // namespace
}  // namespace sevalune::contract
