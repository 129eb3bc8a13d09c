// A dialog template built in memory: a DLGTEMPLATE and its DLGITEMTEMPLATEs with their
// variable-length parts, DWORD-aligned as DialogBoxIndirectParamW requires, so that no
// resource script is needed.
#pragma once

#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32 {

// Predefined control classes, named by atom in a dialog template.
inline constexpr WORD kButtonAtom = 0x0080;
inline constexpr WORD kEditAtom = 0x0081;
inline constexpr WORD kStaticAtom = 0x0082;
inline constexpr WORD kComboBoxAtom = 0x0085;

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

  // The number of items, for a template whose items were counted as they were written.
  void SetItemCount(WORD count) { words_[kItemCountWord] = count; }

  std::vector<WORD> Take() { return std::move(words_); }

 private:
  // DLGTEMPLATE's cdit follows its style and extended style.
  static constexpr std::size_t kItemCountWord = 4;

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

}  // namespace sevalune::win32
