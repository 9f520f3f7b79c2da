// DXF input: each entity kind into the elements it stands for, the layer mapping, names, the log,
// and the faults of bad and damaged files (a message, never a crash or a half-made design). And
// DXF against an independent reader and writer (ezdxf): what we write loads strictly and passes
// its audit with the values we meant; what ezdxf writes (R12 and R2000) comes in with the
// geometry it describes.
#include "interchange/dxf_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "db/design_builder.h"
#include "db/layer_names.h"
#include "dxf_test_support.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::interchange {
namespace {

using db::ElementType;
using db::testing::Append;
using db::testing::CellElements;
using db::testing::CellLines;
using db::testing::OneBoxWith;
using db::testing::Placed;
using lav::testing::Contains;
using lav::testing::Split;
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

TEST_F(DxfInput, EntitiesLongOnesCurvesLayerTablesAndBlocksBecomeTheseDesigns) {
  const std::string b = "SREF B refl=", ab = "AREF B refl=0 mag=1000000 ang=0 ";
  const std::string line = "LINE L0 tip=0 w=0 ", one = line + "(0,0)(1000,1000)";
  struct Case {
    const char* what;
    std::string text, lines;  // the elements, "|" between them
    const char* logged = "nomal end";
  } cases[] = {
      {"POLYLINE with a width",
       EntitiesFile("0 POLYLINE 8 6 66 1 40 2 41 2 0 VERTEX 8 6 10 0 20 0 0 VERTEX 8 6 10 5 20 5 "
                    "0 SEQEND"),
       "LINE L6 tip=0 w=2000 (0,0)(5000,5000)"},
      // A closed outline is a polygon, whatever closed it (ezdxf's closed polyline, the flag).
      {"POLYLINE repeating its first vertex is a polygon",
       EntitiesFile("0 POLYLINE 8 1 66 1 0 VERTEX 10 0 20 0 0 VERTEX 10 2 20 0 0 VERTEX 10 0 20 2 "
                    "0 VERTEX 10 0 20 0 0 SEQEND"),
       "POLY L1 (0,0)(2000,0)(0,2000)(0,0)"},
      // A LWPOLYLINE is read as the POLYLINE of its vertices (its constant width and the groups
      // around it as ezdxf writes them: DxfOracle.WhatEzdxfWritesComesInWithItsGeometry).
      {"a wide closed LWPOLYLINE stays a line",
       EntitiesFile("0 LWPOLYLINE 8 1 90 3 70 129 43 1 10 0 20 0 10 2 20 0 10 0 20 2"),
       "LINE L1 tip=0 w=1000 (0,0)(2000,0)(0,2000)(0,0)"},
      {"LWPOLYLINE width of its first vertex",
       EntitiesFile("0 LWPOLYLINE 90 2 10 0 20 0 40 3 41 3 10 5 20 0 40 1 41 1"),
       "LINE L0 tip=0 w=3000 (0,0)(5000,0)"},
      {"a LWPOLYLINE ends a chain of LINEs",
       EntitiesFile("0 LINE 10 0 20 0 11 1 21 1 0 LWPOLYLINE 90 2 10 1 20 1 10 2 20 2"),
       one + "|" + line + "(1000,1000)(2000,2000)"},
      {"a layer named by a number outside 0..63 is layer 0",
       EntitiesFile("0 LINE 8 99 10 0 20 0 11 1 21 0"), line + "(0,0)(1000,0)"},
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
      // Inserts become placements (plain, scaled and x-mirrored ones as ezdxf writes them: its
      // oracle test).
      {"x 2, y -2: reflection", InsertOfB("2 B 10 1 20 2 41 2 42 -2 50 90"),
       b + "1 mag=2000000 ang=90000000 at 1000,2000"},
      {"both negative: 180 degrees", InsertOfB("2 B 10 1 20 2 41 -3 42 -3 50 270"),
       b + "0 mag=3000000 ang=90000000 at 1000,2000"},
      {"unequal scales are dropped", InsertOfB("2 B 10 1 20 2 41 2 42 3"), ""},
      {"a negative rotation", InsertOfB("2 B 10 1 20 2 50 -90"),
       b + "0 mag=1000000 ang=270000000 at 1000,2000"},
      {"array with nonsense counts", InsertOfB("2 B 10 1 20 2 70 0 71 -4"),
       ab + "1x1 pitch=0,0 at 1000,2000"},
      {"every insert starts with one column and row",
       EntitiesFile("0 INSERT 2 B 10 0 20 0 70 4 71 5 44 1 45 1 0 INSERT 2 B 10 9 20 9 44 2"),
       ab + "4x5 pitch=1000,1000 at 0,0|" + ab + "1x1 pitch=2000,0 at 9000,9000"},
      // A text takes all its values wherever its string is (ezdxf writes the string first).
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
       "SREF P refl=0 mag=1000000 ang=0 at 0,0", "cycle P -> Q -> P\n"},
      {"unknown entities and codes are skipped, the entities counted by kind",
       EntitiesFile("0 MTEXT 1 a 0 POINT 10 x 20 y 0 MTEXT 1 b 0 3DFACE 999 comment 0 LINE 5 A1 "
                    "100 AcDbLine 10 0 20 0 11 1 21 1 1001 APP"),
       one, " ***WARNING*** MTEXT: 2 skipped\n ***WARNING*** POINT: 1 skipped\n"},
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
  // Polylines are stored whole up to what a record holds: 33,000 points are two pieces that join
  // (a POLYLINE's vertices take the same way). Polylines of 10,000 points kept whole are
  // StreamOracle.LongFiguresComeInWholeAndArrays...'s.
  std::string light = "0 LWPOLYLINE 8 2 43 1 ";
  for (int i = 0; i < 33000; ++i)
    light += "10 " + std::to_string(i) + " 20 " + std::to_string(i % 2) + " ";
  const auto els = elements(EntitiesFile(light));
  ASSERT_EQ(els.size(), 2u);
  EXPECT_LE(els[0].pts.size(), 32767u);
  EXPECT_EQ(els[1].pts.front(), els[0].pts.back());  // the pieces join
  EXPECT_EQ(els[0].line.rfind("LINE L2 tip=0 w=1000 (0,0)(1000,1000)", 0), 0u);
  EXPECT_EQ(els[1].line.rfind("LINE L2 tip=0 w=1000 (", 0), 0u);
  EXPECT_TRUE(els[1].line.ends_with("(32999000,1000)")) << els[1].line;
  EXPECT_TRUE(logged("POLYLINE > 32767 (cell ENTITIES line 5)")) << read("in.txt");
  // Circles, arcs and bulges follow their curves and the arc settings of the session.
  struct Curve {
    const char* what;
    std::string body, head, tail;  // the element's line starts and ends so
    double cx, cy, r;  // every vertex lies this far from the centre (user units; 0: skip)
    std::size_t points;
    int side = 0;      // of the middle point: -1 below the chord, 1 above
    bool set = false;  // after command 103 with 12 segments a full circle, clockwise, placed
                       // around the curve
  } curves[] = {{"ARC across 0 degrees", "0 ARC 8 1 10 0 20 0 40 10 50 270 51 90",
                 "LINE L1 tip=0 w=0 (0,-10000)", "(0,10000)", 0, 0, 10, 17},
                {"bulge -1: half circle clockwise",
                 "0 POLYLINE 66 1 0 VERTEX 10 0 20 0 42 -1 0 VERTEX 10 10 20 0 0 SEQEND",
                 "LINE L0 tip=0 w=0 (0,0)", "(10000,0)", 5, 0, 5, 17, 1},
                {"closed LWPOLYLINE of two half circles",
                 "0 LWPOLYLINE 90 2 70 1 10 0 20 0 42 1 10 10 20 0 42 1", "POLY L0 (0,0)", "(0,0)",
                 5, 0, 5, 33, -1},
                // Twelve corners outside the circle and the closing point; the start point on the
                // circle lies on the first tangent and is dropped as a straight-on vertex.
                {"a circle with the session's settings", "0 CIRCLE 8 1 10 0 20 0 40 10",
                 "POLY L1 (", "", 0, 0, 10 / std::cos(M_PI / 12), 13, 0, true},
                // Three segments and the end point: a DXF arc keeps its own direction,
                // counter-clockwise through the first quadrant.
                {"an arc keeps its direction", "0 ARC 8 1 10 0 20 0 40 10 50 0 51 90",
                 "LINE L1 tip=0 w=0 (10000,0)", "(0,10000)", 0, 0, 0, 5, 0, true}};
  for (const Curve& c : curves) {
    SCOPED_TRACE(c.what);
    if (c.set) type("CURVEOPT 1 1 12 1");
    const auto curve = elements(EntitiesFile(c.body));
    ASSERT_EQ(curve.size(), 1u);
    const auto& pts = curve[0].pts;
    EXPECT_EQ(curve[0].line.rfind(c.head, 0), 0u) << curve[0].line;
    EXPECT_TRUE(curve[0].line.ends_with(c.tail)) << curve[0].line;
    EXPECT_EQ(pts.size(), c.points) << curve[0].line;
    for (const auto& p : pts) {
      EXPECT_TRUE(c.r == 0 ||
                  std::fabs(std::hypot(p.x / 1000.0 - c.cx, p.y / 1000.0 - c.cy) - c.r) < 0.002);
      EXPECT_TRUE(c.r > 0 || (p.x >= 0 && p.y >= 0)) << curve[0].line;
    }
    // The bulge's sign decides the side the arc bulges to.
    if (c.side != 0) {
      EXPECT_EQ(pts[8].y > 0 ? 1 : pts[8].y < 0 ? -1 : 0, c.side);
    }
  }
  // The layer table maps names, and the log lists them.
  struct Table {
    std::vector<std::string> names;  // the layer table in file order
    std::vector<int> layers;         // the design layer of each
  } tables[] = {
      // "05" is a name; the counter stands at 4 when it comes.
      {{"A", "B", "5", "05"}, {1, 2, 5, 4}},
      // Numbers that names spell are reserved before any other name takes one: VIA does not
      // land on 5, which the layer "5" further down keeps.
      {{"0", "Defpoints", "METAL", "POLY", "VIA", "5"}, {0, 2, 3, 4, 6, 5}}};
  for (const auto& c : tables) {
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
  // Blocks become cells with unique names.
  const std::string one32 = std::string(32, 'N') + "-one", two32 = std::string(32, 'N') + "-two";
  const auto inserts =
      load(TextOf({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"},   {2, one32},      {0, "LINE"},
                   {10, "0"},      {20, "0"},     {11, "1"},      {21, "0"},       {0, "ENDBLK"},
                   {0, "BLOCK"},   {3, two32},    {0, "ENDBLK"},  {0, "BLOCK"},    {2, "my blk"},
                   {0, "ENDBLK"},  {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "INSERT"},
                   {2, two32},     {10, "0"},     {20, "0"},      {0, "ENDSEC"},   {0, "EOF"}}));
  const std::string n32(32, 'N');
  const std::string renamed = n32.substr(0, 30) + "$1";
  std::vector<std::string> cells;  // the live cells in directory order
  for (const auto& l : db::testing::DumpDesign(app.design.image))
    if (l.rfind("CELL ", 0) == 0) cells.push_back(l.substr(5));
  EXPECT_EQ(cells, (std::vector<std::string>{n32, renamed, "my_blk", "ENTITIES"}));
  EXPECT_EQ(CellLines(app.design.image, n32).size(), 1u);
  // The insert finds the block it named.
  EXPECT_EQ(inserts,
            std::vector<std::string>{"SREF " + renamed + " refl=0 mag=1000000 ang=0 at 0,0"});
  EXPECT_TRUE(logged("-> " + renamed));
}

TEST_F(DxfInput, RefusalsTheFileDialogAndEscapeBadAndDamagedFilesGiveAMessage) {
  // Without a name the file dialog chooses; cancelled, nothing happens.
  write("pick.dxf", EntitiesFile("0 LINE 10 0 20 0 11 1 21 1"));
  host.fileChoices.push_back("pick.dxf");
  // Its filter is WindowsTest's; the fixed view of a new design the stream input's (both
  // commands share it).
  type("dxfin");
  ASSERT_EQ(host.fileRequests.size(), 1u);
  EXPECT_EQ(host.fileRequests[0].title, "ＤＸＦファイルを開く");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ(CellLines(app.design.image, "ENTITIES").size(), 1u);
  // Refused while a design is open.
  type("dxfin pick.dxf");
  EXPECT_TRUE(OneBoxWith(takeBoxes(), "が開かれたままです"));
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
  EXPECT_TRUE(lav::testing::ContainsPart(lines, "*** Abortion ***"));
  EXPECT_TRUE(logged("Error end"));
  // Bad files give a message.
  host.onMessageStep = nullptr;
  struct Case {
    const char* what;
    std::string text;
    bool designOpen;
    const char* message;
  } cases[] = {
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
    EXPECT_TRUE(OneBoxWith(takeBoxes(), c.message));
  }
  // A file larger than the design stops with a message and keeps what fits.
  app.design.image.maxSize = 1'000'000;
  body.clear();
  for (int i = 0; i < 2000; ++i)
    body +=
        "  0\nTEXT\n 10\n" + std::to_string(i) + "\n 20\n0\n  1\n" + std::string(500, 'W') + "\n";
  const auto kept = load("  0\nSECTION\n  2\nENTITIES\n" + body + "  0\nENDSEC\n  0\nEOF\n");
  EXPECT_TRUE(OneBoxWith(takeBoxes(), "メモリーが不足しました"));
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_GT(kept.size(), 1500u);
  EXPECT_LT(kept.size(), 2000u);
  EXPECT_TRUE(logged("Error end"));
  // Damaged DXF text: every truncation and a few thousand random mutations of a file with every
  // entity kind end with a result (normal end or an error line), a sound design and no hang.
  // Reads text into a fresh design; checks that every cell's stream reads to its end.
  const auto readInto = [this](std::string_view text) {
    db::CreateEmptyImage(app.design.image);
    app.design.path = "/nonexistent/damage.cad";
    db::ClearCurrent(app.design);
    app.continueFlag = true;
    DxfReader reader(app, text, {});
    const DxfStop stop = reader.run();
    if (stop == DxfStop::Syntax) {
      EXPECT_GT(reader.errorLine(), 0);
    }
    for (const std::int32_t slot : db::DirectorySlots(app.design.image)) {
      const db::CellEntry e = db::ReadCellEntry(app.design.image, slot);
      if (e.isFree()) break;
      const db::ReadEnd end = db::ReadElements(app.design.image, e, [&](const db::RecordView& r) {
        EXPECT_LE(r.bytes.size(), 2006u);
        return true;
      });
      EXPECT_EQ(end, db::ReadEnd::Complete) << e.nameText();
    }
    return stop;
  };
  const std::string text = TextOf(Groups(
      "0 SECTION 2 HEADER 9 $ACADVER 1 AC1021 0 ENDSEC "
      "0 SECTION 2 TABLES 0 TABLE 2 LAYER 70 3 0 LAYER 2 A 70 0 0 LAYER 2 7 70 0 0 LAYER 2 B 70 "
      "0 "
      "0 ENDTAB 0 ENDSEC "
      "0 SECTION 2 BLOCKS 0 BLOCK 8 0 2 LEAF 70 0 10 0 20 0 "
      "0 LINE 8 A 10 0 20 0 11 1 21 0 0 LINE 8 A 10 1 20 0 11 1 21 1 "
      "0 ARC 8 A 10 0 20 0 40 1 50 90 51 180 0 ENDBLK 8 0 "
      "0 BLOCK 8 0 3 TOP 70 0 10 0 20 0 0 INSERT 8 0 2 LEAF 10 1 20 1 41 2 42 -2 50 30 "
      "0 INSERT 2 TOP 10 0 20 0 0 ENDBLK "
      "0 ENDSEC 0 SECTION 2 ENTITIES "
      "0 CIRCLE 8 B 10 5 20 5 40 2.5 "
      "0 SOLID 8 7 10 0 20 0 11 4 21 0 12 0 22 3 13 4 23 3 "
      "0 POLYLINE 8 B 66 1 70 1 40 0.5 41 0.5 0 VERTEX 10 0 20 0 42 0.5 0 VERTEX 10 5 20 0 "
      "0 VERTEX 10 5 20 5 42 -1 0 VERTEX 10 0 20 5 0 SEQEND 8 B "
      "0 LWPOLYLINE 5 2F 100 AcDbPolyline 8 B 90 3 70 1 43 0.5 10 0 20 0 42 1 10 5 20 0 10 5 20 "
      "5 "
      "42 -0.5 0 MTEXT 1 SKIPPED "
      "0 TEXT 8 A 10 1 20 2 40 1.5 1 HELLO\\U+65E5 50 45 "
      "0 INSERT 8 0 2 LEAF 10 3 20 4 70 3 71 2 44 10 45 5 "
      "0 INSERT 2 MISSING 10 0 20 0 41 1 42 1 "
      "0 ENDSEC 0 EOF"));
  EXPECT_EQ(readInto(text), DxfStop::None);
  EXPECT_EQ(db::FindCell(app.design.image, "ENTITIES").result, db::FindResult::Found);
  for (std::size_t n = 0; n < text.size(); n += 1) {
    const DxfStop stop = readInto(std::string_view(text).substr(0, n));
    EXPECT_TRUE(stop == DxfStop::None || stop == DxfStop::Syntax) << n;
  }
  std::mt19937 rng(20261206);
  const char junk[] = {'\n', '\r', ' ', '0', '9', '-', '.', 'e', 'X', '\0', '\xff', '\x81'};
  for (int round = 0; round < 2500; ++round) {
    std::string t = text;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits; ++k) {
      const std::size_t at = rng() % t.size();
      switch (rng() % 5) {
        case 0:  // a byte replaced
          t[at] = junk[rng() % sizeof junk];
          break;
        case 1:  // a byte removed
          t.erase(at, 1);
          break;
        case 2:  // a line repeated
        {
          const std::size_t b = t.rfind('\n', at), e = t.find('\n', at);
          if (e != std::string::npos) {
            const std::size_t s = b == std::string::npos ? 0 : b + 1;
            t.insert(s, t.substr(s, e - s + 1));
          }
          break;
        }
        case 3:  // a stretch cut out
          t.erase(at, std::min<std::size_t>(rng() % 40, t.size() - at));
          break;
        default:  // a huge or odd number
          t.insert(at, rng() % 2 ? "1e300" : "nan");
      }
      if (t.empty()) t = " ";
    }
    const DxfStop stop = readInto(t);
    EXPECT_TRUE(stop == DxfStop::None || stop == DxfStop::Syntax)
        << round << " " << int(stop) << " " << (host.boxes.empty() ? "" : host.boxes.back().text);
  }
}

class DxfOracle : public lav::testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    if (!lav::testing::Have("/usr/bin/python3 -c 'import ezdxf'"))
      GTEST_SKIP() << "/usr/bin/python3 lacks ezdxf";
  }
  // Runs a Python script in the test directory; its standard output.
  std::string python(const std::string& script) {
    {
      std::ofstream out(dir / "oracle.py");
      out << script;
    }
    const std::string cmd =
        "cd '" + dir.string() + "' && /usr/bin/python3 oracle.py > oracle.out 2>&1";
    const int rc = std::system(cmd.c_str());
    const std::string out = read("oracle.out");
    EXPECT_EQ(rc, 0) << out;
    return out;
  }
};

