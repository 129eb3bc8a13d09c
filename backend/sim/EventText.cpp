#include "backend/sim/EventText.h"

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

}  // namespace sevalune::sim
