// What the settings window needs of the platform: a file's bytes read and replaced in one
// step (a read-only file or a missing folder refused, the file as it was), the ANSI code
// page without silent losses, the current user's Run value, the UI language and the
// executable's path.
#include <string>

#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

// A value name of its own, so that the suite never touches the program's.
constexpr std::string_view kTestValue = "SevaluneContractTest";

using SettingsWindowContract = ContractTest;

TEST_F(SettingsWindowContract, ReadsAFileByteForByteAndTellsMissingFromUnreadable) {
  const std::string bytes = std::string("[Sevalune]\r\nA=\xE9\0x\n", 16);
  const FileBytes read = platform.ReadFileBytes(Driver().WriteFile("a.ini", bytes));
  EXPECT_EQ(read.status, FileReading::Read);
  EXPECT_EQ(read.bytes, bytes);
  EXPECT_EQ(platform.ReadFileBytes(Driver().MissingFile("none.ini")).status, FileReading::Missing);
  EXPECT_EQ(platform.ReadFileBytes(Driver().MakeDirectory("folder.ini")).status,
            FileReading::Unreadable);
}

TEST_F(SettingsWindowContract, ReplacesAFileOrMakesIt) {
  const std::string path = Driver().WriteFile("b.ini", "old bytes, longer than the new");
  EXPECT_EQ(platform.ReplaceFileBytes(path, "new"), FileWrite::Written);
  EXPECT_EQ(platform.ReadFileBytes(path).bytes, "new");
  const std::string fresh = Driver().MissingFile("fresh.ini");
  EXPECT_EQ(platform.ReplaceFileBytes(fresh, "made"), FileWrite::Written);
  EXPECT_EQ(platform.ReadFileBytes(fresh).bytes, "made");
}

TEST_F(SettingsWindowContract, RefusesAReadOnlyFileAndAMissingFolderLeavingThingsAsTheyWere) {
  const std::string path = Driver().WriteFile("c.ini", "kept");
  Driver().SetReadOnly(path, true);
  EXPECT_EQ(platform.ReplaceFileBytes(path, "lost"), FileWrite::FileReadOnly);
  EXPECT_EQ(platform.ReadFileBytes(path).bytes, "kept");
  Driver().SetReadOnly(path, false);

  const std::string inMissingFolder = Driver().MissingFile("no folder") + "\\d.ini";
  EXPECT_EQ(platform.ReplaceFileBytes(inMissingFolder, "x"), FileWrite::Failed);
  EXPECT_EQ(platform.ReadFileBytes(inMissingFolder).status, FileReading::Missing);
}

// Whatever the code page, a text converts without loss or is said not to convert.
TEST_F(SettingsWindowContract, ConvertsTheAnsiCodePageWithoutSilentLosses) {
  EXPECT_EQ(platform.Utf8ToAnsi("Notepad,Edit"), "Notepad,Edit");
  EXPECT_EQ(platform.AnsiToUtf8("Notepad,Edit"), "Notepad,Edit");
  for (const std::string_view text : {"\xE4\xB8\x80", "\xE0\xB8\x81", "caf\xC3\xA9"}) {
    if (const std::optional<std::string> ansi = platform.Utf8ToAnsi(text)) {
      EXPECT_EQ(platform.AnsiToUtf8(*ansi), text);
    }
  }
}

TEST_F(SettingsWindowContract, WritesReadsAndDeletesARunValue) {
  platform.DeleteRunValue(kTestValue);
  EXPECT_EQ(platform.ReadRunValue(kTestValue), std::nullopt);
  const std::string command = "\"C:\\Program Files\\S\xC3\xA9valune\\sevalune.exe\"";
  ASSERT_TRUE(platform.WriteRunValue(kTestValue, command));
  EXPECT_EQ(platform.ReadRunValue(kTestValue), command);
  EXPECT_TRUE(platform.DeleteRunValue(kTestValue));
  EXPECT_EQ(platform.ReadRunValue(kTestValue), std::nullopt);
  EXPECT_TRUE(platform.DeleteRunValue(kTestValue)) << "deleting what is not there";
}

TEST_F(SettingsWindowContract, NamesTheUiLanguageAndTheExecutable) {
  EXPECT_NE(platform.GetUserDefaultUILanguage(), 0u);
  const std::string path = platform.ExecutablePath();
  const std::string folder = platform.ExecutableDirectory();
  EXPECT_EQ(path.substr(0, folder.size()), folder);
  ASSERT_GE(path.size(), 4u);
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
}

}  // namespace
}  // namespace sevalune::contract
