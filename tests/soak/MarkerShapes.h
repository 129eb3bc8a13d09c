// The shapes the marker's window may have at any moment, for the run's marker sizes.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"
#include "settings/Settings.h"

namespace sevalune::soak {

inline constexpr Rect kStartUpMarker{0, 0, 15, 6};

// nullopt when `marker` (the window's rectangle) is hidden at the origin, the start-up
// rectangle (while `startUpShapeAllowed`), a caret block, the bar under a low control,
// the bar beside a tall one or the menu square; otherwise what is wrong with it.
std::optional<std::string> UndocumentedMarkerShape(const Rect& marker, const MarkerSizes& sizes,
                                                   bool startUpShapeAllowed);

std::string RectText(const Rect& rect);

}  // namespace sevalune::soak
