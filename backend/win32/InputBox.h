// A small modal box that asks for one line of text: Win32 has none of its own.
//
// The dialog is described by a template built in memory (title, prompt, a one-line edit
// holding the default text, OK and Cancel), so no resource script is needed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::win32 {

inline constexpr int kInputBoxPromptId = 100;
inline constexpr int kInputBoxEditId = 101;

// The dialog template, DWORD-aligned as DialogBoxIndirectParamW requires.
std::vector<WORD> InputBoxTemplate(std::wstring_view title, std::wstring_view prompt,
                                   std::wstring_view defaultText);

// Shows the box, without an owner, until OK (the edit's text) or Cancel (nullopt).
// Its modal loop goes on dispatching every other message of the thread, timers included.
std::optional<std::wstring> RunInputBox(HINSTANCE instance, std::wstring_view title,
                                        std::wstring_view prompt, std::wstring_view defaultText);

}  // namespace sevalune::win32
