#include "settings/SettingsFormModel.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/StartWithWindows.h"

namespace sevalune {
namespace {

std::vector<std::string> TextsOf(const SettingsWindowForm& form) {
  std::vector<std::string> texts;
  for (const FormField* field : FieldsOf(form)) texts.push_back(field->text);
  return texts;
}

std::size_t IndexOf(const SettingsWindowForm& form, std::string_view id) {
  const std::vector<const FormField*> fields = FieldsOf(form);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i]->id == id) return i;
  }
  ADD_FAILURE() << "no field " << id;
  return 0;
}

class SettingsFormModelTest : public ::testing::Test {
 protected:
  SettingsFormModel model{Settings{}, Language::English};
  SettingsWindowForm form = model.Form({"Extra", {}});
  std::vector<std::string> texts = TextsOf(form);
};

TEST_F(SettingsFormModelTest, GivesEveryLabelAnAccessKeyOfItsOwn) {
  std::set<char> keys{'A'};  // Apply
  for (const FormField* field : FieldsOf(form)) {
    const std::size_t mark = field->label.find('&');
    ASSERT_NE(mark, std::string::npos) << field->label;
    const char key = static_cast<char>(std::toupper(field->label[mark + 1]));
    EXPECT_TRUE(keys.insert(key).second) << field->label;
  }
}

TEST_F(SettingsFormModelTest, NothingChangedWritesNothing) {
  const FormCheck check = model.Check(texts);
  EXPECT_FALSE(check.refusedField);
  EXPECT_TRUE(check.changes.empty());
}

TEST_F(SettingsFormModelTest, AListEntryChangesTheWholeKeyAndASwitchTakesTheTextThatReadsOff) {
  texts[IndexOf(form, "Saizu.2")] = "12";
  texts[IndexOf(form, "DPIHosei")] = "0";
  texts[IndexOf(form, "Debug")] = "1";
  const FormCheck check = model.Check(texts);
  ASSERT_FALSE(check.refusedField) << check.refusal;
  ASSERT_EQ(check.changes.size(), 3u);
  std::map<std::string, std::string> changed;
  for (const ProfileChange& change : check.changes) changed[change.key] = change.value;
  EXPECT_EQ(changed["Saizu"], "10,12,18,8,5,3");
  EXPECT_EQ(changed["DPIHosei"], "0");
  EXPECT_EQ(changed["Debug"], "1");

  model.Applied(texts);
  texts[IndexOf(form, "Debug")] = "0";
  const FormCheck off = model.Check(texts);
  ASSERT_EQ(off.changes.size(), 1u);
  EXPECT_EQ(off.changes[0].value, "") << "Debug is on with any value, 0 included";
}

TEST_F(SettingsFormModelTest, TheLanguageIsAChoiceWhoseValuesTheReaderTakes) {
  const FormField& language = *FieldsOf(form)[IndexOf(form, "Gengo")];
  EXPECT_EQ(language.control, FormControl::Choice);
  EXPECT_EQ(language.text, "");
  std::vector<std::string> values;
  for (const FormOption& option : language.options) values.push_back(option.value);
  EXPECT_EQ(values, (std::vector<std::string>{"", "ja", "en"}));

  texts[IndexOf(form, "Gengo")] = "ja";
  const FormCheck check = model.Check(texts);
  ASSERT_FALSE(check.refusedField.has_value()) << check.refusal;
  ASSERT_EQ(check.changes.size(), 1u);
  EXPECT_EQ(check.changes[0].key, "Gengo");
  EXPECT_EQ(check.changes[0].value, "ja");
}

TEST_F(SettingsFormModelTest, RefusesWhatTheControlOrTheReaderCannotTake) {
  for (const auto& [id, text] : std::vector<std::pair<std::string, std::string>>{
           {"Saizu.1", "1e3"},
           {"MimawariKankaku", "0"},
           {"Iro.2", "FF00F"},
           {"Hottoki", "Shift+Q"},
           {"KirainaKurasu1", "a\nb"},
           {"KirainaKurasu1", std::string(500, 'x')}}) {
    std::vector<std::string> typed = texts;
    typed[IndexOf(form, id)] = text;
    const FormCheck check = model.Check(typed);
    EXPECT_EQ(check.refusedField, IndexOf(form, id)) << id << "=" << text;
    EXPECT_NE(check.refusal.find(id.substr(0, id.find('.'))), std::string::npos) << check.refusal;
  }
}

TEST(StartWithWindowsTest, TellsThisCopyFromAnother) {
  const std::string exe = "C:\\Tools\\Sevalune\\sevalune.exe";
  EXPECT_EQ(StartStateOf(std::nullopt, exe).state, StartState::Off);
  EXPECT_EQ(StartStateOf(RunCommandFor(exe), exe).state, StartState::Here);
  EXPECT_EQ(StartStateOf("c:\\tools\\SEVALUNE\\sevalune.exe", exe).state, StartState::Here);
  EXPECT_EQ(StartStateOf("\"D:\\Old\\sevalune.exe\" --old-method", exe).state,
            StartState::OtherCopy);
  EXPECT_EQ(RunCommandFor(exe), "\"C:\\Tools\\Sevalune\\sevalune.exe\"");
}

}  // namespace
}  // namespace sevalune
