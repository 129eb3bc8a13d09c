// Texts inside event lines: written in double quotes so that a line stays one line.
#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace sevalune::sim {

// "TEXT" with a carriage return written \r, a line feed \n and a double quote \";
// backslashes stay as they are, so paths read naturally.
std::string Quoted(std::string_view text);

// A virtual key as scripts name it: "vk" and two upper-case hexadecimal digits (vkE8).
std::string VirtualKeyName(int virtualKey);
// A rectangle as the state line writes the marker's: "x,y,wxh".
std::string RectText(const Rect& rect);

// A colour as six hexadecimal digits in the platform's order: blue, green, red.
std::string ColorText(Color color);

}  // namespace sevalune::sim
