#include "geometry/int_geometry.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unordered_map>

namespace lav::geometry {

Wide TwiceArea(const Ring& ring) {
  Wide sum = 0;
  for (std::size_t i = 0; i + 1 < ring.size(); ++i)
    sum += Wide(ring[i].x) * ring[i + 1].y - Wide(ring[i + 1].x) * ring[i].y;
  return sum;
}

bool OnSegment(const Point& a, const Point& b, const Point& p) {
  if (Cross(a, b, p) != 0) return false;
  return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
         p.y <= std::max(a.y, b.y);
}

bool CrossProperly(const Point& a, const Point& b, const Point& c, const Point& d) {
  int d1 = Sign(Cross(a, b, c)), d2 = Sign(Cross(a, b, d));
  int d3 = Sign(Cross(c, d, a)), d4 = Sign(Cross(c, d, b));
  return d1 * d2 < 0 && d3 * d4 < 0;
}

namespace {
// floor(num / den) for den > 0.
Wide FloorDiv(Wide num, Wide den) {
  Wide q = num / den;
  if ((num % den != 0) && (num < 0)) --q;
  return q;
}
}  // namespace

Point CrossingPoint(const Point& a, const Point& b, const Point& c, const Point& d) {
  Wide ex = std::int64_t(b.x) - a.x, ey = std::int64_t(b.y) - a.y;
  Wide fx = std::int64_t(d.x) - c.x, fy = std::int64_t(d.y) - c.y;
  Wide den = ex * fy - ey * fx;
  Wide num = (Wide(c.x) - a.x) * fy - (Wide(c.y) - a.y) * fx;
  if (den < 0) den = -den, num = -num;
  // a + e * num / den, rounded half up: floor((2 * (a * den + e * num) + den) / (2 * den)).
  Wide nx = Wide(a.x) * den + ex * num, ny = Wide(a.y) * den + ey * num;
  return {static_cast<std::int32_t>(FloorDiv(2 * nx + den, 2 * den)),
          static_cast<std::int32_t>(FloorDiv(2 * ny + den, 2 * den))};
}

namespace {

// One edge's part in the even-odd location of (x2, y2): true when the point lies on it;
// otherwise inside toggles when the edge crosses the horizontal line right of the point.
bool OnOrCrossing(const Point& a, const Point& b, std::int64_t x2, std::int64_t y2, bool& inside) {
  std::int64_t ax = 2 * std::int64_t(a.x), ay = 2 * std::int64_t(a.y);
  std::int64_t bx = 2 * std::int64_t(b.x), by = 2 * std::int64_t(b.y);
  Wide cr = Wide(bx - ax) * (y2 - ay) - Wide(by - ay) * (x2 - ax);
  if (cr == 0 && std::min(ax, bx) <= x2 && x2 <= std::max(ax, bx) && std::min(ay, by) <= y2 &&
      y2 <= std::max(ay, by))
    return true;
  if ((ay > y2) != (by > y2)) {
    bool up = by > ay;
    if ((cr > 0) == up) inside = !inside;
  }
  return false;
}

}  // namespace

Where LocateDoubled(const Ring& ring, std::int64_t x2, std::int64_t y2) {
  bool inside = false;
  for (std::size_t i = 0; i + 1 < ring.size(); ++i)
    if (OnOrCrossing(ring[i], ring[i + 1], x2, y2, inside)) return Where::OnBoundary;
  return inside ? Where::Inside : Where::Outside;
}

EdgeBands::EdgeBands(const Ring& ring) : ring_(ring) {
  if (ring.size() < 2) return;
  ymin_ = ymax_ = ring[0].y;
  for (const Point& p : ring)
    ymin_ = std::min<std::int64_t>(ymin_, p.y), ymax_ = std::max<std::int64_t>(ymax_, p.y);
  const std::size_t edges = ring.size() - 1;
  std::size_t count = std::clamp<std::size_t>(std::size_t(std::sqrt(double(edges))) * 2, 1, 4096);
  height_ = (ymax_ - ymin_) / std::int64_t(count) + 1;
  bands_.resize(count);
  seen_.assign(edges, 0);
  for (std::size_t i = 0; i < edges; ++i) {
    const std::int64_t y0 = std::min(ring[i].y, ring[i + 1].y),
                       y1 = std::max(ring[i].y, ring[i + 1].y);
    for (std::size_t b = BandOf(y0), e = BandOf(y1); b <= e; ++b)
      bands_[b].push_back(static_cast<std::uint32_t>(i));
  }
}

std::size_t EdgeBands::BandOf(std::int64_t y) const {
  y = std::clamp(y, ymin_, ymax_);
  return std::min(bands_.size() - 1, std::size_t((y - ymin_) / height_));
}

Where EdgeBands::Locate(std::int64_t x2, std::int64_t y2) const {
  bool inside = false, on = false;
  // y2 / 2 rounded down and up: the bands of every edge that meets the horizontal line.
  const std::int64_t lo = y2 >= 0 ? y2 / 2 : -((-y2 + 1) / 2);
  ForEach(lo, lo + 1, [&](std::size_t i) {
    if (!on && OnOrCrossing(ring_[i], ring_[i + 1], x2, y2, inside)) on = true;
  });
  if (on) return Where::OnBoundary;
  return inside ? Where::Inside : Where::Outside;
}

namespace {

struct PointHash {
  std::size_t operator()(const Point& p) const {
    return std::hash<std::uint64_t>()((std::uint64_t(std::uint32_t(p.x)) << 32) ^
                                      std::uint32_t(p.y));
  }
};

struct PointEqual {
  bool operator()(const Point& a, const Point& b) const { return a == b; }
};

// A straight run through v (not a turn straight back, which a hole's bridge needs).
bool Straight(const Point& p, const Point& v, const Point& q) {
  return Cross(p, v, q) == 0 && !(p == v) &&
         Wide(std::int64_t(v.x) - p.x) * (std::int64_t(q.x) - v.x) +
                 Wide(std::int64_t(v.y) - p.y) * (std::int64_t(q.y) - v.y) >
             0;
}

}  // namespace

Ring CleanRing(Ring ring) {
  if (ring.empty()) return ring;
  if (!(ring.front() == ring.back())) ring.push_back(ring.front());
  // A vertex the ring passes more than once is where a bridge or a pinch meets the outline; it
  // stays even on a straight run, or the two sides of the bridge would overlap.
  std::unordered_map<Point, int, PointHash, PointEqual> passes;
  passes.reserve(ring.size());
  for (std::size_t i = 0; i + 1 < ring.size(); ++i)
    if (!(ring[i] == ring[i + 1])) ++passes[ring[i]];
  auto removable = [&](const Point& p, const Point& v, const Point& q) {
    return Straight(p, v, q) && passes[v] < 2;
  };
  // One pass with a stack, so the cleaning stays linear for large rings.
  Ring out;
  out.reserve(ring.size());
  for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
    const Point& p = ring[i];
    if (!out.empty() && out.back() == p) continue;
    while (out.size() >= 2 && removable(out[out.size() - 2], out.back(), p)) out.pop_back();
    out.push_back(p);
  }
  // Then the joint where the end meets the start.
  std::size_t first = 0;
  for (bool changed = true; changed;) {
    changed = false;
    std::size_t n = out.size() - first;
    if (n >= 2 && out.back() == out[first]) {
      out.pop_back();
      changed = true;
      continue;
    }
    if (n < 3) break;
    if (removable(out[out.size() - 2], out.back(), out[first])) {
      out.pop_back();
      changed = true;
    } else if (removable(out.back(), out[first], out[first + 1])) {
      ++first;
      changed = true;
    }
  }
  Ring open(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
  if (open.size() < 3) return {};
  open.push_back(open.front());
  return open;
}

bool SelfCrosses(const Ring& ring) {
  std::size_t n = ring.size() < 2 ? 0 : ring.size() - 1;
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      const Point &a = ring[i], &b = ring[i + 1], &c = ring[j], &d = ring[j + 1];
      if (CrossProperly(a, b, c, d)) return true;
      // Collinear overlap of positive length.
      if (Cross(a, b, c) == 0 && Cross(a, b, d) == 0) {
        bool sameEdge = (a == c && b == d) || (a == d && b == c);
        if (sameEdge) continue;  // the two sides of a bridge
        int inner = 0;
        for (const Point& p : {c, d})
          if (OnSegment(a, b, p) && !(p == a) && !(p == b)) ++inner;
        for (const Point& p : {a, b})
          if (OnSegment(c, d, p) && !(p == c) && !(p == d)) ++inner;
        if (inner > 0) return true;
      } else {
        // A vertex of one edge touching the inside of the other.
        for (const Point& p : {c, d})
          if (OnSegment(a, b, p) && !(p == a) && !(p == b)) return true;
        for (const Point& p : {a, b})
          if (OnSegment(c, d, p) && !(p == c) && !(p == d)) return true;
      }
    }
  }
  return false;
}

}  // namespace lav::geometry
