// The lenient number reading used for every numeric setting: never rejects text for its
// form, reads as much of a leading number as fits, and gives 0 when nothing fits.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sevalune {

// Blanks (space, tab, line feed) anywhere are skipped. Then either "&H" and hexadecimal
// digits (up to 4 digits: 16-bit two's complement; 5 to 8 digits, or a "&" right after
// the digits: 32-bit), or an optional sign, digits with an optional fraction and an
// optional exponent. nullopt when the number lies beyond what a double holds (or a
// hexadecimal number has more than 8 digits): an overflow.
std::optional<double> ReadLenientNumber(std::string_view text);

// Rounds to the nearest integer, a half going to the even neighbour; nullopt when the
// result lies outside [minimum, maximum].
std::optional<std::int32_t> RoundToInteger(double value, std::int32_t minimum,
                                           std::int32_t maximum);

}  // namespace sevalune