constexpr const char* kDumpScript = R"PY(
import ezdxf
from ezdxf import recover
doc = ezdxf.readfile("out.dxf")          # strict load: raises on structure errors
rdoc, auditor = recover.readfile("out.dxf")
audit = rdoc.audit()
print("AUDIT_ERRORS", len(auditor.errors) + len(audit.errors))
def f(v):
    return "%.4f" % v
for layer in doc.layers:
    if layer.dxf.name not in ("0", "DEFPOINTS", "Defpoints"):
        print("LAYER", layer.dxf.name)
def dump(space, label):
    for e in space:
        t = e.dxftype()
        if t == "POLYLINE":
            pts = " ".join(f(v.dxf.location.x) + "," + f(v.dxf.location.y) for v in e.vertices)
            print(label, "POLYLINE", e.dxf.layer, "closed" if e.is_closed else "open",
                  "w=" + f(e.dxf.default_start_width), pts)
        elif t == "INSERT":
            print(label, "INSERT", e.dxf.name, f(e.dxf.insert.x), f(e.dxf.insert.y),
                  f(e.dxf.xscale), f(e.dxf.yscale), f(e.dxf.rotation),
                  e.dxf.column_count, e.dxf.row_count, f(e.dxf.column_spacing), f(e.dxf.row_spacing))
        elif t == "TEXT":
            print(label, "TEXT", e.dxf.layer, e.dxf.text, f(e.dxf.insert.x), f(e.dxf.insert.y),
                  f(e.dxf.height), f(e.dxf.rotation))
        else:
            print(label, t)
