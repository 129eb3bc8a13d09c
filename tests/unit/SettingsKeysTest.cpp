// The table of settings keys against what else holds them: the reader (its defaults, the
// Settings struct's starting values, the value texts read back, the limits a form offers)
// and the two documents that ship with the program, the sample sevalune.ini and the help
// page, which must name every key with its default.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"

namespace sevalune {
namespace {

using sim::SimDesktop;
using sim::SimPlatform;

std::string SourceFile(const std::string& relativePath) {
  const std::string path = std::string(SEVALUNE_SOURCE_DIR) + "/" + relativePath;
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << "cannot open " << path;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The file's lines without their line ends.
std::set<std::string> LinesOf(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.insert(line);
  }
  return lines;
}

class SettingsKeysTest : public ::testing::Test {
 protected:
  std::variant<Settings, SettingsFailure> ReadFile(const std::string& bytes) {
    desktop_.Files().Put(SettingsFilePath(platform_.ExecutableDirectory()), bytes);
    return ReadSettings(platform_);
  }

  SimDesktop desktop_;
  SimPlatform platform_{desktop_, sim::kProgramProcess, sim::kProgramThread};
};

TEST_F(SettingsKeysTest, SettingsStartAtWhatAnEmptyFileReadsAs) {
  EXPECT_EQ(std::get<Settings>(ReadFile("")), Settings{});
}

TEST(SettingsKeyTable, EachKeyWritesItsDefaultAsItsDefaultText) {
  for (const SettingKey& key : SettingKeys()) {
    EXPECT_EQ(key.text(Settings{}), key.defaultText) << key.name;
  }
}

TEST(SettingsKeyTable, NamesAndFieldsOfTheSettingsLineAreUnique) {
  std::set<std::string_view> names;
  std::set<std::string_view> lineNames;
  for (const SettingKey& key : SettingKeys()) {
    EXPECT_TRUE(names.insert(key.name).second) << key.name;
    EXPECT_TRUE(lineNames.insert(key.lineName).second) << key.lineName;
  }
}

const SettingKey& KeyNamed(std::string_view name) {
  for (const SettingKey& key : SettingKeys()) {
    if (key.name == name) return key;
  }
  throw std::out_of_range(std::string(name));
}

// A file written from the value texts of settings far from the defaults reads as them.
TEST_F(SettingsKeysTest, ValueTextsReadBackAsTheValues) {
  Settings wanted;
  wanted.colors = MarkerColors{0x123456, 0xABCDEF, 0, 0x00FF00, 0xFFFFFF};
  wanted.tickPeriodMs = 65535;
  wanted.blinkFactor = 2;
  wanted.debugMode = true;
  wanted.sizes = MarkerSizes{-32768, 0, 32767, 1, 2, 0};
  wanted.classLists = ClassLists{"Notepad,Edit", "メモ帳", ","};
  wanted.hold = HoldPolicy{HoldMode::Never, 9};
  wanted.dpiScaling = false;
  wanted.hotkey = HotkeySetting{std::nullopt, "Ctrl+Q+Q"};
  wanted.accessibility = false;
  wanted.language = Language::English;
  wanted.imeNeedsNativeMode = true;
  wanted.findOnSwitch = true;
  Settings off = wanted;
  off.language = Language::Japanese;
  off.hotkey = HotkeySetting{};
  off.hold = HoldPolicy{HoldMode::Always, 0};
  for (const Settings& settings : {wanted, off}) {
    std::string file = "[Sevalune]\r\n";
    for (const SettingKey& key : SettingKeys()) {
      file += std::string(key.name) + "=" + key.text(settings) + "\r\n";
    }
    EXPECT_EQ(std::get<Settings>(ReadFile(file)), settings) << file;
  }
}

// A form offers numbers within the limits: the reader keeps both ends as they are, and a
// candidate is checked as the reader takes it.
TEST(SettingsKeyTable, TheLimitsOfANumberAreValuesTheReaderKeeps) {
  for (const SettingKey& key : SettingKeys()) {
    if (key.kind != SettingKind::Number) continue;
    for (const std::int32_t end : {key.limits.minimum, key.limits.maximum}) {
      const std::string text = std::to_string(end);
      Settings read;
      EXPECT_EQ(ReadSettingValue(key, ProfileString{text.size(), text}, read), std::nullopt);
      EXPECT_EQ(key.text(read), text) << key.name;
    }
  }
  EXPECT_EQ(CheckSettingText(KeyNamed("MimawariKankaku"), "65536"),
            (SettingsFailure{"MimawariKankaku", 380, "invalid property value"}));
  EXPECT_EQ(CheckSettingText(KeyNamed("Saizu"), "1,2,3,4,5," + std::string(40, '0') + "99999"),
            std::nullopt);  // cut to 49 characters before it is read
}

// The sample file shows each key commented out with its default; each help page's table
// has a row for it that starts with the key and its default, in the page's language.
TEST(SettingsDocumentation, SampleFileAndHelpPageNameEveryKeyWithItsDefault) {
  const std::set<std::string> sampleLines = LinesOf(SourceFile("resources/sevalune.ini"));
  const std::pair<Language, std::string> pages[] = {
      {Language::Japanese, "resources/sevalune.htm"},
      {Language::English, "resources/sevalune-en.htm"}};
  for (const SettingKey& key : SettingKeys()) {
    const std::string name(key.name);
    const std::string sampleValue(key.sampleValue.empty() ? key.defaultText : key.sampleValue);
    EXPECT_TRUE(sampleLines.contains(";" + name + "=" + sampleValue))
        << "resources/sevalune.ini lacks the line ;" << name << "=" << sampleValue;
    for (const auto& [language, path] : pages) {
      const std::string_view words = In(language, key.helpDefault);
      const std::string helpDefault =
          words.empty() ? "<code>" + std::string(key.defaultText) + "</code>" : std::string(words);
      const std::string row = "<tr><td><code>" + name + "</code></td><td>" + helpDefault + "</td>";
      EXPECT_NE(SourceFile(path).find(row), std::string::npos) << path << " lacks the row " << row;
    }
  }
}

}  // namespace
}  // namespace sevalune
