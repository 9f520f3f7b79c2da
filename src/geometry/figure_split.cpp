#include "geometry/figure_split.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace lav::geometry {
namespace {

using db::Vertex;
using Ring = std::vector<Vertex>;  // a polygon without its closing vertex

// How many cut positions to try on each side of the middle before giving up on exact cuts.
constexpr std::size_t kCutTries = 64;

struct Cut {
  bool alongX = true;  // the line x = c (else y = c)
  std::int64_t c = 0;
  std::int64_t along(const Vertex& v) const { return alongX ? v.x : v.y; }
  std::int64_t across(const Vertex& v) const { return alongX ? v.y : v.x; }
  Vertex make(std::int64_t a, std::int64_t b) const {
    return alongX ? Vertex{std::int32_t(a), std::int32_t(b)}
                  : Vertex{std::int32_t(b), std::int32_t(a)};
  }
};

// Where the edge p-q meets the cut line; false when that is off the grid and exact is asked.
bool crossing(const Cut& cut, const Vertex& p, const Vertex& q, bool exact, Vertex& out) {
  const std::int64_t d = cut.along(q) - cut.along(p);
  const __int128 num =
      static_cast<__int128>(cut.c - cut.along(p)) * (cut.across(q) - cut.across(p));
  std::int64_t step = static_cast<std::int64_t>(num / d);
  if (num % d != 0) {
    if (exact) return false;
    step = std::llround(static_cast<long double>(num) / d);
  }
  out = cut.make(cut.c, cut.across(p) + step);
  return true;
}

// The part of the ring on one side of the line (boundary included), by clipping each edge. A
// ring that leaves that side and comes back gets a bridge along the line, which covers nothing.
bool clip(const Ring& in, const Cut& cut, bool low, bool exact, Ring& out) {
  out.clear();
  auto inside = [&](const Vertex& v) {
    return low ? cut.along(v) <= cut.c : cut.along(v) >= cut.c;
  };
  for (std::size_t i = 0; i < in.size(); ++i) {
    const Vertex& p = in[(i + in.size() - 1) % in.size()];
    const Vertex& q = in[i];
    Vertex x;
    if (inside(p) != inside(q)) {
      if (!crossing(cut, p, q, exact, x)) return false;
      out.push_back(x);
    }
    if (inside(q)) out.push_back(q);
  }
  auto same = [](const Vertex& a, const Vertex& b) { return a.x == b.x && a.y == b.y; };
  out.erase(std::unique(out.begin(), out.end(), same), out.end());
  while (out.size() > 1 && same(out.front(), out.back())) out.pop_back();
  if (out.size() < 3) out.clear();
  return true;
}

// Cut positions from the middle of the ring's coordinates outward.
std::vector<std::int64_t> candidates(const Ring& ring, const Cut& cut, std::size_t tries) {
  std::vector<std::int64_t> v;
  v.reserve(ring.size());
  for (const Vertex& p : ring) v.push_back(cut.along(p));
  std::sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
  std::vector<std::int64_t> out;
  const std::size_t mid = v.size() / 2;
  for (std::size_t k = 0; k <= tries && out.size() < 2 * tries + 1; ++k) {
    if (mid + k < v.size()) out.push_back(v[mid + k]);
    if (k > 0 && k <= mid) out.push_back(v[mid - k]);
  }
  return out;
}

// Cuts along an axis-parallel line near the middle of the ring's vertices.
bool axisCut(const Ring& ring, bool exact, Ring& a, Ring& b) {
  for (const bool alongX : {true, false}) {
    Cut cut{alongX, 0};
    for (const std::int64_t c : candidates(ring, cut, exact ? kCutTries : 0)) {
      cut.c = c;
      if (!clip(ring, cut, true, exact, a) || !clip(ring, cut, false, exact, b)) continue;
      if (a.size() < ring.size() && b.size() < ring.size()) return true;  // progress
    }
  }
  return false;
}

using Wide = __int128;  // products of coordinate differences need 66 bits

// 1 when c lies left of a->b, -1 right, 0 on its line.
int orient(const Vertex& a, const Vertex& b, const Vertex& c) {
  const Wide v = Wide(std::int64_t(b.x) - a.x) * (std::int64_t(c.y) - a.y) -
                 Wide(std::int64_t(b.y) - a.y) * (std::int64_t(c.x) - a.x);
  return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

bool within(const Vertex& a, const Vertex& b, const Vertex& p) {
  return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
         p.y <= std::max(a.y, b.y);
}

// Whether the segments a-b and c-d have any point in common.
bool meet(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d) {
  const int o1 = orient(a, b, c), o2 = orient(a, b, d), o3 = orient(c, d, a), o4 = orient(c, d, b);
  if (o1 * o2 < 0 && o3 * o4 < 0) return true;
  return (o1 == 0 && within(a, b, c)) || (o2 == 0 && within(a, b, d)) ||
         (o3 == 0 && within(c, d, a)) || (o4 == 0 && within(c, d, b));
}

// Whether vertices i and j see each other through the inside of the ring: the segment starts
// into the interior at both ends and touches no other edge.
bool isDiagonal(const Ring& r, std::size_t i, std::size_t j, bool counterClockwise) {
  const std::size_t n = r.size();
  auto inCone = [&](std::size_t k, const Vertex& to) {
    const Vertex& v = r[k];
    const Vertex& before = r[(k + n - 1) % n];
    const Vertex& after = r[(k + 1) % n];
    const Vertex& prev = counterClockwise ? before : after;
    const Vertex& next = counterClockwise ? after : before;
    if (orient(v, next, prev) >= 0) return orient(v, to, prev) > 0 && orient(to, v, next) > 0;
    return !(orient(v, to, next) >= 0 && orient(to, v, prev) >= 0);
  };
  if (!inCone(i, r[j]) || !inCone(j, r[i])) return false;
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t k1 = (k + 1) % n;
    if (k == i || k1 == i || k == j || k1 == j) continue;
    if (meet(r[i], r[j], r[k], r[k1])) return false;
  }
  return true;
}

// Cuts a simple ring along a diagonal between two of its own vertices: no new vertex, so the
// pieces cover the ring exactly whatever the angles of its edges. The far end is the nearest
// vertex a quarter to three quarters of the ring away, which crosses a bent band at its width.
bool diagonalCut(const Ring& r, Ring& a, Ring& b) {
  const std::size_t n = r.size();
  Wide area = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const Vertex& p = r[k];
    const Vertex& q = r[(k + 1) % n];
    area += Wide(p.x) * q.y - Wide(q.x) * p.y;
  }
  if (area == 0) return false;
  std::vector<std::pair<double, std::size_t>> near;
  for (std::size_t s = 0; s < 8; ++s) {
    const std::size_t i = s * n / 8;
    near.clear();
    for (std::size_t d = n / 4; d <= 3 * n / 4; ++d) {
      const std::size_t j = (i + d) % n;
      near.emplace_back(std::hypot(double(r[j].x) - r[i].x, double(r[j].y) - r[i].y), j);
    }
    const std::size_t tries = std::min<std::size_t>(8, near.size());
    std::partial_sort(near.begin(), near.begin() + std::ptrdiff_t(tries), near.end());
    for (std::size_t t = 0; t < tries; ++t) {
      const std::size_t lo = std::min(i, near[t].second), hi = std::max(i, near[t].second);
      if (!isDiagonal(r, lo, hi, area > 0)) continue;
      a.assign(r.begin() + std::ptrdiff_t(lo), r.begin() + std::ptrdiff_t(hi) + 1);
      b.assign(r.begin() + std::ptrdiff_t(hi), r.end());
      b.insert(b.end(), r.begin(), r.begin() + std::ptrdiff_t(lo) + 1);
      return true;
    }
  }
  return false;
}

