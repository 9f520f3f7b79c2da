// The figure of the temporary input layer drawn over the drawing, in the highlight pen.
#pragma once

#include "platform/surface.h"

namespace lav {
struct AppState;
}

namespace lav::display {

// Draws the layer's points as the element they will become: rectangles from their two corners,
// polygons and lines as their vertex chain (a wide line also with its outline unless the line
// mode leaves it out), placements and texts as a small cross at each point. Nothing for an empty
// layer. Returns the number of segments drawn.
int DrawTempLayer(const AppState& app, Surface& surface);

}  // namespace lav::display
