#include "rings.h"

#include <algorithm>
#include <cmath>

namespace make_font {
namespace {

std::int64_t Cross(PointI o, PointI a, PointI b) {
  return static_cast<std::int64_t>(a.x - o.x) * (b.y - o.y) -
         static_cast<std::int64_t>(a.y - o.y) * (b.x - o.x);
}

int Sign(std::int64_t v) {
  return (v > 0) - (v < 0);
}

// p on the closed segment ab, given that the three are collinear.
bool WithinBox(PointI a, PointI b, PointI p) {
  return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
         p.y <= std::max(a.y, b.y);
}

// Drops repeated and collinear vertices until none is left, wrapping around the ring.
Ring Cleaned(Ring ring) {
  bool changed = true;
  while (changed && ring.size() >= 3) {
    changed = false;
    for (std::size_t i = 0; i < ring.size() && ring.size() >= 3; ++i) {
      std::size_t n = ring.size();
      PointI prev = ring[(i + n - 1) % n], cur = ring[i], next = ring[(i + 1) % n];
      if (cur == next || Collinear(prev, cur, next)) {
        ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(i));
        changed = true;
        --i;
      }
    }
  }
  if (ring.size() < 3) ring.clear();
  return ring;
}

double DistanceToChord(PointI p, PointI a, PointI b) {
  double len = std::hypot(b.x - a.x, b.y - a.y);
  if (len == 0) return std::hypot(p.x - a.x, p.y - a.y);
  return std::abs(static_cast<double>(Cross(a, b, p))) / len;
}

}  // namespace

bool Collinear(PointI a, PointI b, PointI c) {
  return Cross(a, b, c) == 0;
}

Ring RoundedRing(const ContourD& contour) {
  Ring ring;
  for (const PointD& p : contour) {
    PointI q{static_cast<std::int32_t>(std::lround(p.x)),
             static_cast<std::int32_t>(std::lround(p.y))};
    if (ring.empty() || !(ring.back() == q)) ring.push_back(q);
  }
  return Cleaned(std::move(ring));
}

Ring ThinnedRing(Ring ring, double tolerance) {
  bool changed = true;
  while (changed && ring.size() > 3) {
    changed = false;
    for (std::size_t i = 0; i < ring.size() && ring.size() > 3; ++i) {
      std::size_t n = ring.size();
      if (DistanceToChord(ring[i], ring[(i + n - 1) % n], ring[(i + 1) % n]) <= tolerance) {
        ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(i));
        changed = true;
      }
    }
  }
  return Cleaned(std::move(ring));
}

std::int64_t TwiceArea(const Ring& ring) {
  std::int64_t sum = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const PointI& a = ring[i];
    const PointI& b = ring[(i + 1) % ring.size()];
    sum += static_cast<std::int64_t>(a.x) * b.y - static_cast<std::int64_t>(b.x) * a.y;
  }
  return sum;
}

bool Inside(PointI p, const Ring& ring) {
  bool in = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const PointI& a = ring[i];
    const PointI& b = ring[j];
    if ((a.y > p.y) != (b.y > p.y)) {
      // x of the edge at p.y, compared without division
      std::int64_t lhs = static_cast<std::int64_t>(p.x - a.x) * (b.y - a.y);
      std::int64_t rhs = static_cast<std::int64_t>(b.x - a.x) * (p.y - a.y);
      if ((b.y > a.y) ? lhs < rhs : lhs > rhs) in = !in;
    }
  }
  return in;
}

bool SegmentsConflict(PointI a, PointI b, PointI c, PointI d) {
  int d1 = Sign(Cross(a, b, c)), d2 = Sign(Cross(a, b, d));
  int d3 = Sign(Cross(c, d, a)), d4 = Sign(Cross(c, d, b));
  if (d1 == 0 && d2 == 0) {  // on one line: any overlap beyond a single shared endpoint
    auto key = [&](PointI p) {
      return a.x != b.x ? static_cast<std::int64_t>(p.x) : static_cast<std::int64_t>(p.y);
    };
    std::int64_t lo1 = std::min(key(a), key(b)), hi1 = std::max(key(a), key(b));
    std::int64_t lo2 = std::min(key(c), key(d)), hi2 = std::max(key(c), key(d));
    std::int64_t lo = std::max(lo1, lo2), hi = std::min(hi1, hi2);
    if (lo > hi) return false;
    if (lo < hi) return true;
    return !((a == c || a == d || b == c || b == d));
  }
  bool sharedEnd = a == c || a == d || b == c || b == d;
  if (sharedEnd) return false;  // not collinear, so they meet only there
  if (d1 * d2 < 0 && d3 * d4 < 0) return true;
  if (d1 == 0 && WithinBox(a, b, c)) return true;
  if (d2 == 0 && WithinBox(a, b, d)) return true;
  if (d3 == 0 && WithinBox(c, d, a)) return true;
  if (d4 == 0 && WithinBox(c, d, b)) return true;
  return false;
}

bool IsSimple(const Ring& ring) {
  std::size_t n = ring.size();
  if (n < 3) return false;
  for (std::size_t i = 0; i < n; ++i)  // consecutive edges on one line fold back
    if (Collinear(ring[(i + n - 1) % n], ring[i], ring[(i + 1) % n])) return false;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // the closing edge meets the first one
      if (SegmentsConflict(ring[i], ring[(i + 1) % n], ring[j], ring[(j + 1) % n])) return false;
    }
  return true;
}

bool Disjoint(const Ring& a, const Ring& b) {
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size(); ++j) {
      PointI p = a[i], q = a[(i + 1) % a.size()], r = b[j], s = b[(j + 1) % b.size()];
      if (p == r || p == s || q == r || q == s) return false;  // a shared vertex is a touch
      if (SegmentsConflict(p, q, r, s)) return false;
    }
  return true;
}

}  // namespace make_font
