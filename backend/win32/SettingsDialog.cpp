#include "backend/win32/SettingsDialog.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

#include "backend/win32/DialogTemplate.h"
#include "backend/win32/WideText.h"
#include "backend/win32/WindowText.h"
#include "settings/SettingsFormModel.h"

// After the Windows headers: the common dialogs are outside WIN32_LEAN_AND_MEAN.
#include <commdlg.h>

namespace sevalune::win32 {
namespace {

// The layout, in dialog units (they follow the dialog's font, so the whole window scales
// with it).
constexpr short kMargin = 7;
constexpr short kColumnWidth = 256;
constexpr short kColumnGap = 7;
constexpr short kRowHeight = 14;
constexpr short kControlHeight = 12;
constexpr short kLabelHeight = 10;
constexpr short kGroupTitleHeight = 11;
constexpr short kGroupBottomPad = 4;
constexpr short kInset = 6;
constexpr short kLabelWidth = 146;
constexpr short kNarrowControl = 40;
constexpr short kWideControl = 96;
constexpr short kPickWidth = 40;
constexpr short kListHeight = 70;  // a drop-down list's height when open
constexpr short kNoteRows = 2;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr std::wstring_view kFontName = L"MS Shell Dlg";

constexpr UINT_PTR kPickTimer = 1;
constexpr UINT kPickTickMs = 1000;
constexpr int kPickSeconds = 3;
constexpr int kClassNameUnits = 257;

int LabelId(std::size_t field) {
  return kSettingsFirstFieldId + static_cast<int>(field) * kSettingsIdsPerField;
}
int ControlId(std::size_t field) { return LabelId(field) + 1; }
int PickId(std::size_t field) { return LabelId(field) + 2; }
int NoteId(std::size_t field) { return LabelId(field) + 3; }

std::wstring ColorHex(COLORREF color) {
  wchar_t text[8] = {};
  std::swprintf(text, 8, L"%06X", static_cast<unsigned>(color & 0xFFFFFFu));
  return text;
}

short RowsOf(const FormField& field) {
  const short controlRows = field.control == FormControl::ClassList ? 2 : 1;
  return static_cast<short>(controlRows + (field.note.empty() ? 0 : kNoteRows));
}

short GroupHeight(const FormGroup& group) {
  short rows = 0;
  for (const FormField& field : group.fields) rows = static_cast<short>(rows + RowsOf(field));
  return static_cast<short>(kGroupTitleHeight + rows * kRowHeight + kGroupBottomPad);
}

RECT Place(short x, short y, short width, short height) {
  return RECT{x, y, static_cast<LONG>(x + width), static_cast<LONG>(y + height)};
}

// Writes the items of one field at (x, y) inside its group; answers the rows it took.
class FieldWriter {
 public:
  explicit FieldWriter(DialogTemplateWriter& writer) : writer_(writer) {}

  WORD items() const { return items_; }

  void Item(DWORD style, RECT place, int id, WORD atom, std::wstring_view text) {
    writer_.Item(style, place, static_cast<WORD>(id), atom, text);
    ++items_;
  }

  void Group(const FormGroup& group, short x, short y) {
    Item(BS_GROUPBOX, Place(x, y, kColumnWidth, GroupHeight(group)), -1, kButtonAtom,
         Widen(group.title));
  }

  void Field(const FormField& field, std::size_t index, short x, short y) {
    const short left = static_cast<short>(x + kInset);
    const short full = kColumnWidth - 2 * kInset;
    const short controlX = static_cast<short>(left + kLabelWidth + 2);
    constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
    constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | kTab;
    const std::wstring label = Widen(field.label);
    const std::wstring text = Widen(field.text);
    switch (field.control) {
      case FormControl::Check:
        Item(BS_AUTOCHECKBOX | kTab, Place(left, y, full, kControlHeight), ControlId(index),
             kButtonAtom, label);
        break;
      case FormControl::ClassList:
        Item(SS_LEFT, Place(left, static_cast<short>(y + 2), full, kLabelHeight), LabelId(index),
             kStaticAtom, label);
        y = static_cast<short>(y + kRowHeight);
        Item(kEdit, Place(left, y, full - kPickWidth - 4, kControlHeight), ControlId(index),
             kEditAtom, text);
        Item(BS_PUSHBUTTON | kTab,
             Place(static_cast<short>(left + full - kPickWidth), y, kPickWidth, kControlHeight),
             PickId(index), kButtonAtom, Widen(pickText_));
        break;
      default: {
        Item(SS_LEFT, Place(left, static_cast<short>(y + 2), kLabelWidth, kLabelHeight),
             LabelId(index), kStaticAtom, label);
        const bool narrow =
            field.control == FormControl::Number || field.control == FormControl::Swatch;
        const short width = narrow ? kNarrowControl : kWideControl;
        if (field.control == FormControl::Swatch) {
          Item(BS_OWNERDRAW | kTab, Place(controlX, y, width, kControlHeight), ControlId(index),
               kButtonAtom, Widen(WithoutAccessKey(field.label) + " " + field.text));
        } else if (field.control == FormControl::Choice) {
          Item(CBS_DROPDOWNLIST | WS_VSCROLL | kTab, Place(controlX, y, width, kListHeight),
               ControlId(index), kComboBoxAtom, L"");
        } else {
          Item(kEdit, Place(controlX, y, width, kControlHeight), ControlId(index), kEditAtom, text);
        }
        break;
      }
    }
    if (!field.note.empty()) {
      const short noteY = static_cast<short>(y + kRowHeight);
      Item(SS_LEFT | SS_NOPREFIX, Place(left, noteY, full, kNoteRows * kRowHeight - 2),
           NoteId(index), kStaticAtom, Widen(field.note));
    }
  }

