// The backend's pure helpers: text conversion at the W boundary, the executable's folder
// and the launch options.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "backend/win32/LaunchOptions.h"
#include "backend/win32/ModulePath.h"
#include "backend/win32/WideText.h"

namespace sevalune::win32 {
namespace {

TEST(WideText, RoundTripsThroughUtf16) {
  const std::vector<std::pair<std::string, std::wstring>> cases = {
      {"", L""},
      {"sevalune", L"sevalune"},
      {"アクティブウィンドウのクラス名情報", L"アクティブウィンドウのクラス名情報"},
      {"Sevalune\xE3\x80\x80", L"Sevalune\u3000"},
      {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},  // one code point, two units
      {"a\rb", L"a\rb"},
  };
  for (const auto& [utf8, utf16] : cases) {
    EXPECT_EQ(Widen(utf8), utf16) << utf8;
    EXPECT_EQ(Narrow(utf16), utf8) << utf8;
  }
}

TEST(WideText, InvalidInputBecomesReplacementCharacter) {
  EXPECT_EQ(Widen("a\xFF"
                  "b"),
            L"a\uFFFDb");
  EXPECT_EQ(Narrow(std::wstring(L"a\xDC00"
                                L"b")),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(WideText, TruncatedTextLosesADanglingHighSurrogate) {
  EXPECT_EQ(NarrowTruncated(std::wstring(L"ab\xD83D")), "ab");
  EXPECT_EQ(NarrowTruncated(std::wstring(L"ab\xD83D\xDE00")), "ab\xF0\x9F\x98\x80");
  EXPECT_EQ(NarrowTruncated(L""), "");
}

TEST(WideText, TruncateUnitsNeverSplitsAPair) {
  struct Case {
    std::wstring text;
    std::size_t maxUnits;
    std::wstring expected;
  };
  const std::vector<Case> cases = {
      {L"sevalune", 63, L"sevalune"},
      {std::wstring(70, L'x'), 63, std::wstring(63, L'x')},
      {L"abc\xD83D\xDE00", 4, L"abc"},
      {L"abc\xD83D\xDE00", 5, L"abc\xD83D\xDE00"},
      {L"abc", 0, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(TruncateUnits(c.text, c.maxUnits), c.expected);
}

TEST(ModulePath, DirectoryKeepsTheSeparatorOnlyAtADriveRoot) {
  const std::vector<std::pair<std::wstring, std::wstring>> cases = {
      {L"C:\\Program Files\\Sevalune\\sevalune.exe", L"C:\\Program Files\\Sevalune"},
      {L"C:\\sevalune.exe", L"C:\\"},
      {L"\\\\server\\share\\sevalune.exe", L"\\\\server\\share"},
      {L"\\\\?\\D:\\sevalune.exe", L"\\\\?\\D:\\"},
      {L"sevalune.exe", L""},
  };
  for (const auto& [path, folder] : cases) EXPECT_EQ(DirectoryOf(path), folder) << Narrow(path);
}

TEST(ModulePath, ExecutablePathNamesThisProgram) {
  const std::wstring path = ExecutablePath();
  ASSERT_GT(path.size(), 4u);
  EXPECT_EQ(path.substr(path.size() - 4), L".exe");
  EXPECT_NE(path.find(L'\\'), std::wstring::npos);
}

TEST(LaunchOptions, OldMethodByOptionOrEnvironment) {
  struct Case {
    std::vector<std::wstring> arguments;
    std::optional<std::wstring> environment;
    bool expected;
  };
  const std::vector<Case> cases = {
      {{}, std::nullopt, false},
      {{L"--old-method"}, std::nullopt, true},
      {{L"x", L"--old-method"}, std::nullopt, true},
      {{L"--OLD-METHOD"}, std::nullopt, false},
      {{L"--old-method=1"}, std::nullopt, false},
      {{}, L"1", true},
      {{}, L"0", false},
      {{}, L"", false},
      {{}, L"yes", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OldMethodRequested(c.arguments, c.environment), c.expected)
        << (c.arguments.empty() ? "" : Narrow(c.arguments.back())) << " / "
        << (c.environment ? Narrow(*c.environment) : "unset");
  }
}

}  // namespace
}  // namespace sevalune::win32
