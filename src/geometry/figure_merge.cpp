#include "geometry/figure_merge.h"

#include <cmath>

#include "db/rounding.h"
#include "db/temp_layer.h"

namespace lav::geometry {

namespace {

constexpr std::int64_t kFine = 10;

bool ToFine(const std::vector<db::Vertex>& in, Ring& out) {
  out.clear();
  for (const db::Vertex& v : in) {
    const std::int64_t x = kFine * v.x, y = kFine * v.y;
    if (x < -2147483647 || x > 2147483647 || y < -2147483647 || y > 2147483647) return false;
    out.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
  }
  return true;
}

std::int32_t FromFine(std::int32_t v) {
  return RoundToInt(double(v) / double(kFine));
}

}  // namespace

FigureMergeResult MergeFigures(const std::vector<db::Vertex>& g, const std::vector<db::Vertex>& f,
                               MergeOp op) {
  FigureMergeResult out;
  if (g.size() > 200 || f.size() > 200) {
    out.status = FigureMergeStatus::TooManyVertices;
    return out;
  }
  Ring fineG, fineF;
  if (!ToFine(g, fineG) || !ToFine(f, fineF)) {
    out.status = FigureMergeStatus::TooLarge;
    return out;
  }
  if (std::fabs(double(TwiceArea(CleanRing(fineG)))) == 0 ||
      std::fabs(double(TwiceArea(CleanRing(fineF)))) == 0) {
    out.status = FigureMergeStatus::Impossible;
    return out;
  }
  const Contact contact = ContactOf(fineG, fineF);
  if (!contact.overlap) {
    // Touching figures unite along what they share; apart, nothing can be merged.
    const bool cuts = op == MergeOp::Intersection || op == MergeOp::Difference;
    if (!contact.touch || cuts) {
      out.status = contact.touch ? FigureMergeStatus::Unchanged : FigureMergeStatus::Impossible;
      return out;
    }
  }
  MergeResult merged = MergePolygons(fineG, fineF, op);
  if (merged.status != MergeStatus::Ok) {
    out.status = FigureMergeStatus::Impossible;
    return out;
  }
  for (const Ring& r : merged.rings) {
    std::vector<db::Vertex> p;
    p.reserve(r.size());
    for (const Point& v : r) p.push_back({FromFine(v.x), FromFine(v.y)});
    db::NormalizePoints(p, db::ElementType::Polygon);
    if (p.size() < 4) continue;  // a sliver that vanishes on the database grid
    if (p.size() > 200) {
      out.status = FigureMergeStatus::TooManyVertices;
      out.polygons.clear();
      return out;
    }
    out.polygons.push_back(std::move(p));
  }
  return out;
}

}  // namespace lav::geometry