  void SetPickText(std::string text) { pickText_ = std::move(text); }

 private:
  DialogTemplateWriter& writer_;
  WORD items_ = 0;
  std::string pickText_;
};

// What the dialog procedure works with, for the life of the dialog.
struct DialogState {
  const SettingsWindowForm* form = nullptr;
  SettingsWindowHandler* handler = nullptr;
  const SettingsDialogPlace* place = nullptr;
  HWND* opened = nullptr;
  std::vector<const FormField*> fields;
  std::vector<COLORREF> colors;        // the swatches' colours, by field
  std::optional<std::size_t> picking;  // the class list whose Pick counts down
  int secondsLeft = 0;
  std::array<COLORREF, 16> customColors{};
};

DialogState& StateOf(HWND dialog) {
  return *reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
}

std::vector<std::string> Texts(HWND dialog, const DialogState& state) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < state.fields.size(); ++i) {
    const FormField& field = *state.fields[i];
    HWND control = ::GetDlgItem(dialog, ControlId(i));
    switch (field.control) {
      case FormControl::Check:
        texts.push_back(::IsDlgButtonChecked(dialog, ControlId(i)) == BST_CHECKED ? "1" : "0");
        break;
      case FormControl::Swatch:
        texts.push_back(Narrow(ColorHex(state.colors[i])));
        break;
      case FormControl::Choice: {
        const LRESULT chosen = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
        const bool valid = chosen >= 0 && static_cast<std::size_t>(chosen) < field.options.size();
        texts.push_back(valid ? field.options[static_cast<std::size_t>(chosen)].value : field.text);
        break;
      }
      default:
        texts.push_back(Narrow(WindowText(control)));
        break;
    }
  }
  return texts;
}

void FillControls(HWND dialog, DialogState& state) {
  state.colors.assign(state.fields.size(), 0);
  for (std::size_t i = 0; i < state.fields.size(); ++i) {
    const FormField& field = *state.fields[i];
    HWND control = ::GetDlgItem(dialog, ControlId(i));
    if (field.control == FormControl::Check) {
      ::CheckDlgButton(dialog, ControlId(i), field.text == "1" ? BST_CHECKED : BST_UNCHECKED);
    } else if (field.control == FormControl::Swatch) {
      state.colors[i] = static_cast<COLORREF>(std::wcstoul(Widen(field.text).c_str(), nullptr, 16));
    } else if (field.control == FormControl::Choice) {
      for (std::size_t o = 0; o < field.options.size(); ++o) {
        const std::wstring option = Widen(field.options[o].label);
        ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(option.c_str()));
        if (field.options[o].value == field.text) {
          ::SendMessageW(control, CB_SETCURSEL, o, 0);
        }
      }
    } else {
      // What the reader takes is at most a few hundred units; a longer text is refused.
      ::SendMessageW(control, EM_LIMITTEXT, 1024, 0);
    }
  }
}

