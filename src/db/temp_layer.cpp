#include "db/temp_layer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "db/rounding.h"
#include "db/settings.h"

namespace lav::db {

bool TempLayer::push(UserPoint p) {
  if (full()) return false;
  points[static_cast<size_t>(count++)] = p;
  return true;
}

void TempLayer::assign(std::span<const UserPoint> pts) {
  count = 0;
  for (const auto& p : pts)
    if (!push(p)) break;
}

ElementSettings ElementSettingsOf(const Settings& s) {
  ElementSettings e;
  e.elementType = static_cast<std::int16_t>(s.elementType);
  e.layer = static_cast<std::int16_t>(s.layer);
  e.width = s.width;
  e.lineTipType = static_cast<std::int16_t>(s.lineTipType);
  e.reflection = static_cast<std::int16_t>(s.reflection);
  e.angle = static_cast<std::uint32_t>(s.angle);
  e.magnification = static_cast<std::uint32_t>(s.magnification);
  e.columns = s.columns;
  e.rows = s.rows;
  e.pitchX = s.pitchX;
  e.pitchY = s.pitchY;
  e.cellName = s.cellName;
  e.text = s.text;
  e.textKind = static_cast<std::int16_t>(s.textKind);
  e.textSize = s.textSize;
  e.dbPerUserUnit = s.dbPerUserUnit;
  e.acuteTip = s.acuteTip;
  return e;
}

namespace {

std::int32_t toDb(double v, std::int32_t unit) {
  return RoundToInt(static_cast<double>(unit) * v);
}

// Bends P toward the axes or the diagonals from Q; mode 3 is handled by the caller.
void lockPoint(int lock, const UserPoint& q, UserPoint& p) {
  const double dx = std::fabs(q.x - p.x), dy = std::fabs(q.y - p.y);
  if (dx == 0 || dy == 0) return;
  if (lock == 2) {
    if (dx <= dy)
      p.x = q.x;
    else
      p.y = q.y;
    return;
  }
  if (lock != 1 || dx == dy) return;
  double a = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
  if (a > 45.0) a = 90.0 - a;
  if (a <= 22.5) {
    if (dx <= dy)
      p.x = q.x;
    else
      p.y = q.y;
  } else if (dx <= dy) {
    p.x = p.x - q.x <= 0 ? q.x - dy : q.x + dy;
  } else {
    p.y = p.y - q.y <= 0 ? q.y - dx : q.y + dx;
  }
}

bool locksType(std::int16_t type) {
  return type == static_cast<std::int16_t>(ElementType::Polygon) ||
         type == static_cast<std::int16_t>(ElementType::Line);
}

}  // namespace

void StartEntryReference(const TempLayer& temp, const EntryModes& modes, std::int32_t& refX,
                         std::int32_t& refY) {
  if (modes.absMode != 1 && modes.absMode != 2) return;
  if (temp.empty()) {
    refX = refY = 0;
    return;
  }
  const UserPoint& p = modes.absMode == 1 ? temp.points[temp.count - 1] : temp.points[0];
  refX = toDb(p.x, modes.dbPerUserUnit);
  refY = toDb(p.y, modes.dbPerUserUnit);
}

int AddTypedPoint(TempLayer& temp, const EntryModes& modes, std::int32_t& refX, std::int32_t& refY,
                  double x, double y, bool applyLock) {
  if (temp.full()) return 0;
  const double unit = modes.dbPerUserUnit;
  UserPoint p{x, y};
  switch (modes.absMode) {
    case 1:
      if (!temp.empty()) p = {temp.points[temp.count - 1].x + x, temp.points[temp.count - 1].y + y};
      break;
    case 2:
      if (!temp.empty()) p = {temp.points[0].x + x, temp.points[0].y + y};
      break;
    case 3:
      p = {refX / unit + x, refY / unit + y};
      break;
    default:
      break;
  }
  const bool locked = applyLock && locksType(modes.elementType) && !temp.empty();
  const UserPoint q = locked ? temp.points[temp.count - 1] : p;
  if (locked && modes.lock != 3) lockPoint(modes.lock, q, p);
  // Refused rather than clamped: a point that no int32 holds (or no number at all) is not taken.
  if (!ToCoordinate(unit * p.x) || !ToCoordinate(unit * p.y)) return kPointOutOfRange;
  int added = 0;
  if (locked) {
    if (modes.lock == 3 && q.x != p.x && q.y != p.y && temp.count + 1 < kTempCapacity) {
      temp.push({p.x, q.y});
      ++added;
    }
    if (!(temp.points[temp.count - 1] == p) && temp.push(p)) ++added;
  } else if (temp.push(p)) {
    ++added;
  }
  if (modes.absMode == 1 || modes.absMode == 2) {
    const UserPoint& r = modes.absMode == 1 ? temp.points[temp.count - 1] : temp.points[0];
    refX = toDb(r.x, modes.dbPerUserUnit);
    refY = toDb(r.y, modes.dbPerUserUnit);
  }
  return added;
}

void TakeBackPoints(TempLayer& temp, int n) {
  if (temp.empty() || n == 0) return;
  const int k = std::min<int>(std::abs(n), temp.count);
  if (n < 0)
    std::copy(temp.points.begin() + k, temp.points.begin() + temp.count, temp.points.begin());
  temp.count -= k;
}

namespace {

void dropConsecutiveDuplicates(std::vector<Vertex>& v) {
  v.erase(std::unique(v.begin(), v.end(),
                      [](const Vertex& a, const Vertex& b) { return a.x == b.x && a.y == b.y; }),
          v.end());
}

// Equal direction lines: both vertical, or both with exactly the same slope as doubles.
bool sameSlope(const Vertex& a, const Vertex& b, const Vertex& c) {
  const double dx1 = double(b.x) - a.x, dx2 = double(c.x) - b.x;
  if (dx1 == 0 && dx2 == 0) return true;
  if (dx1 == 0 || dx2 == 0) return false;
  return (double(b.y) - a.y) / dx1 == (double(c.y) - b.y) / dx2;
}

void dropCollinear(std::vector<Vertex>& v) {
  std::size_t i = 1;
  while (i + 1 < v.size()) {
    if (sameSlope(v[i - 1], v[i], v[i + 1])) {
      v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
      i = i > 1 ? i - 1 : 1;
    } else {
      ++i;
    }
  }
}

bool samePoint(const Vertex& a, const Vertex& b) {
  return a.x == b.x && a.y == b.y;
}

}  // namespace

void NormalizePoints(std::vector<Vertex>& v, ElementType type, std::size_t capacity) {
  if (type == ElementType::ACell || type == ElementType::SCell || type == ElementType::Text) {
    std::vector<Vertex> kept;
    kept.reserve(v.size());
    for (const auto& p : v)
      if (std::none_of(kept.begin(), kept.end(), [&](const Vertex& k) { return samePoint(k, p); }))
        kept.push_back(p);
    v = std::move(kept);
    return;
  }
  dropConsecutiveDuplicates(v);
  dropCollinear(v);
  dropConsecutiveDuplicates(v);
  const bool closed = type == ElementType::Rect || type == ElementType::Polygon;
  if (!closed) return;
  if (v.size() >= 3 && !samePoint(v.front(), v.back()) && v.size() < capacity)
    v.push_back(v.front());
  if (v.size() > 3 && samePoint(v.front(), v.back()) && sameSlope(v[v.size() - 2], v[0], v[1])) {
    // The closing vertex lies on a straight edge: the edge starts at the vertex before it.
    v[0] = v[v.size() - 2];
    v.pop_back();
  }
  dropConsecutiveDuplicates(v);
}

}  // namespace lav::db
