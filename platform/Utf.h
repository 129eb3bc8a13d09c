// UTF-8 <-> UTF-16 conversion and counting in UTF-16 code units, the unit in which the
// platform's W functions measure their buffers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sevalune {

// Invalid sequences become U+FFFD; nothing is ever read past the end of the input.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

std::size_t Utf16Length(std::string_view utf8);
// The longest prefix of at most maxUnits UTF-16 units; a surrogate pair is never split.
std::string TruncateToUtf16Units(std::string_view utf8, std::size_t maxUnits);

}  // namespace sevalune