// Centred in the work area of the display that holds the point.
void PlaceOnDisplay(HWND dialog, POINT openAt) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoW(::MonitorFromPoint(openAt, MONITOR_DEFAULTTOPRIMARY), &info)) return;
  RECT window{};
  ::GetWindowRect(dialog, &window);
  const RECT& work = info.rcWork;
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  const LONG x = std::max(work.left, work.left + (work.right - work.left - width) / 2);
  const LONG y = std::max(work.top, work.top + (work.bottom - work.top - height) / 2);
  ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FocusField(HWND dialog, std::size_t field) {
  HWND control = ::GetDlgItem(dialog, ControlId(field));
  if (control != nullptr)
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Press(HWND dialog, DialogState& state, FormButton button) {
  const FormVerdict verdict = state.handler->OnFormButton(button, Texts(dialog, state));
  if (!verdict.accepted) {
    if (verdict.focusField) FocusField(dialog, *verdict.focusField);
    return;
  }
  if (button == FormButton::Ok) ::EndDialog(dialog, IDOK);
}

void ChooseSwatchColor(HWND dialog, DialogState& state, std::size_t field) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = dialog;
  choose.rgbResult = state.colors[field];
  choose.lpCustColors = state.customColors.data();
  choose.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!::ChooseColorW(&choose)) return;
  state.colors[field] = choose.rgbResult & 0xFFFFFFu;
  HWND swatch = ::GetDlgItem(dialog, ControlId(field));
  ::SetWindowTextW(swatch, Widen(WithoutAccessKey(state.fields[field]->label) + " " +
                                 Narrow(ColorHex(state.colors[field])))
                               .c_str());
  ::InvalidateRect(swatch, nullptr, TRUE);
}

void ShowCountdown(HWND dialog, const DialogState& state) {
  std::string text = state.form->pickCountdown;
  const std::size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(state.secondsLeft));
  ::SetDlgItemTextW(dialog, PickId(*state.picking), Widen(text).c_str());
}

// The class of the top-level window under the pointer joins the list; nothing is activated.
void TakePointedClass(HWND dialog, std::size_t field) {
  POINT pointer{};
  ::GetCursorPos(&pointer);
  HWND pointed = ::GetAncestor(::WindowFromPoint(pointer), GA_ROOT);
  if (pointed == nullptr || pointed == dialog) {
    ::MessageBeep(MB_ICONWARNING);
    return;
  }
  wchar_t name[kClassNameUnits] = {};
  if (::GetClassNameW(pointed, name, kClassNameUnits) == 0) return;
  HWND edit = ::GetDlgItem(dialog, ControlId(field));
  std::wstring list = WindowText(edit);
  list += list.empty() ? L"" : L",";
  list += name;
  ::SetWindowTextW(edit, list.c_str());
}

void OnPickTimer(HWND dialog, DialogState& state) {
  if (!state.picking) return;
  if (--state.secondsLeft > 0) return ShowCountdown(dialog, state);
  ::KillTimer(dialog, kPickTimer);
  const std::size_t field = *state.picking;
  state.picking.reset();
  ::SetDlgItemTextW(dialog, PickId(field), Widen(state.form->pickText).c_str());
  TakePointedClass(dialog, field);
}

void StartPick(HWND dialog, DialogState& state, std::size_t field) {
  if (state.picking) return;
  state.picking = field;
  state.secondsLeft = kPickSeconds;
  ShowCountdown(dialog, state);
  ::SetTimer(dialog, kPickTimer, kPickTickMs, nullptr);
}

// A swatch: the colour inside a frame in the text colour; the focus shown as usual.
void DrawSwatch(const DRAWITEMSTRUCT& item, COLORREF color) {
  RECT area = item.rcItem;
  ::FillRect(item.hDC, &area, ::GetSysColorBrush(COLOR_BTNFACE));
  ::InflateRect(&area, -2, -2);
  ::FrameRect(item.hDC, &area, ::GetSysColorBrush(COLOR_WINDOWTEXT));
  ::InflateRect(&area, -1, -1);
  HBRUSH brush = ::CreateSolidBrush(color);
  if (brush != nullptr) {
    ::FillRect(item.hDC, &area, brush);
    ::DeleteObject(brush);
  }
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = item.rcItem;
    ::DrawFocusRect(item.hDC, &focus);
  }
}

// Which field a control id belongs to, and which of its items it is.
std::optional<std::size_t> FieldOfId(int id, const DialogState& state) {
  if (id < kSettingsFirstFieldId) return std::nullopt;
  const auto field = static_cast<std::size_t>((id - kSettingsFirstFieldId) / kSettingsIdsPerField);
  if (field >= state.fields.size()) return std::nullopt;
  return field;
}