for b in doc.blocks:
    if b.name.startswith("*") or b.name.startswith("$"):
        continue
    print("BLOCK", b.name)
    dump(b, "IN " + b.name)
dump(doc.modelspace(), "ENTITIES")
# Arrays as the reader places them: every copy's insertion point.
for e in doc.modelspace().query("INSERT"):
    if e.mcount > 1:
        for v in e.multi_insert():
            print("COPY", e.dxf.name, f(v.dxf.insert.x), f(v.dxf.insert.y))
)PY";

constexpr const char* kWriteScript = R"PY(
import ezdxf
doc = ezdxf.new(VERSION)
doc.layers.add("POLY")
doc.layers.add("7")
msp = doc.modelspace()
leaf = doc.blocks.new("LEAF")
leaf.add_line((0, 0), (1, 0), dxfattribs={"layer": "POLY"})
top = doc.blocks.new("TOP")
top.add_blockref("LEAF", (5, 5), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 30})
msp.add_line((0, 0), (10, 0), dxfattribs={"layer": "7"})
msp.add_line((10, 0), (10, 10), dxfattribs={"layer": "7"})
msp.add_circle((100, 100), 10, dxfattribs={"layer": "POLY"})
msp.add_arc((0, 50), 5, 0, 180, dxfattribs={"layer": "POLY"})
msp.add_solid([(0, 0), (4, 0), (0, 3), (4, 3)], dxfattribs={"layer": "POLY"})
msp.add_text("LABEL", dxfattribs={"height": 2.5, "rotation": 45, "layer": "7"}).set_pos((3, 4))
msp.add_polyline2d([(0, 0, 1), (10, 0, 0), (10, 5, 0)], format="xyb", dxfattribs={"layer": "POLY"})
msp.add_polyline2d([(20, 0), (30, 0), (30, 10)], dxfattribs={"layer": "POLY", "closed": True})
msp.add_blockref("TOP", (7, 8), dxfattribs={"xscale": -3, "yscale": 3, "rotation": 10})
grid = msp.add_blockref("LEAF", (1, 2))
grid.grid(size=(2, 3), spacing=(5, 10))
if VERSION != "R12":
    msp.add_lwpolyline([(40, 0), (50, 0), (50, 5)], dxfattribs={"layer": "POLY"})
    msp.add_lwpolyline([(60, 0), (70, 0), (70, 10)], close=True, dxfattribs={"layer": "POLY"})
    msp.add_lwpolyline([(40, 20), (50, 20)], dxfattribs={"layer": "POLY", "const_width": 2})
    msp.add_lwpolyline([(0, 60, 1), (10, 60, 0), (10, 65, 0)], format="xyb",
                       dxfattribs={"layer": "POLY"})
    msp.add_mtext("NOT READ")
