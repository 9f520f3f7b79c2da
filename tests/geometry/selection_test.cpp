// Picking by the nearest segment: distances as measured, ties, the pick window, layer sets.
#include "geometry/selection.h"

#include <gtest/gtest.h>

#include <cmath>

#include "db/design_builder.h"
#include "db/settings.h"

namespace lav::geometry {
namespace {

using db::Vertex;

TEST(PickWindow, SegmentDistancesTheSquareAroundThePointAndTheNearestOfferedSegment) {
  struct Case {
    const char* name;
    Vertex p, a, b;
    bool last;
    double d;
  } cases[] = {
      {"beside a vertical segment", {3, 5}, {0, 0}, {0, 10}, false, 3},
      {"beyond a vertical segment: to its start", {0, 14}, {0, 0}, {0, 10}, false, 14},
      {"beyond the last vertical segment: to the nearer end", {0, 14}, {0, 0}, {0, 10}, true, 4},
      {"above a horizontal segment", {5, -2}, {0, 0}, {10, 0}, false, 2},
      {"oblique, perpendicular foot inside", {0, 10}, {0, 0}, {10, 10}, false, std::sqrt(50.0)},
      {"oblique, past the end", {12, 12}, {0, 0}, {10, 10}, false, std::sqrt(8.0)},
      {"oblique, before the start", {-3, -4}, {0, 0}, {10, 10}, false, 5},
      {"on the start", {0, 0}, {0, 0}, {10, 10}, false, 0},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(SegmentDistance(c.p, c.a, c.b, c.last), c.d, 1e-9) << c.name;
  // The pick window: a square around the point; the nearest offered segment wins.
  PickState p;
  p.aperture = 10;
  PreparePick(p, 1, 2, 1000, 0.01);  // 10 pixels are 1000 units
  EXPECT_EQ(p.point.x, 1000);
  EXPECT_EQ(p.window, (std::array<std::int32_t, 4>{0, 1000, 2000, 3000}));
  EXPECT_FALSE(p.found());
  // Far outside the range: the point saturates and the square keeps its side.
  PreparePick(p, 1e12, -1e12, 1000, 0.01);
  constexpr std::int32_t kMax = 2147483647, kMin = -kMax - 1;
  EXPECT_EQ(std::pair(p.point.x, p.point.y), std::pair(kMax, kMin));
  EXPECT_EQ(p.window, (std::array<std::int32_t, 4>{kMax - 2000, kMin, kMax, kMin + 2000}));
  // Offered vertex lists: the nearest wins and ties keep the first.
  p.aperture = 30;
  PreparePick(p, -0.010, 0.0, 1000, 0.02);
  const std::vector<Vertex> a{{0, 0}, {0, 100}}, b{{0, 0}, {100, 0}}, c{{-13, -40}, {-13, 60}};
  OfferVertexList(p, a, {4, 2, 1, 100});
  OfferVertexList(p, b, {4, 2, 1, 200});  // also 10 away (to its start): the earlier stays
  EXPECT_EQ(std::tuple(p.element.typeOffset, p.best), std::tuple(100, 10));
  OfferVertexList(p, c, {5, 2, 1, 300});
  EXPECT_EQ(std::tuple(p.element.typeOffset, p.best, p.bestSegment), std::tuple(300, 3, 1));
  // The end nearer to the point comes first.
  EXPECT_EQ(std::tuple(p.nearEnd.y, p.farEnd.y), std::tuple(-40, 60));
  // Segments whose extent misses the window are never considered.
  const std::vector<Vertex> far{{5000, 0}, {6000, 0}};
  PickState q;
  PreparePick(q, 0, 0, 1000, 0.02);
  OfferVertexList(q, far, {4, 2, 1, 1});
  EXPECT_FALSE(q.found());
  // Picks in a cell: elements of every kind, type masks, deleted records and the aperture.
  db::DesignState d;
  const auto fresh = [&] {
    db::testing::NewImage(d);
    db::testing::AddCell(d, "TOP");
  };
  const auto put = [&](const std::vector<std::uint8_t>& r) { db::testing::Append(d, r); };
  const auto pickAt = [&](double x, double y, PickFilter f = {}, int aperture = 30) {
    PickState p;
    p.aperture = aperture;
    PreparePick(p, x, y, 1000, 0.02);
    PickInCell(p, d.image, d.current.entry, Settings{}, f);
    return p;
  };
  fresh();
  put(db::EncodeArea(db::ElementType::Polygon, 1, db::testing::Square(0, 0, 10000)));
  put(db::EncodeLine(2, 0, 2000, {{20000, 0}, {30000, 0}}));
  put(db::EncodeText({.layer = 3, .text = "T", .x = 40000}));
  put(db::EncodeSingle({.cellName = "X", .x = 50000}));
  struct Pick {
    double x, y;
    int type;
  } picks[] = {{10.5, 5, 4}, {25, 0.5, 5}, {25, 1.3, 5}, {40.3, 0, 2}, {50, 0.2, 1}};
  for (const auto& c : picks) {
    const auto p = pickAt(c.x, c.y);
    ASSERT_TRUE(p.found()) << c.x;
    EXPECT_EQ(p.element.type, c.type) << c.x;
    EXPECT_EQ(static_cast<int>(p.record[0]), c.type) << c.x;
  }
  EXPECT_FALSE(pickAt(70, 70).found());
  // Type masks, deleted records, shared vertices and the aperture, in a cell of their own. The
  // selection set and hidden layers are played by the typed pick test.
  fresh();
  put(db::EncodeArea(db::ElementType::Polygon, 5, db::testing::Square(0, 0, 10000)));
  EXPECT_TRUE(pickAt(0, 5).found());
  EXPECT_FALSE(pickAt(0, 5, {.elementTypeMask = 0xFFFF & ~(1 << 3)}).found());  // no polygons
  EXPECT_FALSE(pickAt(0, 5, {.onlyType = 5}).found());
  db::MarkDeleted(d.image, pickAt(0, 5).element.typeOffset);
  EXPECT_FALSE(pickAt(0, 5).found());
  // A shared vertex picks the first drawn; the aperture limits the pick.
  put(db::EncodeArea(db::ElementType::Polygon, 1, db::testing::Square(0, 0, 10000)));
  put(db::EncodeArea(db::ElementType::Polygon, 2, db::testing::Square(10000, 10000, 10000)));
  EXPECT_EQ(pickAt(10, 10).element.layer, 1);
  // One pixel at 0.02 pixels per unit is 50 units.
  EXPECT_TRUE(pickAt(10.04, 5, {}, 1).found());
  EXPECT_FALSE(pickAt(10.06, 5, {}, 1).found());
}

}  // namespace
}  // namespace lav::geometry
