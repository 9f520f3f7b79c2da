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

void split(const Ring& ring, std::size_t limit, std::vector<Ring>& pieces) {
  if (ring.size() <= limit) {
    pieces.push_back(ring);
    return;
  }
  Ring a, b;
  for (const bool exact : {true, false}) {
    for (const bool alongX : {true, false}) {
      Cut cut{alongX, 0};
      for (const std::int64_t c : candidates(ring, cut, exact ? kCutTries : 0)) {
        cut.c = c;
        if (!clip(ring, cut, true, exact, a) || !clip(ring, cut, false, exact, b)) continue;
        if (a.size() >= ring.size() || b.size() >= ring.size()) continue;  // no progress
        if (!a.empty()) split(a, limit, pieces);
        if (!b.empty()) split(b, limit, pieces);
        return;
      }
    }
  }
  pieces.push_back(ring);  // no line divides it: the writer refuses what it cannot hold
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
