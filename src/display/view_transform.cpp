#include "display/view_transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "db/rounding.h"

namespace lav::display {
namespace {

constexpr double kMaxSpan = 4294967285.0;

}  // namespace

DPoint ToDesign(const ViewState& v, double wx, double wy) {
  return {(wx + v.offsetX) / v.scale, (v.clientHeight - wy + v.offsetY) / v.scale};
}

Extent WindowFromOffsets(const ViewState& v) {
  return {RoundToInt(v.offsetX / v.scale), RoundToInt(v.offsetY / v.scale),
          RoundToInt((v.clientWidth + v.offsetX) / v.scale),
          RoundToInt((v.clientHeight + v.offsetY) / v.scale)};
}

void RecentreOffsets(ViewState& v) {
  v.offsetX = (double(v.window.xmin) + v.window.xmax) / 2 * v.scale - v.clientWidth / 2.0;
  v.offsetY = (double(v.window.ymin) + v.window.ymax) / 2 * v.scale - v.clientHeight / 2.0;
}

namespace {

// Shifts one axis back inside the coordinate range, keeping its span.
void KeepInside(double lo, double hi, std::int32_t& outLo, std::int32_t& outHi) {
  const double span = std::fabs(hi - lo);
  double a = lo, b = hi;
  if (lo < -2147483648.0) {
    a = -2147483646.0;
    b = a + span;
  }
  if (hi > 2147483647.0) {
    b = 2147483645.0;
    a = b - span;
  }
  outLo = RoundToInt(a);
  outHi = RoundToInt(b);
}

}  // namespace

void ApplyView(ViewState& v) {
  if (v.clientWidth <= 0 || v.clientHeight <= 0) return;
  if (!(v.scale > 0) || !std::isfinite(v.scale)) v.scale = v.clientWidth / 47000.0;
  if (v.clientWidth / v.scale > kMaxSpan) v.scale = v.clientWidth / kMaxSpan;
  if (v.clientHeight / v.scale > kMaxSpan) v.scale = v.clientHeight / kMaxSpan;
  const double x0 = RoundHalfUp(v.offsetX / v.scale), y0 = RoundHalfUp(v.offsetY / v.scale);
  const double x1 = RoundHalfUp((v.clientWidth + v.offsetX) / v.scale);
  const double y1 = RoundHalfUp((v.clientHeight + v.offsetY) / v.scale);
  KeepInside(x0, x1, v.window.xmin, v.window.xmax);
  KeepInside(y0, y1, v.window.ymin, v.window.ymax);
  RecentreOffsets(v);
  const double dx = std::fabs(x1 - x0), dy = std::fabs(y1 - y0);
  if (dx >= 20 && dy >= 20) return;
  // Below the smallest view: widen to 20 units around the centre.
  const double cx = (double(v.window.xmin) + v.window.xmax) / 2;
  const double cy = (double(v.window.ymin) + v.window.ymax) / 2;
  v.window = {RoundToInt(cx - 10), RoundToInt(cy - 10), RoundToInt(cx + 10), RoundToInt(cy + 10)};
  const double w = v.window.xmax - v.window.xmin, h = v.window.ymax - v.window.ymin;
  v.scale = h > double(v.clientHeight) * w / v.clientWidth ? v.clientHeight / h : v.clientWidth / w;
  v.scale *= 0.93;
  RecentreOffsets(v);
  v.window = WindowFromOffsets(v);
}

namespace {

void PolarRotate(double x, double y, std::int32_t angle, double m, double& outX, double& outY) {
  double r, theta;
  if (x != 0) {
    r = std::sqrt(x * x + y * y);
    theta = std::atan2(y, x);
  } else if (y > 0) {
    r = y;
    theta = std::numbers::pi / 2;
  } else if (y < 0) {
    r = -y;
    theta = -std::numbers::pi / 2;
  } else {
    r = 0;
    theta = 0;
  }
  theta += angle * std::numbers::pi / 180 / 1e6;
  r *= m;
  outX = std::cos(theta) * r;
  outY = std::sin(theta) * r;
}

// An angle as `% kFullTurn` leaves it; frames keep theirs within a turn already, which spares
// a division per figure.
std::int64_t WithinTurn(std::int64_t angle) {
  return angle > -db::kFullTurn && angle < db::kFullTurn ? angle : angle % db::kFullTurn;
}

std::int32_t AddClamped(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(std::int64_t(a) + b, INT32_MIN, INT32_MAX));
}

}  // namespace

