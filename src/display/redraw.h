// The Graphics Window's repaint: the cell hierarchy, the grid and the paint marks drawn onto a
// surface. The window owns the image, calls RedrawGraphics outside its paint handler when
// DisplayState::needsRedraw is set, and only copies the image to the screen when painting.
#pragma once

#include "platform/surface.h"

namespace lav {
struct AppState;
}

namespace lav::display {

// Draws the open cell into surface (cleared to the background first). Returns false when the
// walk was stopped by Escape; "*** Abortion ***" has then been reported.
bool RedrawGraphics(AppState& app, Surface& surface);

// Marks the Graphics Window for a redraw and asks the host to repaint it.
void InvalidateGraphics(AppState& app);

}  // namespace lav::display
