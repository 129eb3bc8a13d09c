// The settings file as the program reads it at start-up, through the simulated desktop's
// profile reader: every fallback, the lenient numbers and the values that stop start-up.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "backend/sim/SimProgram.h"
#include "settings/LanguageInUse.h"
#include "settings/Settings.h"
#include "tests/CaseName.h"

namespace sevalune {
namespace {

using sim::SimDesktop;
using sim::SimPlatform;

constexpr const char* kIniPath = "C:\\Program Files\\Sevalune\\sevalune.ini";

class SettingsFileTest : public ::testing::Test {
 protected:
  std::variant<Settings, SettingsFailure> ReadWith(const std::string& iniBody) {
    desktop_.Files().Put(kIniPath, "[Sevalune]\r\n" + iniBody);
    return ReadSettings(platform_);
  }

  Settings SettingsWith(const std::string& iniBody) {
    auto result = ReadWith(iniBody);
    if (auto* failure = std::get_if<SettingsFailure>(&result)) {
      ADD_FAILURE() << "unexpected failure " << failure->key << " " << failure->number;
      return {};
    }
    return std::get<Settings>(result);
  }

  SettingsFailure FailureWith(const std::string& iniBody) {
    auto result = ReadWith(iniBody);
    if (auto* failure = std::get_if<SettingsFailure>(&result)) return *failure;
    ADD_FAILURE() << "expected a failure for: " << iniBody;
    return {};
  }

