// DXF input: each entity kind into the specified elements, the layer mapping, names, the log, and
// the faults of bad files (a message, never a crash or a half-made design).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/typing_session.h"
#include "dxf_test_support.h"
#include "interchange/dxf_input.h"

namespace lav::interchange {
namespace {

using testing::CellElements;
using testing::CellNames;
using testing::El;
using testing::EntitiesFile;
using testing::G;
using testing::Groups;
using testing::TextOf;
using V = std::vector<db::Vertex>;

// Points from their coordinates: P(x0, y0, x1, y1, ...).
template <typename... I>
V P(I... xy) {
  const int c[] = {xy...};
  V v;
  for (std::size_t i = 0; i + 1 < sizeof...(xy); i += 2) v.push_back({c[i], c[i + 1]});
  return v;
}

std::string show(const V& v) {
  std::string s;
  for (const auto& p : v) s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
  return s;
}

class DxfInput : public lav::testing::TypingSession {
 protected:
  // Reads text as in.dxf (closing a design left by the previous case) and returns the cell's
  // elements.
  std::vector<El> load(const std::string& text, const std::string& cell = "ENTITIES") {
    if (app.design.isOpen()) type("close 0");
    std::filesystem::remove(dir / "in.cad");
    std::filesystem::remove(dir / "in.txt");
    write("in.dxf", text);
    type("dxfin in.dxf");
    if (!app.design.isOpen()) return {};
    return CellElements(app.design.image, cell);
  }
};

TEST_F(DxfInput, EntityKindsBecomeElements) {
  struct Case {
    const char* what;
    std::string body;
    int type;  // of the single element expected
    int layer;
    int width;
    V pts;  // empty: not compared
  } cases[] = {
      {"two connected LINEs make one line",
       "0 LINE 8 3 10 0 20 0 11 10 21 0 0 LINE 8 3 10 10 20 0 11 10 21 10", 5, 3, 0,
       P(0, 0, 10000, 0, 10000, 10000)},
      {"a closed chain of LINEs is a polygon",
       "0 LINE 8 1 10 0 20 0 11 1 21 0 0 LINE 8 1 10 1 20 0 11 1 21 1 0 LINE 8 1 10 1 20 1 11 0 21 "
       "0",
       4, 1, 0, P(0, 0, 1000, 0, 1000, 1000, 0, 0)},
      {"SOLID corners in zigzag order", "0 SOLID 8 2 10 0 20 0 11 4 21 0 12 0 22 3 13 4 23 3", 4, 2,
       0, P(0, 0, 4000, 0, 4000, 3000, 0, 3000, 0, 0)},
      {"POLYLINE with a width",
       "0 POLYLINE 8 6 66 1 40 2 41 2 0 VERTEX 8 6 10 0 20 0 0 VERTEX 8 6 10 5 20 5 0 SEQEND", 5, 6,
       2000, P(0, 0, 5000, 5000)},
      {"POLYLINE repeating its first vertex is a polygon",
       "0 POLYLINE 8 1 66 1 0 VERTEX 10 0 20 0 0 VERTEX 10 2 20 0 0 VERTEX 10 0 20 2 0 VERTEX 10 0 "
       "20 0 0 SEQEND",
       4, 1, 0, P(0, 0, 2000, 0, 0, 2000, 0, 0)},
      {"POLYLINE with the closed flag is a polygon",
       "0 POLYLINE 8 1 66 1 70 1 0 VERTEX 10 0 20 0 0 VERTEX 10 2 20 0 0 VERTEX 10 0 20 2 0 SEQEND",
       4, 1, 0, P(0, 0, 2000, 0, 0, 2000, 0, 0)},
      {"a wide closed POLYLINE stays a line",
       "0 POLYLINE 8 1 66 1 40 1 41 1 70 1 0 VERTEX 10 0 20 0 0 VERTEX 10 2 20 0 0 VERTEX 10 0 20 "
       "2 0 SEQEND",
       5, 1, 1000, P(0, 0, 2000, 0, 0, 2000, 0, 0)},
      {"a layer named by a number outside 0..63 is layer 0", "0 LINE 8 99 10 0 20 0 11 1 21 0", 5,
       0, 0, P()},
      {"a negative layer number is layer 0", "0 LINE 8 -5 10 0 20 0 11 1 21 0", 5, 0, 0, P()},
      {"numbers with blanks and signs", "0 LINE 8 7 10 +1.5 20 \t-2 11 1e1 21 0.", 5, 7, 0,
       P(1500, -2000, 10000, 0)}};
  for (const Case& c : cases) {
    const auto els = load(EntitiesFile(c.body));
    ASSERT_EQ(els.size(), 1u) << c.what;
    EXPECT_EQ(els[0].type, c.type) << c.what;
    EXPECT_EQ(els[0].layer, c.layer) << c.what;
    EXPECT_EQ(els[0].width, c.width) << c.what;
    if (!c.pts.empty()) {
      EXPECT_EQ(els[0].pts, c.pts) << c.what << " " << show(els[0].pts);
    }
  }
}

TEST_F(DxfInput, LinesThatDoNotJoinStaySeparate) {
  struct Case {
    const char* what;
    std::string body;
    std::size_t elements;
  } cases[] = {
      {"start elsewhere", "0 LINE 10 0 20 0 11 10 21 0 0 LINE 10 20 20 0 11 30 21 0", 2},
      {"another layer", "0 LINE 8 1 10 0 20 0 11 10 21 0 0 LINE 8 2 10 10 20 0 11 10 21 10", 2},
      {"a TEXT between",
       "0 LINE 10 0 20 0 11 10 21 0 0 TEXT 10 0 20 0 1 x 0 LINE 10 10 20 0 11 10 21 10", 3},
      {"an ARC continuing a LINE", "0 LINE 10 -10 20 0 11 10 21 0 0 ARC 10 0 20 0 40 10 50 0 51 90",
       1}};
  for (const Case& c : cases) EXPECT_EQ(load(EntitiesFile(c.body)).size(), c.elements) << c.what;
}

TEST_F(DxfInput, CirclesArcsAndBulgesFollowTheirCurves) {
  struct Case {
    const char* what;
    std::string body;
    int type;
    double cx, cy, r;  // every vertex lies this far from the centre (user units)
    std::size_t points;
    V ends;  // the first and the last point
  } cases[] = {
      {"CIRCLE", "0 CIRCLE 8 1 10 5 20 5 40 10", 4, 5, 5, 10, 33, P(15000, 5000, 15000, 5000)},
      {"quarter ARC", "0 ARC 8 1 10 0 20 0 40 10 50 0 51 90", 5, 0, 0, 10, 9,
       P(10000, 0, 0, 10000)},
      {"ARC across 0 degrees", "0 ARC 8 1 10 0 20 0 40 10 50 270 51 90", 5, 0, 0, 10, 17,
       P(0, -10000, 0, 10000)},
      {"bulge 1: half circle counter-clockwise",
       "0 POLYLINE 66 1 0 VERTEX 10 0 20 0 42 1 0 VERTEX 10 10 20 0 0 SEQEND", 5, 5, 0, 5, 17,
       P(0, 0, 10000, 0)},
      {"bulge -1: half circle clockwise",
       "0 POLYLINE 66 1 0 VERTEX 10 0 20 0 42 -1 0 VERTEX 10 10 20 0 0 SEQEND", 5, 5, 0, 5, 17,
       P(0, 0, 10000, 0)}};
  for (const Case& c : cases) {
    const auto els = load(EntitiesFile(c.body));
    ASSERT_EQ(els.size(), 1u) << c.what;
    const El& e = els[0];
    EXPECT_EQ(e.type, c.type) << c.what;
    EXPECT_EQ(e.pts.size(), c.points) << c.what << " " << show(e.pts);
    EXPECT_EQ(e.pts.front(), c.ends[0]) << c.what;
    EXPECT_EQ(e.pts.back(), c.ends[1]) << c.what;
    for (const auto& p : e.pts)
      EXPECT_NEAR(std::hypot(p.x / 1000.0 - c.cx, p.y / 1000.0 - c.cy), c.r, 0.002) << c.what;
  }
  // The bulge's sign decides the side the arc bulges to.
  const auto ccw =
      load(EntitiesFile("0 POLYLINE 66 1 0 VERTEX 10 0 20 0 42 1 0 VERTEX 10 10 20 0 0 SEQEND"));
  const auto cw =
      load(EntitiesFile("0 POLYLINE 66 1 0 VERTEX 10 0 20 0 42 -1 0 VERTEX 10 10 20 0 0 SEQEND"));
  ASSERT_FALSE(ccw.empty());
  ASSERT_FALSE(cw.empty());
  EXPECT_LT(ccw[0].pts[8].y, 0);
  EXPECT_GT(cw[0].pts[8].y, 0);
}

TEST_F(DxfInput, CurvesFollowTheArcSettingsOfTheSession) {
  // Command 103 with 12 segments a full circle, clockwise, placed around the curve: the
  // segments and the placement count, but a DXF arc keeps its own direction.
  type("CURVEOPT 1 1 12 1");
  const auto circle = load(EntitiesFile("0 CIRCLE 8 1 10 0 20 0 40 10"));
  ASSERT_EQ(circle.size(), 1u);
  // Twelve corners outside the circle and the closing point; the start point on the circle lies
  // on the first tangent and is dropped as a straight-on vertex.
  EXPECT_EQ(circle[0].pts.size(), 13u) << show(circle[0].pts);
  const double outer = 10 / std::cos(M_PI / 12);
  for (const auto& p : circle[0].pts)
    EXPECT_NEAR(std::hypot(p.x, p.y) / 1000.0, outer, 0.002) << show(circle[0].pts);
  const auto arc = load(EntitiesFile("0 ARC 8 1 10 0 20 0 40 10 50 0 51 90"));
  ASSERT_EQ(arc.size(), 1u);
  EXPECT_EQ(arc[0].pts.size(), 5u) << show(arc[0].pts);  // 3 segments and the end point
  for (const auto& p : arc[0].pts) {
    EXPECT_GE(p.x, 0);
    EXPECT_GE(p.y, 0);  // counter-clockwise through the first quadrant
  }
  EXPECT_EQ(arc[0].pts.back(), (db::Vertex{0, 10000}));
}

TEST_F(DxfInput, ANewDesignOpensOnTheFixedView) {
  app.display.view.window = {0, 0, 47000, 37000};
  load(EntitiesFile("0 LINE 8 1 10 0 20 0 11 90000 21 90000"));
  ASSERT_TRUE(app.design.isOpen());
  const auto& w = app.display.view.window;
  // (-1000, -1000) to (5000, 5000) user units, widened to the window's shape.
  EXPECT_NEAR((w.xmin + w.xmax) / 2.0, 2000000, 2);
  EXPECT_NEAR((w.ymin + w.ymax) / 2.0, 2000000, 2);
  EXPECT_LE(w.xmin, -1000000);
  EXPECT_LE(w.ymin, -1000000);
  EXPECT_TRUE(w.xmin == -1000000 || w.ymin == -1000000);
}

TEST_F(DxfInput, InsertsBecomePlacements) {
  struct Case {
    const char* what;
    std::string groups;
    bool kept;
    int type = 0, refl = 0;
    std::uint32_t mag = 0, angle = 0;
    int cols = 0, rows = 0, px = 0, py = 0;
  } cases[] = {
      {"plain", "2 B 10 1 20 2", true, 1, 0, 1000000, 0, 0, 0, 0, 0},
      {"x -2, y 2: 180 degrees and reflection", "2 B 10 1 20 2 41 -2 42 2", true, 1, 1, 2000000,
       180000000, 0, 0, 0, 0},
      {"x 2, y -2: reflection", "2 B 10 1 20 2 41 2 42 -2 50 90", true, 1, 1, 2000000, 90000000, 0,
       0, 0, 0},
      {"both negative: 180 degrees", "2 B 10 1 20 2 41 -3 42 -3 50 270", true, 1, 0, 3000000,
       90000000, 0, 0, 0, 0},
      {"unequal scales are dropped", "2 B 10 1 20 2 41 2 42 3", false, 0, 0, 0, 0, 0, 0, 0, 0},
      {"a single x scale other than 1 is dropped", "2 B 10 1 20 2 41 2", false, 0, 0, 0, 0, 0, 0, 0,
       0},
      {"a single negative y scale reflects", "2 B 10 1 20 2 42 -1", true, 1, 1, 1000000, 0, 0, 0, 0,
       0},
      {"a negative rotation", "2 B 10 1 20 2 50 -90", true, 1, 0, 1000000, 270000000, 0, 0, 0, 0},
      {"array", "2 B 10 1 20 2 70 3 71 2 44 10 45 -5", true, 0, 0, 1000000, 0, 3, 2, 10000, 5000},
      {"array with nonsense counts", "2 B 10 1 20 2 70 0 71 -4", true, 0, 0, 1000000, 0, 1, 1, 0,
       0}};
  for (const Case& c : cases) {
    const auto els =
        load(TextOf(Groups("0 SECTION 2 BLOCKS 0 BLOCK 8 0 2 B 70 0 10 0 20 0 0 ENDBLK 0 ENDSEC 0 "
                           "SECTION 2 ENTITIES 0 INSERT 8 0 " +
                           c.groups + " 0 ENDSEC 0 EOF")));
    if (!c.kept) {
      EXPECT_TRUE(els.empty()) << c.what;
      continue;
    }
    ASSERT_EQ(els.size(), 1u) << c.what;
    const El& e = els[0];
    EXPECT_EQ(e.type, c.type) << c.what;
    EXPECT_EQ(e.name, "B");
    EXPECT_EQ(e.pts, (V{{1000, 2000}})) << c.what;
    EXPECT_EQ(e.refl, c.refl) << c.what;
    EXPECT_EQ(e.mag, c.mag) << c.what;
    EXPECT_EQ(e.angle, c.angle) << c.what;
    if (c.type == 0) {
      EXPECT_EQ(e.cols, c.cols) << c.what;
      EXPECT_EQ(e.rows, c.rows) << c.what;
      EXPECT_EQ(e.px, c.px) << c.what;
      EXPECT_EQ(e.py, c.py) << c.what;
    }
  }
}

TEST_F(DxfInput, EveryInsertStartsWithOneColumnAndRow) {
  const auto els =
      load(EntitiesFile("0 INSERT 2 B 10 0 20 0 70 4 71 5 44 1 45 1 0 INSERT 2 B 10 9 20 9 44 2"));
  ASSERT_EQ(els.size(), 2u);
  EXPECT_EQ(els[0].cols, 4);
  EXPECT_EQ(els[1].type, 0);
  EXPECT_EQ(els[1].cols, 1);
  EXPECT_EQ(els[1].rows, 1);
  EXPECT_EQ(els[1].px, 2000);
}

TEST_F(DxfInput, TextTakesAllItsValuesWhereverTheStringIs) {
  struct Case {
    const char* what;
    std::string groups;
    std::uint32_t mag, angle;
  } cases[] = {
      {"string last", "10 1 20 2 40 2.5 50 30 1 HELLO", 2500000, 30000000},
      {"string before angle and height", "10 1 20 2 1 HELLO 50 30 40 -2.5", 2500000, 30000000},
      {"no height", "10 1 20 2 1 HELLO", 1000000, 0}};
  for (const Case& c : cases) {
    const auto els = load(EntitiesFile("0 TEXT 8 4 " + c.groups));
    ASSERT_EQ(els.size(), 1u) << c.what;
    EXPECT_EQ(els[0].text, "HELLO");
    EXPECT_EQ(els[0].layer, 4);
    EXPECT_EQ(els[0].mag, c.mag) << c.what;
    EXPECT_EQ(els[0].angle, c.angle) << c.what;
    EXPECT_EQ(els[0].pts, (V{{1000, 2000}}));
  }
}

TEST_F(DxfInput, LayerTableMapsNamesAndTheLogListsThem) {
  struct Case {
    std::vector<std::string> names;  // the layer table in file order
    std::vector<int> layers;         // the design layer of each
  } cases[] = {
      // "05" is a name; the counter stands at 4 when it comes.
      {{"A", "B", "5", "05"}, {1, 2, 5, 4}},
      // Numbers that names spell are reserved before any other name takes one: VIA does not
      // land on 5, which the layer "5" further down keeps.
      {{"0", "Defpoints", "METAL", "POLY", "VIA", "5"}, {0, 2, 3, 4, 6, 5}},
      {{"A", "1"}, {2, 1}}};
  for (const auto& c : cases) {
    std::string table = "0 SECTION 2 TABLES 0 TABLE 2 LAYER 70 4 ", body, listed;
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      const std::string x = std::to_string(10 * i);
      table += "0 LAYER 2 " + c.names[i] + " 70 0 ";
      body += "0 LINE 8 " + c.names[i] + " 10 " + x + " 20 0 11 " + x + " 21 1 ";
      char line[80];
      std::snprintf(line, sizeof line, "   %2d  -----  %s\n", c.layers[i], c.names[i].c_str());
      listed += line;
    }
    const auto els = load(TextOf(
        Groups(table + "0 ENDTAB 0 ENDSEC 0 SECTION 2 ENTITIES " + body + "0 ENDSEC 0 EOF")));
    ASSERT_EQ(els.size(), c.names.size()) << c.names[0];
    for (std::size_t i = 0; i < els.size(); ++i) EXPECT_EQ(els[i].layer, c.layers[i]) << c.names[i];
    EXPECT_FALSE(std::filesystem::exists(dir / "LAYERS$$.LIS"));
    const std::string log = sjis::toUtf8(read("in.txt"));
    EXPECT_NE(log.find("\n LAYER ----- DXF(画層)\n" + listed), std::string::npos) << log;
    EXPECT_NE(log.find("nomal end"), std::string::npos);
  }
}

TEST_F(DxfInput, MoreThanSixtyThreeLayerNamesMapTheRestToZero) {
  std::string table = "0 SECTION 2 TABLES 0 TABLE 2 LAYER ";
  for (int i = 0; i < 70; ++i) table += "0 LAYER 2 L" + std::to_string(i) + " ";
  const auto els =
      load(TextOf(Groups(table + "0 ENDTAB 0 ENDSEC 0 SECTION 2 ENTITIES 0 LINE 8 L62 10 0 20 0 11 "
                                 "1 21 0 0 LINE 8 L69 10 5 20 5 11 6 21 5 0 ENDSEC 0 EOF")));
  ASSERT_EQ(els.size(), 2u);
  EXPECT_EQ(els[0].layer, 63);
  EXPECT_EQ(els[1].layer, 0);
  EXPECT_NE(read("in.txt").find("LAYER L69 -> 0"), std::string::npos);
}

TEST_F(DxfInput, BlocksBecomeCellsWithUniqueNames) {
  const std::string a = std::string(32, 'N') + "-one", b = std::string(32, 'N') + "-two";
  const auto els =
      load(TextOf({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"},   {2, a},          {0, "LINE"},
                   {10, "0"},      {20, "0"},     {11, "1"},      {21, "0"},       {0, "ENDBLK"},
                   {0, "BLOCK"},   {3, b},        {0, "ENDBLK"},  {0, "BLOCK"},    {2, "my blk"},
                   {0, "ENDBLK"},  {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "INSERT"},
                   {2, b},         {10, "0"},     {20, "0"},      {0, "ENDSEC"},   {0, "EOF"}}));
  const auto names = CellNames(app.design.image);
  const std::string n32(32, 'N');
  const std::string renamed = n32.substr(0, 30) + "$1";
  EXPECT_EQ(names, (std::vector<std::string>{n32, renamed, "my_blk", "ENTITIES"}));
  EXPECT_EQ(CellElements(app.design.image, n32).size(), 1u);
  ASSERT_EQ(els.size(), 1u);
  EXPECT_EQ(els[0].name, renamed);  // the insert finds the block it named
  EXPECT_NE(read("in.txt").find("-> " + renamed), std::string::npos);
}

TEST_F(DxfInput, LongPolylinesAreSplitNeverOverflowingTheLayer) {
  std::string body = "0 POLYLINE 8 2 66 1 40 1 41 1 ";
  for (int i = 0; i < 450; ++i)
    body += "0 VERTEX 10 " + std::to_string(i) + " 20 " + std::to_string(i % 2) + " ";
  const auto els = load(EntitiesFile(body + "0 SEQEND"));
  ASSERT_GE(els.size(), 3u);
  std::size_t total = 0;
  for (std::size_t i = 0; i < els.size(); ++i) {
    EXPECT_LE(els[i].pts.size(), 200u);
    EXPECT_EQ(els[i].type, 5);
    if (i > 0) {
      EXPECT_EQ(els[i].pts.front(), els[i - 1].pts.back());  // pieces join
    }
    total += els[i].pts.size();
  }
  EXPECT_EQ(els.front().pts.front(), (db::Vertex{0, 0}));
  EXPECT_EQ(els.back().pts.back(), (db::Vertex{449000, 1000}));
  EXPECT_NE(read("in.txt").find("POLYLINE > 200"), std::string::npos);
}

TEST_F(DxfInput, OddStructuresAreReadAndNamedInTheLog) {
  struct Case {
    const char* what;
    std::string text;
    std::size_t elements;
    const char* logged;
  } cases[] = {
      {"POLYLINE without SEQEND",
       EntitiesFile(
           "0 POLYLINE 66 1 0 VERTEX 10 0 20 0 0 VERTEX 10 1 20 1 0 LINE 10 5 20 5 11 6 21 6"),
       2, "without SEQEND"},
      {"POLYLINE cut by the end of the section",
       EntitiesFile("0 POLYLINE 66 1 0 VERTEX 10 0 20 0 0 VERTEX 10 1 20 1"), 1, "without SEQEND"},
      {"a coordinate no design can hold",
       EntitiesFile("0 LINE 10 1e300 20 0 11 1 21 1 0 LINE 10 5 20 5 11 6 21 6"), 1,
       "out of range (line 5)"},
      {"INSERT of an undefined block", EntitiesFile("0 INSERT 2 NOWHERE 10 0 20 0"), 1,
       "undefined block NOWHERE"},
      {"blocks placing each other",
       TextOf(Groups(
           "0 SECTION 2 BLOCKS 0 BLOCK 2 P 0 INSERT 2 Q 10 0 20 0 0 ENDBLK 0 BLOCK 2 Q 0 INSERT 2 "
           "P 10 "
           "0 20 0 0 ENDBLK 0 ENDSEC 0 SECTION 2 ENTITIES 0 INSERT 2 P 10 0 20 0 0 ENDSEC 0 EOF")),
       1, "cycle"},
      {"a block placing itself",
       TextOf(Groups(
           "0 SECTION 2 BLOCKS 0 BLOCK 2 S 0 INSERT 2 S 10 0 20 0 0 ENDBLK 0 ENDSEC 0 SECTION 2 "
           "ENTITIES 0 INSERT 2 S 10 0 20 0 0 ENDSEC 0 EOF")),
       1, "S -> S"},
      {"unknown entities and codes are skipped",
       EntitiesFile("0 POINT 10 x 20 y 0 3DFACE 999 comment 0 LINE 5 A1 100 AcDbLine 10 0 20 0 11 "
                    "1 21 1 1001 APP"),
       1, "nomal end"},
      {"CRLF line ends",
       [] {
         std::string t = EntitiesFile("0 LINE 10 0 20 0 11 1 21 1");
         std::string r;
         for (char c : t) r += c == '\n' ? std::string("\r\n") : std::string(1, c);
         return r;
       }(),
       1, "nomal end"}};
  for (const Case& c : cases) {
    const auto els = load(c.text);
    EXPECT_EQ(els.size(), c.elements) << c.what;
    EXPECT_TRUE(takeBoxes().empty()) << c.what;
    EXPECT_NE(read("in.txt").find(c.logged), std::string::npos) << c.what << "\n" << read("in.txt");
  }
}

TEST_F(DxfInput, BadFilesGiveAMessage) {
  struct Case {
    const char* what;
    std::string text;
    bool designOpen;
    const char* message;
  } cases[] = {
      {"binary DXF", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "rest", false,
       "バイナリ形式"},
      {"three bytes", "  0", false, "ストリームファイルにエラー(0)-(3)"},
      {"a code that is not a number", "  0\nSECTION\n  2\nENTITIES\n1x0\n0\n", true, "5 行目"},
      {"a coordinate that is not a number", EntitiesFile("0 LINE 10 abc 20 0 11 1 21 1"), true,
       "8 行目"},
      {"a code without its value", "  0\nSECTION\n  2\nENTITIES\n  0\n", true, "5 行目"},
      {"an endless line", "  0\nSECTION\n  2\n" + std::string(5000, 'E') + "\n", true, "4 行目"}};
  for (const Case& c : cases) {
    load(c.text);
    EXPECT_EQ(app.design.isOpen(), c.designOpen) << c.what;
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u) << c.what;
    EXPECT_NE(boxes[0].find(c.message), std::string::npos) << c.what << ": " << boxes[0];
  }
}

