// The hierarchy walk: a cell's elements in stored order, with placements of other cells entered
// in their composed frames up to the nesting depth.
#pragma once

#include <cstdint>

#include "db/design_image.h"
#include "db/element_stream.h"
#include "display/draw_context.h"

namespace lav::display {

// The top frame: origin (0, 0), no reflection, angle 0, magnification 1.
inline PlacementTransform TopFrame() {
  return PlacementTransform{};
}

// The frame of a placement (origin, reflection, angle in millionths of a degree, magnification
// in millionths) inside parent: points of the placed cell go straight to the top cell's
// coordinates.
PlacementTransform ComposeFrame(const PlacementTransform& parent, std::int32_t x, std::int32_t y,
                                int reflection, std::uint32_t angle, std::uint32_t magnification);

// Draws the cell whose directory entry is given, in frame. slotOffset identifies the cell for
// the detection of placement cycles (0 for none).
void DrawCell(DrawContext& ctx, const PlacementTransform& frame, const db::CellEntry& entry,
              std::int32_t slotOffset);

// A placement that is not stored (the entry preview) drawn into the open cell as the walk draws a
// stored one: base mark, frame and the placed cell, with ctx's highlight.
void DrawPlacement(DrawContext& ctx, const db::Placement& p, bool array);

// Draws the open cell from the top, keeping its stored extent up to date when ctx.extentPass is
// set. Returns false when the walk was stopped (Escape).
bool DrawTopCell(DrawContext& ctx);

}  // namespace lav::display
