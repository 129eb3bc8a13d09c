// UTF-8 <-> UTF-16 at the boundary between the program's text and the W functions,
// with the same conversion rules as the rest of the program (platform/Utf.h).
#pragma once

#include <string>
#include <string_view>

namespace sevalune::win32 {

// Invalid UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view text);
// For text a W function cut to fit a buffer: a high surrogate left dangling at the end
// by the cut is dropped rather than turned into U+FFFD.
std::string NarrowTruncated(std::wstring_view text);
// At most maxUnits UTF-16 units of text, never ending in half of a surrogate pair.
std::wstring TruncateUnits(std::wstring text, std::size_t maxUnits);

}  // namespace sevalune::win32