void TransformPoints(PlacementTransform& f, Point* points, int count) {
  const auto a = static_cast<std::int32_t>(WithinTurn(f.rotation));
  if (a == 0 && f.mirrored != 1 && f.magnification == 1.0) {
    // A pure translation: whole sums, exactly what the rounding below makes of them.
    for (int i = 0; i < count; ++i)
      points[i] = {AddClamped(points[i].x, f.originX), AddClamped(points[i].y, f.originY)};
    f.accumulatedAngle = static_cast<std::int32_t>(WithinTurn(f.accumulatedAngle));
    return;
  }
  const double m = f.magnification, ox = f.originX, oy = f.originY;
  for (int i = 0; i < count; ++i) {
    const double x = points[i].x;
    const double y = f.mirrored == 1 ? -double(points[i].y) : double(points[i].y);
    double nx, ny;
    if (a == 0) {
      nx = x * m;
      ny = y * m;
    } else if (a == 90000000 || a == -270000000) {
      nx = -y * m;
      ny = x * m;
    } else if (a == 180000000 || a == -180000000) {
      nx = -x * m;
      ny = -y * m;
    } else if (a == 270000000 || a == -90000000) {
      nx = y * m;
      ny = -x * m;
    } else {
      PolarRotate(x, y, a, m, nx, ny);
    }
    points[i] = {RoundToInt(nx + ox), RoundToInt(ny + oy)};
  }
  if (f.mirrored == 1) {
    f.accumulatedReflection ^= 1;
    f.accumulatedAngle = -f.accumulatedAngle;
  }
  f.accumulatedAngle = static_cast<std::int32_t>(WithinTurn(std::int64_t(f.accumulatedAngle) + a));
}

void RotateVector(std::int32_t& x, std::int32_t& y, std::int32_t angle) {
  double nx, ny;
  PolarRotate(x, y, angle, 1.0, nx, ny);
  x = RoundToInt(nx);
  y = RoundToInt(ny);
}

Extent TransformExtent(const PlacementTransform& frame, const Extent& e) {
  if (WithinTurn(frame.rotation) == 0 && frame.mirrored != 1 && frame.magnification == 1.0) {
    // A pure translation (the top cell's frame above all): the corners need no rounding.
    return {AddClamped(e.xmin, frame.originX), AddClamped(e.ymin, frame.originY),
            AddClamped(e.xmax, frame.originX), AddClamped(e.ymax, frame.originY)};
  }
  Point c[4] = {{e.xmin, e.ymin}, {e.xmax, e.ymin}, {e.xmax, e.ymax}, {e.xmin, e.ymax}};
  PlacementTransform f = frame;
  TransformPoints(f, c, 4);
  Extent r{c[0].x, c[0].y, c[0].x, c[0].y};
  for (const Point& p : c) {
    r.xmin = std::min(r.xmin, p.x);
    r.ymin = std::min(r.ymin, p.y);
    r.xmax = std::max(r.xmax, p.x);
    r.ymax = std::max(r.ymax, p.y);
  }
  return r;
}

namespace {

bool OnSegment(double d, double extent) {
  if (extent == 0) return d == 0;
  if (d != 0 && ((d > 0) != (extent > 0))) return false;
  return std::fabs(d) <= std::fabs(extent);
}

// Small tolerance so that a crossing computed at a segment's end point is not lost to rounding.
bool Within(DPoint p, DPoint a, DPoint b) {
  constexpr double eps = 1e-9;
  auto snap = [](double d, double extent) {
    if (std::fabs(d - extent) < eps * (1 + std::fabs(extent))) return extent;
    if (std::fabs(d) < eps * (1 + std::fabs(extent))) return 0.0;
    return d;
  };
  return OnSegment(snap(p.x - a.x, b.x - a.x), b.x - a.x) &&
         OnSegment(snap(p.y - a.y, b.y - a.y), b.y - a.y);
}

}  // namespace

