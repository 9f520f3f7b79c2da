#include "geometry/hole_bridge.h"

#include <algorithm>
#include <optional>

namespace lav::geometry {

namespace {

struct Dir {
  std::int64_t x, y;
};
Dir DirOf(const Point& from, const Point& to) {
  return {std::int64_t(to.x) - from.x, std::int64_t(to.y) - from.y};
}
Wide CrossD(const Dir& a, const Dir& b) {
  return Wide(a.x) * b.y - Wide(a.y) * b.x;
}
Wide DotD(const Dir& a, const Dir& b) {
  return Wide(a.x) * b.x + Wide(a.y) * b.y;
}

// True when direction d leaves vertex v strictly into the region on the left of prev->v->next.
bool IntoWedge(const Point& prev, const Point& v, const Point& next, const Dir& d) {
  Dir back = DirOf(v, prev), on = DirOf(v, next);
  Wide turn = CrossD(on, back);
  if (turn > 0) return CrossD(on, d) > 0 && CrossD(d, back) > 0;
  if (turn < 0) return !(CrossD(back, d) >= 0 && CrossD(d, on) >= 0);
  if (DotD(on, back) < 0) return CrossD(on, d) > 0;     // straight on
  return !(CrossD(d, back) == 0 && DotD(d, back) > 0);  // turning straight back
}

// Index of the first ring (by index into rings) that holds the hole, smallest first.
std::optional<std::size_t> HolderOf(const std::vector<Ring>& outers, const Ring& hole) {
  std::optional<std::size_t> best;
  Wide bestArea = 0;
  for (std::size_t k = 0; k < outers.size(); ++k) {
    // A point of the hole that is not on the outer's boundary decides.
    Where w = Where::OnBoundary;
    for (std::size_t i = 0; i + 1 < hole.size() && w == Where::OnBoundary; ++i)
      w = LocateDoubled(outers[k], std::int64_t(hole[i].x) + hole[i + 1].x,
                        std::int64_t(hole[i].y) + hole[i + 1].y);
    if (w != Where::Inside) continue;
    Wide area = TwiceArea(outers[k]);
    if (!best || area < bestArea) best = k, bestArea = area;
  }
  return best;
}

// True when the segment o-h meets no edge of the rings other than at o and h themselves.
bool Clear(const Point& o, const Point& h, const std::vector<const Ring*>& rings) {
  for (const Ring* r : rings) {
    for (std::size_t i = 0; i + 1 < r->size(); ++i) {
      const Point &c = (*r)[i], &d = (*r)[i + 1];
      if (CrossProperly(o, h, c, d)) return false;
      for (const Point& p : {c, d})
        if (!(p == o) && !(p == h) && OnSegment(o, h, p)) return false;
      for (const Point& p : {o, h})
        if (!(p == c) && !(p == d) && OnSegment(c, d, p)) return false;
    }
  }
  return true;
}

// Splices the hole into the outer ring at the nearest vertex pair that sees each other.
bool Join(Ring& outer, const Ring& hole, const std::vector<Ring>& waiting) {
  std::size_t no = outer.size() - 1, nh = hole.size() - 1;
  struct Pair {
    Wide dist;
    std::size_t o, h;
  };
  // Every pair for figures of ordinary size; for large ones the hole's rightmost vertices only,
  // which always see the outline once the holes right of them are joined.
  constexpr std::size_t kMaxPairs = std::size_t(1) << 20;
  std::vector<std::size_t> holeVertices(nh);
  for (std::size_t j = 0; j < nh; ++j) holeVertices[j] = j;
  if (no * nh > kMaxPairs) {
    const std::size_t keep = std::max<std::size_t>(1, kMaxPairs / no);
    std::partial_sort(holeVertices.begin(),
                      holeVertices.begin() + std::ptrdiff_t(std::min(keep, nh)), holeVertices.end(),
                      [&](std::size_t a, std::size_t b) { return hole[b] < hole[a]; });
    holeVertices.resize(std::min(keep, nh));
  }
  std::vector<Pair> pairs;
  pairs.reserve(no * holeVertices.size());
  for (std::size_t i = 0; i < no; ++i)
    for (std::size_t j : holeVertices) {
      Dir d = DirOf(outer[i], hole[j]);
      pairs.push_back({DotD(d, d), i, j});
    }
  std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
    return a.dist != b.dist ? a.dist < b.dist : (a.o != b.o ? a.o < b.o : a.h < b.h);
  });
  std::vector<const Ring*> obstacles{&outer, &hole};
  for (const Ring& w : waiting) obstacles.push_back(&w);
  // A bridge on the line of an edge next to it is sound, but cleaning that edge's straight run
  // later would fold the bridge; such bridges are taken only when there is no other.
  for (int pass = 0; pass < 2; ++pass)
    for (const Pair& p : pairs) {
      const Point& o = outer[p.o];
      const Point& oPrev = outer[(p.o + no - 1) % no];
      const Point& oNext = outer[p.o + 1];
      const Point& h = hole[p.h];
      const Point& hPrev = hole[(p.h + nh - 1) % nh];
      const Point& hNext = hole[p.h + 1];
      if (pass == 0 && p.dist != 0 &&
          (Cross(oPrev, o, h) == 0 || Cross(o, oNext, h) == 0 || Cross(hPrev, h, o) == 0 ||
           Cross(h, hNext, o) == 0))
        continue;
      bool fits;
      if (p.dist == 0) {
        fits = IntoWedge(oPrev, o, oNext, DirOf(h, hNext)) &&
               IntoWedge(oPrev, o, oNext, DirOf(h, hPrev));
      } else {
        fits = IntoWedge(oPrev, o, oNext, DirOf(o, h)) && IntoWedge(hPrev, h, hNext, DirOf(h, o)) &&
               Clear(o, h, obstacles);
      }
      if (!fits) continue;
      Ring joined(outer.begin(), outer.begin() + static_cast<std::ptrdiff_t>(p.o) + 1);
      for (std::size_t k = 0; k <= nh; ++k) joined.push_back(hole[(p.h + k) % nh]);
      joined.insert(joined.end(), outer.begin() + static_cast<std::ptrdiff_t>(p.o), outer.end());
      Ring deduped;
      for (const Point& q : joined)
        if (deduped.empty() || !(deduped.back() == q)) deduped.push_back(q);
      outer = std::move(deduped);
      return true;
    }
  return false;
}

}  // namespace

