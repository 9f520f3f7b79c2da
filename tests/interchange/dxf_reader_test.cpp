// DXF input: each entity kind into the elements it stands for, the layer mapping, names, the log,
// and the faults of bad files (a message, never a crash or a half-made design).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "../support/short_forms.h"
#include "../support/typing_session.h"
#include "dxf_test_support.h"
#include "interchange/dxf_input.h"

namespace lav::interchange {
namespace {

using lav::testing::ContainsPart;
using lav::testing::Split;
using testing::CellElements;
using testing::CellLines;
using testing::EntitiesFile;
using testing::Groups;
using testing::TextOf;

class DxfInput : public lav::testing::TypingSession {
 protected:
  // Reads text as in.dxf (closing a design left by the previous case) and returns the cell's
  // elements as lines.
  std::vector<std::string> load(const std::string& text, const std::string& cell = "ENTITIES") {
    if (app.design.isOpen()) type("close 0");
    std::filesystem::remove(dir / "in.cad");
    std::filesystem::remove(dir / "in.txt");
    write("in.dxf", text);
    type("dxfin in.dxf");
    if (!app.design.isOpen()) return {};
    return CellLines(app.design.image, cell);
  }
  std::vector<db::testing::Element> elements(const std::string& text) {
    load(text);
    return CellElements(app.design.image, "ENTITIES");
  }
  bool logged(const std::string& text) { return read("in.txt").find(text) != std::string::npos; }
};

// A file whose ENTITIES section places block B (empty) with the given groups.
std::string InsertOfB(const std::string& groups) {
  return TextOf(
      Groups("0 SECTION 2 BLOCKS 0 BLOCK 8 0 2 B 70 0 10 0 20 0 0 ENDBLK 0 ENDSEC 0 "
             "SECTION 2 ENTITIES 0 INSERT 8 0 " +
             groups + " 0 ENDSEC 0 EOF"));
}

// A file of the given version ($ACADVER) with an ENTITIES section.
std::string VersionFile(const std::string& version, const std::string& words) {
  return TextOf(Groups("0 SECTION 2 HEADER 9 $ACADVER 1 " + version + " 0 ENDSEC 0 SECTION 2 " +
                       "ENTITIES " + words + " 0 ENDSEC 0 EOF"));
}

std::string WithCrLf(const std::string& text) {
  std::string r;
  for (char c : text) r += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return r;
}

TEST_F(DxfInput, EntitiesBecomeTheseElementsAndTheLogSaysWhatHappened) {
  const std::string b = "SREF B refl=", ab = "AREF B refl=0 mag=1000000 ang=0 ";
  const std::string line = "LINE L0 tip=0 w=0 ", one = line + "(0,0)(1000,1000)";
  struct Case {
    const char* what;
    std::string text, lines;  // the elements, "|" between them
    const char* logged = "nomal end";
  } cases[] = {
      {"two connected LINEs make one line",
       EntitiesFile("0 LINE 8 3 10 0 20 0 11 10 21 0 0 LINE 8 3 10 10 20 0 11 10 21 10"),
       "LINE L3 tip=0 w=0 (0,0)(10000,0)(10000,10000)"},
      {"a closed chain of LINEs is a polygon",
       EntitiesFile("0 LINE 8 1 10 0 20 0 11 1 21 0 0 LINE 8 1 10 1 20 0 11 1 21 1 0 LINE 8 1 10 "
                    "1 20 1 11 0 21 0"),
       "POLY L1 (0,0)(1000,0)(1000,1000)(0,0)"},
      {"SOLID corners in zigzag order",
       EntitiesFile("0 SOLID 8 2 10 0 20 0 11 4 21 0 12 0 22 3 13 4 23 3"),
       "POLY L2 (0,0)(4000,0)(4000,3000)(0,3000)(0,0)"},
      {"POLYLINE with a width",
       EntitiesFile("0 POLYLINE 8 6 66 1 40 2 41 2 0 VERTEX 8 6 10 0 20 0 0 VERTEX 8 6 10 5 20 5 "
                    "0 SEQEND"),
       "LINE L6 tip=0 w=2000 (0,0)(5000,5000)"},
      {"POLYLINE repeating its first vertex is a polygon",
       EntitiesFile("0 POLYLINE 8 1 66 1 0 VERTEX 10 0 20 0 0 VERTEX 10 2 20 0 0 VERTEX 10 0 20 2 "
                    "0 VERTEX 10 0 20 0 0 SEQEND"),
       "POLY L1 (0,0)(2000,0)(0,2000)(0,0)"},
      {"POLYLINE with the closed flag is a polygon",
       EntitiesFile("0 POLYLINE 8 1 66 1 70 1 0 VERTEX 10 0 20 0 0 VERTEX 10 2 20 0 0 VERTEX 10 0 "
                    "20 2 0 SEQEND"),
       "POLY L1 (0,0)(2000,0)(0,2000)(0,0)"},
      // A LWPOLYLINE is read as the POLYLINE of its vertices, whatever groups of today surround it.
      {"open LWPOLYLINE with a constant width",
       EntitiesFile("0 LWPOLYLINE 5 2A 330 1F 100 AcDbEntity 8 6 100 AcDbPolyline 90 2 70 0 43 2 "
                    "10 0 20 0 10 5 20 5 210 0 220 0 230 1"),
       "LINE L6 tip=0 w=2000 (0,0)(5000,5000)"},
      {"closed LWPOLYLINE is a polygon",
       EntitiesFile("0 LWPOLYLINE 8 1 90 3 70 1 10 0 20 0 10 2 20 0 10 0 20 2"),
       "POLY L1 (0,0)(2000,0)(0,2000)(0,0)"},
      {"a wide closed LWPOLYLINE stays a line",
       EntitiesFile("0 LWPOLYLINE 8 1 90 3 70 129 43 1 10 0 20 0 10 2 20 0 10 0 20 2"),
       "LINE L1 tip=0 w=1000 (0,0)(2000,0)(0,2000)(0,0)"},
      {"LWPOLYLINE width of its first vertex",
       EntitiesFile("0 LWPOLYLINE 90 2 10 0 20 0 40 3 41 3 10 5 20 0 40 1 41 1"),
       "LINE L0 tip=0 w=3000 (0,0)(5000,0)"},
      {"a LWPOLYLINE ends a chain of LINEs",
       EntitiesFile("0 LINE 10 0 20 0 11 1 21 1 0 LWPOLYLINE 90 2 10 1 20 1 10 2 20 2"),
       one + "|" + line + "(1000,1000)(2000,2000)"},
      {"a wide closed POLYLINE stays a line",
       EntitiesFile("0 POLYLINE 8 1 66 1 40 1 41 1 70 1 0 VERTEX 10 0 20 0 0 VERTEX 10 2 20 0 0 "
                    "VERTEX 10 0 20 2 0 SEQEND"),
       "LINE L1 tip=0 w=1000 (0,0)(2000,0)(0,2000)(0,0)"},
      {"a layer named by a number outside 0..63 is layer 0",
       EntitiesFile("0 LINE 8 99 10 0 20 0 11 1 21 0"), line + "(0,0)(1000,0)"},
      {"a negative layer number is layer 0", EntitiesFile("0 LINE 8 -5 10 0 20 0 11 1 21 0"),
       line + "(0,0)(1000,0)"},
      {"numbers with blanks and signs", EntitiesFile("0 LINE 8 7 10 +1.5 20 \t-2 11 1e1 21 0."),
       "LINE L7 tip=0 w=0 (1500,-2000)(10000,0)"},
      // Lines that do not join stay separate.
      {"start elsewhere", EntitiesFile("0 LINE 10 0 20 0 11 10 21 0 0 LINE 10 20 20 0 11 30 21 0"),
       line + "(0,0)(10000,0)|" + line + "(20000,0)(30000,0)"},
      {"another layer",
       EntitiesFile("0 LINE 8 1 10 0 20 0 11 10 21 0 0 LINE 8 2 10 10 20 0 11 10 21 10"),
       "LINE L1 tip=0 w=0 (0,0)(10000,0)|LINE L2 tip=0 w=0 (10000,0)(10000,10000)"},
      {"a TEXT between",
       EntitiesFile(
           "0 LINE 10 0 20 0 11 10 21 0 0 TEXT 10 0 20 0 1 x 0 LINE 10 10 20 0 11 10 21 10"),
       line + "(0,0)(10000,0)|TEXT L0 size=0 refl=0 mag=1000000 ang=0 'x' at 0,0|" + line +
           "(10000,0)(10000,10000)"},
      {"an ARC continuing a LINE",
       EntitiesFile("0 LINE 10 -10 20 0 11 10 21 0 0 ARC 10 0 20 0 40 10 50 0 51 90"),
       line + "(-10000,0)(10000,0)(9808,1951)(9239,3827)(8315,5556)(7071,7071)(5556,8315)" +
           "(3827,9239)(1951,9808)(0,10000)"},
      // Inserts become placements.
      {"plain", InsertOfB("2 B 10 1 20 2"), b + "0 mag=1000000 ang=0 at 1000,2000"},
      {"x -2, y 2: 180 degrees and reflection", InsertOfB("2 B 10 1 20 2 41 -2 42 2"),
       b + "1 mag=2000000 ang=180000000 at 1000,2000"},
      {"x 2, y -2: reflection", InsertOfB("2 B 10 1 20 2 41 2 42 -2 50 90"),
       b + "1 mag=2000000 ang=90000000 at 1000,2000"},
      {"both negative: 180 degrees", InsertOfB("2 B 10 1 20 2 41 -3 42 -3 50 270"),
       b + "0 mag=3000000 ang=90000000 at 1000,2000"},
      {"unequal scales are dropped", InsertOfB("2 B 10 1 20 2 41 2 42 3"), ""},
      {"a single x scale other than 1 is dropped", InsertOfB("2 B 10 1 20 2 41 2"), ""},
      {"a single negative y scale reflects", InsertOfB("2 B 10 1 20 2 42 -1"),
       b + "1 mag=1000000 ang=0 at 1000,2000"},
      {"a negative rotation", InsertOfB("2 B 10 1 20 2 50 -90"),
       b + "0 mag=1000000 ang=270000000 at 1000,2000"},
      {"array", InsertOfB("2 B 10 1 20 2 70 3 71 2 44 10 45 -5"),
       ab + "3x2 pitch=10000,5000 at 1000,2000"},
      {"array with nonsense counts", InsertOfB("2 B 10 1 20 2 70 0 71 -4"),
       ab + "1x1 pitch=0,0 at 1000,2000"},
      {"every insert starts with one column and row",
       EntitiesFile("0 INSERT 2 B 10 0 20 0 70 4 71 5 44 1 45 1 0 INSERT 2 B 10 9 20 9 44 2"),
       ab + "4x5 pitch=1000,1000 at 0,0|" + ab + "1x1 pitch=2000,0 at 9000,9000"},
      // A text takes all its values wherever its string is.
      {"string last", EntitiesFile("0 TEXT 8 4 10 1 20 2 40 2.5 50 30 1 HELLO"),
       "TEXT L4 size=0 refl=0 mag=2500000 ang=30000000 'HELLO' at 1000,2000"},
      {"string before angle and height", EntitiesFile("0 TEXT 8 4 10 1 20 2 1 HELLO 50 30 40 -2.5"),
       "TEXT L4 size=0 refl=0 mag=2500000 ang=30000000 'HELLO' at 1000,2000"},
      {"no height", EntitiesFile("0 TEXT 8 4 10 1 20 2 1 HELLO"),
       "TEXT L4 size=0 refl=0 mag=1000000 ang=0 'HELLO' at 1000,2000"},
      // Odd structures are read and named in the log.
      {"POLYLINE without SEQEND",
       EntitiesFile(
           "0 POLYLINE 66 1 0 VERTEX 10 0 20 0 0 VERTEX 10 1 20 1 0 LINE 10 5 20 5 11 6 21 6"),
       one + "|" + line + "(5000,5000)(6000,6000)", "without SEQEND"},
      {"POLYLINE cut by the end of the section",
       EntitiesFile("0 POLYLINE 66 1 0 VERTEX 10 0 20 0 0 VERTEX 10 1 20 1"), one,
       "without SEQEND"},
      {"a coordinate no design can hold",
       EntitiesFile("0 LINE 10 1e300 20 0 11 1 21 1 0 LINE 10 5 20 5 11 6 21 6"),
       line + "(5000,5000)(6000,6000)", "out of range (line 5)"},
      {"INSERT of an undefined block", EntitiesFile("0 INSERT 2 NOWHERE 10 0 20 0"),
       "SREF NOWHERE refl=0 mag=1000000 ang=0 at 0,0", "undefined block NOWHERE"},
      {"blocks placing each other",
       TextOf(Groups("0 SECTION 2 BLOCKS 0 BLOCK 2 P 0 INSERT 2 Q 10 0 20 0 0 ENDBLK 0 BLOCK 2 Q "
                     "0 INSERT 2 P 10 0 20 0 0 ENDBLK 0 ENDSEC 0 SECTION 2 ENTITIES 0 INSERT 2 P "
                     "10 0 20 0 0 ENDSEC 0 EOF")),
       "SREF P refl=0 mag=1000000 ang=0 at 0,0", "cycle"},
      {"a block placing itself",
       TextOf(Groups("0 SECTION 2 BLOCKS 0 BLOCK 2 S 0 INSERT 2 S 10 0 20 0 0 ENDBLK 0 ENDSEC 0 "
                     "SECTION 2 ENTITIES 0 INSERT 2 S 10 0 20 0 0 ENDSEC 0 EOF")),
       "SREF S refl=0 mag=1000000 ang=0 at 0,0", "S -> S"},
      {"unknown entities and codes are skipped",
       EntitiesFile("0 POINT 10 x 20 y 0 3DFACE 999 comment 0 LINE 5 A1 100 AcDbLine 10 0 20 0 11 "
                    "1 21 1 1001 APP"),
       one},
      {"entities not read are counted by kind",
       EntitiesFile("0 MTEXT 1 a 0 POINT 10 0 20 0 0 MTEXT 1 b 0 LINE 10 0 20 0 11 1 21 1"), one,
       " ***WARNING*** MTEXT: 2 skipped\n ***WARNING*** POINT: 1 skipped\n"},
      // Texts and names are Shift-JIS: UTF-8 from AC1021 on, "\U+" escapes from AC1015 on.
      {"UTF-8 text", VersionFile("AC1021", "0 TEXT 8 4 10 0 20 0 1 日本"),
       sjis::fromUtf8("TEXT L4 size=0 refl=0 mag=1000000 ang=0 '日本' at 0,0")},
      {"escaped text",
       VersionFile("AC1015",
                   "0 TEXT 8 4 10 0 20 0 1 \\U+0041\\U+03B1\\U+65E5" + sjis::fromUtf8("本")),
       sjis::fromUtf8("TEXT L4 size=0 refl=0 mag=1000000 ang=0 'Aα日本' at 0,0")},
      {"R12 text as written", VersionFile("AC1009", "0 TEXT 8 4 10 0 20 0 1 \\U+65E5"),
       "TEXT L4 size=0 refl=0 mag=1000000 ang=0 '\\U+65E5' at 0,0"},
      {"CRLF line ends", WithCrLf(EntitiesFile("0 LINE 10 0 20 0 11 1 21 1")), one},
      {"a Mac prefix is skipped",
       std::string(128, 'M') + EntitiesFile("0 LINE 10 0 20 0 11 1 21 1"), one, "\t (Mac File)\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(load(c.text), Split(c.lines));
    EXPECT_TRUE(takeBoxes().empty());
    EXPECT_TRUE(logged(c.logged)) << read("in.txt");
  }
}

TEST_F(DxfInput, CirclesArcsAndBulgesFollowTheirCurves) {
  struct Case {
    const char* what;
    std::string body, head, tail;  // the element's line starts and ends so
    double cx, cy, r;              // every vertex lies this far from the centre (user units)
    std::size_t points;
    int side = 0;  // of the middle point: -1 below the chord, 1 above
  } cases[] = {{"CIRCLE", "0 CIRCLE 8 1 10 5 20 5 40 10", "POLY L1 (15000,5000)", "(15000,5000)", 5,
                5, 10, 33},
               {"quarter ARC", "0 ARC 8 1 10 0 20 0 40 10 50 0 51 90",
                "LINE L1 tip=0 w=0 (10000,0)", "(0,10000)", 0, 0, 10, 9},
               {"ARC across 0 degrees", "0 ARC 8 1 10 0 20 0 40 10 50 270 51 90",
                "LINE L1 tip=0 w=0 (0,-10000)", "(0,10000)", 0, 0, 10, 17},
               {"bulge 1: half circle counter-clockwise",
                "0 POLYLINE 66 1 0 VERTEX 10 0 20 0 42 1 0 VERTEX 10 10 20 0 0 SEQEND",
                "LINE L0 tip=0 w=0 (0,0)", "(10000,0)", 5, 0, 5, 17, -1},
               {"bulge -1: half circle clockwise",
                "0 POLYLINE 66 1 0 VERTEX 10 0 20 0 42 -1 0 VERTEX 10 10 20 0 0 SEQEND",
                "LINE L0 tip=0 w=0 (0,0)", "(10000,0)", 5, 0, 5, 17, 1},
               {"closed LWPOLYLINE of two half circles",
                "0 LWPOLYLINE 90 2 70 1 10 0 20 0 42 1 10 10 20 0 42 1", "POLY L0 (0,0)", "(0,0)",
                5, 0, 5, 33, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto els = elements(EntitiesFile(c.body));
    ASSERT_EQ(els.size(), 1u);
    const auto& pts = els[0].pts;
    EXPECT_EQ(els[0].line.rfind(c.head, 0), 0u) << els[0].line;
    EXPECT_TRUE(els[0].line.ends_with(c.tail)) << els[0].line;
    EXPECT_EQ(pts.size(), c.points) << els[0].line;
    for (const auto& p : pts)
      EXPECT_NEAR(std::hypot(p.x / 1000.0 - c.cx, p.y / 1000.0 - c.cy), c.r, 0.002);
    // The bulge's sign decides the side the arc bulges to.
    if (c.side != 0) {
      EXPECT_EQ(pts[8].y > 0 ? 1 : pts[8].y < 0 ? -1 : 0, c.side);
    }
  }
}

TEST_F(DxfInput, CurvesFollowTheArcSettingsOfTheSession) {
  // Command 103 with 12 segments a full circle, clockwise, placed around the curve: the
  // segments and the placement count, but a DXF arc keeps its own direction.
  type("CURVEOPT 1 1 12 1");
  const auto circle = elements(EntitiesFile("0 CIRCLE 8 1 10 0 20 0 40 10"));
  ASSERT_EQ(circle.size(), 1u);
  // Twelve corners outside the circle and the closing point; the start point on the circle lies
  // on the first tangent and is dropped as a straight-on vertex.
  EXPECT_EQ(circle[0].pts.size(), 13u) << circle[0].line;
  const double outer = 10 / std::cos(M_PI / 12);
  for (const auto& p : circle[0].pts)
    EXPECT_NEAR(std::hypot(p.x, p.y) / 1000.0, outer, 0.002) << circle[0].line;
  const auto arc = elements(EntitiesFile("0 ARC 8 1 10 0 20 0 40 10 50 0 51 90"));
  ASSERT_EQ(arc.size(), 1u);
  EXPECT_EQ(arc[0].pts.size(), 5u) << arc[0].line;  // 3 segments and the end point
  for (const auto& p : arc[0].pts) {
    EXPECT_GE(p.x, 0);
    EXPECT_GE(p.y, 0);  // counter-clockwise through the first quadrant
  }
  EXPECT_TRUE(arc[0].line.ends_with("(0,10000)")) << arc[0].line;
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
    std::vector<std::string> want;
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      const std::string x = std::to_string(10 * i), at = std::to_string(10000 * i);
      table += "0 LAYER 2 " + c.names[i] + " 70 0 ";
      body += "0 LINE 8 " + c.names[i] + " 10 " + x + " 20 0 11 " + x + " 21 1 ";
      want.push_back("LINE L" + std::to_string(c.layers[i]) + " tip=0 w=0 (" + at + ",0)(" + at +
                     ",1000)");
      char line[80];
      std::snprintf(line, sizeof line, "   %2d  -----  %s\n", c.layers[i], c.names[i].c_str());
      listed += line;
    }
    EXPECT_EQ(load(TextOf(Groups(table + "0 ENDTAB 0 ENDSEC 0 SECTION 2 ENTITIES " + body +
                                 "0 ENDSEC 0 EOF"))),
              want);
    EXPECT_FALSE(std::filesystem::exists(dir / "LAYERS$$.LIS"));
    EXPECT_TRUE(logged(sjis::fromUtf8("\n LAYER ----- DXF(画層)\n") + listed)) << read("in.txt");
    EXPECT_TRUE(logged("nomal end"));
  }
  // More than 63 names: the rest go to layer 0.
  std::string table = "0 SECTION 2 TABLES 0 TABLE 2 LAYER ";
  for (int i = 0; i < 70; ++i) table += "0 LAYER 2 L" + std::to_string(i) + " ";
  EXPECT_EQ(load(TextOf(Groups(table + "0 ENDTAB 0 ENDSEC 0 SECTION 2 ENTITIES 0 LINE 8 L62 10 0 "
                                       "20 0 11 1 21 0 0 LINE 8 L69 10 5 20 5 11 6 21 5 0 ENDSEC "
                                       "0 EOF"))),
            Split("LINE L63 tip=0 w=0 (0,0)(1000,0)|LINE L0 tip=0 w=0 (5000,5000)(6000,5000)"));
  EXPECT_TRUE(logged("LAYER L69 -> 0"));
}

TEST_F(DxfInput, BlocksBecomeCellsWithUniqueNames) {
  const std::string a = std::string(32, 'N') + "-one", b = std::string(32, 'N') + "-two";
  const auto els =
      load(TextOf({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"},   {2, a},          {0, "LINE"},
                   {10, "0"},      {20, "0"},     {11, "1"},      {21, "0"},       {0, "ENDBLK"},
                   {0, "BLOCK"},   {3, b},        {0, "ENDBLK"},  {0, "BLOCK"},    {2, "my blk"},
                   {0, "ENDBLK"},  {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "INSERT"},
                   {2, b},         {10, "0"},     {20, "0"},      {0, "ENDSEC"},   {0, "EOF"}}));
  const std::string n32(32, 'N');
  const std::string renamed = n32.substr(0, 30) + "$1";
  EXPECT_EQ(testing::CellNames(app.design.image),
            (std::vector<std::string>{n32, renamed, "my_blk", "ENTITIES"}));
  EXPECT_EQ(CellLines(app.design.image, n32).size(), 1u);
  // The insert finds the block it named.
  EXPECT_EQ(els, std::vector<std::string>{"SREF " + renamed + " refl=0 mag=1000000 ang=0 at 0,0"});
  EXPECT_TRUE(logged("-> " + renamed));
}

TEST_F(DxfInput, PolylinesAreStoredWholeUpToWhatARecordHolds) {
  const struct Case {
    int points;
    std::size_t pieces;
  } cases[] = {{450, 1}, {33000, 2}};
  for (const Case& c : cases) {
    std::string body = "0 POLYLINE 8 2 66 1 40 1 41 1 ", light = "0 LWPOLYLINE 8 2 43 1 ";
    for (int i = 0; i < c.points; ++i) {
      const std::string xy = "10 " + std::to_string(i) + " 20 " + std::to_string(i % 2) + " ";
      body += "0 VERTEX " + xy;
      light += xy;
    }
    for (const std::string& file : {EntitiesFile(body + "0 SEQEND"), EntitiesFile(light)}) {
      const auto els = elements(file);
      ASSERT_EQ(els.size(), c.pieces) << c.points;
      for (std::size_t i = 0; i < els.size(); ++i) {
        EXPECT_LE(els[i].pts.size(), 32767u);
        EXPECT_EQ(els[i].line.rfind("LINE L2 tip=0 w=1000 (", 0), 0u);
        if (i > 0) {  // pieces join
          EXPECT_TRUE(els[i].pts.front().x == els[i - 1].pts.back().x &&
                      els[i].pts.front().y == els[i - 1].pts.back().y);
        }
      }
      EXPECT_EQ(els.front().line.rfind("LINE L2 tip=0 w=1000 (0,0)(1000,1000)", 0), 0u);
      const int last = c.points - 1;
      EXPECT_TRUE(els.back().line.ends_with("(" + std::to_string(last * 1000) + "," +
                                            std::to_string(last % 2 * 1000) + ")"));
      EXPECT_EQ(logged("POLYLINE > 32767 (cell ENTITIES line 5)"), c.pieces > 1) << read("in.txt");
    }
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
    SCOPED_TRACE(c.what);
    load(c.text);
    EXPECT_EQ(app.design.isOpen(), c.designOpen);
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(c.message), std::string::npos) << boxes[0];
  }
  // A file larger than the design stops with a message and keeps what fits.
  app.design.image.maxSize = 1'000'000;
  std::string body;
  for (int i = 0; i < 2000; ++i)
    body +=
        "  0\nTEXT\n 10\n" + std::to_string(i) + "\n 20\n0\n  1\n" + std::string(500, 'W') + "\n";
  const auto kept = load("  0\nSECTION\n  2\nENTITIES\n" + body + "  0\nENDSEC\n  0\nEOF\n");
  const auto boxes = takeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("メモリーが不足しました"), std::string::npos) << boxes[0];
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_GT(kept.size(), 1500u);
  EXPECT_LT(kept.size(), 2000u);
  EXPECT_TRUE(logged("Error end"));
}

