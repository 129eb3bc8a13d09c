// Texts inside event lines: written in double quotes so that a line stays one line.
#pragma once

#include <string>
#include <string_view>

namespace sevalune::sim {

// "TEXT" with a carriage return written \r, a line feed \n and a double quote \";
// backslashes stay as they are, so paths read naturally.
std::string Quoted(std::string_view text);

// A virtual key as scripts name it: "vk" and two upper-case hexadecimal digits (vkE8).
std::string VirtualKeyName(int virtualKey);

}  // namespace sevalune::sim
