// Integer contours of a glyph and the tests that keep them sound: simple rings, rings that do not
// touch one another, and which ring lies inside which.
#pragma once

#include <cstdint>
#include <vector>

#include "outline.h"

namespace make_font {

struct PointI {
  std::int32_t x, y;
  bool operator==(const PointI&) const = default;
};
// A closed contour; the closing vertex is implied, not repeated.
using Ring = std::vector<PointI>;

// The contour rounded to integer cell units without repeated points, straight-through points or
// spikes. Fewer than 3 vertices when nothing of it is left.
Ring RoundedRing(const ContourD& contour);

// The ring with every vertex dropped that lies within tolerance of the chord of its neighbours.
Ring ThinnedRing(Ring ring, double tolerance);

// Twice the signed area: positive when the ring runs counter-clockwise (y up).
std::int64_t TwiceArea(const Ring& ring);

// Even-odd test; the point must not lie on the ring.
bool Inside(PointI p, const Ring& ring);

// True when segments ab and cd meet anywhere except in one shared endpoint (collinear overlap,
// a crossing, an endpoint on the other's interior all count).
bool SegmentsConflict(PointI a, PointI b, PointI c, PointI d);

// No two edges meet except consecutive ones at their shared vertex.
bool IsSimple(const Ring& ring);

// No edge of one meets an edge of the other.
bool Disjoint(const Ring& a, const Ring& b);

// Three points on one line (also when the path turns straight back).
bool Collinear(PointI a, PointI b, PointI c);

}  // namespace make_font