void split(const Ring& ring, std::size_t limit, std::vector<Ring>& pieces) {
  if (ring.size() <= limit) {
    pieces.push_back(ring);
    return;
  }
  Ring a, b;
  if (axisCut(ring, true, a, b) || diagonalCut(ring, a, b) || axisCut(ring, false, a, b)) {
    if (!a.empty()) split(a, limit, pieces);
    if (!b.empty()) split(b, limit, pieces);
    return;
  }
  pieces.push_back(ring);  // nothing divides it: the writer refuses what it cannot hold
}

// A grid point strictly inside the segment a-b, at least half the width from both ends.
bool innerGridPoint(const Vertex& a, const Vertex& b, double halfWidth, Vertex& m) {
  const std::int64_t dx = std::int64_t(b.x) - a.x, dy = std::int64_t(b.y) - a.y;
  const std::int64_t g = std::gcd(std::llabs(dx), std::llabs(dy));
  if (g < 2) return false;
  const std::int64_t t = g / 2;
  const double length = std::hypot(double(dx), double(dy));
  if (length * double(t) / double(g) < halfWidth || length * double(g - t) / double(g) < halfWidth)
    return false;
  m = {std::int32_t(a.x + dx / g * t), std::int32_t(a.y + dy / g * t)};
  return true;
}

}  // namespace

std::vector<std::vector<Vertex>> SplitPolygon(const std::vector<Vertex>& polygon,
                                              std::size_t maxPoints) {
  if (polygon.size() <= maxPoints || maxPoints < 4) return {polygon};
  Ring ring(polygon);
  if (ring.front().x == ring.back().x && ring.front().y == ring.back().y) ring.pop_back();
  std::vector<Ring> pieces;
  split(ring, maxPoints - 1, pieces);
  for (Ring& p : pieces) p.push_back(p.front());
  return pieces;
}

std::vector<std::vector<Vertex>> SplitPath(const std::vector<Vertex>& path, std::int32_t width,
                                           std::size_t maxPoints) {
  const std::size_t n = path.size();
  if (n <= maxPoints || maxPoints < 4) return {path};
  const double halfWidth = std::fabs(double(width)) / 2;
  std::vector<std::vector<Vertex>> pieces;
  Vertex head = path[0];  // where the piece being built starts
  std::size_t k = 1;      // the next vertex of the path it takes
  while (1 + (n - k) > maxPoints) {
    std::vector<Vertex> piece{head};
    // End inside the segment before vertex j, as late as the piece allows and no earlier than
    // half of it; else at a vertex.
    bool found = false;
    Vertex m;
    std::size_t j = k + maxPoints - 2;
    for (; j >= k + (maxPoints - 2) / 2; --j) {
      const Vertex& from = j == k ? head : path[j - 1];
      if (innerGridPoint(from, path[j], halfWidth, m)) {
        found = true;
        break;
      }
    }
    if (found) {
      piece.insert(piece.end(), path.begin() + std::ptrdiff_t(k), path.begin() + std::ptrdiff_t(j));
      piece.push_back(m);
      head = m;
      k = j;
    } else {
      j = k + maxPoints - 1;
      piece.insert(piece.end(), path.begin() + std::ptrdiff_t(k), path.begin() + std::ptrdiff_t(j));
      head = path[j - 1];
      k = j;
    }
    pieces.push_back(std::move(piece));
  }
  std::vector<Vertex> last{head};
  last.insert(last.end(), path.begin() + std::ptrdiff_t(k), path.end());
  pieces.push_back(std::move(last));
  return pieces;
}

}  // namespace lav::geometry
