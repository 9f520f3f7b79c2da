#include "db/figure_edits.h"

#include <algorithm>

#include "db/line_outline.h"
#include "db/placement_geometry.h"
#include "db/rounding.h"
#include "db/settings.h"

namespace lav::db {

std::vector<Vertex> TempToDb(const TempLayer& temp, std::int32_t unit) {
  std::vector<Vertex> v;
  v.reserve(static_cast<std::size_t>(temp.count));
  for (const auto& p : temp.used())
    v.push_back({RoundToInt(double(unit) * p.x), RoundToInt(double(unit) * p.y)});
  return v;
}

OutputResult ExplodeArray(DesignState& design, TempLayer& temp, Settings& s, const LocalTime& now,
                          Host* host, bool* continueFlag) {
  if (temp.empty() || s.elementType != ElementType::ACell) return {};
  if (!design.hasCell()) return {OutputStatus::NoDestination, 0};
  const std::int32_t unit = s.dbPerUserUnit;
  const Vertex o = TempToDb(temp, unit).front();
  ElementSettings single = ElementSettingsOf(s);
  single.elementType = TypeCode(ElementType::SCell);
  // All members or none: the space is checked first (each record may open at most one new block
  // beyond the bytes themselves), and only the first output, which may have to search for the
  // stream's end, can be stopped.
  const std::int64_t members = std::int64_t(std::max(s.columns, 1)) * std::max(s.rows, 1);
  Placement probe;
  probe.cellName = s.cellName;
  const std::int64_t bytes = members * std::int64_t(EncodeSingle(probe).size());
  const std::int64_t blocks = bytes / kPayloadSize + 2;
  if (!Reserve(design.image, design.image.usedSize + blocks * kBlockSize))
    return {OutputStatus::OutOfImage, 0};
  OutputOptions options;
  options.keepPoints = true;
  options.host = host;
  options.continueFlag = continueFlag;
  OutputResult total{OutputStatus::Nothing, 0};
  TempLayer one;
  for (std::int32_t j = 0; j < std::max(s.rows, 1); ++j) {
    for (std::int32_t i = 0; i < std::max(s.columns, 1); ++i) {
      double ox = RoundToInt(double(s.pitchX) * i), oy = RoundToInt(double(s.pitchY) * j);
      if (s.reflection == 1) oy = -oy;
      RotateOffset(ox, oy, static_cast<std::uint32_t>(s.angle));
      const Vertex at{RoundToInt(o.x + ox), RoundToInt(o.y + oy)};
      one.count = 0;
      one.push({at.x / double(unit), at.y / double(unit)});
      const OutputResult r = OutputTempLayer(design, one, single, now, options);
      // Only the first output can fail (an empty name, Escape while the end is searched).
      if (r.status != OutputStatus::Written) return {r.status, total.records};
      total.status = OutputStatus::Written;
      total.records += r.records;
      options.host = nullptr;
      options.continueFlag = nullptr;
    }
  }
  // The array was replaced by its members: a pick it came from is not put back.
  temp.pick = {};
  temp.clear();
  s.elementType = TypeCode(ElementType::ACell);
  return total;
}

OutlineResult LineToOutline(TempLayer& temp, Settings& s) {
  if (temp.empty() || s.elementType != ElementType::Line || s.width < 1)
    return OutlineResult::Nothing;
  auto v = TempToDb(temp, s.dbPerUserUnit);
  NormalizePoints(v, ElementType::Line);
  if (v.size() < 2) return OutlineResult::Nothing;
  const auto outline = BuildPathOutline(v, s.width, s.lineTipType, s.acuteTip);
  if (outline.size() >= kTempCapacity) return OutlineResult::TooManyVertices;
  const double unit = s.dbPerUserUnit;
  temp.count = 0;
  for (const auto& p : outline) temp.push({p.x / unit, p.y / unit});
  s.elementType = TypeCode(ElementType::Polygon);
  return OutlineResult::Replaced;
}

void ReorderVertices(TempLayer& temp, int elementType, std::optional<long> n) {
  if (temp.count < 2) return;
  auto* first = temp.points.data();
  auto* last = first + temp.count;
  if (n && *n >= 1 && elementType == ElementType::Polygon && *n <= temp.count) {
    const bool closed = temp.count > 1 && first[0] == last[-1];
    const long ring = closed ? temp.count - 1 : temp.count;
    const long start = (*n - 1) % ring;
    std::rotate(first, first + start, first + ring);
    if (closed) last[-1] = first[0];
    return;
  }
  std::reverse(first, last);
}

namespace {

bool isPicked(const UserPoint& p, Vertex picked, std::int32_t unit) {
  return RoundToInt(double(unit) * p.x) == picked.x && RoundToInt(double(unit) * p.y) == picked.y;
}

}  // namespace

void MoveVertices(TempLayer& temp, int mode, Vertex picked, double dx, double dy,
                  std::int32_t unit) {
  const bool all = mode == 0 || mode == 2;
  for (int i = 0; i < temp.count; ++i) {
    auto& p = temp.points[static_cast<std::size_t>(i)];
    if (all || isPicked(p, picked, unit)) {
      p.x += dx;
      p.y += dy;
    }
  }
}

void DeleteVertex(TempLayer& temp, Vertex picked, std::int32_t unit) {
  const bool closed = temp.count > 2 && temp.points[0] == temp.points[temp.count - 1];
  std::vector<UserPoint> kept;
  for (const auto& p : temp.used())
    if (!isPicked(p, picked, unit)) kept.push_back(p);
  if (closed && !kept.empty() && !(kept.front() == kept.back())) kept.push_back(kept.front());
  temp.assign(kept);
}

}  // namespace lav::db
