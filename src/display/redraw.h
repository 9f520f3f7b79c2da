// The Graphics Window's repaint: the cell hierarchy, the grid and the paint marks drawn onto a
// surface.
//
// How the window uses it: it owns an image of its client size and attaches a surface on it as
// DisplayState::target. On every invalidation of Window::Graphics it redraws the image with
// RedrawGraphics (outside its paint handler) unless DisplayState::imageCurrent is set, in which
// case a command has just drawn it and the window clears the flag and only copies the image.
// On a resize it calls ResizeView.
#pragma once

#include "platform/surface.h"

namespace lav::display {

struct DrawContext;
struct SceneState;

// Draws the open cell into surface (cleared to the background first), then the grid, the paint
// marks and the overlays. Returns false when the walk was stopped by Escape; "*** Abortion ***"
// has then been printed.
bool RedrawGraphics(SceneState& app, Surface& surface);

// Lets a drawing print its lines about placed cells the design lacks in the transcript.
void PrintUndefinedPlacements(DrawContext& ctx);

// Marks the Graphics Window for a redraw and asks the host to repaint it.
void InvalidateGraphics(SceneState& app);

// Draws the design at once: into the attached window image, or (without a window) over an
// empty surface of the client size, so that extents and reports are the same. During a running
// redraw it only invalidates. Returns false when the drawing was stopped by Escape.
bool RedrawNow(SceneState& app);

// Measures the open cell again when its stored extent may be out of date (its data changed
// since the last complete walk). Draws nothing.
void RefreshExtent(SceneState& app);

// The Graphics Window's new client size: the bottom-left of the drawing stays in place.
void ResizeView(SceneState& app, int width, int height);

}  // namespace lav::display
