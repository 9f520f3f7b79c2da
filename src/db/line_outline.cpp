#include "db/line_outline.h"

#include <cmath>
#include <numbers>

#include "db/rounding.h"

namespace lav::db {
namespace {

struct V2 {
  double x = 0, y = 0;
};
V2 operator+(V2 a, V2 b) {
  return {a.x + b.x, a.y + b.y};
}
V2 operator-(V2 a, V2 b) {
  return {a.x - b.x, a.y - b.y};
}
V2 operator*(double k, V2 a) {
  return {k * a.x, k * a.y};
}
double dot(V2 a, V2 b) {
  return a.x * b.x + a.y * b.y;
}

double direction(const Vertex& a, const Vertex& b) {
  if (a.x == b.x && a.y == b.y) return 0;
  return std::atan2(double(b.y) - a.y, double(b.x) - a.x);
}
V2 unit(double theta) {
  return {std::cos(theta), std::sin(theta)};
}
V2 rightNormal(double theta) {
  return {std::sin(theta), -std::cos(theta)};
}

// Join points of one side at vertex p, where n1 and n2 are that side's unit normals of the
// incoming and outgoing segment and d1, d2 their unit directions.
void addJoin(std::vector<V2>& side, V2 p, V2 n1, V2 n2, V2 d1, V2 d2, double h, bool cutCorner) {
  const double c = dot(n1, n2);
  if (c <= -1.0 + 1e-12) {  // the path turns straight back: keep both offset ends
    side.push_back(p + h * n1);
    side.push_back(p + h * n2);
    return;
  }
  if (cutCorner) {
    V2 b = n1 + n2;
    const double len = std::hypot(b.x, b.y);
    b = (1.0 / len) * b;
    const double db1 = dot(d1, b), db2 = dot(d2, b);
    if (db1 != 0 && db2 != 0) {
      const double s = h * (1 - dot(n1, b)) / db1;
      const double u = h * (1 - dot(n2, b)) / db2;
      side.push_back(p + h * n1 + s * d1);
      side.push_back(p + h * n2 + u * d2);
      return;
    }
  }
  side.push_back(p + (h / (1 + c)) * (n1 + n2));  // mitre: where the two offset lines meet
}

}  // namespace

std::vector<Vertex> BuildPathOutline(std::span<const Vertex> pts, std::int32_t width, int tipType,
                                     int acuteTip, int maxPoints) {
  std::vector<Vertex> out;
  BuildPathOutline(pts, width, tipType, acuteTip, maxPoints, out);
  return out;
}

void BuildPathOutline(std::span<const Vertex> pts, std::int32_t width, int tipType, int acuteTip,
                      int maxPoints, std::vector<Vertex>& out) {
  out.clear();
  const std::size_t n = pts.size();
  if (n < 2) return;
  const double h = width / 2.0;
  auto at = [&](std::size_t i) { return V2{double(pts[i].x), double(pts[i].y)}; };
  // The two sides' chains, kept between calls on this thread.
  thread_local std::vector<V2> right, left;
  right.clear();
  left.clear();

  const double t0 = direction(pts[0], pts[1]);
  V2 back = tipType != 0 ? h * unit(t0) : V2{};
  right.push_back(at(0) + h * rightNormal(t0) - back);
  left.push_back(at(0) - h * rightNormal(t0) - back);

  // Each segment's direction serves the joins at both of its ends.
  double t2 = t0;
  V2 d2 = unit(t0), r2 = rightNormal(t0);
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double t1 = t2;
    const V2 d1 = d2, r1 = r2;
    t2 = direction(pts[i], pts[i + 1]);
    d2 = unit(t2);
    r2 = rightNormal(t2);
    double turn = (t2 - t1) * 180.0 / std::numbers::pi;
    while (turn <= -180.0) turn += 360.0;
    while (turn > 180.0) turn -= 360.0;
    const bool sharp = acuteTip == 1 && std::fabs(turn) > 90.0 && std::fabs(turn) < 180.0;
    addJoin(right, at(i), r1, r2, d1, d2, h, sharp && turn > 0);
    addJoin(left, at(i), -1.0 * r1, -1.0 * r2, d1, d2, h, sharp && turn < 0);
  }

  const double te = direction(pts[n - 2], pts[n - 1]);
  V2 ahead = tipType != 0 ? h * unit(te) : V2{};
  right.push_back(at(n - 1) + h * rightNormal(te) + ahead);
  left.push_back(at(n - 1) - h * rightNormal(te) + ahead);

  auto fits = [&] { return maxPoints == 0 || static_cast<int>(out.size()) < maxPoints; };
  auto emit = [&](V2 p) {
    if (fits()) out.push_back({RoundToInt(p.x), RoundToInt(p.y)});
  };
  for (const V2& p : right) emit(p);
  for (auto it = left.rbegin(); it != left.rend(); ++it) emit(*it);
  if (fits()) out.push_back(out.front());
}

}  // namespace lav::db