INT_PTR OnCommand(HWND dialog, DialogState& state, int id, int code) {
  switch (id) {
    case IDOK:
      Press(dialog, state, FormButton::Ok);
      return TRUE;
    case kSettingsApplyId:
      Press(dialog, state, FormButton::Apply);
      return TRUE;
    case IDCANCEL:  // also Escape and the close box
      ::EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      break;
  }
  const std::optional<std::size_t> field = FieldOfId(id, state);
  if (!field || code != BN_CLICKED) return FALSE;
  if (id == ControlId(*field) && state.fields[*field]->control == FormControl::Swatch) {
    ChooseSwatchColor(dialog, state, *field);
    return TRUE;
  }
  if (id == PickId(*field)) {
    StartPick(dialog, state, *field);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK SettingsDialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  switch (message) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      DialogState& state = StateOf(dialog);
      *state.opened = dialog;
      FillControls(dialog, state);
      PlaceOnDisplay(dialog, state.place->openAt);
      return TRUE;  // the focus goes to the first tab stop
    }
    case WM_COMMAND:
      return OnCommand(dialog, StateOf(dialog), LOWORD(wParam), HIWORD(wParam));
    case WM_TIMER:
      if (wParam == kPickTimer) OnPickTimer(dialog, StateOf(dialog));
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const DialogState& state = StateOf(dialog);
      const std::optional<std::size_t> field = FieldOfId(static_cast<int>(item->CtlID), state);
      if (!field) return FALSE;
      DrawSwatch(*item, state.colors[*field]);
      return TRUE;
    }
    case WM_DESTROY:
      ::KillTimer(dialog, kPickTimer);
      *StateOf(dialog).opened = nullptr;
      return FALSE;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

std::vector<WORD> SettingsDialogTemplate(const SettingsWindowForm& form, WORD fontPoints) {
  // Each group goes into the column that is shorter so far.
  std::array<short, 2> columnHeight{kMargin, kMargin};
  std::vector<std::pair<std::size_t, POINT>> groupPlaces;
  for (std::size_t g = 0; g < form.groups.size(); ++g) {
    const std::size_t column = columnHeight[1] < columnHeight[0] ? 1 : 0;
    const short x = static_cast<short>(kMargin + column * (kColumnWidth + kColumnGap));
    groupPlaces.push_back({g, POINT{x, columnHeight[column]}});
    columnHeight[column] =
        static_cast<short>(columnHeight[column] + GroupHeight(form.groups[g]) + kMargin / 2);
  }
  const short buttonsY = static_cast<short>(std::max(columnHeight[0], columnHeight[1]) + 2);
  const short width = 2 * kColumnWidth + kColumnGap + 2 * kMargin;
  const short height = static_cast<short>(buttonsY + kButtonHeight + kMargin);

  DialogTemplateWriter writer;
  constexpr DWORD kDialogStyle =
      DS_SETFONT | DS_MODALFRAME | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  writer.Dialog(kDialogStyle, width, height, 0, Widen(form.title), fontPoints, kFontName);
  FieldWriter items(writer);
  items.SetPickText(form.pickText);
  std::size_t index = 0;
  for (const auto& [g, place] : groupPlaces) {
    const FormGroup& group = form.groups[g];
    // Fields are numbered in the form's order, whatever column their group went to.
    std::size_t first = 0;
    for (std::size_t before = 0; before < g; ++before) first += form.groups[before].fields.size();
    index = first;
    items.Group(group, static_cast<short>(place.x), static_cast<short>(place.y));
    short y = static_cast<short>(place.y + kGroupTitleHeight);
    for (const FormField& field : group.fields) {
      items.Field(field, index++, static_cast<short>(place.x), y);
      y = static_cast<short>(y + RowsOf(field) * kRowHeight);
    }
  }
  const short right = width - kMargin;
  constexpr DWORD kButton = WS_TABSTOP | WS_GROUP;
  items.Item(BS_DEFPUSHBUTTON | kButton,
             Place(static_cast<short>(right - 3 * kButtonWidth - 8), buttonsY, kButtonWidth,
                   kButtonHeight),
             IDOK, kButtonAtom, Widen(form.okText));
  items.Item(BS_PUSHBUTTON | kButton,
             Place(static_cast<short>(right - 2 * kButtonWidth - 4), buttonsY, kButtonWidth,
                   kButtonHeight),
             IDCANCEL, kButtonAtom, Widen(form.cancelText));
  items.Item(BS_PUSHBUTTON | kButton,
             Place(static_cast<short>(right - kButtonWidth), buttonsY, kButtonWidth, kButtonHeight),
             kSettingsApplyId, kButtonAtom, Widen(form.applyText));
  writer.SetItemCount(items.items());
  return writer.Take();
}

void RunSettingsDialog(HINSTANCE instance, const SettingsWindowForm& form,
                       SettingsWindowHandler& handler, const SettingsDialogPlace& place,
                       HWND& opened) {
  const std::vector<WORD> dialogTemplate = SettingsDialogTemplate(form, place.fontPoints);
  DialogState state;
  state.form = &form;
  state.handler = &handler;
  state.place = &place;
  state.opened = &opened;
  state.fields = FieldsOf(form);
  ::DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                            nullptr, &SettingsDialogProcedure, reinterpret_cast<LPARAM>(&state));
  opened = nullptr;
}

}  // namespace sevalune::win32
