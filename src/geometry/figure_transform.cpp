#include "geometry/figure_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "db/line_outline.h"
#include "db/rounding.h"

namespace lav::geometry {

namespace {

const double kPi = std::atan2(0.0, -1.0);

std::int32_t NormalizedAngle(std::int64_t a) {
  a %= db::kFullTurn;
  if (a < 0) a += db::kFullTurn;
  return static_cast<std::int32_t>(a);
}

bool IsPlacementOrText(int type) {
  return type == db::ElementType::ACell || type == db::ElementType::SCell ||
         type == db::ElementType::Text;
}

db::Vertex ToDb(db::UserPoint p, double unit) {
  return {RoundToInt(unit * p.x), RoundToInt(unit * p.y)};
}

std::int32_t Saturated(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// A point about the origin turned by angle (millionths of a degree) and scaled by m, then moved
// to (ox, oy): quarter turns exactly, other angles in polar form.
db::Vertex Turned(double x, double y, std::int64_t angle, double m, double ox, double oy) {
  double nx, ny;
  if (angle == 0) {
    nx = x * m + ox, ny = y * m + oy;
  } else if (angle == 90000000 || angle == -270000000) {
    nx = -y * m + ox, ny = x * m + oy;
  } else if (angle == 180000000 || angle == -180000000) {
    nx = -x * m + ox, ny = -y * m + oy;
  } else if (angle == 270000000 || angle == -90000000) {
    nx = y * m + ox, ny = -x * m + oy;
  } else {
    double r, theta;
    if (x != 0) {
      r = std::hypot(x, y), theta = std::atan2(y, x);
    } else if (y > 0) {
      r = y, theta = kPi / 2;
    } else if (y < 0) {
      r = -y, theta = -kPi / 2;
    } else {
      r = 0, theta = 0;
    }
    theta += double(angle) * kPi / 180 / 1e6;
    r *= m;
    nx = std::cos(theta) * r + ox, ny = std::sin(theta) * r + oy;
  }
  return {RoundToInt(nx), RoundToInt(ny)};
}

// Points relative to the fixed point, cleaned by the figure's own rule: placements and texts
// keep one of each position, the others lose repeats and straight-run points but are not closed.
std::vector<db::Vertex> Relative(const Figure& f, db::Vertex origin, double unit) {
  std::vector<db::Vertex> rel;
  rel.reserve(f.points.size());
  for (const db::UserPoint& p : f.points) {
    db::Vertex v = ToDb(p, unit);
    rel.push_back(
        {Saturated(std::int64_t(v.x) - origin.x), Saturated(std::int64_t(v.y) - origin.y)});
  }
  db::NormalizePoints(rel, IsPlacementOrText(f.type) ? static_cast<db::ElementType>(f.type)
                                                     : db::ElementType::Line);
  return rel;
}

void Replace(Figure& f, const std::vector<db::Vertex>& pts, double unit) {
  f.points.clear();
  for (const db::Vertex& v : pts) f.points.push_back({v.x / unit, v.y / unit});
}

bool TransformAbout(Figure& f, std::int64_t angle, double factor, db::UserPoint fixed,
                    double unit) {
  const db::Vertex origin = ToDb(fixed, unit);
  std::vector<db::Vertex> rel = Relative(f, origin, unit);
  for (db::Vertex& v : rel) v = Turned(v.x, v.y, angle, factor, origin.x, origin.y);
  Replace(f, rel, unit);
  return true;
}

struct Vec {
  double x, y;
};

double DirectionOf(const db::Vertex& a, const db::Vertex& b) {
  if (a.x == b.x && a.y == b.y) return 0;
  return std::atan2(double(b.y) - a.y, double(b.x) - a.x);
}

// The corner points one vertex adds to the right and left offset chains of an outline at
// distance h: mitre points, or two points on the outer side of a turn sharper than a right angle
// when acuteTip is 1.
void AddCorner(const db::Vertex& prev, const db::Vertex& v, const db::Vertex& next, double h,
               int acuteTip, std::vector<db::Vertex>& right, std::vector<db::Vertex>& left) {
  const double t1 = DirectionOf(prev, v), t2 = DirectionOf(v, next);
  double turn = t2 - t1;
  while (turn > kPi) turn -= 2 * kPi;
  while (turn <= -kPi) turn += 2 * kPi;
  const Vec u1{std::cos(t1), std::sin(t1)}, u2{std::cos(t2), std::sin(t2)};
  auto side = [&](double sign, std::vector<db::Vertex>& chain) {
    const Vec n1{sign * u1.y, -sign * u1.x}, n2{sign * u2.y, -sign * u2.x};
    const bool outer = sign > 0 ? turn > 0 : turn < 0;
    const double a = std::fabs(turn);
    if (outer && acuteTip == 1 && a > kPi / 2 && a < kPi) {
      Vec b{n1.x + n2.x, n1.y + n2.y};
      const double len = std::hypot(b.x, b.y);
      b = {b.x / len, b.y / len};
      const double s1 = h * (1 - (n1.x * b.x + n1.y * b.y)) / (u1.x * b.x + u1.y * b.y);
      const double s2 = h * (1 - (n2.x * b.x + n2.y * b.y)) / (u2.x * b.x + u2.y * b.y);
      chain.push_back(
          {RoundToInt(v.x + h * n1.x + s1 * u1.x), RoundToInt(v.y + h * n1.y + s1 * u1.y)});
      chain.push_back(
          {RoundToInt(v.x + h * n2.x + s2 * u2.x), RoundToInt(v.y + h * n2.y + s2 * u2.y)});
      return;
    }
    const double denom = 1 + (n1.x * n2.x + n1.y * n2.y);
    if (std::fabs(turn) < 1e-12 || denom < 1e-12) {
      chain.push_back({RoundToInt(v.x + h * n1.x), RoundToInt(v.y + h * n1.y)});
      return;
    }
    chain.push_back(
        {RoundToInt(v.x + h * (n1.x + n2.x) / denom), RoundToInt(v.y + h * (n1.y + n2.y) / denom)});
  };
  side(1, right);
  side(-1, left);
}

std::int32_t MaxX(const std::vector<db::Vertex>& c) {
  std::int32_t m = std::numeric_limits<std::int32_t>::min();
  for (const db::Vertex& v : c) m = std::max(m, v.x);
  return m;
}

double AbsArea(const std::vector<db::Vertex>& c) {
  double sum = 0;
  for (std::size_t i = 0; i + 1 < c.size(); ++i)
    sum += double(c[i].x) * c[i + 1].y - double(c[i + 1].x) * c[i].y;
  return std::fabs(sum);
}

}  // namespace

bool MirrorFigure(Figure& f, db::UserPoint p, db::UserPoint q, std::int32_t dbPerUserUnit) {
  if (p == q || f.points.empty()) return false;
  const double unit = dbPerUserUnit;
  const double theta = std::atan2(q.y - p.y, q.x - p.x);
  if (IsPlacementOrText(f.type)) {
    f.angle = NormalizedAngle(RoundToInt(2 * theta * 180000000 / kPi - f.angle));
    f.reflection = f.reflection ? 0 : 1;
  }
  for (db::UserPoint& pt : f.points) {
    const double r = std::hypot(pt.x - p.x, pt.y - p.y);
    const double phi = pt == p ? 0 : std::atan2(pt.y - p.y, pt.x - p.x);
    const double mirrored = 2 * theta - phi;
    pt = {RoundHalfUp((std::cos(mirrored) * r + p.x) * unit) / unit,
          RoundHalfUp((std::sin(mirrored) * r + p.y) * unit) / unit};
  }
  return true;
}

bool RotateFigure(Figure& f, double degrees, db::UserPoint fixed, std::int32_t dbPerUserUnit) {
  if (f.points.empty() || degrees == 0 || !std::isfinite(degrees)) return false;
  // Whole turns first, so that a large angle cannot overflow the millionths.
  const std::int64_t turn = RoundToInt(std::fmod(degrees, 360.0) * 1000000) % db::kFullTurn;
  if (IsPlacementOrText(f.type)) f.angle = NormalizedAngle(std::int64_t(f.angle) + turn);
  return TransformAbout(f, turn, 1.0, fixed, dbPerUserUnit);
}

bool MagnifyFigure(Figure& f, double factor, db::UserPoint fixed, std::int32_t dbPerUserUnit) {
  if (f.points.empty() || factor == 0 || factor == 1 || !std::isfinite(factor)) return false;
  if (IsPlacementOrText(f.type)) {
    const double m = std::fabs(RoundHalfUp(double(f.magnification) * factor));
    f.magnification = static_cast<std::int32_t>(std::clamp(m, 1.0, 2147483647.0));
    // A negative factor turns the figure half round: the placed cell or text turns with it.
    if (factor < 0) f.angle = NormalizedAngle(std::int64_t(f.angle) + db::kFullTurn / 2);
    if (f.type == db::ElementType::ACell) {
      const double k = std::fabs(factor);
      f.pitchX = RoundToInt(f.pitchX * k);
      f.pitchY = RoundToInt(f.pitchY * k);
    }
  }
  return TransformAbout(f, 0, factor, fixed, dbPerUserUnit);
}

OversizeStatus OversizeFigure(Figure& f, double distance, std::int32_t dbPerUserUnit,
                              int acuteTip) {
  const double unit = dbPerUserUnit;
  const std::size_t n0 = f.points.size();
  if (distance == 0 || !std::isfinite(distance)) return OversizeStatus::Unchanged;
  if (f.type == db::ElementType::Line && n0 >= 2) {
    f.width = RoundToInt(std::fabs(2 * distance * unit + f.width));
    return OversizeStatus::Changed;
  }
  if (f.type != db::ElementType::Polygon || n0 < 3) return OversizeStatus::Unchanged;
  std::vector<db::Vertex> pts;
  for (const db::UserPoint& p : f.points) pts.push_back(ToDb(p, unit));
  db::NormalizePoints(pts, db::ElementType::Polygon);
  const std::size_t n = pts.size();
  if (n < 4 || n > 200 || !(pts.front().x == pts.back().x && pts.front().y == pts.back().y))
    return OversizeStatus::Unchanged;
  pts.push_back(pts[1]);
  const double h = std::fabs(distance * unit);
  std::vector<db::Vertex> right, left;
  for (std::size_t i = 1; i < n; ++i)
    AddCorner(pts[i - 1], pts[i], pts[i + 1], h, acuteTip, right, left);
  right.insert(right.begin(), right.back());
  left.insert(left.begin(), left.back());
  const std::int32_t xr = MaxX(right), xl = MaxX(left);
  bool keepRight;
  if (xr != xl)
    keepRight = distance > 0 ? xr > xl : xr < xl;
  else
    keepRight = distance > 0 ? AbsArea(right) >= AbsArea(left) : AbsArea(right) < AbsArea(left);
  const std::vector<db::Vertex>& kept = keepRight ? right : left;
  if (kept.size() > 200) return OversizeStatus::TooManyPoints;
  Replace(f, kept, unit);
  return OversizeStatus::Changed;
}

bool MoveEdge(Figure& f, int s, db::UserPoint t, std::int32_t dbPerUserUnit) {
  const double unit = dbPerUserUnit;
  const int n = static_cast<int>(f.points.size());
  if (s < 1 || s >= n) return false;
  std::vector<db::Vertex> v;
  for (const db::UserPoint& p : f.points) v.push_back(ToDb(p, unit));
  const bool closed = f.type == db::ElementType::Polygon && n >= 4 && v.front().x == v.back().x &&
                      v.front().y == v.back().y;
  const db::Vertex A = v[s - 1], B = v[s];
  const double dx = double(B.x) - A.x, dy = double(B.y) - A.y;
  if (dx == 0 && dy == 0) return false;
  const double tx = unit * t.x, ty = unit * t.y;

  // The neighbouring edge of each end, as (from, to), when there is one.
  struct Neighbour {
    bool present = false;
    double dx = 0, dy = 0;
  };
  auto edge = [&](int i, int j) {
    return Neighbour{true, double(v[j].x) - v[i].x, double(v[j].y) - v[i].y};
  };
  Neighbour before, after;
  if (s - 1 >= 1)
    before = edge(s - 2, s - 1);
  else if (closed)
    before = edge(n - 2, n - 1);
  if (s + 1 <= n - 1)
    after = edge(s, s + 1);
  else if (closed)
    after = edge(0, 1);

  auto moved = [&](const db::Vertex& e, const Neighbour& nb) -> db::Vertex {
    const double ex = e.x, ey = e.y;
    if (dx == 0) {
      double y = ey;
      if (nb.present && nb.dy != 0 && nb.dx != 0) y += RoundToInt(nb.dy * (tx - ex) / nb.dx);
      return {RoundToInt(tx), RoundToInt(y)};
    }
    if (dy == 0) {
      double x = ex;
      if (nb.present && nb.dx != 0 && nb.dy != 0) x += RoundToInt(nb.dx * (ty - ey) / nb.dy);
      return {RoundToInt(x), RoundToInt(ty)};
    }
    const double m = dy / dx, c = ty - m * tx;
    double x;
    if (nb.present && nb.dx == 0 && nb.dy != 0) {
      x = ex;
    } else if (nb.present && nb.dy == 0 && nb.dx != 0) {
      return {RoundToInt((ey - c) / m), RoundToInt(ey)};
    } else if (nb.present && nb.dx != 0 && nb.dy / nb.dx != m) {
      const double mn = nb.dy / nb.dx;
      x = (ey - mn * ex - c) / (m - mn);
    } else {
      x = (ey + ex / m - c) / (m + 1 / m);  // perpendicular foot
    }
    return {RoundToInt(x), RoundToInt(m * x + c)};
  };
  v[s - 1] = moved(A, before);
  v[s] = moved(B, after);
  if (closed) {
    if (s - 1 == 0) v[n - 1] = v[0];
    if (s == n - 1) v[0] = v[n - 1];
  }
  Replace(f, v, unit);
  return true;
}

Bounds FigureBounds(const Figure& f, std::int32_t dbPerUserUnit, int tipType, int acuteTip) {
  std::vector<db::Vertex> pts;
  for (const db::UserPoint& p : f.points) pts.push_back(ToDb(p, dbPerUserUnit));
  if (f.type == db::ElementType::Line && f.width > 0 && pts.size() >= 2)
    pts = db::BuildPathOutline(pts, f.width, tipType, acuteTip);
  Bounds b;
  if (pts.empty()) return b;
  b = {pts[0].x, pts[0].y, pts[0].x, pts[0].y};
  for (const db::Vertex& v : pts) {
    b.xmin = std::min(b.xmin, v.x), b.ymin = std::min(b.ymin, v.y);
    b.xmax = std::max(b.xmax, v.x), b.ymax = std::max(b.ymax, v.y);
  }
  return b;
}

}  // namespace lav::geometry
