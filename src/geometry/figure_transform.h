// Mirror, rotate, magnify and oversize the figure held in the temporary layer, and move one edge
// of it. The points change in place; the settings that travel with placements and texts (angle,
// reflection, magnification, pitches) and the width of a line follow, so that output makes the
// transformed element.
#pragma once

#include <cstdint>
#include <vector>

#include "db/element_stream.h"
#include "db/temp_layer.h"

namespace lav::geometry {

// The figure and the settings a transformation may change.
struct Figure {
  std::vector<db::UserPoint> points;  // user units
  int type = 4;                       // element type 0..5
  std::int32_t angle = 0;             // millionths of a degree, kept in 0..359,999,999
  std::int32_t reflection = 0;
  std::int32_t magnification = 1000000;  // millionths
  std::int32_t pitchX = 0, pitchY = 0;   // database units
  std::int32_t width = 0;                // database units
};

// Mirror image about the axis through p and q, snapped to the database grid. False when nothing
// changed (empty figure, or p equal to q).
bool MirrorFigure(Figure& f, db::UserPoint p, db::UserPoint q, std::int32_t dbPerUserUnit);

// Rotation by degrees about the fixed point. False when nothing changed (empty, or 0 degrees).
bool RotateFigure(Figure& f, double degrees, db::UserPoint fixed, std::int32_t dbPerUserUnit);

// Magnification by factor about the fixed point. False when nothing changed (empty, factor 0 or 1).
bool MagnifyFigure(Figure& f, double factor, db::UserPoint fixed, std::int32_t dbPerUserUnit);

enum class OversizeStatus : std::uint8_t {
  Changed,
  Unchanged,      // not a polygon of 3 or a line of 2 points, distance 0, or a degenerate figure
  TooManyPoints,  // the grown outline would exceed 200 vertices: nothing changed
};

// Grows (distance > 0) or shrinks a polygon by the distance in user units; a line's width grows
// by twice the distance. acuteTip 1 cuts corners sharper than a right angle.
OversizeStatus OversizeFigure(Figure& f, double distance, std::int32_t dbPerUserUnit, int acuteTip);

// Moves the edge from vertex s - 1 to vertex s parallel to itself through the point t (user
// units); its ends slide along the neighbouring edges, free ends are projected onto the new line.
// A polygon whose last point equals the first is treated as closed. False when nothing changed.
bool MoveEdge(Figure& f, int s, db::UserPoint t, std::int32_t dbPerUserUnit);

// The region the figure covers, for the redraw after a change (database units; a wide line's
// outline included).
struct Bounds {
  std::int32_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};
Bounds FigureBounds(const Figure& f, std::int32_t dbPerUserUnit, int tipType, int acuteTip);

}  // namespace lav::geometry
