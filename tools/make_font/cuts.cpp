#include "cuts.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

namespace make_font {
namespace {

struct Placed {
  Ring ring;
  int depth = 0;    // number of contours around it: even for ink, odd for holes
  int parent = -1;  // innermost contour around it
};

std::vector<Placed> Nesting(const std::vector<Ring>& contours) {
  std::vector<Placed> placed;
  for (const Ring& r : contours) placed.push_back({r});
  for (std::size_t i = 0; i < placed.size(); ++i) {
    std::int64_t parentArea = 0;
    for (std::size_t j = 0; j < placed.size(); ++j) {
      if (i == j || !Inside(placed[i].ring[0], placed[j].ring)) continue;
      ++placed[i].depth;
      std::int64_t area = std::abs(TwiceArea(placed[j].ring));
      if (placed[i].parent < 0 || area < parentArea) {
        placed[i].parent = static_cast<int>(j);
        parentArea = area;
      }
    }
  }
  for (Placed& p : placed) {
    bool ccw = TwiceArea(p.ring) > 0;
    if (ccw != (p.depth % 2 == 0)) std::reverse(p.ring.begin(), p.ring.end());
  }
  return placed;
}

bool CrossesAny(PointI a, PointI b, const Ring& ring) {
  for (std::size_t i = 0; i < ring.size(); ++i)
    if (SegmentsConflict(a, b, ring[i], ring[(i + 1) % ring.size()])) return true;
  return false;
}

// A cut from merged[m] to hole[h] that meets no edge and leaves no straight-through vertex
// (those would be dropped when the polygon is written, closing the cut).
bool CutIsClear(const Ring& merged, std::size_t m, const Ring& hole, std::size_t h,
                const std::vector<const Ring*>& others) {
  PointI a = merged[m], b = hole[h];
  if (CrossesAny(a, b, merged) || CrossesAny(a, b, hole)) return false;
  for (const Ring* r : others)
    if (CrossesAny(a, b, *r)) return false;
  std::size_t nm = merged.size(), nh = hole.size();
  PointI mPrev = merged[(m + nm - 1) % nm], mNext = merged[(m + 1) % nm];
  PointI hPrev = hole[(h + nh - 1) % nh], hNext = hole[(h + 1) % nh];
  return !Collinear(mPrev, a, b) && !Collinear(b, a, mNext) && !Collinear(a, b, hNext) &&
         !Collinear(hPrev, b, a);
}

// Joins hole into merged at the closest clear pair of vertices, avoiding the ends of earlier
// cuts so that no vertex is used by two of them.
bool JoinHole(Ring& merged, const Ring& hole, std::set<std::pair<int, int>>& cutEnds,
              const std::vector<const Ring*>& others) {
  struct Pair {
    std::int64_t dist;
    std::size_t m, h;
  };
  std::vector<Pair> pairs;
  for (std::size_t m = 0; m < merged.size(); ++m) {
    if (cutEnds.count({merged[m].x, merged[m].y})) continue;
    for (std::size_t h = 0; h < hole.size(); ++h) {
      std::int64_t dx = merged[m].x - hole[h].x, dy = merged[m].y - hole[h].y;
      pairs.push_back({dx * dx + dy * dy, m, h});
    }
  }
  std::sort(pairs.begin(), pairs.end(), [](const Pair& p, const Pair& q) {
    return p.dist != q.dist ? p.dist < q.dist : (p.m != q.m ? p.m < q.m : p.h < q.h);
  });
  for (const Pair& p : pairs) {
    if (!CutIsClear(merged, p.m, hole, p.h, others)) continue;
    Ring joined(merged.begin(), merged.begin() + static_cast<std::ptrdiff_t>(p.m) + 1);
    for (std::size_t k = 0; k <= hole.size(); ++k) joined.push_back(hole[(p.h + k) % hole.size()]);
    joined.insert(joined.end(), merged.begin() + static_cast<std::ptrdiff_t>(p.m), merged.end());
    cutEnds.insert({merged[p.m].x, merged[p.m].y});
    cutEnds.insert({hole[p.h].x, hole[p.h].y});
    merged = std::move(joined);
    return true;
  }
  return false;
}

}  // namespace

std::optional<std::vector<Ring>> PolygonsWithCuts(const std::vector<Ring>& contours,
                                                  std::string& why) {
  for (std::size_t i = 0; i < contours.size(); ++i) {
    if (!IsSimple(contours[i])) {
      why = "contour " + std::to_string(i) + " crosses itself";
      return std::nullopt;
    }
    for (std::size_t j = i + 1; j < contours.size(); ++j)
      if (!Disjoint(contours[i], contours[j])) {
        why = "contours " + std::to_string(i) + " and " + std::to_string(j) + " meet";
        return std::nullopt;
      }
  }
  std::vector<Placed> placed = Nesting(contours);
  std::vector<Ring> polygons;
  for (std::size_t o = 0; o < placed.size(); ++o) {
    if (placed[o].depth % 2 != 0) continue;
    std::vector<const Ring*> holes;
    for (const Placed& p : placed)
      if (p.parent == static_cast<int>(o) && p.depth % 2 == 1) holes.push_back(&p.ring);
    // Holes furthest right first, so the cuts of later ones rarely have to pass earlier ones.
    std::sort(holes.begin(), holes.end(), [](const Ring* a, const Ring* b) {
      auto maxX = [](const Ring* r) {
        return std::max_element(r->begin(), r->end(), [](PointI p, PointI q) { return p.x < q.x; })
            ->x;
      };
      return maxX(a) > maxX(b);
    });
    Ring merged = placed[o].ring;
    std::set<std::pair<int, int>> cutEnds;
    for (std::size_t k = 0; k < holes.size(); ++k) {
      std::vector<const Ring*> others(holes.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                                      holes.end());
      if (!JoinHole(merged, *holes[k], cutEnds, others)) {
        why = "no clear cut to a hole of contour " + std::to_string(o);
        return std::nullopt;
      }
    }
    polygons.push_back(std::move(merged));
  }
  return polygons;
}

}  // namespace make_font
