#include "geometry/polygon_merge.h"

#include <algorithm>
#include <map>
#include <utility>

#include "geometry/hole_bridge.h"

namespace lav::geometry {

std::optional<MergeOp> MergeOpFromChar(char c) {
  switch (static_cast<unsigned char>(c)) {
    case '+':
    case '!':
    case '|':
      return MergeOp::Union;
    case '-':
      return MergeOp::Difference;
    case '&':
    case '*':
    case 0xA5:
      return MergeOp::Intersection;
    case '^':
    case '#':
    case '$':
    case '%':
    case '/':
      return MergeOp::Xor;
    default:
      return std::nullopt;
  }
}

namespace {

// Counter-clockwise, clean and closed; empty when the ring encloses nothing.
Ring Prepare(const Ring& ring) {
  Ring r = CleanRing(ring);
  Wide area = TwiceArea(r);
  if (area == 0) return {};
  if (area < 0) std::reverse(r.begin(), r.end());
  return r;
}

// Inserts the points noted for each edge (by edge index) in their order along it.
bool InsertNoted(Ring& ring, std::vector<std::vector<Point>>& noted) {
  bool any = false;
  Ring out;
  for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
    const Point a = ring[i], b = ring[i + 1];
    out.push_back(a);
    auto& pts = noted[i];
    if (pts.empty()) continue;
    auto along = [&](const Point& p) {
      return Wide(std::int64_t(p.x) - a.x) * (std::int64_t(b.x) - a.x) +
             Wide(std::int64_t(p.y) - a.y) * (std::int64_t(b.y) - a.y);
    };
    std::sort(pts.begin(), pts.end(), [&](const Point& p, const Point& q) {
      Wide tp = along(p), tq = along(q);
      return tp != tq ? tp < tq : p < q;
    });
    for (const Point& p : pts) {
      if (p == a || p == b || p == out.back()) continue;
      out.push_back(p);
      any = true;
    }
  }
  out.push_back(ring.back());
  ring = std::move(out);
  return any;
}

// Makes every contact of the two boundaries a vertex of both: proper crossings (snapped to the
// grid) and vertices lying inside the other's edges. Snapping moves an edge a little, which can
// make a new contact, so the search repeats until nothing changes.
void SplitAtContacts(Ring& a, Ring& b) {
  for (int round = 0; round < 32; ++round) {
    std::vector<std::vector<Point>> onA(a.size()), onB(b.size());
    const EdgeBands bandsB(b);
    for (std::size_t i = 0; i + 1 < a.size(); ++i) {
      const Point &p = a[i], &q = a[i + 1];
      const std::int32_t xlo = std::min(p.x, q.x), xhi = std::max(p.x, q.x);
      bandsB.ForEach(std::min(p.y, q.y), std::max(p.y, q.y), [&](std::size_t j) {
        const Point &r = b[j], &s = b[j + 1];
        if (std::max(r.x, s.x) < xlo || std::min(r.x, s.x) > xhi) return;
        if (std::max(r.y, s.y) < std::min(p.y, q.y) || std::min(r.y, s.y) > std::max(p.y, q.y))
          return;
        if (CrossProperly(p, q, r, s)) {
          Point x = CrossingPoint(p, q, r, s);
          onA[i].push_back(x);
          onB[j].push_back(x);
          return;
        }
        for (const Point& v : {r, s})
          if (!(v == p) && !(v == q) && OnSegment(p, q, v)) onA[i].push_back(v);
        for (const Point& v : {p, q})
          if (!(v == r) && !(v == s) && OnSegment(r, s, v)) onB[j].push_back(v);
      });
    }
    bool changedA = InsertNoted(a, onA);
    bool changedB = InsertNoted(b, onB);
    if (!changedA && !changedB) return;
  }
}

enum class EdgeClass : std::uint8_t { Outside, Inside, Same, Opposite };

using EdgeKey =
    std::pair<std::pair<std::int32_t, std::int32_t>, std::pair<std::int32_t, std::int32_t>>;
EdgeKey KeyOf(const Point& p, const Point& q) {
  return {{p.x, p.y}, {q.x, q.y}};
}

std::vector<EdgeClass> Classify(const Ring& ring, const Ring& other) {
  std::map<EdgeKey, int> otherEdges;
  for (std::size_t j = 0; j + 1 < other.size(); ++j) ++otherEdges[KeyOf(other[j], other[j + 1])];
  std::vector<EdgeClass> out;
  const EdgeBands bands(other);
  for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
    const Point &p = ring[i], &q = ring[i + 1];
    if (otherEdges.count(KeyOf(p, q))) {
      out.push_back(EdgeClass::Same);
    } else if (otherEdges.count(KeyOf(q, p))) {
      out.push_back(EdgeClass::Opposite);
    } else {
      Where w = bands.Locate(std::int64_t(p.x) + q.x, std::int64_t(p.y) + q.y);
      out.push_back(w == Where::Inside ? EdgeClass::Inside : EdgeClass::Outside);
    }
  }
  return out;
}

struct Edge {
  Point from, to;
};

void Pick(const Ring& ring, const std::vector<EdgeClass>& cls, EdgeClass wanted, bool reversed,
          std::vector<Edge>& edges) {
  for (std::size_t i = 0; i < cls.size(); ++i)
    if (cls[i] == wanted)
      edges.push_back(reversed ? Edge{ring[i + 1], ring[i]} : Edge{ring[i], ring[i + 1]});
}

// Half of the turn from r (0 for [0, pi), 1 for [pi, 2 pi)) counter-clockwise to d.
int HalfOf(std::int64_t rx, std::int64_t ry, std::int64_t dx, std::int64_t dy) {
  Wide cr = Wide(rx) * dy - Wide(ry) * dx;
  Wide dot = Wide(rx) * dx + Wide(ry) * dy;
  return (cr > 0 || (cr == 0 && dot > 0)) ? 0 : 1;
}

