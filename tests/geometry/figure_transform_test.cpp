#include "geometry/figure_transform.h"

#include <gtest/gtest.h>

#include <string>

#include "support/short_forms.h"

namespace lav::geometry {
namespace {

using db::UserPoint;
using Points = std::vector<UserPoint>;

Points P(std::string_view text) {
  return testing::PointsOf<UserPoint>(text);
}
UserPoint Pt(std::string_view text) {
  return P(text).at(0);
}

const Points kSquare = P("0,0 10,0 10,10 0,10 0,0");
constexpr std::int32_t kOne = 1000000;  // magnification 1.0

Figure Fig(std::string_view p, int type, std::int32_t angle = 0, std::int32_t reflection = 0,
           std::int32_t magnification = kOne, std::int32_t pitchX = 0, std::int32_t pitchY = 0,
           std::int32_t width = 0) {
  return Figure{P(p), type, angle, reflection, magnification, pitchX, pitchY, width};
}
Figure Polygon(Points p) {
  return Figure{std::move(p), 4, 0, 0, kOne, 0, 0, 0};
}
Figure Polygon(std::string_view p) {
  return Polygon(P(p));
}

std::string Show(const Points& p) {
  std::string s;
  for (const UserPoint& q : p) s += "(" + std::to_string(q.x) + "," + std::to_string(q.y) + ")";
  return s;
}

// The points match within tol, one by one.
void ExpectNear(const Points& got, const Points& want, double tol, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what << " " << Show(got);
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].x, want[i].x, tol) << what << " " << Show(got);
    EXPECT_NEAR(got[i].y, want[i].y, tol) << what << " " << Show(got);
  }
}

