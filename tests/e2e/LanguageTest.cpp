// The program speaks the user's Windows UI language: ctest runs this program twice, once
// in an English Wine and once in a Japanese one (LC_ALL=ja_JP.UTF-8, UI language 0x411),
// and each run checks the About box as the user of that Windows sees it. In Japanese it is
// the box the program has always shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TrayFixture.h"
#include "backend/win32/LaunchOptions.h"
#include "harness/Desktop.h"

namespace sevalune::e2e {
namespace {

bool WindowsSpeaksJapanese() {
  return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

std::vector<std::wstring> TextsOf(HWND box) {
  std::vector<std::wstring> texts;
  for (HWND label : ChildrenOfClass(box, L"Static")) {
    if (std::wstring text = TextOf(label); !text.empty()) texts.push_back(std::move(text));
  }
  return texts;
}

// No settings file: the language is the one of the Windows the test runs in.
class Language : public TrayTest {
 protected:
  Language() { settingsFile_ = std::nullopt; }
};

TEST_F(Language, TheAboutBoxSpeaksTheLanguageOfWindows) {
  // The run's language, as ctest asked for it: a locale Wine did not take would otherwise
  // test the same language twice.
  const std::optional<std::wstring> wanted = win32::EnvironmentValue(L"SEVALUNE_E2E_LANGUAGE");
  ASSERT_TRUE(wanted.has_value()) << "SEVALUNE_E2E_LANGUAGE (ja or en) is not set";
  const bool japanese = *wanted == L"ja";
  ASSERT_EQ(WindowsSpeaksJapanese(), japanese)
      << "UI language " << std::hex << ::GetUserDefaultUILanguage();

  const wchar_t* title = japanese ? L"バージョン情報" : L"About Sevalune";
  const std::wstring text =
      std::wstring(L"Sevalune Version 1.01\rCopyright (C) 2026 The Sevalune developers\r") +
      (japanese ? L"（新方式にて動作中）" : L"(running by the new method)");

  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";
  ChooseByPosition(MenuItem::About);
  const std::optional<HWND> box = WaitForBox(title);
  ASSERT_TRUE(box.has_value()) << "no About box showed";
  EXPECT_EQ(TextsOf(*box), std::vector<std::wstring>{text});
  ::PostMessageW(*box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(*box, IDOK)));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(*box); }, kTickTimeout));
}

}  // namespace
}  // namespace sevalune::e2e