  SimDesktop desktop_;
  SimPlatform platform_{desktop_, sim::kProgramProcess, sim::kProgramThread};
};

void ExpectDefaults(const Settings& s) {
  EXPECT_EQ(s.colors, (MarkerColors{0xFF00FF, 0x0000FF, 0xFF00FF, 0x0000FF, 0x00FFFF}));
  EXPECT_EQ(s.tickPeriodMs, 110u);
  EXPECT_EQ(s.blinkFactor, 8);
  EXPECT_FALSE(s.debugMode);
  EXPECT_EQ(s.sizes, (MarkerSizes{10, 9, 18, 8, 5, 3}));
  EXPECT_EQ(s.classLists.neverMark, "xxx");
  EXPECT_EQ(s.classLists.menusOnly, "xxx");
  EXPECT_EQ(s.classLists.parkCursor, "xxx");
  EXPECT_EQ(s.hold, (HoldPolicy{HoldMode::OldMethodOnly, 2}));
  EXPECT_TRUE(s.dpiScaling);
  EXPECT_EQ(s.hotkey, (HotkeySetting{Hotkey{0x7, 0x7B}, ""}));
  EXPECT_TRUE(s.accessibility);
  EXPECT_EQ(s.language, std::nullopt);
  EXPECT_FALSE(s.imeNeedsNativeMode);
  EXPECT_FALSE(s.findOnSwitch);
}

TEST_F(SettingsFileTest, MissingFileGivesEveryFallback) {
  auto result = ReadSettings(platform_);
  ASSERT_TRUE(std::holds_alternative<Settings>(result));
  ExpectDefaults(std::get<Settings>(result));
}

TEST_F(SettingsFileTest, UnusableFilesGiveEveryFallback) {
  desktop_.Files().PutDirectory(kIniPath);
  ExpectDefaults(std::get<Settings>(ReadSettings(platform_)));
  desktop_.Files().Remove(kIniPath);
  desktop_.Files().PutUnreadable(kIniPath);
  ExpectDefaults(std::get<Settings>(ReadSettings(platform_)));
  desktop_.Files().Remove(kIniPath);
  desktop_.Files().Put(kIniPath, "[Other]\r\nIro=00FF00,00FF00,00FF00,00FF00,00FF00\r\n");
  ExpectDefaults(std::get<Settings>(ReadSettings(platform_)));
}

TEST_F(SettingsFileTest, EmptyValuesGiveTheFallbacks) {
  ExpectDefaults(
      SettingsWith("Iro=\r\nMimawariKankaku=\r\nTenmetuKeisuu=\r\nDebug=\r\n"
                   "Saizu=\r\nKirainaKurasu1=\r\nKirainaKurasu2=\r\n"
                   "KirainaKurasu3=\r\nOazuke=\r\nDPIHosei=\r\nAkusesibiriti=\r\n"));
}

TEST_F(SettingsFileTest, KeysAndSectionMatchWithoutRegardToCase) {
  desktop_.Files().Put(kIniPath, "[SEVALUNE]\r\ntenmetukeisuu=3\r\n");
  EXPECT_EQ(std::get<Settings>(ReadSettings(platform_)).blinkFactor, 3);
}

TEST_F(SettingsFileTest, ColoursNeedExactly34Characters) {
  const Settings green = SettingsWith("Iro=00FF00,00FF00,00FF00,00FF00,00FF00\r\n");
  EXPECT_EQ(green.colors.caret, 0x00FF00u);
  EXPECT_EQ(green.colors.menu, 0x00FF00u);
  EXPECT_EQ(SettingsWith("Iro=00FF00;00FF00;00FF00;00FF00;00FF00\r\n").colors.parts, 0x00FF00u);
  EXPECT_EQ(SettingsWith("Iro=00FF00 00FF00 00FF00 00FF00 00FF00\r\n").colors.partsIme, 0x00FF00u);
  EXPECT_EQ(SettingsWith("Iro=00FF00,00FF00,00FF00,00FF00,00FF00,\r\n").colors.caret, 0xFF00FFu);
  EXPECT_EQ(SettingsWith("Iro=00FF00,00FF00,00FF00,00FF00,00FF0\r\n").colors.caret, 0xFF00FFu);
  const Settings mixed = SettingsWith("Iro=123456,abcdef,zz0000,0000FF,FFFFFF\r\n");
  EXPECT_EQ(mixed.colors.caret, 0x123456u);
  EXPECT_EQ(mixed.colors.caretIme, 0xABCDEFu);
  EXPECT_EQ(mixed.colors.parts, 0u);  // a group that does not begin with a hex digit
  EXPECT_EQ(mixed.colors.partsIme, 0x0000FFu);
  EXPECT_EQ(mixed.colors.menu, 0xFFFFFFu);
  // Japanese separators count as one character each.
  EXPECT_EQ(SettingsWith("Iro=00FF00、00FF00、00FF00、00FF00、00FF00\r\n").colors.menu, 0x00FF00u);
  EXPECT_EQ(SettingsWith("Iro=\"00FF00,00FF00,00FF00,00FF00,00FF00\"\r\n").colors.caret, 0x00FF00u);
}

struct PeriodCase {
  const char* value;
  std::uint32_t period;
};

class TickPeriodTest : public SettingsFileTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(TickPeriodTest, ReadsLeniently) {
  EXPECT_EQ(SettingsWith(std::string("MimawariKankaku=") + GetParam().value + "\r\n").tickPeriodMs,
            GetParam().period);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TickPeriodTest,
    ::testing::Values(PeriodCase{"100", 100}, PeriodCase{"99.5", 100}, PeriodCase{"100.5", 100},
                      PeriodCase{"0", 110}, PeriodCase{"-5", 110}, PeriodCase{"abc", 110},
                      PeriodCase{"120ms", 120}, PeriodCase{"1e3", 1000}, PeriodCase{"&H10", 16},
                      PeriodCase{"65535", 65535}, PeriodCase{" 5 0 ", 50},
                      // Rounds to 0: runs at the timer's shortest period rather than never.
                      PeriodCase{"0.4", 1}, PeriodCase{"0.5", 1}),
    testing::TextName<&PeriodCase::value>{});

TEST_F(SettingsFileTest, TickPeriodsTheTimerRefusesStopStartUp) {
  const SettingsFailure tooLong = FailureWith("MimawariKankaku=65536\r\n");
  EXPECT_EQ(tooLong.key, "MimawariKankaku");
  EXPECT_EQ(tooLong.number, 380);
  EXPECT_EQ(tooLong.description, "invalid property value");
  EXPECT_EQ(FailureWith("MimawariKankaku=65535.5\r\n").number, 380);
  const SettingsFailure beyond32 = FailureWith("MimawariKankaku=3000000000\r\n");
  EXPECT_EQ(beyond32.number, 6);
  EXPECT_EQ(beyond32.description, "overflow");
  EXPECT_EQ(FailureWith("MimawariKankaku=1e400\r\n").number, 6);
  EXPECT_EQ(FailureWith("MimawariKankaku=-1e400\r\n").number, 6);
}

TEST_F(SettingsFileTest, BlinkFactorIsTestedBeforeItIsRounded) {
  EXPECT_EQ(SettingsWith("TenmetuKeisuu=1\r\n").blinkFactor, 8);
  EXPECT_EQ(SettingsWith("TenmetuKeisuu=0\r\n").blinkFactor, 8);
  EXPECT_EQ(SettingsWith("TenmetuKeisuu=-3\r\n").blinkFactor, 8);
  EXPECT_EQ(SettingsWith("TenmetuKeisuu=1.2\r\n").blinkFactor, 1);
  EXPECT_EQ(SettingsWith("TenmetuKeisuu=1.5\r\n").blinkFactor, 2);
  EXPECT_EQ(SettingsWith("TenmetuKeisuu=2\r\n").blinkFactor, 2);
  EXPECT_EQ(SettingsWith("TenmetuKeisuu=32767\r\n").blinkFactor, 32767);
  // The 16-bit blink phase cannot count further.
  EXPECT_EQ(SettingsWith("TenmetuKeisuu=40000\r\n").blinkFactor, 32767);
  EXPECT_EQ(FailureWith("TenmetuKeisuu=2147483648\r\n").key, "TenmetuKeisuu");
}

TEST_F(SettingsFileTest, DebugCountsWhateverItSays) {
  EXPECT_TRUE(SettingsWith("Debug=0\r\n").debugMode);
  EXPECT_TRUE(SettingsWith("Debug=off\r\n").debugMode);
  EXPECT_FALSE(SettingsWith("Debug=\r\n").debugMode);
  EXPECT_FALSE(SettingsWith("Debug=\"\"\r\n").debugMode);
}

struct ScalingCase {
  const char* value;
  bool on;
};

class DpiScalingTest : public SettingsFileTest,
                       public ::testing::WithParamInterface<ScalingCase> {};

TEST_P(DpiScalingTest, OnlyANumberThatRoundsToZeroSwitchesItOff) {
  EXPECT_EQ(SettingsWith(std::string("DPIHosei=") + GetParam().value + "\r\n").dpiScaling,
            GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DpiScalingTest,
    ::testing::Values(ScalingCase{"1", true}, ScalingCase{"0", false}, ScalingCase{"2", true},
                      ScalingCase{"-1", true}, ScalingCase{"0.4", false}, ScalingCase{"0.5", false},
                      ScalingCase{"0.6", true}, ScalingCase{"1.5", true}, ScalingCase{" 0 ", false},
                      ScalingCase{"&H0", false}, ScalingCase{"0x1", false},
                      ScalingCase{"1 (on)", true},
                      // Text without a leading number reads as 0, as for the other keys.
                      ScalingCase{"off", false}, ScalingCase{"on", false}));

TEST_F(SettingsFileTest, DpiScalingBeyond32BitsStopsStartUp) {
  const SettingsFailure tooBig = FailureWith("DPIHosei=3000000000\r\n");
  EXPECT_EQ(tooBig.key, "DPIHosei");
  EXPECT_EQ(tooBig.number, 6);
  EXPECT_EQ(FailureWith("DPIHosei=1e400\r\n").key, "DPIHosei");
  // Read last: a failure of an earlier key is the one reported.
  EXPECT_EQ(FailureWith("Saizu=1\r\nDPIHosei=1e400\r\n").key, "Saizu");
}

TEST_F(SettingsFileTest, SizesTakeTheFirstSixOfAtLeastFiveItems) {
  using Sizes = MarkerSizes;
  EXPECT_EQ(SettingsWith("Saizu=1,2,3,4,5\r\n").sizes, (Sizes{1, 2, 3, 4, 5, 0}));
  EXPECT_EQ(SettingsWith("Saizu=1,2,3,4,5,6,7\r\n").sizes, (Sizes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(SettingsWith("Saizu=10,,18,8,5,3\r\n").sizes, (Sizes{10, 0, 18, 8, 5, 3}));
  EXPECT_EQ(SettingsWith("Saizu=a,2.5,3.5,-4,32767,-32768\r\n").sizes,
            (Sizes{0, 2, 4, -4, 32767, -32768}));
  // More than 49 characters are cut before splitting: the sixth item loses its digits.
  EXPECT_EQ(SettingsWith("Saizu=1,2,3,4,5," + std::string(40, '0') + "12345\r\n").sizes,
            (Sizes{1, 2, 3, 4, 5, 0}));
}

TEST_F(SettingsFileTest, SizesThatCannotBeStoredStopStartUp) {
  const SettingsFailure tooFew = FailureWith("Saizu=1,2,3,4\r\n");
  EXPECT_EQ(tooFew.key, "Saizu");
  EXPECT_EQ(tooFew.number, 5);
  EXPECT_EQ(tooFew.description, "invalid argument");
  EXPECT_EQ(FailureWith("Saizu=1\r\n").number, 5);
  const SettingsFailure tooBig = FailureWith("Saizu=1,32768,3,4,5\r\n");
  EXPECT_EQ(tooBig.key, "Saizu");
  EXPECT_EQ(tooBig.number, 6);
  EXPECT_EQ(FailureWith("Saizu=1,2,3,4,-32769\r\n").number, 6);
}

TEST_F(SettingsFileTest, ListsAreStoredUnchangedAndTheHoldIsParsed) {
  const Settings s = SettingsWith(
      "KirainaKurasu1=Notepad, "
      "Edit\r\nKirainaKurasu2=メモ帳\r\nKirainaKurasu3=,\r\nOazuke=2x9\r\n");
  EXPECT_EQ(s.classLists.neverMark, "Notepad, Edit");
  EXPECT_EQ(s.classLists.menusOnly, "メモ帳");
  EXPECT_EQ(s.classLists.parkCursor, ",");
  EXPECT_EQ(s.hold, (HoldPolicy{HoldMode::Always, 0}));
  EXPECT_EQ(SettingsWith("KirainaKurasu1=" + std::string(600, 'a') + "\r\n").classLists.neverMark,
            std::string(499, 'a'));
}

TEST_F(SettingsFileTest, HotkeyIsTheDefaultWhenMissingAndOffWhenEmpty) {
  EXPECT_EQ(SettingsWith("Hottoki\r\n").hotkey, (HotkeySetting{Hotkey{0x7, 0x7B}, ""}));
  EXPECT_EQ(SettingsWith("Hottoki=\r\n").hotkey, HotkeySetting{});
  EXPECT_EQ(SettingsWith("hottoki=Win+Shift+F3\r\n").hotkey,
            (HotkeySetting{Hotkey{0xC, 0x72}, ""}));
}

TEST_F(SettingsFileTest, AnUnusableHotkeyIsKeptAsWrittenAndNeverFails) {
  const Settings s = SettingsWith("Hottoki=Ctrl+Alt+Shft+F12\r\nTenmetuKeisuu=4\r\n");
  EXPECT_EQ(s.hotkey, (HotkeySetting{std::nullopt, "Ctrl+Alt+Shft+F12"}));
  EXPECT_EQ(s.blinkFactor, 4);
  // Another key's failure still names that key.
  EXPECT_EQ(FailureWith("Hottoki=nonsense\r\nSaizu=1,2,3,4\r\n").key, "Saizu");
}

struct SwitchCase {
  const char* value;
  bool on;
};

class AccessibilitySwitchTest : public SettingsFileTest,
                                public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(AccessibilitySwitchTest, OffOnlyForWhatReadsAsZero) {
  EXPECT_EQ(SettingsWith(std::string("Akusesibiriti=") + GetParam().value + "\r\n").accessibility,
            GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(Values, AccessibilitySwitchTest,
                         ::testing::Values(SwitchCase{"1", true}, SwitchCase{"0", false},
                                           SwitchCase{" 0 ", false}, SwitchCase{"2", true},
                                           SwitchCase{"-1", true}, SwitchCase{"&H1", true},
                                           SwitchCase{"0.4", false}, SwitchCase{"0.5", false},
                                           SwitchCase{"1.5", true},
                                           // Lenient: text without a number reads as 0.
                                           SwitchCase{"off", false}, SwitchCase{"\"\"", true}));

TEST_F(SettingsFileTest, AccessibilitySwitchBeyond32BitsStopsStartUp) {
  const SettingsFailure failure = FailureWith("Akusesibiriti=3000000000\r\n");
  EXPECT_EQ(failure.key, "Akusesibiriti");
  EXPECT_EQ(failure.number, 6);
  EXPECT_EQ(FailureWith("Akusesibiriti=1e400\r\n").key, "Akusesibiriti");
  // Read last: an earlier key's failure is the one shown.
  EXPECT_EQ(FailureWith("Saizu=1\r\nAkusesibiriti=1e400\r\n").key, "Saizu");
}

TEST_F(SettingsFileTest, FailureTextNamesKeyNumberAndDescription) {
  EXPECT_EQ(SettingsFailureText(FailureWith("Saizu=1,2,3,4\r\n"), Language::Japanese),
            "エラー（ＩＮＩファイル読み込み） : Saizu\r5\rinvalid argument");
  EXPECT_EQ(SettingsFailureText(FailureWith("Saizu=1,2,3,4\r\n"), Language::English),
            "Error reading sevalune.ini: Saizu\r5\rinvalid argument");
}

// Gengo forces a language in any case of "ja" or "en"; anything else follows Windows, whose
// UI language is Japanese only for a Japanese one (primary language 0x11).
TEST_F(SettingsFileTest, GengoForcesALanguageElseWindowsDecides) {
  EXPECT_EQ(SettingsWith("Gengo=JA\r\n").language, Language::Japanese);
  EXPECT_EQ(SettingsWith("Gengo=en\r\n").language, Language::English);
  EXPECT_EQ(SettingsWith("Gengo=english\r\n").language, std::nullopt);
  EXPECT_EQ(LanguageInUse(platform_, SettingsWith("Gengo=\r\n")), Language::Japanese);
  EXPECT_EQ(LanguageInUse(platform_, SettingsWith("Gengo=en\r\n")), Language::English);
  desktop_.SetUiLanguage(0x409);
  EXPECT_EQ(LanguageInUse(platform_, SettingsWith("Gengo=x\r\n")), Language::English);
  EXPECT_EQ(LanguageInUse(platform_, SettingsWith("Gengo=ja\r\n")), Language::Japanese);
  desktop_.SetUiLanguage(0x0811);  // a Japanese UI of another sublanguage
  EXPECT_EQ(LanguageInUse(platform_, Settings{}), Language::Japanese);
}

// A file that cannot be read still names its language: Gengo alone is read for its box.
TEST_F(SettingsFileTest, AFileThatFailsStillChoosesItsLanguage) {
  FailureWith("Saizu=1\r\nGengo=en\r\n");
  EXPECT_EQ(LanguageOfSettingsFile(platform_), Language::English);
}

TEST(SettingsPathTest, OneSeparatorBetweenDirectoryAndFile) {
  EXPECT_EQ(SettingsFilePath("C:\\Program Files\\Sevalune"),
            "C:\\Program Files\\Sevalune\\sevalune.ini");
  EXPECT_EQ(SettingsFilePath("C:\\"), "C:\\sevalune.ini");
  EXPECT_EQ(SettingsFilePath("\\\\server\\share\\ツール"),
            "\\\\server\\share\\ツール\\sevalune.ini");
}

// Whatever the bytes, reading ends with the fallbacks, the values or a failure: never a
// crash, an out-of-bounds read or a hang.
struct HostileFile {
  const char* what;
  std::string bytes;
};

class HostileFileTest : public SettingsFileTest,
                        public ::testing::WithParamInterface<HostileFile> {};

TEST_P(HostileFileTest, ReadsWithoutHarm) {
  desktop_.Files().Put(kIniPath, GetParam().bytes);
  const auto result = ReadSettings(platform_);
  if (const auto* settings = std::get_if<Settings>(&result)) {
    EXPECT_GE(settings->blinkFactor, 1);
    EXPECT_LE(settings->blinkFactor, 32767);
    EXPECT_GE(settings->tickPeriodMs, 1u);
    EXPECT_LE(settings->tickPeriodMs, 65535u);
  }
}

std::string Junk(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 12345;
  for (char& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = static_cast<char>(state >> 24);
  }
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, HostileFileTest,
    ::testing::Values(
        HostileFile{"empty", std::string()}, HostileFile{"three NULs", std::string("\0\0\0", 3)},
        HostileFile{"junk", Junk(4096)},
        HostileFile{"junk in the section", "[Sevalune]\r\n" + Junk(2000)},
        HostileFile{"a megabyte of colour",
                    "[Sevalune]\r\nIro=" + std::string(1 << 20, 'F') + "\r\n"},
        HostileFile{"a megabyte of size separators",
                    "[Sevalune]\r\nSaizu=" + std::string(1 << 20, ',') + "\r\n"},
        HostileFile{"a megabyte of period digits",
                    "[Sevalune]\r\nMimawariKankaku=" + std::string(1 << 20, '9') + "\r\n"},
        HostileFile{"a megabyte of hexadecimal blink factor",
                    "[Sevalune]\r\nTenmetuKeisuu=&H" + std::string(1 << 20, 'F') + "\r\n"},
        HostileFile{"UTF 16 cut in its sizes",
                    std::string("\xFF\xFE[\0S\0e\0v\0a\0l\0u\0n\0e\0]\0\r\0\n\0S\0a\0i\0z\0u\0=\0"
                                "1\0,\0",
                                42)},
        HostileFile{"UTF 16 mark and half a unit", std::string("\xFF\xFE\x00", 3)},
        HostileFile{"UTF 8 mark without a line end",
                    std::string("\xEF\xBB\xBF[Sevalune]\nDebug=1")},
        HostileFile{"section twice", "[Sevalune]\nSaizu=1,2,3,4,5\n[Sevalune]\nSaizu=1"}),
    testing::CaseName<&HostileFile::what>{});

}  // namespace
}  // namespace sevalune
