// The settings' class lists (KirainaKurasu1 to 3): whether a window class is on one.
#pragma once

#include <string_view>

namespace sevalune {

// Whether `className` is one whole item of the comma-separated `list`, compared exactly
// (case and blanks significant). An empty class matches only an empty item.
bool ClassListContains(std::string_view list, std::string_view className);

}  // namespace sevalune
