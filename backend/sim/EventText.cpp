#include "backend/sim/EventText.h"

#include <cstdint>
#include <cstdio>

namespace sevalune::sim {

std::string Quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  for (const char c : text) {
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '"':
        out += "\\\"";
        break;
      default:
        out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

std::string VirtualKeyName(int virtualKey) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string name = "vk";
  name.push_back(kDigits[(virtualKey >> 4) & 0xF]);
  name.push_back(kDigits[virtualKey & 0xF]);
  return name;
}

std::string RectText(const Rect& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
         std::to_string(std::int64_t{rect.right} - rect.left) + "x" +
         std::to_string(std::int64_t{rect.bottom} - rect.top);
}

std::string ColorText(Color color) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(color & 0xFFFFFFu));
  return text;
}

}  // namespace sevalune::sim