BridgedRings BridgeHoles(std::vector<Ring> outers, std::vector<Ring> holes) {
  BridgedRings out;
  std::vector<std::vector<Ring>> held(outers.size());
  for (Ring& h : holes) {
    if (auto k = HolderOf(outers, h))
      held[*k].push_back(std::move(h));
    else
      ++out.holesNotJoined;
  }
  for (std::size_t k = 0; k < outers.size(); ++k) {
    auto& mine = held[k];
    // Rightmost holes first, so that a bridge rarely has to pass another hole.
    std::sort(mine.begin(), mine.end(), [](const Ring& a, const Ring& b) {
      auto maxX = [](const Ring& r) {
        return std::max_element(r.begin(), r.end(),
                                [](const Point& p, const Point& q) { return p.x < q.x; })
            ->x;
      };
      return maxX(a) > maxX(b);
    });
    // A hole whose every bridge is blocked by a hole still waiting is tried again after the
    // others; the rightmost waiting hole always sees the outline.
    while (!mine.empty()) {
      bool progress = false;
      for (std::size_t i = 0; i < mine.size();) {
        Ring hole = std::move(mine[i]);
        mine.erase(mine.begin() + static_cast<std::ptrdiff_t>(i));
        if (Join(outers[k], hole, mine)) {
          progress = true;
        } else {
          mine.insert(mine.begin() + static_cast<std::ptrdiff_t>(i), std::move(hole));
          ++i;
        }
      }
      if (!progress) {
        out.holesNotJoined += mine.size();
        break;
      }
    }
  }
  out.rings = std::move(outers);
  return out;
}

}  // namespace lav::geometry