TEST_F(DxfInput, RefusalsTheFileDialogAndEscape) {
  type("dxfin nothing");
  auto boxes = takeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("nothing.DXF"), std::string::npos);
  // Without a name the file dialog chooses; cancelled, nothing happens.
  write("pick.dxf", EntitiesFile("0 LINE 10 0 20 0 11 1 21 1"));
  host.fileChoices.push_back("pick.dxf");
  type("dxfin");
  ASSERT_EQ(host.fileRequests.size(), 1u);
  EXPECT_EQ(host.fileRequests[0].title, "ＤＸＦファイルを開く");
  EXPECT_EQ(host.fileRequests[0].filter, "Files(*.*)|*.*|Files(*.DXF)|*.DXF|");
  EXPECT_EQ(host.fileRequests[0].filterIndex, 2);
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ(CellLines(app.design.image, "ENTITIES").size(), 1u);
  // Refused while a design is open.
  type("dxfin pick.dxf");
  boxes = takeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("が開かれたままです"), std::string::npos);
  type("close 0");
  host.fileChoices.push_back(std::nullopt);
  type("dxfin");
  EXPECT_FALSE(app.design.isOpen());
  EXPECT_TRUE(takeBoxes().empty());
  // Escape stops with the abortion line.
  std::string body;
  for (int i = 0; i < 2000; ++i) body += "0 LINE 10 0 20 " + std::to_string(2 * i) + " 11 1 21 0 ";
  host.onMessageStep = [](bool& flag) { flag = false; };
  load(EntitiesFile(body));
  EXPECT_TRUE(ContainsPart(lines, "*** Abortion ***"));
  EXPECT_TRUE(logged("Error end"));
}

}  // namespace
}  // namespace lav::interchange