TEST_F(DxfInput, MacPrefixIsSkippedAndLogged) {
  const auto els = load(std::string(128, 'M') + EntitiesFile("0 LINE 10 0 20 0 11 1 21 1"));
  EXPECT_EQ(els.size(), 1u);
  EXPECT_NE(read("in.txt").find("\t (Mac File)\n"), std::string::npos);
}

TEST_F(DxfInput, RefusedWhileADesignIsOpenAndForMissingFiles) {
  type("dxfin nothing");
  auto boxes = takeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("nothing.DXF"), std::string::npos);
  type("new open");
  write("x.dxf", EntitiesFile(""));
  type("dxfin x.dxf");
  boxes = takeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("が開かれたままです"), std::string::npos);
}

TEST_F(DxfInput, EscapeStopsWithTheAbortionLine) {
  std::string body;
  for (int i = 0; i < 2000; ++i) body += "0 LINE 10 0 20 " + std::to_string(2 * i) + " 11 1 21 0 ";
  host.onMessageStep = [](bool& flag) { flag = false; };
  load(EntitiesFile(body));
  bool abortion = false;
  for (const auto& l : lines)
    abortion = abortion || l.find("*** Abortion ***") != std::string::npos;
  EXPECT_TRUE(abortion);
  EXPECT_NE(read("in.txt").find("Error end"), std::string::npos);
}

}  // namespace
}  // namespace lav::interchange

