// Exact predicates on integer points: every product is taken in 128 bits, so coordinates anywhere
// in the int32 range (and their differences) never overflow.
#pragma once

#include <cstdint>
#include <vector>

#include "db/element_stream.h"

namespace lav::geometry {

using Point = db::Vertex;
using Ring = std::vector<Point>;  // closed: the last point equals the first
using Wide = __int128;

inline bool operator==(const Point& a, const Point& b) {
  return a.x == b.x && a.y == b.y;
}
inline bool operator<(const Point& a, const Point& b) {
  return a.x != b.x ? a.x < b.x : a.y < b.y;
}

// Cross product of (b - a) and (c - a): > 0 when c lies left of the line a->b.
inline Wide Cross(const Point& a, const Point& b, const Point& c) {
  return Wide(std::int64_t(b.x) - a.x) * (std::int64_t(c.y) - a.y) -
         Wide(std::int64_t(b.y) - a.y) * (std::int64_t(c.x) - a.x);
}
inline int Sign(Wide v) {
  return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// Twice the signed area of a closed ring (positive when counter-clockwise).
Wide TwiceArea(const Ring& ring);

// True when p lies on the closed segment a-b.
bool OnSegment(const Point& a, const Point& b, const Point& p);

// True when the open segments a-b and c-d cross at one point interior to both.
bool CrossProperly(const Point& a, const Point& b, const Point& c, const Point& d);

// The crossing of the lines a-b and c-d, rounded to the nearest grid point (halves up).
// Only for segments that cross properly.
Point CrossingPoint(const Point& a, const Point& b, const Point& c, const Point& d);

enum class Where : std::uint8_t { Outside, Inside, OnBoundary };

// Even-odd location of a point given in doubled coordinates (2x, 2y) against a ring.
Where LocateDoubled(const Ring& ring, std::int64_t x2, std::int64_t y2);

// The edges of a ring sorted into horizontal bands, so that the edges near a point or a segment
// are found without looking at all of them.
class EdgeBands {
 public:
  explicit EdgeBands(const Ring& ring);

  // Calls visit(i) once for every edge i (ring[i] to ring[i + 1]) whose y range may meet
  // [y0, y1].
  template <typename Visit>
  void ForEach(std::int64_t y0, std::int64_t y1, Visit visit) const {
    if (bands_.empty() || y1 < ymin_ || y0 > ymax_) return;
    const std::size_t b0 = BandOf(y0), b1 = BandOf(y1);
    ++stamp_;
    for (std::size_t b = b0; b <= b1; ++b)
      for (std::uint32_t i : bands_[b])
        if (seen_[i] != stamp_) {
          seen_[i] = stamp_;
          visit(std::size_t(i));
        }
  }

  // LocateDoubled through the bands.
  Where Locate(std::int64_t x2, std::int64_t y2) const;

 private:
  std::size_t BandOf(std::int64_t y) const;

  const Ring& ring_;
  std::int64_t ymin_ = 0, ymax_ = 0, height_ = 1;
  std::vector<std::vector<std::uint32_t>> bands_;
  mutable std::vector<std::uint32_t> seen_;
  mutable std::uint32_t stamp_ = 0;
};

// Closes a ring, drops consecutive duplicates and points in the middle of straight runs.
Ring CleanRing(Ring ring);

// True when two edges of the closed ring cross or overlap (touching at a shared vertex is
// allowed, as at the bridge of a hole).
bool SelfCrosses(const Ring& ring);

}  // namespace lav::geometry
