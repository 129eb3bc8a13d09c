// MessageBox, InputBox and TrackPopupMenu: the program's boxes and its tray menu, each
// answered by the user from inside its modal loop.
#include <string>
#include <vector>

#include "tests/contract/ContractTest.h"

namespace sevalune::contract {
namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr std::uint32_t kBoxOkCancel = 1;

class ModalCalls : public ContractTest {
 protected:
  static std::vector<PopupMenuItem> Items() {
    return {{"&Help...", false}, {"&About...", false}, {"&Enabled(toggle)", true}};
  }
};

TEST_F(ModalCalls, AMessageBoxClosedWithOkAnswersOk) {
  Driver().AnswerNextBox(true);
  EXPECT_EQ(platform.MessageBox("text", "caption", kBoxStop), kIdOk);
}

TEST_F(ModalCalls, ABoxWithOnlyOkAnswersOkHoweverItIsClosed) {
  // Windows documents IDOK for Escape on a box without Cancel; Wine answers IDCANCEL.
  const int expected = OnWine() ? kIdCancel : kIdOk;
  Driver().AnswerNextBox(false);
  EXPECT_EQ(platform.MessageBox("line 1\rline 2",
                                "\xE3\x83\x90\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA7"
                                "\xE3\x83\xB3",  // バージョン
                                kBoxOk),
            expected)
      << NameOf(Answerer());
}

TEST_F(ModalCalls, ABoxWithCancelAnswersCancel) {
  Driver().AnswerNextBox(false);
  EXPECT_EQ(platform.MessageBox("text", "caption", kBoxOkCancel), kIdCancel);
}

TEST_F(ModalCalls, TheInputBoxGivesItsTextOnOk) {
  const std::string notepad = "\xE3\x83\xA1\xE3\x83\xA2\xE5\xB8\xB3";  // メモ帳
  Driver().AnswerNextBox(true);
  EXPECT_EQ(platform.InputBox("ClassName=", "title", notepad), std::optional<std::string>(notepad));
}

TEST_F(ModalCalls, TheInputBoxGivesNothingWhenCancelled) {
  Driver().AnswerNextBox(false);
  EXPECT_EQ(platform.InputBox("ClassName=", "title", "Notepad"), std::nullopt);
}

TEST_F(ModalCalls, TheMenuAnswersThePositionOfTheChosenItem) {
  Driver().AnswerNextMenu("About", 2);
  EXPECT_EQ(platform.TrackPopupMenu(platform.EnsureMenuForm(), Items()), 2);
  platform.DestroyMenuForm();
}

TEST_F(ModalCalls, ADismissedMenuAnswersZero) {
  Driver().AnswerNextMenu("none", 0);
  EXPECT_EQ(platform.TrackPopupMenu(platform.EnsureMenuForm(), Items()), 0);
  platform.DestroyMenuForm();
}

TEST_F(ModalCalls, AMenuWithoutOwnerIsNotShown) {
  EXPECT_EQ(platform.TrackPopupMenu(0, Items()), 0);
}

}  // namespace
}  // namespace sevalune::contract
