// The windows of a companion program that the tick and the recovery treat specially, found
// by their fixed class and titles.
#pragma once

#include <string_view>

namespace sevalune {

// The companion's own forms (this class, a title with this prefix) are never marked, whatever
// the class lists say: they are its tool windows, not a place where the user types.
inline constexpr std::string_view kCompanionFormClass = "ThunderForm";
inline constexpr std::string_view kCompanionFormTitlePrefix = "_うおう_";
// While a window with this title exists, an empty foreground is the companion's doing and is
// left alone.
inline constexpr std::string_view kCompanionTitle = "Korvanel";
// The companion's window that must never be handed the foreground.
inline constexpr std::string_view kCompanionNeverActivatedTitle = "び";

}  // namespace sevalune
