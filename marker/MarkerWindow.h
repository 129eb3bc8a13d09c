// Moving, sizing and hiding the marker window. The marker never takes the activation.
#pragma once

#include "marker/MarkerGeometry.h"
#include "winquery/Platform.h"

namespace sevalune {

// Shrinks the marker to 0 x 0 at the screen origin, keeping its z-order; nothing is
// called when it is already 0 pixels high.
void HideMarker(Platform& platform);

// Shrinks the marker to 0 x 0 at the screen origin and puts it on top of the topmost
// windows again.
void HideMarkerTopmost(Platform& platform);

// Moves and sizes the marker without touching its z-order (only when it is not already
// there), then colours it (only when the colour changes, so it is not repainted on every
// tick).
void PlaceMarker(Platform& platform, const MarkerRect& rect, Color color);

}  // namespace sevalune
