#include "geometry/arc_polygon.h"

#include <algorithm>
#include <cmath>

#include "db/rounding.h"

namespace lav::geometry {

namespace {

const double kPi = std::atan2(0.0, -1.0);
const double kTwoPi = 2 * kPi;

double Normalized(double a) {
  return a < 0 ? a + kTwoPi : a;
}

double AngleOf(double x, double y) {
  return Normalized(std::atan2(y, x));
}

// The sweep from a1 to a2 in the given direction; a full turn when they are equal.
double SweepOf(double a1, double a2, bool clockwise) {
  if (a1 == a2) return kTwoPi;
  if (!clockwise) return a2 < a1 ? kTwoPi - (a1 - a2) : a2 - a1;
  return a2 < a1 ? a1 - a2 : kTwoPi - (a2 - a1);
}

// Finds the parameter whose angle (growing with the parameter from `lowest` on) equals target,
// starting at t with a step that halves whenever the correction changes direction. The loop is
// bounded: a target the curve cannot reach ends with the nearest parameter found.
template <typename AngleFn>
double Bisect(double t, double target, AngleFn angleAt, double lowest = 1e-12) {
  double step = 0.05;
  int direction = 0;
  for (int i = 0; i < 4000 && step > 1e-18; ++i) {
    double a = angleAt(t);
    if (std::fabs(a - target) < 1e-11) break;
    int want = a <= target ? 1 : -1;
    if (direction != 0 && want != direction) step /= 2;
    direction = want;
    t = std::clamp(t + want * step, lowest, kTwoPi - 1e-12);
  }
  return t;
}

}  // namespace

std::int32_t AutomaticSegments(double radius, double sweep) {
  std::int64_t n = 2;
  while (!(radius * (1 - std::cos(kPi / double(n))) < 0.1) && n < 4000000) ++n;
  n -= n % 4;
  if (n > 0 && RoundHalfUp(std::fabs(sweep / (kTwoPi / double(n)))) > 96)
    n = RoundToInt(kTwoPi * 96 / sweep);
  return static_cast<std::int32_t>(n);
}

ArcStatus GenerateArc(const ArcSettings& settings, const ArcInput& in, int elementType,
                      std::int32_t dbPerUserUnit, std::vector<db::UserPoint>& points,
                      std::size_t capacity) {
  const double unit = dbPerUserUnit;
  auto snap = [unit](double v) { return RoundHalfUp(v * unit) / unit; };
  const db::UserPoint S = in.start, C = in.centre, E = in.end;
  const bool clockwise = settings.clockwise != 0;
  const double s = clockwise ? -1.0 : 1.0;

  if (S == C || E == C) return ArcStatus::Radius;
  const double r = std::hypot(S.x - C.x, S.y - C.y);
  const double a1 = AngleOf(S.x - C.x, S.y - C.y);
  const double r2 = std::hypot(E.x - C.x, E.y - C.y);
  double a2 = AngleOf(E.x - C.x, E.y - C.y);

  double k = 1;
  if (settings.ellipse == 1 && r2 != r) {
    const double theta = Normalized(a2 - a1);
    const double px = r2 * std::cos(theta), py = r2 * std::sin(theta);
    if (snap(py) == 0) {
      k = r2 / r;
    } else if (r <= std::fabs(px)) {
      k = r2 / r;
      const double kk = k;
      double t = Bisect(theta, theta,
                        [&](double u) { return AngleOf(r * std::cos(u), r * kk * std::sin(u)); });
      a2 = t + a1;
    } else {
      const double d = std::sqrt(r * r - px * px);
      k = std::fabs(py / d);
      a2 = std::atan2(py < 0 ? -d : d, px) + a1;
    }
    a2 = Normalized(std::fmod(a2, kTwoPi));
  }

  const double w = SweepOf(a1, a2, clockwise);
  const std::int32_t N =
      settings.segments != 0 ? std::abs(settings.segments) : AutomaticSegments(r, w);
  std::int64_t m = a1 == a2 ? N : std::int64_t(RoundHalfUp(std::fabs(w / (kTwoPi / N))));
  if (m == 0) m = 1;
  if (m > 196) m = 196;
  const double delta = std::fabs(w / double(m));

  auto push = [&](db::UserPoint p) {
    if (points.size() >= capacity) return false;
    points.push_back(p);
    return true;
  };
  auto onCurve = [&](double t) {
    double x = r * std::cos(t), y = r * k * std::sin(t);
    return db::UserPoint{snap(C.x + x * std::cos(a1) - y * std::sin(a1)),
                         snap(C.y + x * std::sin(a1) + y * std::cos(a1))};
  };

  const db::UserPoint start{snap(S.x), snap(S.y)};
  const bool closedType =
      elementType == db::ElementType::Polygon || elementType == db::ElementType::Line;
  if (!closedType || points.empty() || !(points.back() == start))
    if (!push(start)) return ArcStatus::LayerFull;

  if (k == 1) {
    const double R = settings.tangent ? r / std::cos(delta / 2) : r;
    for (std::int64_t i = 1; i <= m; ++i) {
      double t = double(i) * delta * s;
      if (settings.tangent) t += clockwise ? delta / 2 : -delta / 2;
      if (!push({snap(C.x + R * std::cos(a1 + t)), snap(C.y + R * std::sin(a1 + t))}))
        return ArcStatus::LayerFull;
    }
  } else {
    // A quarter of the ellipse whose chords turn by delta, as a circle's would.
    std::int64_t q = N / 4;
    q = std::min<std::int64_t>(q, std::int64_t(RoundHalfUp(kPi / 2 / delta)));
    q = std::clamp<std::int64_t>(q, 1, 199);
    std::vector<db::UserPoint> rows(static_cast<std::size_t>(q) + 1);
    rows[0] = {r, 0};
    rows[static_cast<std::size_t>(q)] = {0, r * k};
    double t = 0;
    for (std::int64_t j = 1; j < q; ++j) {
      const db::UserPoint prev = rows[static_cast<std::size_t>(j - 1)];
      double target = (double(j) - 0.5) * delta + kPi / 2;
      if (target > kTwoPi) target -= kTwoPi;
      // The chord's direction grows with the parameter only past the previous row: before it the
      // chord turns about, and a step back there would run the search down to the start.
      t = Bisect(
          t, target,
          [&](double u) { return AngleOf(r * std::cos(u) - prev.x, r * k * std::sin(u) - prev.y); },
          t + 1e-12);
      rows[static_cast<std::size_t>(j)] = {r * std::cos(t), r * k * std::sin(t)};
    }
    struct Run {
      std::int64_t from, to;
      double sx, sy;
    };
    const Run runs[] = {{1, q, 1, s}, {q, 1, -1, s}, {0, q - 1, -1, -s}, {q, 1, 1, -s}};
    const double reach = double(m) * delta;
    bool done = false;
    for (const Run& run : runs) {
      const std::int64_t stepDir = run.to >= run.from ? 1 : -1;
      for (std::int64_t j = run.from; !done; j += stepDir) {
        const db::UserPoint row = rows[static_cast<std::size_t>(j)];
        const double x = row.x * run.sx, y = row.y * run.sy;
        const double parameter = Normalized(std::fmod(std::atan2(y / k, x) + a1, kTwoPi));
        if (SweepOf(a1, parameter, clockwise) > reach) {
          done = true;
          break;
        }
        const double rho = std::hypot(x, y), phi = std::atan2(y, x);
        const db::UserPoint v{snap(C.x + rho * std::cos(a1 + phi)),
                              snap(C.y + rho * std::sin(a1 + phi))};
        // The quadrant joins repeat a row; the copy adds nothing.
        if (points.empty() || !(points.back() == v))
          if (!push(v)) return ArcStatus::LayerFull;
        if (j == run.to) break;
      }
      if (done) break;
    }
  }

  const db::UserPoint endPoint = onCurve(double(m) * delta * s);
  if (points.empty() || !(points.back() == endPoint))
    if (!push(endPoint)) return ArcStatus::LayerFull;

  if (points.size() >= 2) {
    const db::UserPoint &p = points[points.size() - 2], &q = points.back();
    if (RoundToInt(unit * p.x) == RoundToInt(unit * q.x) &&
        RoundToInt(unit * p.y) == RoundToInt(unit * q.y))
      points.pop_back();
  }
  return ArcStatus::Done;
}

}  // namespace lav::geometry