namespace lav::interchange {
namespace {

TEST_F(DxfInput, WithoutANameTheFileDialogChooses) {
  write("pick.dxf", EntitiesFile("0 LINE 10 0 20 0 11 1 21 1"));
  host.fileChoices.push_back("pick.dxf");
  type("dxfin");
  ASSERT_EQ(host.fileRequests.size(), 1u);
  EXPECT_EQ(host.fileRequests[0].title, "ＤＸＦファイルを開く");
  EXPECT_EQ(host.fileRequests[0].filter, "Files(*.*)|*.*|Files(*.DXF)|*.DXF|");
  EXPECT_EQ(host.fileRequests[0].filterIndex, 2);
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ(CellElements(app.design.image, "ENTITIES").size(), 1u);
  type("close 0");
  host.fileChoices.push_back(std::nullopt);  // cancel: nothing happens
  type("dxfin");
  EXPECT_FALSE(app.design.isOpen());
  EXPECT_TRUE(takeBoxes().empty());
}

}  // namespace
}  // namespace lav::interchange

namespace lav::interchange {
namespace {

TEST_F(DxfInput, AFileLargerThanTheDesignStopsWithAMessageAndKeepsWhatFits) {
  std::string body;
  const std::string long_text(500, 'W');
  for (int i = 0; i < 11000; ++i)
    body += "  0\nTEXT\n 10\n" + std::to_string(i) + "\n 20\n0\n  1\n" + long_text + "\n";
  write("big.dxf", "  0\nSECTION\n  2\nENTITIES\n" + body + "  0\nENDSEC\n  0\nEOF\n");
  type("dxfin big.dxf");
  const auto boxes = takeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("メモリーが不足しました"), std::string::npos) << boxes[0];
  ASSERT_TRUE(app.design.isOpen());
  const auto els = CellElements(app.design.image, "ENTITIES");
  EXPECT_GT(els.size(), 9000u);
  EXPECT_LT(els.size(), 11000u);
  EXPECT_NE(read("big.txt").find("Error end"), std::string::npos);
}

}  // namespace
}  // namespace lav::interchange
