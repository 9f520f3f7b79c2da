// Points of the temporary layer in every coordinate mode, and the records its
// output writes.
#include "db/temp_layer.h"

#include <gtest/gtest.h>

#include "db/design_builder.h"
#include "db/line_outline.h"

namespace lav::db {
namespace {

std::vector<UserPoint> pts(const TempLayer& t) {
  return {t.used().begin(), t.used().end()};
}

TEST(TempLayerEntry, CoordinateModesLockTheReferencePointTakingBackCleaningAndOutlines) {
  struct Case {
    int absMode, lock;
    std::int16_t type;
    std::int32_t originX, originY;  // database units
    int locked;
    std::vector<double> typed;
    std::vector<UserPoint> expected;
    const char* name;
  } cases[] = {
      {0, 0, 4, 0, 0, 0, {0, 0, 10, 0, 10, 10}, {{0, 0}, {10, 0}, {10, 10}}, "absolute"},
      {1, 0, 4, 0, 0, 0, {0, 0, 10, 0, 0, 10}, {{0, 0}, {10, 0}, {10, 10}}, "relative to last"},
      {2, 0, 4, 0, 0, 0, {5, 5, 10, 0, 0, 10}, {{5, 5}, {15, 5}, {5, 15}}, "relative to first"},
      {3, 0, 4, 2000, -1000, 0, {0, 0, 1, 1}, {{2, -1}, {3, 0}}, "relative to the origin"},
      {0, 3, 4, 0, 0, 1, {0, 0, 10, 5}, {{0, 0}, {10, 0}, {10, 5}}, "lock 3 inserts a corner"},
      {0, 2, 5, 0, 0, 1, {0, 0, 10, 3, 12, 20}, {{0, 0}, {10, 0}, {10, 20}}, "lock 2: longer"},
      {0, 1, 4, 0, 0, 1, {0, 0, 10, 3}, {{0, 0}, {10, 0}}, "lock 1 snaps a shallow line flat"},
      {0, 1, 4, 0, 0, 1, {0, 0, 10, 7}, {{0, 0}, {10, 10}}, "lock 1 snaps steep to diagonal"},
      {0, 1, 5, 0, 0, 1, {0, 0, -6, -10}, {{0, 0}, {-10, -10}}, "lock 1 diagonal down, left"},
      {0, 1, 4, 0, 0, 1, {0, 0, 7, 7}, {{0, 0}, {7, 7}}, "lock 1 leaves exact diagonals"},
      {0, 3, 3, 0, 0, 1, {0, 0, 10, 5}, {{0, 0}, {10, 5}}, "lock ignores rectangles"},
      {0, 3, 4, 0, 0, 0, {0, 0, 10, 5}, {{0, 0}, {10, 5}}, "lock off for typed arguments"},
      {0, 2, 4, 0, 0, 1, {0, 0, 10, 1, 10, 0}, {{0, 0}, {10, 0}}, "a locked repeat is dropped"}};
  for (const auto& c : cases) {
    TempLayer t;
    EntryModes m{c.absMode, c.lock, c.type, 1000};
    std::int32_t rx = c.originX, ry = c.originY;
    for (std::size_t i = 0; i + 1 < c.typed.size(); i += 2)
      AddTypedPoint(t, m, rx, ry, c.typed[i], c.typed[i + 1], c.locked != 0);
    EXPECT_EQ(pts(t), c.expected) << c.name;
  }
  // The relative modes move the reference point.
  TempLayer t;
  std::int32_t rx = 7, ry = 7;
  EntryModes last{1, 0, 4, 1000};
  StartEntryReference(t, last, rx, ry);
  EXPECT_EQ(rx, 0);
  AddTypedPoint(t, last, rx, ry, 1.5, 2, true);
  AddTypedPoint(t, last, rx, ry, 1, 1, true);
  EXPECT_EQ(std::pair(rx, ry), std::pair(2500, 3000));
  EntryModes first{2, 0, 4, 1000};
  StartEntryReference(t, first, rx, ry);
  EXPECT_EQ(std::pair(rx, ry), std::pair(1500, 2000));
  // Two hundred points at most, the corners lock 3 inserts included.
  t.clear();
  rx = ry = 0;
  EntryModes m{0, 3, 4, 1000};
  int added = 0;
  for (int i = 0; i < 150; ++i) added += AddTypedPoint(t, m, rx, ry, i, i % 2 ? i : 0, true);
  EXPECT_EQ(t.count, kTempCapacity);
  EXPECT_EQ(added, kTempCapacity);
  EXPECT_EQ(AddTypedPoint(t, m, rx, ry, 1000, 1000, false), 0);
  // Points taken back from either end.
  struct Back {
    int n;
    std::vector<UserPoint> left;
  } backs[] = {{1, {{1, 0}, {2, 0}}}, {2, {{1, 0}}}, {-1, {{2, 0}, {3, 0}}}, {9, {}}, {-9, {}}};
  for (const auto& c : backs) {
    t.assign(std::vector<UserPoint>{{1, 0}, {2, 0}, {3, 0}});
    TakeBackPoints(t, c.n);
    EXPECT_EQ(pts(t), c.left) << c.n;
  }
  // The points are cleaned by element type.
  using V = std::vector<Vertex>;
  const V square{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
  constexpr auto P = ElementType::Polygon, L = ElementType::Line;
  struct Clean {
    ElementType type;
    V in, out;
    const char* name;
  } cleans[] = {
      {P, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, square, "closed"},
      {P, {{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}, square, "collinear point"},
      {P, {{5, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, square, "start on an edge"},
      {P, {{0, 0}, {0, 0}, {10, 0}, {10, 10}, {10, 10}, {0, 10}}, square, "duplicates"},
      {L, {{0, 0}, {10, 0}, {5, 0}}, {{0, 0}, {5, 0}}, "line straight back"},
      {L, {{0, 0}, {0, 5}, {0, 9}, {3, 9}}, {{0, 0}, {0, 9}, {3, 9}}, "line vertical run"},
      {L, {{0, 0}, {10, 0}, {10, 10}}, {{0, 0}, {10, 0}, {10, 10}}, "line stays open"},
      {ElementType::SCell, {{1, 1}, {2, 2}, {1, 1}, {2, 2}}, {{1, 1}, {2, 2}}, "placements once"},
      {ElementType::Text, {{3, 3}, {1, 1}, {3, 3}}, {{3, 3}, {1, 1}}, "texts keep order"}};
  for (const auto& c : cleans) {
    V v = c.in;
    NormalizePoints(v, c.type);
    EXPECT_EQ(v, c.out) << c.name;
  }
  // A wide line's outline (what EXPLODE leaves in the layer): square and extended ends.
  const std::vector<Vertex> line{{0, 0}, {100, 0}};
  EXPECT_EQ(BuildPathOutline(line, 20, 0, 1),
            (std::vector<Vertex>{{0, -10}, {100, -10}, {100, 10}, {0, 10}, {0, -10}}));
  auto ext = BuildPathOutline(line, 20, 1, 1);
  EXPECT_EQ(ext[0].x, -10);
  EXPECT_EQ(ext[1].x, 110);
  // A right-angle turn is mitred: one point on each side.
  auto corner = BuildPathOutline(std::vector<Vertex>{{0, 0}, {100, 0}, {100, 100}}, 20, 0, 1);
  ASSERT_EQ(corner.size(), 7u);
  EXPECT_EQ(corner[1], (Vertex{110, -10}));
  EXPECT_EQ(corner[4], (Vertex{90, 10}));
  // A sharp turn gets its outer corner cut: two points there.
  auto sharp = BuildPathOutline(std::vector<Vertex>{{0, 0}, {100, 0}, {0, 10}}, 20, 0, 1);
  EXPECT_EQ(sharp.size(), 8u);
  auto mitred = BuildPathOutline(std::vector<Vertex>{{0, 0}, {100, 0}, {0, 10}}, 20, 0, 0);
  EXPECT_EQ(mitred.size(), 7u);
}

// --- output ---

using Box = std::array<std::int32_t, 4>;
Box extentOf(const CellEntry& e) {
  return {e.xmin, e.ymin, e.xmax, e.ymax};
}

// The records of the current cell, as stored.
std::vector<std::vector<std::uint8_t>> readBack(const DesignState& d) {
  return testing::CellRecords(d.image, ReadCellEntry(d.image, d.current.slotOffset));
}

class ElementOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::NewImage(d);
    testing::AddCell(d, "TOP");
  }
  OutputResult out(std::vector<UserPoint> p) {
    t.assign(p);
    return OutputTempLayer(d, t, s, clock, {});
  }
  DesignState d;
  TempLayer t;
  ElementSettings s;
  LocalTime clock{2026, 12, 6, 10, 0, 0};
};

// Every kind writes its records on the layer set; degenerate input writes nothing. The typed
// tests check the stored vertices, and a polygon closed on output.
TEST_F(ElementOutput, EveryElementKindWideLongLinesCutTextsAndThePlacementsExtent) {
  struct Case {
    const char* name;
    std::int16_t type;
    std::vector<UserPoint> points;
    std::size_t records, bytes;  // written, and the bytes of the first
    const char *text = "ABC", *cell = "SUB";
  } cases[] = {{"rectangle", 3, {{0, 0}, {2, 3}}, 1, 46},
               {"line", 5, {{0, 0}, {2, 0}, {2, 2}}, 1, 12 + 24},
               {"text per point", 2, {{0, 0}, {1, 1}}, 2, 30 + 3},
               {"single placements once per place", 1, {{0, 0}, {1, 1}, {0, 0}}, 2, 52},
               {"array", 0, {{5, 5}}, 1, 68},
               {"polygon of two points", 4, {{0, 0}, {1, 1}}, 0, 0},
               {"flat polygon", 4, {{0, 0}, {1, 0}, {2, 0}}, 0, 0},
               {"line of one point", 5, {{1, 1}}, 0, 0},
               {"rectangle of one corner", 3, {{1, 1}}, 0, 0},
               {"text without text", 2, {{1, 1}}, 0, 0, ""},
               {"placement without a name", 1, {{1, 1}}, 0, 0, "T", ""}};
  for (const auto& c : cases) {
    SetUp();
    s = {};
    s.elementType = c.type;
    s.text = c.text;
    s.cellName = c.cell;
    s.width = 100;
    s.layer = 7;
    EXPECT_EQ(out(c.points).status, c.records ? OutputStatus::Written : OutputStatus::Nothing)
        << c.name;
    const auto w = readBack(d);
    ASSERT_EQ(w.size(), c.records) << c.name;
    if (c.records == 0) continue;
    EXPECT_EQ(w[0].size(), c.bytes) << c.name;
    EXPECT_EQ(RecordType(w[0]), c.type) << c.name;
    EXPECT_EQ(RecordLayer(w[0]).value_or(7), 7) << c.name;  // placements have none
  }
  // Without a cell. Output without a design is refused before it gets here, so this refusal is
  // only reached here; the texts MERGE, JOIN and lettering show for each refusal.
  ClearCurrent(d);
  EXPECT_EQ(out({{0, 0}, {1, 0}, {1, 1}}).status, OutputStatus::NoDestination);
  EXPECT_EQ(t.count, 3);
  EXPECT_STREQ(OutputMessage(OutputStatus::NoDestination),
               "ファイル又はセルは開かれていません。出力先がわかりません。");
  EXPECT_STREQ(OutputMessage(OutputStatus::TooManyPoints), "座標値の数が多すぎます。");
  EXPECT_STREQ(OutputMessage(OutputStatus::OutOfImage), "メモリーが不足しました");
  // A wide long line is split at the middle; without a width it is one record (the line rows).
  SetUp();
  s = {};
  s.elementType = 5;
  s.width = 200;
  std::vector<UserPoint> zig;
  for (int i = 0; i < 150; ++i) zig.push_back({double(i), double(i % 2)});
  ASSERT_TRUE(out(zig).written());
  const auto w = readBack(d);
  ASSERT_EQ(w.size(), 2u);
  LineRecord first, second;
  ASSERT_TRUE(DecodeLine(w[0], first) && DecodeLine(w[1], second));
  const auto &a = first.vertices, &b = second.vertices;
  ASSERT_EQ(a.size(), 76u);
  ASSERT_EQ(b.size(), 76u);
  // The midpoint of points 74 and 75 ends the first half and starts the second.
  EXPECT_EQ(a.back(), (Vertex{74500, 500}));
  EXPECT_EQ(b.front(), a.back());
  EXPECT_EQ(b[1].x, 75000);
  EXPECT_EQ(a[74].x, 74000);
  // Texts and names are cut to their byte limits, never splitting a two-byte character.
  SetUp();
  s = {};
  const std::string te = "\x83\x65";  // テ, across each limit: left out whole
  const std::string name = std::string(31, 'N') + te;
  s.elementType = 2;
  s.text = std::string(511, 'T') + te;
  ASSERT_TRUE(out({{0, 0}}).written());
  s.cellName = name;
  for (const std::int16_t type : {1, 0}) {
    s.elementType = type;
    ASSERT_TRUE(out({{0, 0}}).written());
  }
  const auto cut = readBack(d);
  ASSERT_EQ(cut.size(), 3u);
  TextRecord text;
  Placement single, array;
  ASSERT_TRUE(DecodeText(cut[0], text) && DecodePlacement(cut[1], single) &&
              DecodePlacement(cut[2], array));
  EXPECT_EQ(text.text, std::string(511, 'T'));
  for (const Placement* p : {&single, &array}) EXPECT_EQ(p->cellName, std::string(31, 'N'));
  testing::AddCell(d, name);
  EXPECT_EQ(d.current.entry.nameText(), std::string(31, 'N'));
  // A placement's extent covers the array.
  // SUB spans (0,0)-(1000,1000), placed in TOP.
  SetUp();
  s = {};
  const auto placeSub = [&] {
    testing::AddCell(d, "SUB");
    s.elementType = 4;
    ASSERT_TRUE(out({{0, 0}, {1, 0}, {1, 1}, {0, 1}}).written());
    MakeCurrent(d, FindCell(d.image, "TOP").slotOffset);
  };
  placeSub();
  // A 3 x 2 array of it with pitches 2000 and 3000.
  s.elementType = 0;
  s.cellName = "SUB";
  s.columns = 3;
  s.rows = 2;
  s.pitchX = 2000;
  s.pitchY = 3000;
  ASSERT_TRUE(out({{10, 10}}).written());
  EXPECT_EQ(extentOf(ReadCellEntry(d.image, d.current.slotOffset)),
            (Box{10000, 10000, 15000, 14000}));
  // Mirrored and turned a quarter: x' = -y, y' = x of the mirrored cell.
  SetUp();
  placeSub();
  s.elementType = 1;
  s.reflection = 1;
  s.angle = 90000000;
  ASSERT_TRUE(out({{0, 0}}).written());
  EXPECT_EQ(extentOf(ReadCellEntry(d.image, d.current.slotOffset)), (Box{0, 0, 1000, 1000}));
}

}  // namespace
}  // namespace lav::db