// The typed transform test mirrors about the x axis, turns by 90 and grows a square.
TEST(FigureTransforms, MirrorTurnMagnifyOversizeAndMoveEdge) {
  struct Case {
    const char* name;
    Figure in;
    const char *p, *q, *points;
    std::int32_t angle, reflection;
  } cases[] = {
      {"about x = 5", Polygon("1,2 5,3"), "5,0", "5,1", "9,2 5,3", 0, 0},
      {"about y = x", Polygon("3,1 0,2"), "0,0", "1,1", "1,3 2,0", 0, 0},
      {"placement at 30 degrees about y = x", Fig("2,0", 1, 30000000), "0,0", "2,2", "0,2",
       60000000, 1},
      {"text about the y axis", Fig("2,1", 2, 10000000, 1), "0,0", "0,1", "-2,1", 170000000, 0},
      // Twice the axis angle minus the old angle is negative here: kept in 0..360 degrees.
      {"negative result angle", Fig("1,0", 1, 90000000), "0,0", "1,0", "1,0", 270000000, 1},
      {"snapped to the grid", Polygon("0.0004,1"), "0,0", "0,1", "0,1", 0, 0},
  };
  for (Case& c : cases) {
    Figure f = c.in;
    ASSERT_TRUE(MirrorFigure(f, Pt(c.p), Pt(c.q), 1000)) << c.name;
    ExpectNear(f.points, P(c.points), 1e-9, c.name);
    EXPECT_EQ(f.angle, c.angle) << c.name;
    EXPECT_EQ(f.reflection, c.reflection) << c.name;
  }
  // Twice gives back the figure; degenerate axes do nothing.
  Figure f = Polygon("1.234,5.678 -3.5,2 7,-1.25 1.234,5.678");
  const Points before = f.points;
  ASSERT_TRUE(MirrorFigure(f, {0.5, 0.25}, {3, 4.5}, 1000));
  EXPECT_NE(f.points, before);
  ASSERT_TRUE(MirrorFigure(f, {0.5, 0.25}, {3, 4.5}, 1000));
  ExpectNear(f.points, before, 0.0011, "twice");
  Figure g = Polygon(kSquare);
  EXPECT_FALSE(MirrorFigure(g, {1, 1}, {1, 1}, 1000));
  EXPECT_EQ(g.points, kSquare);
  Figure empty;
  EXPECT_FALSE(MirrorFigure(empty, {0, 0}, {1, 0}, 1000));
  // Turned and magnified exactly in database units.
  struct Turn {
    const char* name;
    Figure in;
    bool rotate;
    double value;
    const char *fixed, *points;
    std::int32_t angle, magnification, pitchX = 0, pitchY = 0;
    bool changed = true;
  } turns[] = {
      {"square by 45 about the origin", Polygon(kSquare), true, 45, "0,0",
       "0,0 7.071,7.071 0,14.142 -7.071,7.071 0,0", 0, kOne},
      {"by -90 is by 270", Polygon("1,0 2,0 2,3"), true, -90, "0,0", "0,-1 0,-2 3,-2", 0, kOne},
      {"placement angle wraps", Fig("1,0", 1, 300000000), true, 90, "0,0", "0,1", 30000000, kOne},
      {"negative turn of a text", Fig("1,0", 2, 10000000), true, -30, "0,0", "0.866,-0.5",
       340000000, kOne},
      {"many turns", Fig("1,0", 1, 0), true, 3600 + 90, "0,0", "0,1", 90000000, kOne},
      {"array by 2", Fig("1,1", 0, 0, 0, 2000000, 300, -400), false, 2, "0,0", "2,2", 0, 4000000,
       600, -800},
      {"polygon by 2.5 about a corner", Polygon(kSquare), false, 2.5, "10,10",
       "-15,-15 10,-15 10,10 -15,10 -15,-15", 0, kOne},
      {"placement by -2 turns half round", Fig("1,0", 1, 10000000), false, -2, "0,0", "-2,0",
       190000000, 2000000},
      // Cleaned by the figure's own rule: placements in a row keep all their points.
      {"placements in a row", Fig("0,0 1,0 2,0 1,0", 1), true, 90, "0,0", "0,0 0,1 0,2", 90000000,
       kOne},
      {"a line loses its straight-run point", Fig("0,0 1,0 2,0 2,0 2,5", 5), true, 180, "0,0",
       "0,0 -2,0 -2,-5", 0, kOne},
      // Nothing to do: nothing changes.
      {"rotate by 0", Fig("1,1", 1, 5), true, 0, "0,0", "1,1", 5, kOne, 0, 0, false},
      {"magnify by 1", Fig("1,1", 1, 5), false, 1, "0,0", "1,1", 5, kOne, 0, 0, false},
      {"magnify by 0", Fig("1,1", 1, 5), false, 0, "0,0", "1,1", 5, kOne, 0, 0, false},
      {"rotate empty", Figure{}, true, 45, "0,0", "", 0, kOne, 0, 0, false},
      {"magnify empty", Figure{}, false, 2, "0,0", "", 0, kOne, 0, 0, false},
  };
  for (Turn& c : turns) {
    Figure t = c.in;
    const bool changed = c.rotate ? RotateFigure(t, c.value, Pt(c.fixed), 1000)
                                  : MagnifyFigure(t, c.value, Pt(c.fixed), 1000);
    ASSERT_EQ(changed, c.changed) << c.name;
    ExpectNear(t.points, P(c.points), 1e-9, c.name);
    EXPECT_EQ(t.angle, c.angle) << c.name;
    EXPECT_EQ(t.magnification, c.magnification) << c.name;
    EXPECT_EQ(t.pitchX, c.pitchX) << c.name;
    EXPECT_EQ(t.pitchY, c.pitchY) << c.name;
  }
  // Oversized: sharp corners are cut, and the limit of points holds.
  const Points lShape = P("0,0 20,0 20,10 10,10 10,20 0,20 0,0");
  const Figure line = Fig("0,0 5,0", 5, 0, 0, kOne, 0, 0, 200);
  const auto changed = OversizeStatus::Changed, unchanged = OversizeStatus::Unchanged;
  struct Size {
    const char* name;
    Figure in;
    double distance;
    OversizeStatus status;
    const char* points;  // empty: unchanged
    std::int32_t width;
  } sizes[] = {
      {"square shrinks", Polygon(kSquare), -1, changed, "1,1 9,1 9,9 1,9 1,1", 0},
      {"clockwise square grows", Polygon(Points(kSquare.rbegin(), kSquare.rend())), 1, changed,
       "-1,-1 -1,11 11,11 11,-1 -1,-1", 0},
      {"L shape grows", Polygon(lShape), 1, changed, "-1,-1 21,-1 21,11 11,11 11,21 -1,21 -1,-1",
       0},
      {"L shape shrinks", Polygon(lShape), -1, changed, "1,1 19,1 19,9 9,9 9,19 1,19 1,1", 0},
      {"unclosed square", Polygon("0,0 10,0 10,10 0,10"), 1, changed,
       "-1,-1 11,-1 11,11 -1,11 -1,-1", 0},
      {"line widens", line, 0.1, changed, "", 400},
      {"line narrows past zero", line, -0.2, changed, "", 200},
      {"rectangle is not oversized", Fig("0,0 5,5", 3), 1, unchanged, "", 0},
      {"distance 0", Polygon(kSquare), 0, unchanged, "", 0},
      {"two-point polygon", Polygon("0,0 1,1"), 1, unchanged, "", 0},
  };
  for (Size& c : sizes) {
    Figure f = c.in;
    EXPECT_EQ(OversizeFigure(f, c.distance, 1000, 1), c.status) << c.name;
    EXPECT_EQ(f.points, *c.points ? P(c.points) : c.in.points) << c.name << " " << Show(f.points);
    EXPECT_EQ(f.width, c.width) << c.name;
  }
  // A thin triangle: the tip and the corner above the start turn by more than a right angle and
  // get two points each when cut.
  Figure cut = Polygon("0,0 20,0 0,2 0,0"), mitred = cut;
  ASSERT_EQ(OversizeFigure(cut, 1, 1000, 1), OversizeStatus::Changed);
  ASSERT_EQ(OversizeFigure(mitred, 1, 1000, 0), OversizeStatus::Changed);
  EXPECT_EQ(cut.points.size(), mitred.points.size() + 2);
  double cutMax = 0, mitreMax = 0;
  for (const UserPoint& p : cut.points) cutMax = std::max(cutMax, p.x);
  for (const UserPoint& p : mitred.points) mitreMax = std::max(mitreMax, p.x);
  EXPECT_NEAR(cutMax, 21, 0.1);  // cut at about the offset distance beyond the tip
  EXPECT_GT(mitreMax, 30);       // the mitre reaches far out

  // 199 sharp teeth cut on both sides would need more than 200 points.
  Points saw;
  for (int i = 0; i < 66; ++i) saw.insert(saw.end(), {{i * 2.0, 0}, {i * 2.0 + 1, 30}});
  saw.insert(saw.end(), {{132, -5}, {0, -5}, {0, 0}});
  Figure teeth = Polygon(saw);
  EXPECT_EQ(OversizeFigure(teeth, 0.2, 1000, 1), OversizeStatus::TooManyPoints);
  EXPECT_EQ(teeth.points, saw);
  // Edges slide along their neighbours (the typed edge move moves the top edge of a square).
  struct Edge {
    const char* name;
    Figure in;
    int segment;
    const char *through, *points;
  } edges[] = {
      {"first edge keeps the polygon closed", Polygon(kSquare), 1, "4,-3",
       "0,-3 10,-3 10,10 0,10 0,-3"},
      {"closing edge", Polygon(kSquare), 4, "-2,5", "-2,0 10,0 10,10 -2,10 -2,0"},
      {"vertical edge with slanted neighbours", Polygon("0,0 10,2 10,8 0,10 0,0"), 2, "15,0",
       "0,0 15,3 15,7 0,10 0,0"},
      {"slanted edge between axis edges", Polygon("0,0 10,0 10,5 5,10 0,10 0,0"), 3, "10,10",
       "0,0 10,0 10,10 10,10 0,10 0,0"},
      {"middle of a line", Fig("0,0 10,0 10,10 20,10", 5), 2, "14,0", "0,0 14,0 14,10 20,10"},
      {"last segment of a line: free end projected", Fig("0,0 10,0 20,10", 5), 2, "10,10",
       "0,0 0,0 15,15"},
      {"two-point line", Fig("0,0 10,0", 5), 1, "3,4", "0,4 10,4"},
      {"a line is never closed", Fig("0,0 10,0 10,10 0,0", 5), 1, "0,-2", "0,-2 10,-2 10,10 0,0"},
  };
  for (Edge& c : edges) {
    Figure e = c.in;
    ASSERT_TRUE(MoveEdge(e, c.segment, Pt(c.through), 1000)) << c.name;
    EXPECT_EQ(e.points, P(c.points)) << c.name << " " << Show(e.points);
  }
  Figure square = Polygon(kSquare);
  EXPECT_FALSE(MoveEdge(square, 0, {1, 1}, 1000));
  EXPECT_FALSE(MoveEdge(square, 5, {1, 1}, 1000));
}

}  // namespace
}  // namespace lav::geometry
