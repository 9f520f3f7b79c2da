#include "geometry/selection.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "db/line_outline.h"
#include "db/rounding.h"
#include "db/settings.h"

namespace lav::geometry {
namespace {

constexpr double kMin = -2147483648.0;
constexpr double kMax = 2147483647.0;
// The message step is not free; run it once per this many segments.
constexpr int kStepEvery = 4096;

std::int32_t clampPick(double v) {
  if (!(v == v)) return 0;
  if (v < kMin) return std::numeric_limits<std::int32_t>::min();
  if (v >= kMax) return std::numeric_limits<std::int32_t>::max();
  return RoundToInt(v);
}

// Both bounds of one axis, kept inside the 32-bit range with the square's full side.
void boundsAround(std::int32_t c, double half, std::int32_t& lo, std::int32_t& hi) {
  double l = RoundHalfUp(c - half), h = RoundHalfUp(c + half);
  const double side = h - l;
  if (l < kMin) {
    l = kMin;
    h = std::min(kMax, kMin + side);
  }
  if (h > kMax) {
    h = kMax;
    l = std::max(kMin, kMax - side);
  }
  lo = static_cast<std::int32_t>(l);
  hi = static_cast<std::int32_t>(h);
}

double dist(db::Vertex p, db::Vertex q) {
  return std::hypot(double(p.x) - q.x, double(p.y) - q.y);
}

}  // namespace

void PreparePick(PickState& pick, double ux, double uy, std::int32_t unit, double scale) {
  pick.point = {clampPick(unit * ux), clampPick(unit * uy)};
  const double half = scale > 0 ? pick.aperture / scale : 0;
  boundsAround(pick.point.x, half, pick.window[0], pick.window[2]);
  boundsAround(pick.point.y, half, pick.window[1], pick.window[3]);
  pick.best = kNothingFound;
  pick.bestSegment = -1;
  pick.element = {};
  pick.nearEnd = pick.farEnd = {};
  pick.record.clear();
  pick.stopped = false;
}

double SegmentDistance(db::Vertex p, db::Vertex a, db::Vertex b, bool last) {
  if (a.x == b.x || a.y == b.y) {
    const bool vertical = a.x == b.x;
    const double pc = vertical ? p.y : p.x;  // along the segment
    const double lo = vertical ? std::min(a.y, b.y) : std::min(a.x, b.x);
    const double hi = vertical ? std::max(a.y, b.y) : std::max(a.x, b.x);
    if (pc >= lo && pc <= hi)
      return vertical ? std::fabs(double(p.x) - a.x) : std::fabs(double(p.y) - a.y);
    double d = dist(p, a);
    if (last) d = std::min(d, dist(p, b));
    return d;
  }
  const double bx = double(b.x) - a.x, by = double(b.y) - a.y;
  const double vx = double(p.x) - a.x, vy = double(p.y) - a.y;
  if (vx == 0 && vy == 0) return 0;
  const double len = std::hypot(bx, by);
  const double phi = std::atan2(by, bx), psi = std::atan2(vy, vx);
  const double vlen = std::hypot(vx, vy);
  const double t = vlen * std::cos(psi - phi);
  if (t > len) return dist(p, b);
  if (t <= 0) return dist(p, a);
  return std::fabs(vlen * std::sin(psi - phi));
}

void OfferVertexList(PickState& pick, std::span<const db::Vertex> pts, const PickIdentity& id,
                     Host* host, bool* continueFlag) {
  const auto& w = pick.window;
  for (std::size_t i = 1; i < pts.size(); ++i) {
    if (host && continueFlag && ++pick.segmentsTested % kStepEvery == 0) {
      host->messageStep(*continueFlag);
      if (!*continueFlag) {
        pick.stopped = true;
        return;
      }
    }
    const db::Vertex a = pts[i - 1], b = pts[i];
    if (std::max(a.x, b.x) < w[0] || std::min(a.x, b.x) > w[2] || std::max(a.y, b.y) < w[1] ||
        std::min(a.y, b.y) > w[3])
      continue;
    const double d = SegmentDistance(pick.point, a, b, i + 1 == pts.size());
    if (d < pick.best) {
      pick.best = d;
      pick.bestSegment = static_cast<int>(i);
      pick.element = id;
      const bool bFirst = dist(pick.point, b) <= dist(pick.point, a);
      pick.nearEnd = bFirst ? b : a;
      pick.farEnd = bFirst ? a : b;
    }
  }
}

namespace {

bool layerPickable(const Settings& s, const PickFilter& f, int layer) {
  if (layer < 0 || layer >= kLayerCount) return false;
  if (f.onlyLayer >= 0 && f.onlyLayer != layer) return false;
  return (s.layerFlags[layer] & 1) && (s.layerSelectFlags[layer] & 1);
}

// A placement or text is picked at its origin: a degenerate edge from there to there.
void originEdge(std::int32_t x, std::int32_t y, std::vector<db::Vertex>& out) {
  out.assign(2, {x, y});
}

}  // namespace

void PickInCell(PickState& pick, const db::DesignImage& image, const db::CellEntry& cell,
                const Settings& s, const PickFilter& f, Host* host, bool* continueFlag) {
  std::vector<db::Vertex> pts, outline;
  db::Placement place;
  db::TextRecord text;
  db::AreaRecord area;
  db::LineRecord line;
  const int mask = f.elementTypeMask;
  auto bit = [&](int n) { return (mask >> n) & 1; };
  db::ReadElements(image, cell, [&](const db::RecordView& rec) {
    if (rec.deleted()) return true;
    const auto b = rec.bytes;
    const int type = rec.type;
    if (f.onlyType >= 0 && type != f.onlyType) return true;
    PickIdentity id{static_cast<std::int16_t>(type), 0, -1, rec.typeOffset};
    const double before = pick.best;
    switch (rec.kind()) {
      case db::ElementType::ACell:
      case db::ElementType::SCell: {
        const bool array = type == db::ElementType::ACell;
        if (!bit(array ? 0 : 1) || !bit(array ? 5 : 6)) return true;
        if (!db::DecodePlacement(b, place)) return true;
        originEdge(place.x, place.y, pts);
        id.count = 1;
        OfferVertexList(pick, pts, id, host, continueFlag);
        break;
      }
      case db::ElementType::Text: {
        if (!bit(2) || !bit(7) || !db::DecodeText(b, text)) return true;
        const int layer = text.layer;
        if (!layerPickable(s, f, layer)) return true;
        originEdge(text.x, text.y, pts);
        id.count = static_cast<std::int32_t>(text.text.size());
        id.layer = static_cast<std::int16_t>(layer);
        OfferVertexList(pick, pts, id, host, continueFlag);
        break;
      }
      case db::ElementType::Rect:
      case db::ElementType::Polygon: {
        if (!bit(3) || !bit(8) || !db::DecodeArea(b, area)) return true;
        const int layer = area.layer;
        if (!layerPickable(s, f, layer)) return true;
        id.count = static_cast<std::int32_t>(area.vertices.size());
        id.layer = static_cast<std::int16_t>(layer);
        OfferVertexList(pick, area.vertices, id, host, continueFlag);
        break;
      }
      case db::ElementType::Line: {
        if (!bit(4) || !bit(9) || !db::DecodeLine(b, line)) return true;
        const int layer = line.layer;
        if (!layerPickable(s, f, layer)) return true;
        id.count = static_cast<std::int32_t>(line.vertices.size());
        id.layer = static_cast<std::int16_t>(layer);
        OfferVertexList(pick, line.vertices, id, host, continueFlag);
        if (line.width >= 1 && !pick.stopped) {
          // A click on the edge of a wide line picks it too.
          outline = db::BuildPathOutline(line.vertices, line.width, line.tip, s.acuteTip);
          OfferVertexList(pick, outline, id, host, continueFlag);
        }
        break;
      }
    }
    if (pick.best < before) pick.record.assign(b.begin(), b.end());
    return !pick.stopped;
  });
}

}  // namespace lav::geometry
