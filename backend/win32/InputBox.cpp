#include "backend/win32/InputBox.h"

#include <cstring>
#include <utility>

namespace sevalune::win32 {
namespace {

// Predefined control classes, named by atom in a dialog template.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

// Writes a DLGTEMPLATE and its DLGITEMTEMPLATEs with their variable-length parts.
class DialogTemplateWriter {
 public:
  void Dialog(DWORD style, short width, short height, WORD itemCount, std::wstring_view title,
              WORD fontPoints, std::wstring_view fontName) {
    DLGTEMPLATE dialog{};
    dialog.style = style;
    dialog.cdit = itemCount;
    dialog.cx = width;
    dialog.cy = height;
    Append(dialog);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    AppendText(title);
    words_.push_back(fontPoints);  // present because of DS_SETFONT
    AppendText(fontName);
  }

  void Item(DWORD style, RECT place, WORD id, WORD classAtom, std::wstring_view text) {
    AlignToDword();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = static_cast<short>(place.left);
    item.y = static_cast<short>(place.top);
    item.cx = static_cast<short>(place.right - place.left);
    item.cy = static_cast<short>(place.bottom - place.top);
    item.id = id;
    Append(item);
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    AppendText(text);
    words_.push_back(0);  // no creation data
  }

  std::vector<WORD> Take() { return std::move(words_); }

 private:
  template <typename Record>
  void Append(const Record& record) {
    static_assert(sizeof(Record) % sizeof(WORD) == 0);
    const std::size_t at = words_.size();
    words_.resize(at + sizeof(Record) / sizeof(WORD));
    std::memcpy(words_.data() + at, &record, sizeof(Record));
  }

  void AppendText(std::wstring_view text) {
    for (const wchar_t unit : text) {
      if (unit == L'\0') break;  // the template's strings end at the first NUL
      words_.push_back(static_cast<WORD>(unit));
    }
    words_.push_back(0);
  }

  void AlignToDword() {
    if (words_.size() % 2 != 0) words_.push_back(0);
  }

  std::vector<WORD> words_;
};

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

INT_PTR CALLBACK InputBoxProcedure(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
  switch (message) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      HWND edit = ::GetDlgItem(dialog, kInputBoxEditId);
      ::SendMessageW(edit, EM_SETSEL, 0, -1);
      ::SetFocus(edit);
      return FALSE;  // the focus is set already
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* answer = reinterpret_cast<std::wstring*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (answer != nullptr) *answer = WindowText(::GetDlgItem(dialog, kInputBoxEditId));
        ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {  // also Esc and the close box
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

std::vector<WORD> InputBoxTemplate(std::wstring_view title, std::wstring_view prompt,
                                   std::wstring_view defaultText) {
  // Dialog units; the box is centred on the screen.
  constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_SETFONT | DS_SETFOREGROUND | DS_CENTER |
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU;
  DialogTemplateWriter writer;
  writer.Dialog(kDialogStyle, 250, 84, 4, title, 8, L"MS Shell Dlg");
  // The edit comes first among the tab stops, so it is where the focus starts.
  writer.Item(SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, RECT{7, 7, 183, 51}, kInputBoxPromptId,
              kStaticAtom, prompt);
  writer.Item(ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, RECT{7, 60, 243, 74},
              kInputBoxEditId, kEditAtom, defaultText);
  writer.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, RECT{193, 7, 243, 21}, IDOK, kButtonAtom, L"OK");
  writer.Item(BS_PUSHBUTTON | WS_TABSTOP, RECT{193, 25, 243, 39}, IDCANCEL, kButtonAtom, L"Cancel");
  return writer.Take();
}

std::optional<std::wstring> RunInputBox(HINSTANCE instance, std::wstring_view title,
                                        std::wstring_view prompt, std::wstring_view defaultText) {
  const std::vector<WORD> dialogTemplate = InputBoxTemplate(title, prompt, defaultText);
  std::wstring answer;
  const INT_PTR closedWith =
      ::DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                nullptr, &InputBoxProcedure, reinterpret_cast<LPARAM>(&answer));
  if (closedWith != IDOK) return std::nullopt;
  return answer;
}

}  // namespace sevalune::win32