doc.saveas("ez.dxf")
)PY";

TEST_F(DxfOracle, WhatWeWriteLoadsWithTheValuesWeMeantWhatEzdxfWritesComesInWithItsGeometry) {
  type("new out");
  db::DesignState& d = app.design;
  ASSERT_EQ(db::SetLayerName(d.image, 2, "METAL1"), db::LayerNameResult::Stored);
  type("mkcell LEAF");
  Append(d, db::EncodeArea(ElementType::Rect, 2, db::testing::Square(0, 0, 2000)));
  Append(d, db::EncodeLine(3, 1, 500, {{0, 0}, {4000, 0}, {4000, 3000}}));
  type("mkcell MID");
  Append(d, db::EncodeSingle(Placed("LEAF", 10000, -5000, 1, 2000000, 30000000)));
  Append(d, db::EncodeText(db::testing::Text(4, "NOTE", 250, 750, 1500000, 90000000)));
  type("mkcell ENTITIES");
  Append(d, db::EncodeArray(db::testing::Grid(Placed("MID", 1000, 2000, 1), 3, 2, 20000, 15000)));
  Append(d, db::EncodeArea(ElementType::Polygon, 2, {{0, 0}, {3000, 0}, {1500, 2500}, {0, 0}}));
  type("dxfout");
  ASSERT_TRUE(takeBoxes().empty());
  // ezdxf also takes a POLYLINE without its SEQEND; that each has one is checked by
  // DxfWriter.WholeFileOfBlocksLayersAndEveryElementKind.
  const std::set<std::string> got = testing::LinesOf(python(kDumpScript));
  const std::set<std::string> want = {
      "AUDIT_ERRORS 0", "LAYER METAL1", "LAYER 3", "LAYER 4", "BLOCK LEAF",
      "IN LEAF POLYLINE METAL1 closed w=0.0000 0.0000,0.0000 2.0000,0.0000 2.0000,2.0000 "
      "0.0000,2.0000 0.0000,0.0000",
      "IN LEAF POLYLINE 3 open w=0.5000 -0.2500,0.0000 4.0000,0.0000 4.0000,3.2500", "BLOCK MID",
      "IN MID INSERT LEAF 10.0000 -5.0000 2.0000 -2.0000 30.0000 1 1 0.0000 0.0000",
      "IN MID TEXT 4 NOTE 0.2500 0.7500 1.5000 90.0000",
      "ENTITIES INSERT MID 1.0000 2.0000 1.0000 -1.0000 0.0000 3 2 20.0000 -15.0000",
      "ENTITIES POLYLINE METAL1 closed w=0.0000 0.0000,0.0000 3.0000,0.0000 1.5000,2.5000 "
      "0.0000,0.0000",
      // The copies sit where the design's array explosion puts them: rows below a reflected
      // array's origin.
      "COPY MID 1.0000 2.0000", "COPY MID 21.0000 2.0000", "COPY MID 41.0000 2.0000",
      "COPY MID 1.0000 -13.0000", "COPY MID 21.0000 -13.0000", "COPY MID 41.0000 -13.0000"};
  for (const auto& w : want) EXPECT_TRUE(got.count(w)) << "missing: " << w;
  for (const auto& g : got) EXPECT_TRUE(want.count(g)) << "unexpected: " << g;
  // What ezdxf writes, R12 and R2000, comes in with its geometry.
  for (const std::string version : {"R12", "R2000"}) {
    SCOPED_TRACE(version);
    if (app.design.isOpen()) type("close 0");
    std::filesystem::remove(dir / "ez.cad");
    python("VERSION = '" + version + "'" + kWriteScript);
    type("dxfin ez.dxf");
    ASSERT_TRUE(app.design.isOpen());
    EXPECT_TRUE(takeBoxes().empty());
    // A named layer gets a number of its own.
    EXPECT_EQ(CellLines(app.design.image, "LEAF"),
              std::vector<std::string>{"LINE L3 tip=0 w=0 (0,0)(1000,0)"});
    EXPECT_EQ(CellLines(app.design.image, "TOP"),
              std::vector<std::string>{"SREF LEAF refl=0 mag=2000000 ang=30000000 at 5000,5000"});
    const auto els = CellElements(app.design.image, "ENTITIES");
    const auto lines = CellLines(app.design.image, "ENTITIES");
    for (const char* line :
         {// Two LINEs joined end to start on layer "7".
          "LINE L7 tip=0 w=0 (0,0)(10000,0)(10000,10000)",
          // The SOLID: corners in order around.
          "POLY L3 (0,0)(4000,0)(4000,3000)(0,3000)(0,0)",
          // The text with the height and the angle that come after its string in ezdxf's files.
          "TEXT L7 size=0 refl=0 mag=2500000 ang=45000000 'LABEL' at 3000,4000",
          // The closed polyline: a polygon.
          "POLY L3 (20000,0)(30000,0)(30000,10000)(20000,0)",
          // The mirrored insert: 180 degrees plus its rotation, reflected, magnified 3.
          "SREF TOP refl=1 mag=3000000 ang=190000000 at 7000,8000",
          // The grid: an array of 3 columns and 2 rows.
          "AREF LEAF refl=0 mag=1000000 ang=0 3x2 pitch=10000,5000 at 1000,2000"})
      EXPECT_TRUE(Contains(lines, line)) << line;
    auto find = [&](const std::string& head, auto pred) -> const db::testing::Element* {
      for (const auto& e : els)
        if (e.line.rfind(head, 0) == 0 && pred(e.pts)) return &e;
      return nullptr;
    };
    // The circle: a closed polygon of 32 segments on the circle.
    const auto* circle = find("POLY L3", [](const auto& pts) { return pts.size() == 33; });
    ASSERT_TRUE(circle);
    for (const auto& p : circle->pts)
      EXPECT_NEAR(std::hypot(p.x - 100000.0, p.y - 100000.0), 10000, 1);
    // The half arc from (5, 50) over the top to (-5, 50).
    const auto* arc = find("LINE L3 tip=0 w=0 (5000,50000)", [](const auto&) { return true; });
    ASSERT_TRUE(arc);
    EXPECT_TRUE(arc->line.ends_with("(-5000,50000)")) << arc->line;
    for (const auto& p : arc->pts) EXPECT_GE(p.y, 50000);
    // The bulged polylines: a half circle below (0,y)-(10,y), then straight on to (10,y+5).
    for (const int y : version == "R12" ? std::vector<int>{0} : std::vector<int>{0, 60000}) {
      const auto* bulged =
          find("LINE L3 tip=0 w=0 (0," + std::to_string(y) + ")", [&](const auto& pts) {
            return pts.size() > 10 && pts.back().x == 10000 && pts.back().y == y + 5000;
          });
      ASSERT_TRUE(bulged) << y;
      for (std::size_t i = 0; i + 1 < bulged->pts.size(); ++i) {
        const auto& p = bulged->pts[i];
        EXPECT_NEAR(std::hypot(p.x - 5000.0, p.y - y), 5000, 1);
        EXPECT_LE(p.y, y);
      }
    }
    if (version == "R12") continue;  // no light-weight polylines, no MTEXT
    // Light-weight polylines come in as the same polylines would: open, closed, wide.
    for (const char* line : {"LINE L3 tip=0 w=0 (40000,0)(50000,0)(50000,5000)",
                             "POLY L3 (60000,0)(70000,0)(70000,10000)(60000,0)",
                             "LINE L3 tip=0 w=2000 (40000,20000)(50000,20000)"})
      EXPECT_TRUE(Contains(lines, line)) << line;
    const std::string log = read("ez.txt");
    EXPECT_NE(log.find("nomal end"), std::string::npos) << log;
    EXPECT_NE(log.find(" ***WARNING*** MTEXT: 1 skipped\n"), std::string::npos) << log;
  }
}

}  // namespace
}  // namespace lav::interchange
