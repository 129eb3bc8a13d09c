// The buffer sizes the program reads window texts with, in UTF-16 units as the W functions
// count them, the terminating NUL included. Each size is the one its reader has always used:
// longer texts are cut, which the rules that compare them allow for.
#pragma once

namespace sevalune {

// Class names: 99 characters, enough for every class the class lists and the WindowClass
// command deal with (a longer name is cut, and compared cut).
inline constexpr int kClassNameBuffer = 100;
// The foreground window's title, read only for the companion's form prefix: 200 characters.
inline constexpr int kFormTitleBuffer = 201;
// A title compared with "Default IME" in the input-method probe: 249 characters.
inline constexpr int kImeWindowTitleBuffer = 250;

}  // namespace sevalune
