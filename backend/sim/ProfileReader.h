// GetPrivateProfileString over the bytes of an initialisation file, following the rules
// the platform's reader applies. A pure function, so tests and a fuzzer can drive it
// without a simulated desktop.
//
// The rules, in the order they apply (checked against Wine's reader by the contract
// tests; where Windows is known or likely to differ, those tests say so):
//  - Encoding: a UTF-8 byte-order mark, a UTF-16LE (or UTF-16BE) one, or none, in which
//    case the bytes are the ANSI code page, which on the simulated desktop is UTF-8;
//    invalid sequences become U+FFFD. A dangling last byte of UTF-16 is no character.
//  - Lines end at CR, LF or CRLF. Blanks around a line do not count; blanks are space,
//    tab, vertical tab, form feed, CR, LF and ^Z (U+001A), nothing beyond ASCII.
//  - A line starting with "[" and holding a "]" is a section header; the name runs to
//    the last "]" and is trimmed. A "[" line without "]" is an ordinary key line of the
//    section it stands in. Lines before the first header belong to no named section.
//  - Other lines are keys: "name=value" with blanks around name and value trimmed. A
//    line without "=" is a key without value, which gives the default when asked for.
//  - Section and key names match with ASCII letters folded, no other letters. The first
//    matching section is the only one searched; its first matching key wins.
//  - The value is cut at a NUL. A value of two or more characters that starts and ends
//    with the same quote (" or ') loses the opening quote; the closing one goes with the
//    last character placed whenever the buffer could have held it, so a value that just
//    fits loses one character too many.
//  - The default loses its trailing spaces (one space stays of a default of spaces) and
//    its quotes by the same rule when a readable file lacks the section or key.
//  - The answer holds at most bufferSize - 1 UTF-16 units. Half a surrogate pair at the
//    cut is placed and counted, but is no character of the text handed back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace sevalune::sim {

ProfileString ReadProfileString(std::string_view fileBytes, std::string_view section,
                                std::string_view key, std::string_view defaultValue,
                                std::size_t bufferSize);

// The answer for a file that cannot be opened (a directory, an unreadable file): the
// default, quotes and all. A file that does not exist reads as an empty file.
ProfileString DefaultProfileString(std::string_view defaultValue, std::size_t bufferSize);

// The file's text as UTF-16, after the byte-order mark rules above.
std::u16string DecodeProfileText(std::string_view fileBytes);

}  // namespace sevalune::sim
