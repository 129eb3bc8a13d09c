// GetPrivateProfileString over the bytes of an initialisation file, following the rules
// Windows applies when it reads one. A pure function, so tests and a fuzzer can drive it
// without a simulated desktop.
//
// The rules, in the order they apply:
//  - Encoding: a UTF-8 byte-order mark, a UTF-16LE (or UTF-16BE) one, or none, in which
//    case the bytes are the ANSI code page, which on the simulated desktop is UTF-8;
//    invalid sequences become U+FFFD.
//  - Lines end at CR, LF or CRLF. Blanks (space, tab) around a line do not count.
//  - A line starting with "[" is a section header; the name runs to the first "]" (or
//    the end of the line) and is trimmed. Lines before the first header are ignored.
//  - Other lines are keys: "name=value" with blanks around name and value trimmed; a
//    line without "=" is a key whose value is empty.
//  - Section and key names match without regard to case. The first matching section is
//    the only one searched; its first matching key wins.
//  - The value is cut at a NUL; a value of two or more characters enclosed in the same
//    quote character (" or ') loses the two quotes.
//  - A missing section or key gives the default, without its trailing spaces.
//  - The answer holds at most bufferSize - 1 UTF-16 units; a surrogate pair that does not
//    fit whole is left out. The count is the units placed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "winquery/Platform.h"

namespace sevalune::sim {

ProfileString ReadProfileString(std::string_view fileBytes, std::string_view section,
                                std::string_view key, std::string_view defaultValue,
                                std::size_t bufferSize);

// The answer for a file that cannot be read (missing, a directory, unreadable).
ProfileString DefaultProfileString(std::string_view defaultValue, std::size_t bufferSize);

// The file's text as UTF-16, after the byte-order mark rules above.
std::u16string DecodeProfileText(std::string_view fileBytes);

}  // namespace sevalune::sim
