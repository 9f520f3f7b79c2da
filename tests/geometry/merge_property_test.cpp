// Random figures of every kind (axis-parallel, 45 degree, any angle, with holes) against the set
// identities of the four operations and a point-by-point check of the result.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "geometry/polygon_merge.h"

namespace lav::geometry {
namespace {

Ring Box(int x0, int y0, int x1, int y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
}

double Area(const std::vector<Ring>& rings) {
  double sum = 0;
  for (const Ring& r : rings) sum += static_cast<double>(TwiceArea(r)) / 2;
  return sum;
}

double Perimeter(const Ring& r) {
  double sum = 0;
  for (std::size_t i = 0; i + 1 < r.size(); ++i)
    sum += std::hypot(double(r[i + 1].x) - r[i].x, double(r[i + 1].y) - r[i].y);
  return sum;
}

double SegmentDistance(double px, double py, const Point& a, const Point& b) {
  const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 == 0 ? 0 : ((px - a.x) * dx + (py - a.y) * dy) / len2;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

double BoundaryDistance(double px, double py, const Ring& r) {
  double best = 1e300;
  for (std::size_t i = 0; i + 1 < r.size(); ++i)
    best = std::min(best, SegmentDistance(px, py, r[i], r[i + 1]));
  return best;
}

bool Inside(const Ring& r, double px, double py) {
  return LocateDoubled(r, std::llround(2 * px), std::llround(2 * py)) == Where::Inside;
}

class Shapes {
 public:
  explicit Shapes(unsigned seed) : rng_(seed) {}

  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  // A random simple figure; kind 0 axis-parallel, 1 with 45 degree corners, 2 any angle, 3 a
  // figure with a hole bridged into it.
  Ring Make(int kind) {
    switch (kind) {
      case 0: {
        Ring r = RandomBox();
        for (int k = Uniform(0, 2); k > 0; --k) {
          auto u = MergePolygons(r, RandomBox(), MergeOp::Union);
          if (u.rings.size() == 1) r = u.rings[0];
        }
        return r;
      }
      case 1: {
        const int x0 = Uniform(-100, 0) * 2, y0 = Uniform(-100, 0) * 2;
        const int w = Uniform(20, 120) * 2, h = Uniform(20, 120) * 2;
        const int c = Uniform(1, std::min(w, h) / 2 - 1);
        return {{x0 + c, y0},         {x0 + w - c, y0},     {x0 + w, y0 + c},
                {x0 + w, y0 + h - c}, {x0 + w - c, y0 + h}, {x0 + c, y0 + h},
                {x0, y0 + h - c},     {x0, y0 + c},         {x0 + c, y0}};
      }
      case 2: {
        const int n = Uniform(3, 12), cx = Uniform(-60, 60), cy = Uniform(-60, 60);
        Ring r;
        for (int i = 0; i < n; ++i) {
          const double t = 2 * M_PI * i / n;
          const int rad = Uniform(30, 200);
          r.push_back(
              {cx + int(std::lround(rad * std::cos(t))), cy + int(std::lround(rad * std::sin(t)))});
        }
        r.push_back(r.front());
        return r;
      }
      default: {
        Ring outer = Make(Uniform(0, 2));
        const Ring hole = Box(Uniform(-40, 0), Uniform(-40, 0), Uniform(5, 40), Uniform(5, 40));
        auto d = MergePolygons(outer, hole, MergeOp::Difference);
        return d.rings.size() == 1 ? d.rings[0] : outer;
      }
    }
  }

 private:
  Ring RandomBox() {
    const int x0 = Uniform(-200, 100), y0 = Uniform(-200, 100);
    return Box(x0, y0, x0 + Uniform(10, 200), y0 + Uniform(10, 200));
  }
  std::mt19937 rng_;
};

bool Wanted(MergeOp op, bool a, bool b) {
  switch (op) {
    case MergeOp::Union:
      return a || b;
    case MergeOp::Intersection:
      return a && b;
    case MergeOp::Difference:
      return a && !b;
    case MergeOp::Xor:
      return a != b;
  }
  return false;
}

TEST(MergeProperties, RandomFiguresOfEveryKind) {
  Shapes shapes(2026);
  const MergeOp ops[] = {MergeOp::Union, MergeOp::Intersection, MergeOp::Difference, MergeOp::Xor};
  int failures = 0;
  for (int trial = 0; trial < 1200 && failures < 10; ++trial) {
    const Ring a = shapes.Make(trial % 4), b = shapes.Make((trial / 4) % 4);
    const std::string what = "trial " + std::to_string(trial);
    std::vector<Ring> result[4];
    for (int k = 0; k < 4; ++k) {
      MergeResult m = MergePolygons(a, b, ops[k]);
      ASSERT_EQ(m.status, MergeStatus::Ok) << what;
      result[k] = std::move(m.rings);
      for (const Ring& r : result[k]) {
        ASSERT_GE(r.size(), 4u) << what;
        EXPECT_TRUE(r.front() == r.back()) << what << ": open ring";
        EXPECT_GT(TwiceArea(r), 0) << what << ": clockwise ring";
        if (SelfCrosses(r)) {
          ++failures;
          ADD_FAILURE() << what << " op " << static_cast<char>(ops[k]) << ": crosses itself";
        }
      }
    }
    // Snapping a crossing moves an edge by under one unit: areas agree within the perimeters.
    const double tol = Perimeter(a) + Perimeter(b);
    const double areaA = std::fabs(double(TwiceArea(a))) / 2;
    const double areaB = std::fabs(double(TwiceArea(b))) / 2;
    const double uni = Area(result[0]), inter = Area(result[1]);
    EXPECT_NEAR(uni, areaA + areaB - inter, tol) << what;
    EXPECT_NEAR(Area(result[2]), areaA - inter, tol) << what;
    EXPECT_NEAR(Area(result[3]), uni - inter, tol) << what;

    // Points well away from both boundaries are inside a result exactly when the operation
    // says so.
    for (int s = 0; s < 40; ++s) {
      const double px = shapes.Uniform(-500, 500) + 0.5, py = shapes.Uniform(-500, 500) + 0.5;
      if (BoundaryDistance(px, py, a) < 2 || BoundaryDistance(px, py, b) < 2) continue;
      const bool inA = Inside(a, px, py), inB = Inside(b, px, py);
      for (int k = 0; k < 4; ++k) {
        bool in = false;
        for (const Ring& r : result[k]) in = in || Inside(r, px, py);
        if (in != Wanted(ops[k], inA, inB)) {
          ++failures;
          ADD_FAILURE() << what << " op " << static_cast<char>(ops[k]) << " at " << px << "," << py;
        }
      }
    }
  }
}

TEST(MergeProperties, AFigureWithItself) {
  Shapes shapes(99);
  for (int trial = 0; trial < 200; ++trial) {
    const Ring a = shapes.Make(trial % 4);
    const double area = std::fabs(double(TwiceArea(a))) / 2;
    const std::string what = "trial " + std::to_string(trial);
    EXPECT_DOUBLE_EQ(Area(MergePolygons(a, a, MergeOp::Union).rings), area) << what;
    EXPECT_DOUBLE_EQ(Area(MergePolygons(a, a, MergeOp::Intersection).rings), area) << what;
    EXPECT_TRUE(MergePolygons(a, a, MergeOp::Difference).rings.empty()) << what;
    EXPECT_TRUE(MergePolygons(a, a, MergeOp::Xor).rings.empty()) << what;
  }
}

}  // namespace
}  // namespace lav::geometry