// True when d turns further counter-clockwise from r than e does (both in [0, 2 pi)).
bool TurnsFurther(std::int64_t rx, std::int64_t ry, const Point& v, const Point& d,
                  const Point& e) {
  std::int64_t dx = std::int64_t(d.x) - v.x, dy = std::int64_t(d.y) - v.y;
  std::int64_t ex = std::int64_t(e.x) - v.x, ey = std::int64_t(e.y) - v.y;
  int hd = HalfOf(rx, ry, dx, dy), he = HalfOf(rx, ry, ex, ey);
  if (hd != he) return hd > he;
  return Wide(ex) * dy - Wide(ey) * dx > 0;
}

// Follows the chosen edges into closed rings. At a vertex with several ways on, the walk takes
// the sharpest left turn, which keeps the region on its left and parts rings that only touch.
std::vector<Ring> Trace(const std::vector<Edge>& edges) {
  std::multimap<std::pair<std::int32_t, std::int32_t>, std::size_t> from;
  for (std::size_t i = 0; i < edges.size(); ++i)
    from.emplace(std::make_pair(edges[i].from.x, edges[i].from.y), i);
  std::vector<bool> used(edges.size(), false);
  std::vector<Ring> rings;
  for (std::size_t start = 0; start < edges.size(); ++start) {
    if (used[start]) continue;
    Ring ring{edges[start].from};
    std::size_t cur = start;
    used[cur] = true;
    for (std::size_t guard = 0; guard <= edges.size(); ++guard) {
      const Point v = edges[cur].to;
      ring.push_back(v);
      // Angles are measured from the way back along the edge just walked.
      std::int64_t rx = std::int64_t(edges[cur].from.x) - v.x;
      std::int64_t ry = std::int64_t(edges[cur].from.y) - v.y;
      std::optional<std::size_t> best;
      auto range = from.equal_range({v.x, v.y});
      for (auto it = range.first; it != range.second; ++it) {
        std::size_t k = it->second;
        if (used[k] && k != start) continue;
        if (!best || TurnsFurther(rx, ry, v, edges[k].to, edges[*best].to)) best = k;
      }
      if (!best || *best == start) break;
      cur = *best;
      used[cur] = true;
    }
    if (!(ring.back() == ring.front())) ring.push_back(ring.front());
    rings.push_back(std::move(ring));
  }
  return rings;
}

BridgedRings Assemble(const std::vector<Edge>& edges) {
  std::vector<Ring> outers, holes;
  for (Ring& r : Trace(edges)) {
    Ring c = CleanRing(std::move(r));
    Wide area = TwiceArea(c);
    if (area > 0)
      outers.push_back(std::move(c));
    else if (area < 0)
      holes.push_back(std::move(c));
  }
  return BridgeHoles(std::move(outers), std::move(holes));
}

BridgedRings Combine(const Ring& a0, const Ring& b0, MergeOp op) {
  Ring a = Prepare(a0), b = Prepare(b0);
  if (a.empty() && b.empty()) return {};
  if (a.empty()) {
    if (op == MergeOp::Union || op == MergeOp::Xor) return {{b}, 0};
    return {};
  }
  if (b.empty()) {
    if (op == MergeOp::Intersection) return {};
    return {{a}, 0};
  }
  SplitAtContacts(a, b);
  std::vector<EdgeClass> ca = Classify(a, b), cb = Classify(b, a);
  std::vector<Edge> edges;
  switch (op) {
    case MergeOp::Union:
      Pick(a, ca, EdgeClass::Outside, false, edges);
      Pick(b, cb, EdgeClass::Outside, false, edges);
      Pick(a, ca, EdgeClass::Same, false, edges);
      break;
    case MergeOp::Intersection:
      Pick(a, ca, EdgeClass::Inside, false, edges);
      Pick(b, cb, EdgeClass::Inside, false, edges);
      Pick(a, ca, EdgeClass::Same, false, edges);
      break;
    case MergeOp::Difference:
      Pick(a, ca, EdgeClass::Outside, false, edges);
      Pick(b, cb, EdgeClass::Inside, true, edges);
      Pick(a, ca, EdgeClass::Opposite, false, edges);
      break;
    case MergeOp::Xor:
      break;
  }
  return Assemble(edges);
}

}  // namespace

MergeResult MergePolygons(const Ring& a, const Ring& b, MergeOp op) {
  BridgedRings got = Combine(a, b, op == MergeOp::Xor ? MergeOp::Difference : op);
  if (op == MergeOp::Xor) {
    BridgedRings other = Combine(b, a, MergeOp::Difference);
    for (Ring& r : other.rings) got.rings.push_back(std::move(r));
    got.holesNotJoined += other.holesNotJoined;
  }
  MergeResult out;
  out.status = got.holesNotJoined ? MergeStatus::HoleNotJoined : MergeStatus::Ok;
  if (out.status == MergeStatus::Ok) out.rings = std::move(got.rings);
  return out;
}

Contact ContactOf(const Ring& a0, const Ring& b0) {
  Contact c;
  Ring a = Prepare(a0), b = Prepare(b0);
  if (a.empty() || b.empty()) return c;
  c.overlap = !Combine(a, b, MergeOp::Intersection).rings.empty();
  SplitAtContacts(a, b);
  for (std::size_t i = 0; i + 1 < a.size() && !c.touch; ++i)
    for (std::size_t j = 0; j + 1 < b.size(); ++j)
      if (a[i] == b[j]) {
        c.touch = true;
        break;
      }
  return c;
}

}  // namespace lav::geometry
