// Drawing of the geometric elements of a cell: outlines with the layer pens, diagonal hatching
// of closed figures, and lines with a width.
#pragma once

#include <cstdint>

#include "display/draw_context.h"

namespace lav::display {

// The outline pass for one point list in the current frame; ctx.layer and ctx.extent are set.
// 0 when the figure was drawn in a way that may be hatched, 1 otherwise.
int DrawOutline(DrawContext& ctx, const Point* points, int count);

// The hatch pass of a closed figure (first point repeated at the end).
void DrawHatch(DrawContext& ctx, const Point* points, int count);

// False when a hatch of ctx.extent on ctx.layer (a layer below 64) would be too small to show
// a line, so that its points need not be brought into the window.
bool HatchCanShow(const DrawContext& ctx);

// A rectangle or closed polygon given in its cell's coordinates, drawn in frame.
void DrawArea(DrawContext& ctx, const PlacementTransform& frame, int layer, Point* points,
              int count);

// A line with a width given in its cell's coordinates, drawn in frame.
void DrawLineElement(DrawContext& ctx, const PlacementTransform& frame, int layer, int tip,
                     std::int32_t width, Point* points, int count);

// Visibility bit of a layer or pseudo-layer.
bool LayerVisible(const DrawContext& ctx, int layer);

}  // namespace lav::display
