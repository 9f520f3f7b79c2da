// The figure of the temporary input layer drawn over the drawing: the entry preview.
#pragma once

#include "platform/surface.h"

namespace lav::display {

struct SceneState;

// Draws the layer's points as the element they will become, on the entry pseudo-layer (red): a
// diamond of half-size MarkSize - 1 at every point near the window (MarkSize at the first point
// of a polygon or line); a rectangle from its two corners and a polygon through its points, each
// with the hatch of the closed figure; a line's centre line and outline as the line mode shows
// them; the placed cell highlighted at every point of a placement; the text at every point of a
// text. Nothing for an empty layer or while a pick draws.
void DrawTempLayer(SceneState& app, Surface& surface);

}  // namespace lav::display