int SegmentIntersection(DPoint p1, DPoint p2, DPoint p3, DPoint p4, DPoint& out) {
  const bool v1 = p1.x == p2.x, v2 = p3.x == p4.x;
  const bool h1 = p1.y == p2.y, h2 = p3.y == p4.y;
  if ((v1 && h1) || (v2 && h2)) return -1;
  if ((v1 && v2) || (h1 && h2)) return -1;
  DPoint r;
  if (v1) {
    r.x = p1.x;
    r.y = h2 ? p3.y : p3.y + (p4.y - p3.y) / (p4.x - p3.x) * (r.x - p3.x);
  } else if (v2) {
    r.x = p3.x;
    r.y = h1 ? p1.y : p1.y + (p2.y - p1.y) / (p2.x - p1.x) * (r.x - p1.x);
  } else {
    const double s1 = (p2.y - p1.y) / (p2.x - p1.x), s2 = (p4.y - p3.y) / (p4.x - p3.x);
    if (s1 == s2) return -1;
    const double b1 = p1.y - s1 * p1.x, b2 = p3.y - s2 * p3.x;
    if (h1) {
      r.y = p1.y;
      r.x = (r.y - b2) / s2;
    } else if (h2) {
      r.y = p3.y;
      r.x = (r.y - b1) / s1;
    } else {
      r.x = (b2 - b1) / (s1 - s2);
      r.y = s1 * r.x + b1;
    }
  }
  if (!Within(r, p1, p2) || !Within(r, p3, p4)) return 0;
  out = r;
  return 1;
}

namespace {

bool Inside(const ViewState& v, DPoint p) {
  return p.x >= -1 && p.x <= v.clientWidth + 1 && p.y >= -1 && p.y <= v.clientHeight + 1;
}

// Crossings of PQ with the sides of the rectangle (lo, lo)-(w + hi, h + hi), in the order top,
// right, bottom, left; returns how many were found (at most max).
int SideCrossings(const ViewState& v, DPoint p, DPoint q, double margin, DPoint* out, int max) {
  const double l = -margin, t = -margin, r = v.clientWidth + margin, b = v.clientHeight + margin;
  const DPoint sides[4][2] = {
      {{l, t}, {r, t}}, {{r, t}, {r, b}}, {{l, b}, {r, b}}, {{l, t}, {l, b}}};
  int n = 0;
  for (const auto& side : sides) {
    DPoint c;
    if (SegmentIntersection(p, q, side[0], side[1], c) == 1) {
      if (n > 0 && c.x == out[n - 1].x && c.y == out[n - 1].y) continue;  // a corner
      out[n++] = c;
      if (n == max) break;
    }
  }
  return n;
}

void Line(Surface& s, DPoint a, DPoint b) {
  s.line(Pixel(a.x), Pixel(a.y), Pixel(b.x), Pixel(b.y));
}

}  // namespace

void DrawClippedSegment(const ViewState& v, Surface& s, DPoint p, DPoint q) {
  const bool pin = Inside(v, p), qin = Inside(v, q);
  if (pin && qin) {
    Line(s, p, q);
    return;
  }
  DPoint c[2];
  if (pin || qin) {
    if (SideCrossings(v, p, q, 1.1, c, 1) == 1) Line(s, pin ? p : q, c[0]);
    return;
  }
  const double w = v.clientWidth + 1, h = v.clientHeight + 1;
  if ((p.x < -1 && q.x < -1) || (p.x > w && q.x > w) || (p.y < -1 && q.y < -1) ||
      (p.y > h && q.y > h))
    return;
  if (SideCrossings(v, p, q, 1.0, c, 2) == 2) Line(s, c[0], c[1]);
}

void DrawClippedRectangle(const ViewState& v, Surface& s, DPoint p, DPoint q) {
  if (Inside(v, p) && Inside(v, q)) {
    s.rectangleOutline(Pixel(p.x), Pixel(p.y), Pixel(q.x), Pixel(q.y));
    return;
  }
  DrawClippedSegment(v, s, p, {q.x, p.y});
  DrawClippedSegment(v, s, {q.x, p.y}, q);
  DrawClippedSegment(v, s, q, {p.x, q.y});
  DrawClippedSegment(v, s, {p.x, q.y}, p);
}

bool ZoomToCorners(ViewState& v, std::int32_t dbu, double x1, double y1, double x2, double y2) {
  const auto a = ToCoordinate(dbu * std::min(x1, x2)), b = ToCoordinate(dbu * std::min(y1, y2));
  const auto c = ToCoordinate(dbu * std::max(x1, x2)), d = ToCoordinate(dbu * std::max(y1, y2));
  if (!a || !b || !c || !d || *a == *c || *b == *d) return false;
  v.window = {*a, *b, *c, *d};
  const double w = double(*c) - *a, h = double(*d) - *b;
  v.scale = std::min(v.clientWidth / w, v.clientHeight / h);
  RecentreOffsets(v);
  ApplyView(v);
  return true;
}

}  // namespace lav::display
