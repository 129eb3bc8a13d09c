#include "backend/win32/InputBox.h"

#include "backend/win32/DialogTemplate.h"
#include "backend/win32/WindowText.h"

namespace sevalune::win32 {
namespace {

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
