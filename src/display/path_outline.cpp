#include "display/path_outline.h"

#include <cmath>
#include <numbers>

#include "db/rounding.h"

namespace lav::display {
namespace {

constexpr double kPi = std::numbers::pi;

struct V {
  double x = 0, y = 0;
};
V operator+(V a, V b) {
  return {a.x + b.x, a.y + b.y};
}
V operator-(V a, V b) {
  return {a.x - b.x, a.y - b.y};
}
V operator*(double k, V a) {
  return {k * a.x, k * a.y};
}
double Dot(V a, V b) {
  return a.x * b.x + a.y * b.y;
}
double Cross(V a, V b) {
  return a.x * b.y - a.y * b.x;
}

double Direction(Point a, Point b) {
  if (a.x == b.x && a.y == b.y) return 0;
  return std::atan2(double(b.y) - a.y, double(b.x) - a.x);
}

V Unit(double theta) {
  return {std::cos(theta), std::sin(theta)};
}
// Normal to the right of a direction (direction - 90 degrees).
V RightNormal(double theta) {
  return {std::sin(theta), -std::cos(theta)};
}

// Where the line a + t*da meets b + u*db; a when they are parallel.
V Meet(V a, V da, V b, V db) {
  const double den = Cross(da, db);
  if (std::fabs(den) < 1e-12) return a;
  const double t = Cross(b - a, db) / den;
  return a + t * da;
}

// Join points of one side at vertex p; side +1 right, -1 left. outer: this side is the outside
// of the turn.
void AddJoin(std::vector<V>& chain, V p, double t1, double t2, double h, int side, bool cut) {
  const V n1 = (side * h) * RightNormal(t1), n2 = (side * h) * RightNormal(t2);
  const V d1 = Unit(t1), d2 = Unit(t2);
  double delta = t2 - t1;
  while (delta <= -kPi) delta += 2 * kPi;
  while (delta > kPi) delta -= 2 * kPi;
  if (std::fabs(std::fabs(delta) - kPi) < 1e-12) {
    // The path turns back on itself: the side ends square across the vertex and starts again.
    chain.push_back(p + n1);
    chain.push_back(p + n2);
    return;
  }
  if (!cut) {
    chain.push_back(Meet(p + n1, d1, p + n2, d2));
    return;
  }
  V b = n1 + n2;
  const double len = std::sqrt(Dot(b, b));
  b = (1 / len) * b;
  // The cut line: points q with (q - p).b = h.
  const double s1 = Dot(d1, b), s2 = Dot(d2, b);
  const V q1 = (p + n1) + ((h - Dot(n1, b)) / s1) * d1;
  const V q2 = (p + n2) + ((h - Dot(n2, b)) / s2) * d2;
  chain.push_back(q1);
  chain.push_back(q2);
}

}  // namespace

std::vector<Point> BuildPathOutline(const Point* pts, int count, int tip, std::int32_t width,
                                    bool acuteTip, std::size_t maxPoints) {
  std::vector<Point> out;
  if (count < 1) return out;
  const double h = width / 2.0;
  auto at = [&](int i) { return V{double(pts[i].x), double(pts[i].y)}; };
  const Point second = count > 1 ? pts[1] : pts[0];
  const double t0 = Direction(pts[0], second);
  const V back = tip != 0 ? h * Unit(t0) : V{};
  std::vector<V> right, left;
  right.push_back(at(0) + h * RightNormal(t0) - back);
  left.push_back(at(0) - h * RightNormal(t0) - back);
  for (int i = 1; i + 1 < count; ++i) {
    const double t1 = Direction(pts[i - 1], pts[i]), t2 = Direction(pts[i], pts[i + 1]);
    double delta = t2 - t1;
    while (delta <= -kPi) delta += 2 * kPi;
    while (delta > kPi) delta -= 2 * kPi;
    const bool sharp =
        acuteTip && std::fabs(delta) > kPi / 2 + 1e-12 && std::fabs(delta) < kPi - 1e-12;
    AddJoin(right, at(i), t1, t2, h, +1, sharp && delta > 0);
    AddJoin(left, at(i), t1, t2, h, -1, sharp && delta < 0);
  }
  const int last = count - 1;
  const double tn = count > 1 ? Direction(pts[last - 1], pts[last]) : t0;
  const V ahead = tip != 0 ? h * Unit(tn) : V{};
  right.push_back(at(last) + h * RightNormal(tn) + ahead);
  right.push_back(at(last) - h * RightNormal(tn) + ahead);
  for (auto it = left.rbegin(); it != left.rend(); ++it) right.push_back(*it);
  right.push_back(right.front());
  out.reserve(right.size());
  for (const V& v : right) {
    if (maxPoints != 0 && out.size() >= maxPoints) break;
    out.push_back({RoundToInt(v.x), RoundToInt(v.y)});
  }
  return out;
}

}  // namespace lav::display
