#include "geometry/arc_polygon.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lav::geometry {
namespace {

using db::UserPoint;

double Dist(UserPoint a, UserPoint b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

bool OnGrid(UserPoint p, double unit) {
  return std::fabs(p.x * unit - std::round(p.x * unit)) < 1e-6 &&
         std::fabs(p.y * unit - std::round(p.y * unit)) < 1e-6;
}

// Signed area of the point list taken as a closed polygon: positive when counter-clockwise.
double SignedArea(const std::vector<UserPoint>& p) {
  double s = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const UserPoint &a = p[i], &b = p[(i + 1) % p.size()];
    s += a.x * b.y - b.x * a.y;
  }
  return s / 2;
}

// A full circle of 32 segments is the typed arc test.
TEST(GenerateArc, CirclesTangentSegmentsEllipsesTheStartPointAndAFullLayer) {
  struct Case {
    const char* name;
    ArcSettings settings;
    ArcInput in;
    std::size_t points;  // vertices appended to an empty layer
    UserPoint last;      // the final vertex
    double radius;       // every vertex but the first and last at this distance (0: skip)
    int orientation;     // +1 counter-clockwise, -1 clockwise (as a closed outline), 0 skip
  } cases[] = {
      {"quarter arc", {0, 0, 32, 0}, {{10, 0}, {0, 0}, {0, 10}}, 9, {0, 10}, 10, 0},
      {"clockwise three quarters", {0, 1, 32, 0}, {{10, 0}, {0, 0}, {0, 10}}, 25, {0, 10}, 10, 0},
      {"clockwise circle", {0, 1, 32, 0}, {{10, 0}, {0, 0}, {10, 0}}, 33, {10, 0}, 10, -1},
      {"automatic count", {0, 0, 0, 0}, {{10, 0}, {0, 0}, {10, 0}}, 21, {10, 0}, 10, 1},
      {"capped at 96", {0, 0, 0, 0}, {{1000, 0}, {0, 0}, {1000, 0}}, 97, {1000, 0}, 1000, 1},
      {"tiny radius", {0, 0, 0, 0}, {{0.05, 0}, {0, 0}, {0, 0.05}}, 2, {0, 0.05}, 0, 0},
      {"offset centre", {0, 0, 8, 0}, {{15, 5}, {5, 5}, {5, 15}}, 3, {5, 15}, 10, 0},
      {"end on other radius", {0, 0, 32, 0}, {{10, 0}, {0, 0}, {0, 20}}, 9, {0, 10}, 10, 0},
  };
  for (const Case& c : cases) {
    std::vector<UserPoint> pts;
    ASSERT_EQ(GenerateArc(c.settings, c.in, 4, 1000, pts), ArcStatus::Done) << c.name;
    ASSERT_EQ(pts.size(), c.points) << c.name;
    EXPECT_EQ(pts.front(), c.in.start) << c.name;
    EXPECT_NEAR(pts.back().x, c.last.x, 1e-9) << c.name;
    EXPECT_NEAR(pts.back().y, c.last.y, 1e-9) << c.name;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      EXPECT_TRUE(OnGrid(pts[i], 1000)) << c.name << " vertex " << i;
      if (c.radius > 0 && i > 0 && i + 1 < pts.size()) {
        EXPECT_NEAR(Dist(pts[i], c.in.centre), c.radius, 0.001) << c.name << " vertex " << i;
      }
      EXPECT_TRUE(i == 0 || !(pts[i] == pts[i - 1])) << c.name << " repeated vertex " << i;
    }
    EXPECT_TRUE(c.orientation == 0 || SignedArea(pts) * c.orientation > 0) << c.name;
  }
  // Placed around the curve, the segments are tangents outside the circle.
  std::vector<UserPoint> pts;
  ASSERT_EQ(GenerateArc({0, 0, 32, 1}, {{10, 0}, {0, 0}, {10, 0}}, 4, 1000, pts), ArcStatus::Done);
  const double step = 2 * M_PI / 32;
  const double R = 10 / std::cos(step / 2);
  // The inner vertices sit half a step shifted at R; every chord midpoint touches the circle.
  for (std::size_t i = 1; i + 1 < pts.size(); ++i) {
    EXPECT_NEAR(Dist(pts[i], {0, 0}), R, 0.001) << i;
    EXPECT_NEAR(std::atan2(pts[i].y, pts[i].x), std::remainder((double(i) - 0.5) * step, 2 * M_PI),
                1e-3)
        << i;
  }
  for (std::size_t i = 1; i + 2 < pts.size(); ++i) {
    UserPoint mid{(pts[i].x + pts[i + 1].x) / 2, (pts[i].y + pts[i + 1].y) / 2};
    EXPECT_NEAR(Dist(mid, {0, 0}), 10, 0.002) << i;
  }
  // Ellipses through the end point.
  struct Ellipse {
    const char* name;
    ArcSettings settings;
    ArcInput in;
    double a, b;      // semi-axes along x and y
    double fraction;  // of the whole ellipse swept
    UserPoint last;
    double areaTolerance = 0.03;  // chords turn evenly, so flat sides get few of them
  } ellipses[] = {
      {"quarter, ccw", {1, 0, 32, 0}, {{20, 0}, {0, 0}, {0, 10}}, 20, 10, 0.25, {0, 10}},
      {"three quarters, cw", {1, 1, 32, 0}, {{20, 0}, {0, 0}, {0, 10}}, 20, 10, 0.75, {0, 10}},
      {"tall quarter", {1, 0, 16, 0}, {{10, 0}, {0, 0}, {0, 30}}, 10, 30, 0.25, {0, 30}, 0.15},
      {"automatic count", {1, 0, 0, 0}, {{40, 0}, {0, 0}, {0, 25}}, 40, 25, 0.25, {0, 25}},
      // The end on the first axis: a whole ellipse with the end's distance as second semi-axis.
      {"whole ellipse", {1, 0, 32, 0}, {{20, 0}, {0, 0}, {10, 0}}, 20, 10, 1.0, {20, 0}},
      {"whole, clockwise", {1, 1, 32, 0}, {{20, 0}, {0, 0}, {10, 0}}, 20, 10, 1.0, {20, 0}},
      // Many segments: short chords all the way, none running back to the start.
      {"400 segments", {1, 0, 400, 0}, {{20, 0}, {0, 0}, {0, 10}}, 20, 10, 0.25, {0, 10}, 0.002},
      {"a huge count", {1, 0, 100000, 0}, {{20, 0}, {0, 0}, {0, 10}}, 20, 10, 0.25, {0, 10}, 0.002},
  };
  for (const Ellipse& c : ellipses) {
    std::vector<UserPoint> pts;
    ASSERT_EQ(GenerateArc(c.settings, c.in, 4, 1000, pts), ArcStatus::Done) << c.name;
    ASSERT_GE(pts.size(), 5u) << c.name;
    EXPECT_EQ(pts.front(), c.in.start) << c.name;
    EXPECT_NEAR(Dist(pts.back(), c.last), 0, 0.002) << c.name;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      const double e = std::hypot(pts[i].x / c.a, pts[i].y / c.b);
      EXPECT_NEAR(e, 1.0, 0.002) << c.name << " vertex " << i;
      EXPECT_TRUE(i == 0 || !(pts[i] == pts[i - 1])) << c.name << " repeated vertex " << i;
    }
    // The swept sector, closed through the centre, covers its share of the ellipse.
    std::vector<UserPoint> sector = pts;
    sector.push_back(c.in.centre);
    const double want = c.fraction * M_PI * c.a * c.b;
    EXPECT_NEAR(std::fabs(SignedArea(sector)), want, c.areaTolerance * want) << c.name;
    EXPECT_EQ(SignedArea(sector) > 0, c.settings.clockwise == 0) << c.name;
  }
  // The start point joins the figure before it: polygons and lines do not repeat it.
  struct Start {
    int type;
    std::size_t added;
  } starts[] = {{4, 8}, {5, 8}, {1, 9}, {2, 9}};
  for (const Start& c : starts) {
    std::vector<UserPoint> layer{{10, 0}};
    ASSERT_EQ(GenerateArc({0, 0, 32, 0}, {{10, 0}, {0, 0}, {0, 10}}, c.type, 1000, layer),
              ArcStatus::Done);
    EXPECT_EQ(layer.size() - 1, c.added) << "type " << c.type;
  }
  // A full layer stops the circle and keeps what it appended. (The zero radii are refused in the
  // typed arc test.)
  std::vector<UserPoint> full(190, UserPoint{-50, -50});
  EXPECT_EQ(GenerateArc({0, 0, 32, 0}, {{10, 0}, {0, 0}, {10, 0}}, 4, 1000, full),
            ArcStatus::LayerFull);
  EXPECT_EQ(full.size(), 200u);
  EXPECT_EQ(full[190], (UserPoint{10, 0}));
}

}  // namespace
}  // namespace lav::geometry
