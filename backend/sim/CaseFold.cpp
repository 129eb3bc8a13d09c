#include "backend/sim/CaseFold.h"

#include <algorithm>

#include "platform/Utf.h"

namespace sevalune::sim {
namespace {

char16_t Plus(char16_t unit, int offset) { return static_cast<char16_t>(unit + offset); }

// Latin Extended-A pairs upper and lower case as neighbours, but the parity of the
// upper-case letter changes twice within the block.
char16_t FoldLatinExtendedA(char16_t unit) {
  const bool odd = (unit % 2) != 0;
  if (unit <= 0x0137) return (!odd && unit != 0x0130) ? Plus(unit, 1) : unit;
  if (unit >= 0x0139 && unit <= 0x0148) return odd ? Plus(unit, 1) : unit;
  if (unit >= 0x014A && unit <= 0x0177) return !odd ? Plus(unit, 1) : unit;
  if (unit == 0x0178) return 0x00FF;
  if (unit >= 0x0179 && unit <= 0x017E) return odd ? Plus(unit, 1) : unit;
  return unit;
}

}  // namespace

char16_t FoldCase(char16_t unit) {
  if (unit < 0x80) return (unit >= u'A' && unit <= u'Z') ? Plus(unit, 0x20) : unit;
  if (unit >= 0x00C0 && unit <= 0x00DE && unit != 0x00D7) return Plus(unit, 0x20);
  if (unit >= 0x0100 && unit <= 0x017F) return FoldLatinExtendedA(unit);
  if (unit >= 0x0391 && unit <= 0x03AB && unit != 0x03A2) return Plus(unit, 0x20);
  if (unit >= 0x0400 && unit <= 0x040F) return Plus(unit, 0x50);
  if (unit >= 0x0410 && unit <= 0x042F) return Plus(unit, 0x20);
  if (unit >= 0xFF21 && unit <= 0xFF3A) return Plus(unit, 0x20);
  return unit;
}

std::u16string Folded(std::u16string_view text) {
  std::u16string out(text);
  std::transform(out.begin(), out.end(), out.begin(), FoldCase);
  return out;
}

bool EqualFolded(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  return EqualFolded(Utf8ToUtf16(a), Utf8ToUtf16(b));
}

}  // namespace sevalune::sim
