#include "geometry/polygon_merge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

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

// Whether a point inside a (or not) and b (or not) is inside the result.
bool Wanted(MergeOp op, bool a, bool b) {
  if (op == MergeOp::Union) return a || b;
  if (op == MergeOp::Intersection) return a && b;
  return op == MergeOp::Difference ? a && !b : a != b;
}

// Every result must be a closed, counter-clockwise ring that never crosses itself.
void ExpectSound(const std::vector<Ring>& rings, const std::string& what) {
  for (const Ring& r : rings) {
    ASSERT_GE(r.size(), 4u) << what;
    EXPECT_TRUE(r.front() == r.back()) << what << ": not closed";
    EXPECT_GT(TwiceArea(r), 0) << what << ": not counter-clockwise";
    EXPECT_FALSE(SelfCrosses(r)) << what << ": crosses itself";
  }
}

// For the random figures of every kind (axis-parallel, 45 degree, any angle, with holes).

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

// The typed merge test plays the plain overlaps, a figure minus itself and touching squares united.
TEST(MergePolygons, ShapesAndCounts) {
  const Ring big = Box(0, 0, 100, 100);
  const Ring small = Box(30, 30, 60, 60);
  const Ring right = Box(50, 0, 150, 100);
  const Ring neighbour = Box(100, 0, 200, 100);
  const Ring far = Box(300, 300, 400, 400);
  const Ring corner = Box(100, 100, 200, 200);
  struct Case {
    const char* name;
    Ring a, b;
    MergeOp op;
    std::size_t rings;
    double area;
    std::size_t vertices = 0;  // of the first ring, the closing one included (0: any)
  } cases[] = {
      {"union outline has only corners", big, Box(50, 50, 150, 150), MergeOp::Union, 1, 17500, 9},
      {"overlap difference", big, right, MergeOp::Difference, 1, 5000},
      // The outer corners, the hole's, and both ends of the bridge once more.
      {"hole by difference", big, small, MergeOp::Difference, 1, 10000 - 900, 4 + 4 + 2 + 1},
      {"inner intersection", big, small, MergeOp::Intersection, 1, 900},
      {"inner union", big, small, MergeOp::Union, 1, 10000},
      {"outer minus inner-held", small, big, MergeOp::Difference, 0, 0},
      {"xor with hole", small, big, MergeOp::Xor, 1, 9100},
      {"shared edge intersection", big, neighbour, MergeOp::Intersection, 0, 0},
      {"shared edge difference", big, neighbour, MergeOp::Difference, 1, 10000},
      {"identical union", big, big, MergeOp::Union, 1, 10000},
      {"disjoint union", big, far, MergeOp::Union, 2, 20000},
      {"disjoint intersection", big, far, MergeOp::Intersection, 0, 0},
      {"corner touch union", big, corner, MergeOp::Union, 2, 20000},
      {"clockwise input", Ring(big.rbegin(), big.rend()), right, MergeOp::Union, 1, 15000},
      {"degenerate input", Box(0, 0, 0, 50), big, MergeOp::Union, 1, 10000},
  };
  std::vector<Ring> out;
  for (const Case& c : cases) {
    out = MergePolygons(c.a, c.b, c.op).rings;
    EXPECT_EQ(out.size(), c.rings) << c.name;
    EXPECT_DOUBLE_EQ(Area(out), c.area) << c.name;
    EXPECT_TRUE(!c.vertices || out.at(0).size() == c.vertices)
        << c.name << ": " << out.at(0).size();
    ExpectSound(out, c.name);
  }
  // Several holes in one outline at once, or one by one.
  Ring a = Box(0, 0, 300, 100);
  Ring comb = {{20, 20},  {280, 20}, {280, 80}, {260, 80}, {260, 40}, {160, 40}, {160, 80},
               {140, 80}, {140, 40}, {40, 40},  {40, 80},  {20, 80},  {20, 20}};
  out = MergePolygons(a, comb, MergeOp::Difference).rings;
  ExpectSound(out, "comb");
  EXPECT_EQ(out.size(), 1u);
  EXPECT_DOUBLE_EQ(Area(out), 30000 - (260 * 20 + 3 * 20 * 40));
  // Re-merging a bridged result: a new bridge may run on the line of an old one. Three
  // disjoint holes left by a bar with three teeth.
  Ring bars[] = {Box(20, 20, 60, 80), Box(120, 20, 160, 80), Box(220, 20, 260, 80)};
  std::vector<Ring> outer{a};
  for (const Ring& bar : bars) outer = MergePolygons(outer[0], bar, MergeOp::Difference).rings;
  ExpectSound(outer, "three holes");
  ASSERT_EQ(outer.size(), 1u);
  EXPECT_DOUBLE_EQ(Area(outer), 30000 - 3 * 2400);
  // Extreme coordinates do not overflow (crossings off the grid are in the random figures below).
  const int m = 2147483647;
  const Ring whole = {{-m, -m}, {m, -m}, {m, m}, {-m, m}, {-m, -m}};
  const Ring diamond = {{0, -m}, {m, 0}, {0, m}, {-m, 0}, {0, -m}};
  out = MergePolygons(whole, diamond, MergeOp::Difference).rings;
  ExpectSound(out, "corners");
  EXPECT_EQ(out.size(), 4u);
  EXPECT_NEAR(Area(out), 2.0 * double(m) * double(m), 4.0);
  // Boxes that share only an edge or a corner touch without overlapping; the typed merge test
  // meets overlapping, enclosed and distant squares.
  for (const Ring& b : {Box(10, 0, 20, 10), Box(10, 10, 20, 20)}) {
    const Contact got = ContactOf(Box(0, 0, 10, 10), b);
    EXPECT_TRUE(!got.overlap && got.touch) << b[0].y;
  }
  // The characters that name each operation, and some that name none.
  const std::pair<const char*, std::optional<MergeOp>> groups[] = {
      {"+!|", MergeOp::Union},
      {"-", MergeOp::Difference},
      {"&*\xA5", MergeOp::Intersection},
      {"^#$%/", MergeOp::Xor},
      {"x0 ", std::nullopt}};
  for (const auto& [chars, op] : groups)
    for (const char* c = chars; *c; ++c) EXPECT_EQ(MergeOpFromChar(*c), op) << "char " << int(*c);
  // Random figures of every kind against the set identities of the four operations, a point-by-
  // point check of the result, and with themselves.
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
      ExpectSound(result[k], what + " op " + static_cast<char>(ops[k]));
      failures += ::testing::Test::HasFailure();
    }
    // Snapping a crossing moves an edge by under one unit: areas agree within the perimeters,
    // exactly where both figures are axis-parallel (no crossing is off the grid).
    const bool manhattan = trial % 4 == 0 && (trial / 4) % 4 == 0;
    const double tol = manhattan ? 0 : Perimeter(a) + Perimeter(b);
    const double areaA = std::fabs(double(TwiceArea(a))) / 2;
    const double areaB = std::fabs(double(TwiceArea(b))) / 2;
    const double uni = Area(result[0]), inter = Area(result[1]);
    EXPECT_NEAR(uni, areaA + areaB - inter, tol) << what;
    EXPECT_NEAR(Area(result[2]), areaA - inter, tol) << what;
    EXPECT_NEAR(Area(result[3]), uni - inter, tol) << what;
    // With itself: the figure, or nothing.
    EXPECT_DOUBLE_EQ(Area(MergePolygons(a, a, MergeOp::Union).rings), areaA) << what;
    EXPECT_DOUBLE_EQ(Area(MergePolygons(a, a, MergeOp::Intersection).rings), areaA) << what;
    EXPECT_TRUE(MergePolygons(a, a, MergeOp::Difference).rings.empty()) << what;
    EXPECT_TRUE(MergePolygons(a, a, MergeOp::Xor).rings.empty()) << what;

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

}  // namespace
}  // namespace lav::geometry
