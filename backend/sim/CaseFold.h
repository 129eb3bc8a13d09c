// Case-insensitive comparison of names the way the platform compares window classes,
// window titles, file paths and profile names.
#pragma once

#include <string>
#include <string_view>

namespace sevalune::sim {

// Simple one-to-one case folding of a UTF-16 unit: ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic and the full-width Latin letters. Other units are left as they are.
char16_t FoldCase(char16_t unit);

std::u16string Folded(std::u16string_view text);
bool EqualFolded(std::u16string_view a, std::u16string_view b);
// Compares two UTF-8 texts unit by unit after folding.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace sevalune::sim
