// The input box, run modally for real and answered from inside its own message loop.
#include "backend/win32/InputBox.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/win32/ModalDriver.h"

namespace sevalune::win32 {
namespace {

using testing::ModalDriver;

constexpr const wchar_t* kTitle = L"アクティブウィンドウのクラス名情報";

struct BoxContents {
  std::wstring prompt;
  std::wstring edit;
  DWORD selectionStart = 0;
  DWORD selectionEnd = 0;
  bool editHasFocus = false;
};

std::wstring ControlText(HWND box, int id) {
  wchar_t text[512] = {};
  ::GetDlgItemTextW(box, id, text, 512);
  return text;
}

BoxContents Read(HWND box) {
  BoxContents contents;
  contents.prompt = ControlText(box, kInputBoxPromptId);
  contents.edit = ControlText(box, kInputBoxEditId);
  HWND edit = ::GetDlgItem(box, kInputBoxEditId);
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&contents.selectionStart),
                 reinterpret_cast<LPARAM>(&contents.selectionEnd));
  contents.editHasFocus = ::GetFocus() == edit;
  return contents;
}

// Waits for the box, reads it, then does what `answer` says with it.
template <typename Answer>
ModalDriver AnsweringDriver(BoxContents& seen, Answer answer) {
  return ModalDriver([&seen, answer] {
    HWND box = ::FindWindowW(L"#32770", kTitle);
    if (box == nullptr) return false;
    seen = Read(box);
    answer(box);
    return true;
  });
}

std::optional<std::wstring> ShowBox(std::wstring_view defaultText) {
  return RunInputBox(::GetModuleHandleW(nullptr), kTitle, L"ClassName=", defaultText);
}

TEST(InputBox, ShowsPromptAndDefaultTextAllSelected) {
  BoxContents seen;
  ModalDriver driver =
      AnsweringDriver(seen, [](HWND box) { ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0); });
  ShowBox(L"Notepad");
  EXPECT_EQ(seen.prompt, L"ClassName=");
  EXPECT_EQ(seen.edit, L"Notepad");
  EXPECT_EQ(seen.selectionStart, 0u);
  EXPECT_EQ(seen.selectionEnd, 7u);
  EXPECT_TRUE(seen.editHasFocus);
}

TEST(InputBox, OkGivesTheEditsText) {
  BoxContents seen;
  ModalDriver driver = AnsweringDriver(seen, [](HWND box) {
    ::SetDlgItemTextW(box, kInputBoxEditId, L"EditorFrame ウィンドウ");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ShowBox(L"x"), std::optional<std::wstring>(L"EditorFrame ウィンドウ"));
}

TEST(InputBox, CancelAndTheCloseBoxGiveNothing) {
  for (const auto& close :
       {std::pair<UINT, WPARAM>{WM_COMMAND, IDCANCEL}, std::pair<UINT, WPARAM>{WM_CLOSE, 0}}) {
    BoxContents seen;
    ModalDriver driver = AnsweringDriver(
        seen, [close](HWND box) { ::PostMessageW(box, close.first, close.second, 0); });
    EXPECT_EQ(ShowBox(L"Notepad"), std::nullopt) << "message " << close.first;
    EXPECT_EQ(seen.edit, L"Notepad");
  }
}

TEST(InputBox, EmptyDefaultTextGivesAnEmptyEdit) {
  BoxContents seen;
  ModalDriver driver =
      AnsweringDriver(seen, [](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
  EXPECT_EQ(ShowBox(L""), std::optional<std::wstring>(L""));
  EXPECT_EQ(seen.edit, L"");
}

TEST(InputBox, ItsLoopKeepsDispatchingOtherWindowsTimers) {
  // The driver's own timer is such a message: let it tick a few times before answering.
  int waited = 0;
  ModalDriver driver([&waited] {
    HWND box = ::FindWindowW(L"#32770", kTitle);
    if (box == nullptr || ++waited < 3) return false;
    ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    return true;
  });
  ShowBox(L"x");
  EXPECT_GE(waited, 3);
}

}  // namespace
}  // namespace sevalune::win32
