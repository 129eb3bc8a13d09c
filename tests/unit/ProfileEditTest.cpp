#include "settings/ProfileEdit.h"

#include <gtest/gtest.h>

namespace sevalune {
namespace {

using namespace std::string_literals;

// A code page of Latin-1: one byte per character up to U+00FF, nothing beyond.
const AnsiCodec kLatin1{
    [](std::string_view ansi) {
      std::string utf8;
      for (const char byte : ansi) {
        const auto unit = static_cast<unsigned char>(byte);
        if (unit < 0x80) {
          utf8 += byte;
        } else {
          utf8 += static_cast<char>(0xC0 | (unit >> 6));
          utf8 += static_cast<char>(0x80 | (unit & 0x3F));
        }
      }
      return utf8;
    },
    [](std::string_view utf8) -> std::optional<std::string> {
      std::string ansi;
      for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
          ansi += utf8[i];
        } else if ((byte & 0xE0) == 0xC0 && byte <= 0xC3 && i + 1 < utf8.size()) {
          ansi += static_cast<char>(((byte & 0x03) << 6) | (utf8[++i] & 0x3F));
        } else {
          return std::nullopt;
        }
      }
      return ansi;
    }};

std::string Edit(std::string_view file, std::vector<ProfileChange> changes) {
  return EditProfile(file, "Sevalune", changes, kLatin1).bytes;
}

TEST(ProfileEditTest, ChangesOnlyTheKeysLineAndKeepsItsSpelling) {
  const std::string file =
      "; comment\r\n[Other]\r\nSaizu=1\r\n\r\n[sevalune]\r\nUnknown=7\r\n  saizu = 10,9\r\n"
      "Saizu=dup\r\n";
  EXPECT_EQ(Edit(file, {{"Saizu", "12,9"}}),
            "; comment\r\n[Other]\r\nSaizu=1\r\n\r\n[sevalune]\r\nUnknown=7\r\n  saizu = 12,9\r\n"
            "Saizu=dup\r\n");
}

TEST(ProfileEditTest, WritesACommentedOutKeyRightAfterItsComment) {
  const std::string file = "[Sevalune]\n\n; Saizu - sizes\n;Saizu=10,9\n\n;Iro=x\n";
  EXPECT_EQ(Edit(file, {{"Saizu", "12"}}),
            "[Sevalune]\n\n; Saizu - sizes\n;Saizu=10,9\nSaizu=12\n\n;Iro=x\n");
}

TEST(ProfileEditTest, AddsAMissingKeyAfterTheSectionsLastLine) {
  EXPECT_EQ(Edit("[Sevalune]\r\nA=1\r\n\r\n[Next]\r\n", {{"Debug", "1"}}),
            "[Sevalune]\r\nA=1\r\nDebug=1\r\n\r\n[Next]\r\n");
  // A last line without an end gets one; the new last line has none, as before.
  EXPECT_EQ(Edit("[Sevalune]\nA=1", {{"B", "2"}}), "[Sevalune]\nA=1\nB=2");
}

TEST(ProfileEditTest, AddsAMissingSectionAtTheEnd) {
  EXPECT_EQ(Edit("[Other]\nX=1\n", {{"A", "1"}}), "[Other]\nX=1\n[Sevalune]\nA=1\n");
  EXPECT_EQ(Edit("", {{"A", "1"}}), "[Sevalune]\r\nA=1\r\n");
}

TEST(ProfileEditTest, QuotesAValueTheReaderWouldTrimOrUnquote) {
  EXPECT_EQ(WrittenValue(" x"), "\" x\"");
  EXPECT_EQ(WrittenValue("'a'"), "\"'a'\"");
  EXPECT_EQ(WrittenValue("'a"), "'a");
  EXPECT_EQ(Edit("[Sevalune]\r\nK=1\r\n", {{"K", "a "}}), "[Sevalune]\r\nK=\"a \"\r\n");
}

TEST(ProfileEditTest, KeepsUtf16AndItsMark) {
  const std::string file = "\xFF\xFE[\0S\0e\0v\0a\0l\0u\0n\0e\0]\0\r\0\n\0K\0=\0\x42\x30\r\0\n\0"s;
  EXPECT_EQ(Edit(file, {{"K", "\xE3\x81\x84"}}),  // U+3044
            "\xFF\xFE[\0S\0e\0v\0a\0l\0u\0n\0e\0]\0\r\0\n\0K\0=\0\x44\x30\r\0\n\0"s);
}

TEST(ProfileEditTest, TurnsAnAnsiFileIntoUtf16OnlyForACharacterItLacks) {
  const std::string file = "; caf\xE9\r\n[Sevalune]\r\nK=1\r\n";
  const EditedProfile latin = EditProfile(file, "Sevalune", {{"K", "\xC3\xA9"}}, kLatin1);
  EXPECT_EQ(latin.encoding, ProfileEncoding::Ansi);
  EXPECT_EQ(latin.bytes, "; caf\xE9\r\n[Sevalune]\r\nK=\xE9\r\n");
  const EditedProfile wide = EditProfile(file, "Sevalune", {{"K", "\xE3\x81\x84"}}, kLatin1);
  EXPECT_EQ(wide.encoding, ProfileEncoding::Utf16Le);
  EXPECT_EQ(wide.bytes,
            "\xFF\xFE;\0 \0c\0a\0f\0\xE9\0\r\0\n\0[\0S\0e\0v\0a\0l\0u\0n\0e\0]\0\r\0\n\0K\0=\0"
            "\x44\x30\r\0\n\0"s);
}

TEST(ProfileEditTest, KeepsAUtf8MarkAndLoneCarriageReturns) {
  EXPECT_EQ(Edit("\xEF\xBB\xBF[Sevalune]\rK=1\r", {{"K", "\xE3\x81\x84"}}),
            "\xEF\xBB\xBF[Sevalune]\rK=\xE3\x81\x84\r");
}

}  // namespace
}  // namespace sevalune
