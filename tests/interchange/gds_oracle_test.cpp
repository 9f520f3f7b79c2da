// GDSII against independent programs: every kind of element we write is read by KLayout with
// the shapes, paths, texts and placements we meant, down to the flattened copies of arrays;
// files written by gdspy come in with the geometry they describe; and a design survives the
// trip to a stream file and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../db/design_builder.h"
#include "../support/short_forms.h"
#include "../support/typing_session.h"
#include "command/cell_dialogs.h"
#include "db/messages.h"
#include "design_dump.h"
#include "dxf_test_support.h"
#include "gds_test_support.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;
using db::ElementType;
using db::testing::Append;
using db::testing::Grid;
using db::testing::Placed;
using db::testing::Square;
using db::testing::Text;
using gds::testing::ReadFile;

bool Have(const char* probe) {
  return std::system((std::string(probe) + " >/dev/null 2>&1").c_str()) == 0;
}

// KLayout's view of a stream file: every cell's shapes and instances in its own words, then the
// bounding boxes of all shapes of the flattened cell `flat`.
constexpr const char* kKLayoutDump = R"PY(
import pya
ly = pya.Layout()
ly.read(src)
out = open(dst, "w")
for c in sorted(ly.each_cell(), key=lambda c: c.name):
    out.write("CELL %s\n" % c.name)
    for li in ly.layer_indexes():
        info = ly.get_info(li)
        tag = "L%d/%d" % (info.layer, info.datatype)
        for s in c.shapes(li).each():
            if s.is_box():
                b = s.box
                out.write("%s BOX %s %d,%d %d,%d\n" % (c.name, tag, b.left, b.bottom, b.right, b.top))
            elif s.is_polygon():
                pts = sorted("%d,%d" % (p.x, p.y) for p in s.polygon.each_point_hull())
                out.write("%s POLY %s %s\n" % (c.name, tag, " ".join(pts)))
            elif s.is_path():
                p = s.path
                pts = " ".join("%d,%d" % (q.x, q.y) for q in p.each_point())
                out.write("%s PATH %s w=%d ext=%d,%d round=%d %s\n" %
                          (c.name, tag, p.width, p.bgn_ext, p.end_ext, p.round, pts))
            elif s.is_text():
                t = s.text
                out.write("%s TEXT %s '%s' %s size=%d\n" % (c.name, tag, t.string, t.trans, t.size))
    for i in c.each_inst():
        ca = i.cell_inst
        t = ca.cplx_trans
        line = "%s INST %s rot=%g m=%d mag=%g at %d,%d" % (
            c.name, ly.cell(ca.cell_index).name, t.angle, 1 if t.is_mirror() else 0, t.mag,
            round(t.disp.x), round(t.disp.y))
        if ca.is_regular_array():
            steps = sorted(["%d*(%d,%d)" % (ca.na, ca.a.x, ca.a.y), "%d*(%d,%d)" % (ca.nb, ca.b.x, ca.b.y)])
            line += " " + " ".join(steps)
        out.write(line + "\n")
top = ly.cell(flat)
for li in ly.layer_indexes():
    info = ly.get_info(li)
    it = top.begin_shapes_rec(li)
    while not it.at_end():
        b = it.shape().bbox().transformed(it.trans())
        out.write("FLAT L%d %d,%d %d,%d\n" % (info.layer, b.left, b.bottom, b.right, b.top))
        if info.layer == 7:
            out.write("CENTRE %d %d\n" % (b.center().x, b.center().y))
        it.next()
out.close()
)PY";

class StreamOracle : public lav::testing::TypingSession {
 protected:
  // Runs a command in the test directory; false when it failed (its output is in run.out).
  bool shell(const std::string& command) {
    const std::string cmd = "cd '" + dir.string() + "' && " + command + " > run.out 2>&1";
    return std::system(cmd.c_str()) == 0;
  }
  // KLayout's flat XOR of two layouts finds no difference.
  bool flatEqual(const std::string& a, const std::string& b) {
    return shell("LD_LIBRARY_PATH=/usr/lib/klayout /usr/lib/klayout/strmxor " + a + " " + b);
  }
  // Runs a gdspy script as name.py for a library that strmxor compares; why it cannot, if so.
  std::string gdspyLibrary(const std::string& name, const char* script) {
    if (!Have("/usr/bin/python3 -c 'import gdspy'")) return "/usr/bin/python3 lacks gdspy";
    if (!Have("test -x /usr/lib/klayout/strmxor")) return "no strmxor";
    std::ofstream(dir / (name + ".py")) << script;
    EXPECT_TRUE(shell("/usr/bin/python3 " + name + ".py")) << ReadFile(dir / "run.out");
    return "";
  }
  std::set<std::string> klayoutDump(const std::string& stream, const std::string& flat) {
    std::ofstream(dir / "dump.py") << kKLayoutDump;
    EXPECT_TRUE(
        shell("klayout -b -r dump.py -rd src=" + stream + " -rd dst=dump.txt -rd flat=" + flat))
        << ReadFile(dir / "run.out");
    return lav::interchange::testing::LinesOf(ReadFile(dir / "dump.txt"));
  }
};

TEST_F(StreamOracle, KLayoutReadsEveryElementAsWeMeantIt) {
  if (!Have("command -v klayout")) GTEST_SKIP() << "no klayout";
  type("NEW out");
  db::DesignState& d = app.design;
  type("MKCELL LEAF");
  Append(d, db::EncodeArea(ElementType::Rect, 2, Square(0, 0, 2000)));
  Append(d, db::EncodeArea(ElementType::Polygon, 3, {{0, 0}, {3000, 0}, {1500, 2500}, {0, 0}}));
  Append(d, db::EncodeLine(4, 0, 500, {{0, 0}, {4000, 0}, {4000, 3000}}));
  Append(d, db::EncodeLine(5, 1, 200, {{0, 0}, {1000, 0}}));
  Append(d, db::EncodeText(Text(6, "HELLO", 250, 750, 1500000, 90000000, 0, 300)));
  Append(d, db::EncodeText(Text(6, "MIRROR", -10, 20, 1000000, 0, 1)));
  type("MKCELL MID");
  Append(d, db::EncodeSingle(Placed("LEAF", 10000, -5000, 1, 2000000, 90000000)));
  type("MKCELL SKEW");
  Append(d, db::EncodeArea(ElementType::Rect, 7, Square(0, 0, 1000)));
  type("MKCELL TOP");
  Append(d, db::EncodeArray(
                Grid(Placed("MID", 1000, 2000, 0, 1000000, 90000000), 3, 2, 20000, 15000)));
  Append(d, db::EncodeArray(Grid(Placed("LEAF", -50000, 0, 1), 2, 2, 5000, 3000)));
  Append(d, db::EncodeArray(
                Grid(Placed("SKEW", 0, -100000, 0, 2000000, 45000000), 2, 3, 10000, 4000)));
  type("GDSOUT");
  ASSERT_TRUE(takeBoxes().empty());
  ASSERT_TRUE(fs::exists(dir / "out.str"));

  const std::set<std::string> got = klayoutDump("out.str", "TOP");
  std::set<std::string> want = {
      "CELL LEAF", "CELL MID", "CELL SKEW", "CELL TOP", "LEAF BOX L2/0 0,0 2000,2000",
      "LEAF POLY L3/0 0,0 1500,2500 3000,0",
      "LEAF PATH L4/0 w=500 ext=0,0 round=0 0,0 4000,0 4000,3000",
      "LEAF PATH L5/0 w=200 ext=100,100 round=0 0,0 1000,0",
      // A text's magnification is its height, 1.5 microns here, as in the DXF output.
      "LEAF TEXT L6/0 'HELLO' r90 250,750 size=1500", "LEAF TEXT L6/0 'MIRROR' m0 -10,20 size=0",
      "MID INST LEAF rot=90 m=1 mag=2 at 10000,-5000", "SKEW BOX L7/0 0,0 1000,1000",
      "TOP INST MID rot=90 m=0 mag=1 at 1000,2000 2*(-15000,0) 3*(0,20000)",
      "TOP INST LEAF rot=0 m=1 mag=1 at -50000,0 2*(0,-3000) 2*(5000,0)"};
  // The leaf square through the mirrored, doubled, quarter-turned MID and the turned array of
  // MID: x from 2000 to 6000 less 15000 a row, y from 12000 to 16000 plus 20000 a column.
  auto box = [](int layer, int x0, int y0, int x1, int y1) {
    return "FLAT L" + std::to_string(layer) + " " + std::to_string(x0) + "," + std::to_string(y0) +
           " " + std::to_string(x1) + "," + std::to_string(y1);
  };
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j)
      want.insert(box(2, 2000 - 15000 * j, 12000 + 20000 * i, 6000 - 15000 * j, 16000 + 20000 * i));
  // The mirrored array: rows go down from its origin, and the square hangs below each copy.
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j)
      want.insert(box(2, -50000 + 5000 * i, -2000 - 3000 * j, -48000 + 5000 * i, -3000 * j));
  for (const auto& w : want) EXPECT_TRUE(got.count(w)) << "missing: " << w;
  // KLayout may cut the slanted array into pieces of its own lattice; its copies are checked
  // below instead.
  for (const auto& g : got) {
    const bool mine = g.rfind("FLAT", 0) != 0 || g.rfind("FLAT L2 ", 0) == 0;
    if (mine && g.rfind("CENTRE", 0) != 0 && g.rfind("TOP INST SKEW", 0) != 0) {
      EXPECT_TRUE(want.count(g)) << "unexpected: " << g;
    }
  }
  // The slanted array: copies at the origin plus 10000 along 45 degrees a column and 4000 along
  // 135 degrees a row; the doubled square turned by 45 degrees has its centre 1414 above each.
  std::vector<std::pair<double, double>> centres;
  for (const auto& g : got) {
    double x = 0, y = 0;
    if (std::sscanf(g.c_str(), "CENTRE %lf %lf", &x, &y) == 2) centres.emplace_back(x, y);
  }
  ASSERT_EQ(6u, centres.size());
  const double c45 = std::sqrt(0.5);
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) {
      const double x = c45 * (10000 * i - 4000 * j), y = -100000 + c45 * (10000 * i + 4000 * j);
      bool found = false;
      for (const auto& [cx, cy] : centres) found |= std::hypot(cx - x, cy - y - 1414.2) < 3;
      EXPECT_TRUE(found) << "no copy near " << x << "," << y;
    }
  }
}

// KLayout's arrays at every angle from 0 to 345 degrees in steps of 15, mirrored and not: steps
// of 10 microns along the placement's own axes, rounded to the grid as KLayout keeps them.
// KLayout writes the slanted ones with columns and rows exchanged.
constexpr const char* kKLayoutArrays = R"PY(
import pya
ly = pya.Layout()
ly.dbu = 0.001
leaf = ly.create_cell("LEAF")
pts = [(0, 0), (3000, 0), (3000, 1000), (1000, 1000), (1000, 2500), (0, 2500)]
leaf.shapes(ly.layer(1, 0)).insert(pya.Polygon([pya.Point(x, y) for x, y in pts]))
top = ly.create_cell("TOP")
for k in range(24):
    for m in (False, True):
        turn = pya.DCplxTrans(1.0, 15 * k, False, pya.DVector())
        a = turn * pya.DVector(10000, 0)
        b = turn * pya.DVector(0, -10000 if m else 10000)
        at = pya.Vector(80000 * k, 80000 if m else 0)
        top.insert(pya.CellInstArray(leaf.cell_index(), pya.ICplxTrans(1.0, 15 * k, m, at),
                                     pya.Vector(round(a.x), round(a.y)),
                                     pya.Vector(round(b.x), round(b.y)), 3, 2))
ly.write(dst)
)PY";

TEST_F(StreamOracle, ArraysFromOtherWritersKeepEveryMember) {
  if (!Have("command -v klayout")) GTEST_SKIP() << "no klayout";
  std::ofstream(dir / "arrays.py") << kKLayoutArrays;
  ASSERT_TRUE(shell("klayout -b -r arrays.py -rd dst=klayout.gds")) << ReadFile(dir / "run.out");
  // Hand-made arrays along the global axes: columns along the placement's y axis (0, 90 mirrored
  // and 270 degrees), the usual order (180 mirrored), and lattices no design array can hold: a
  // slanted column step, and both steps along x.
  gds::testing::StreamBuilder b;
  b.library().structure("LEAF");
  b.boundary(1, {0, 0, 3000, 0, 3000, 1000, 1000, 1000, 1000, 2500, 0, 2500, 0, 0});
  b.endStructure().structure("TOP");
  b.aref("LEAF", 3, 2, {0, 0, 0, 30000, 12000, 0});
  b.aref("LEAF", 3, 2, {80000, 0, 110000, 0, 80000, 12000}, 0x8000, 90);
  b.aref("LEAF", 3, 2, {160000, 0, 130000, 0, 160000, 12000}, 0x8000, 180);
  b.aref("LEAF", 3, 2, {240000, 0, 270000, 0, 240000, 12000}, 0, 270);
  b.aref("LEAF", 3, 2, {320000, 0, 350000, 15000, 320000, 12000});
  b.aref("LEAF", 3, 2, {400000, 0, 430000, 0, 412000, 0});
  b.endStructure().endLibrary();
  gds::testing::WriteBytes(dir / "hand.gds", b.bytes());

  struct Case {
    const char* file;
    std::size_t arrays, singles;  // what the design keeps
  } cases[] = {
      // The quarter and eighth turns stay arrays; at the other angles KLayout's integer steps
      // are no turned pitch of whole units, so those arrays come in as single placements.
      {"klayout", 16, 32 * 6},
      {"hand", 4, 2 * 6}};
  for (const auto& c : cases) {
    const std::string name = c.file;
    type("GDSIN " + name + ".gds");
    ASSERT_TRUE(app.design.isOpen()) << name;
    std::size_t arrays = 0, singles = 0;
    for (const auto& l : db::testing::DumpDesign(app.design.image)) {
      arrays += l.rfind("  AREF", 0) == 0;
      singles += l.rfind("  SREF", 0) == 0;
    }
    EXPECT_EQ(c.arrays, arrays) << name;
    EXPECT_EQ(c.singles, singles) << name;
    // Each exploded array is named in the log with the cell that holds it.
    const std::string log = ReadFile(dir / (name + ".txt"));
    const std::string line = " TOP \xA5\xA5\xA5";
    const std::string what = " ***WARNING*** AREF LEAF SPLIT INTO 6 SREF\n";
    std::size_t exploded = 0;
    for (std::size_t at = 0; (at = log.find(what, at)) != std::string::npos; ++at)
      exploded += log.rfind(line, at) == log.rfind('\n', at) + 1;
    EXPECT_EQ(c.singles / 6, exploded) << log;
    type("GDSOUT " + name + ".str");
    type("CLOSE 0");
    EXPECT_TRUE(takeBoxes().empty()) << name;
    // Flattened, what came back covers exactly what went in.
    EXPECT_TRUE(flatEqual(name + ".gds", name + ".str"))
        << name << ": " << ReadFile(dir / "run.out");
  }
}

// gdspy's library with every element kind, every path end, arrays and references under
// reflection, rotation and magnification, and a chain of 20 cells each placing the one before.
constexpr const char* kGdspyWrite = R"PY(
import gdspy
lib = gdspy.GdsLibrary(name="GDSPY", unit=1e-6, precision=1e-9)
def cell(name):
    c = gdspy.Cell(name, exclude_from_current=True)
    lib.add(c)
    return c
leaf = cell("LEAF")
leaf.add(gdspy.Rectangle((0, 0), (2, 1), layer=1))
leaf.add(gdspy.Polygon([(0, 0), (3, 0), (1.5, 2.5)], layer=2))
pts = [(0, 0), (10, 0), (10, 5)]
leaf.add(gdspy.FlexPath(pts, 0.5, ends="flush", gdsii_path=True, layer=3))
leaf.add(gdspy.FlexPath(pts, 0.5, ends="round", gdsii_path=True, layer=4))
leaf.add(gdspy.FlexPath(pts, 0.5, ends="extended", gdsii_path=True, layer=5))
leaf.add(gdspy.FlexPath(pts, 0.5, ends=(0.1, 0.3), gdsii_path=True, layer=6))
leaf.add(gdspy.Label("PLAIN", (1, 2), layer=7))
leaf.add(gdspy.Label("TURNED", (-1, -2), layer=8, rotation=30, magnification=2.5,
                     x_reflection=True))
top = cell("TOP")
top.add(gdspy.CellReference(leaf, (5, 6)))
top.add(gdspy.CellReference(leaf, (7, 8), rotation=90, magnification=3, x_reflection=True))
top.add(gdspy.CellArray(leaf, 3, 2, (20, 15), (1, 2)))
top.add(gdspy.CellArray(leaf, 3, 2, (20, 15), (1, 2), rotation=90, x_reflection=True,
                        magnification=2))
top.add(gdspy.CellArray(leaf, 4, 1, (10, 0), (0, 0), rotation=180))
prev = leaf
for k in range(20):
    c = cell("DEEP%02d" % k)
    c.add(gdspy.CellReference(prev, (1, 0), rotation=90 if k % 2 else 0))
    prev = c
lib.write_gds("spy.gds")
)PY";

TEST_F(StreamOracle, WhatGdspyWritesComesInWithItsGeometry) {
  if (!Have("/usr/bin/python3 -c 'import gdspy'")) GTEST_SKIP() << "/usr/bin/python3 lacks gdspy";
  std::ofstream(dir / "spy.py") << kGdspyWrite;
  ASSERT_TRUE(shell("/usr/bin/python3 spy.py")) << ReadFile(dir / "run.out");
  type("GDSIN spy.gds");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_TRUE(takeBoxes().empty());
  const auto dump = db::testing::DumpDesign(app.design.image);
  std::vector<std::string> want = {
      "CELL LEAF",
      "  POLY L1 (0,0)(0,1000)(2000,1000)(2000,0)(0,0)",
      "  POLY L2 (0,0)(3000,0)(1500,2500)(0,0)",
      "  LINE L3 tip=0 w=500 (0,0)(10000,0)(10000,5000)",
      "  LINE L4 tip=1 w=500 (0,0)(10000,0)(10000,5000)",  // round ends kept as square ends
      "  LINE L5 tip=1 w=500 (0,0)(10000,0)(10000,5000)",
      "  LINE L6 tip=0 w=500 (0,0)(10000,0)(10000,5000)",  // custom ends are refused as flush
      "  TEXT L7 size=0 refl=0 mag=1000000 ang=0 'PLAIN' at 1000,2000",
      "  TEXT L8 size=0 refl=1 mag=2500000 ang=30000000 'TURNED' at -1000,-2000",
      "CELL TOP",
      "  SREF LEAF refl=0 mag=1000000 ang=0 at 5000,6000",
      "  SREF LEAF refl=1 mag=3000000 ang=90000000 at 7000,8000",
      "  AREF LEAF refl=0 mag=1000000 ang=0 3x2 pitch=20000,15000 at 1000,2000",
      "  AREF LEAF refl=1 mag=2000000 ang=90000000 3x2 pitch=20000,15000 at 1000,2000",
      "  AREF LEAF refl=0 mag=1000000 ang=180000000 4x1 pitch=10000,0 at 0,0"};
  for (int k = 0; k < 20; ++k) {
    char name[16], placed[16];
    std::snprintf(name, sizeof name, "DEEP%02d", k);
    std::snprintf(placed, sizeof placed, "DEEP%02d", k - 1);
    want.push_back(std::string("CELL ") + name);
    want.push_back(std::string("  SREF ") + (k == 0 ? "LEAF" : placed) +
                   " refl=0 mag=1000000 ang=" + (k % 2 ? "90000000" : "0") + " at 1000,0");
  }
  EXPECT_EQ(want, dump);
  EXPECT_TRUE(lav::testing::ContainsPart(lines, "***ERROR*** PATHTYPE"));  // the custom ends
  const std::string log = ReadFile(dir / "spy.txt");
  EXPECT_NE(std::string::npos, log.find("LTYPE=1 X:0.000 Y:0.000"));
  EXPECT_NE(std::string::npos, log.find("nomal end"));
}

TEST_F(StreamOracle, DesignSurvivesTheTripThroughAStreamFile) {
  type("NEW trip");
  db::DesignState& d = app.design;
  type("MKCELL LEAF");
  Append(d, db::EncodeArea(ElementType::Polygon, 5, {{0, 0}, {3000, 0}, {0, 4000}, {0, 0}}));
  Append(d, db::EncodeArea(ElementType::Polygon, 63, Square(-7, -9, 11)));
  Append(d, db::EncodeLine(6, 0, 250, {{0, 0}, {1000, 500}, {2000, 0}}));
  Append(d, db::EncodeLine(0, 1, 100, {{-5, -5}, {5, 5}}));
  // テスト T1
  Append(d, db::EncodeText(
                Text(9, "\x83\x65\x83\x58\x83\x67 T1", 10, 20, 3000000, 270000000, 1, 700)));
  type("MKCELL TOP");
  Append(d, db::EncodeSingle(Placed("LEAF", -1234, 5678, 1, 2500000, 45000000)));
  for (const std::uint32_t angle : {0u, 90000000u, 180000000u, 270000000u})
    for (const std::int16_t refl : {0, 1})
      Append(d, db::EncodeArray(
                    Grid(Placed("LEAF", -1234, 5678, refl, 2000000, angle), 4, 3, 7000, 9000)));
  const auto before = db::testing::DumpDesign(d.image);
  typeAll({"GDSOUT", "CLOSE 0"});
  ASSERT_TRUE(takeBoxes().empty());
  fs::rename(dir / "trip.str", dir / "back.str");
  type("GDSIN back.str");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_TRUE(takeBoxes().empty());
  // Texts keep their size as the stream's width; everything else comes back field for field.
  EXPECT_EQ(before, db::testing::DumpDesign(app.design.image));
}

// The same figures as KLayout draws them, for comparing a DXF input's stream output.
constexpr const char* kLongReference = R"PY(
import pya
ly = pya.Layout()
ly.dbu = 0.001
top = ly.create_cell("ENTITIES")
pts = [pya.Point(10000 * i, 70000 * (i % 2)) for i in range(9998)]
pts += [pya.Point(99970000, -500000), pya.Point(0, -500000)]
top.shapes(ly.layer(2, 0)).insert(pya.Polygon(pts))
line = [pya.Point(10000 * i, 1000000 + 50000 * (i % 2)) for i in range(10000)]
top.shapes(ly.layer(3, 0)).insert(pya.Path(line, 20000))
ly.write(dst)
)PY";

// Figures beyond the classic 200 vertices come in whole, survive the design file, and go out as
// they came; longer than one XY record holds, they go out in pieces that cover the same area.
TEST_F(StreamOracle, LongFiguresComeInWholeAndGoOutWithinTheStreamLimits) {
  const bool klayout = Have("command -v klayout");
  auto zigzag = [](int n, int step, int height, int y0 = 0) {
    std::vector<std::int32_t> v;
    for (int i = 0; i < n; ++i) v.insert(v.end(), {i * step, y0 + i % 2 * height});
    return v;
  };
  std::vector<std::int32_t> boundary = zigzag(3997, 10, 70);  // 4000 points with its closure
  boundary.insert(boundary.end(), {39960, -500, 0, -500, 0, 0});
  gds::testing::StreamBuilder b;
  b.library().structure("LONG").boundary(1, boundary);
  b.path(2, 0, 50, zigzag(500, 100, 300)).path(3, 2, 40, zigzag(500, 100, -300, 9000));
  gds::testing::WriteBytes(dir / "long.gds", b.endStructure().endLibrary().bytes());
  auto xyRecords = [](const std::string& file) {
    std::vector<std::vector<std::uint8_t>> xy;
    for (const auto& r : gds::testing::SplitRecords(gds::testing::ReadBytes(file)))
      if (r.type == static_cast<std::uint8_t>(gds::Rec::Xy)) xy.push_back(r.data);
    return xy;
  };
  const std::string notice = db::msg::kBeyondClassicVertices;
  type("GDSIN long.gds");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_TRUE(takeBoxes().empty());
  const auto els = db::testing::CellElements(app.design.image, "LONG");
  ASSERT_EQ(els.size(), 3u);
  EXPECT_EQ(els[0].pts.size(), 4000u);
  EXPECT_EQ(els[1].pts.size(), 500u);
  EXPECT_EQ(els[2].pts.size(), 500u);
  const auto before = db::testing::DumpDesign(app.design.image);
  typeAll({"GDSOUT out", "CLOSE"});
  EXPECT_TRUE(takeBoxes().empty());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), notice), 1);
  EXPECT_EQ(xyRecords((dir / "out.str").string()), xyRecords((dir / "long.gds").string()));
  if (klayout) {
    EXPECT_TRUE(flatEqual("long.gds", "out.str")) << ReadFile(dir / "run.out");
  }
  // Reopened, the design is what was stored, and says once again what it is.
  lines.clear();
  type("OPEN long");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ(before, db::testing::DumpDesign(app.design.image));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), notice), 1);
  type("CLOSE 0");

  // From DXF, a closed polyline of 10,000 vertices and an open one of 10,000 points.
  std::string polygon = "0 LWPOLYLINE 8 2 70 1 ", line = "0 LWPOLYLINE 8 3 43 20 ";
  for (int i = 0; i < 10000; ++i) {
    if (i < 9998)
      polygon += "10 " + std::to_string(10 * i) + " 20 " + std::to_string(i % 2 * 70) + " ";
    line += "10 " + std::to_string(10 * i) + " 20 " + std::to_string(1000 + i % 2 * 50) + " ";
  }
  polygon += "10 99970 20 -500 10 0 20 -500 ";
  write("wide.dxf", lav::interchange::testing::EntitiesFile(polygon + line));
  type("DXFIN wide.dxf");
  const auto read = db::testing::DumpDesign(app.design.image);
  typeAll({"GDSOUT wide", "DXFOUT back", "CLOSE 0", "DXFIN back.dxf"});
  EXPECT_TRUE(takeBoxes().empty());
  EXPECT_EQ(read, db::testing::DumpDesign(app.design.image));  // DXF output keeps every point
  type("CLOSE 0");
  const auto pieces = gds::testing::SplitRecords(gds::testing::ReadBytes(dir / "wide.str"));
  std::size_t boundaries = 0, paths = 0;
  for (const auto& r : pieces) {
    boundaries += r.type == static_cast<std::uint8_t>(gds::Rec::Boundary);
    paths += r.type == static_cast<std::uint8_t>(gds::Rec::Path);
    if (r.type == static_cast<std::uint8_t>(gds::Rec::Xy)) {
      EXPECT_LE(r.data.size(), 8191u * 8);
    }
  }
  EXPECT_GE(boundaries, 2u);
  EXPECT_EQ(paths, 2u);
  if (!klayout) GTEST_SKIP() << "no klayout";
  std::ofstream(dir / "reference.py") << kLongReference;
  ASSERT_TRUE(shell("klayout -b -r reference.py -rd dst=reference.oas"))
      << ReadFile(dir / "run.out");
  EXPECT_TRUE(flatEqual("reference.oas", "wide.str")) << ReadFile(dir / "run.out");
}

// 1,500 cells by gdspy: a top cell placing each of the others once.
constexpr const char* kGdspyMany = R"PY(
import gdspy
lib = gdspy.GdsLibrary(name="MANY", unit=1e-6, precision=1e-9)
top = gdspy.Cell("TOP", exclude_from_current=True)
lib.add(top)
for k in range(1499):
    c = gdspy.Cell("C%04d" % k, exclude_from_current=True)
    c.add(gdspy.Rectangle((0, 0), (1 + k % 7, 2), layer=k % 64))
    lib.add(c)
    top.add(gdspy.CellReference(c, (k * 10, (k % 13) * 10)))
lib.write_gds("many.gds")
)PY";

TEST_F(StreamOracle, FifteenHundredCellsPassEveryWalkOfTheDirectory) {
  if (const std::string why = gdspyLibrary("many", kGdspyMany); !why.empty()) GTEST_SKIP() << why;
  type("GDSIN many.gds");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), db::msg::kBeyondClassicCells), 1);
  std::size_t listed = 0;
  host.dialogHandlers["cell-list"] = [&](DialogModel& m) {
    listed = dynamic_cast<db::CellListDialog&>(m).lines.size();
  };
  // Deleted and restored across both parts of the directory, packed, and still all there.
  typeAll({"CELLS", "DELCELL C1400", "DELCELL C0005", "UNDELCELL C1400", "UNDELCELL C0005",
           "COMPACT 1", "OCELL TOP", "TREE", "GDSOUT out.str", "DXFOUT out.dxf", "CLOSE",
           "OPEN many", "GDSOUT again.str", "CLOSE 0"});
  EXPECT_EQ(listed, 1502u);
  EXPECT_TRUE(takeBoxes().empty());
  EXPECT_TRUE(flatEqual("many.gds", "out.str")) << ReadFile(dir / "run.out");
  // Reopened, the design writes the same stream: every structure, in the same order.
  auto records = [&](const char* name) {
    auto r = gds::testing::SplitRecords(gds::testing::ReadBytes(dir / name));
    std::erase_if(r, [](const auto& x) {
      return x.type == static_cast<std::uint8_t>(gds::Rec::BgnLib) ||
             x.type == static_cast<std::uint8_t>(gds::Rec::LibName);
    });
    return r;
  };
  const auto out = records("out.str");
  EXPECT_EQ(std::count_if(out.begin(), out.end(),
                          [](const auto& x) {
                            return x.type == static_cast<std::uint8_t>(gds::Rec::StrName);
                          }),
            1500);
  EXPECT_TRUE(out == records("again.str"));
  const std::string dxf = ReadFile(dir / "out.dxf");
  std::size_t blocks = 0;
  for (auto at = dxf.find("  0\nBLOCK\n"); at != std::string::npos;
       at = dxf.find("  0\nBLOCK\n", at + 1))
    ++blocks;
  EXPECT_EQ(blocks, 1500u);
  // The tree: its first line, TOP, and each placed cell once.
  const std::string tree = ReadFile(dir / "TREE000.TXT");
  EXPECT_EQ(std::count(tree.begin(), tree.end(), '\n'), 1501);
  EXPECT_NE(tree.find("C1498 "), std::string::npos);
}

// A library past every classic limit, about 30 MB: 1,500 cells, each with a path of 500 points
// and two of three with a boundary of 4,000 vertices, all placed by TOP.
constexpr const char* kGdspyLarge = R"PY(
import gdspy, math
lib = gdspy.GdsLibrary(name="LARGE", unit=1e-6, precision=1e-9)
top = gdspy.Cell("TOP", exclude_from_current=True)
lib.add(top)
ring = [(200 * math.cos(2 * math.pi * j / 3999), 200 * math.sin(2 * math.pi * j / 3999))
        for j in range(3999)]
zigzag = [(i * 0.1, (i % 2) * 0.3) for i in range(500)]
for k in range(1499):
    c = gdspy.Cell("C%04d" % k, exclude_from_current=True)
    c.add(gdspy.FlexPath(zigzag, 0.02, layer=2, gdsii_path=True))
    if k % 3:
        c.add(gdspy.Polygon(ring, layer=1))
    lib.add(c)
    top.add(gdspy.CellReference(c, ((k % 40) * 500, (k // 40) * 500)))
lib.write_gds("large.gds")
)PY";

TEST_F(StreamOracle, ALibraryPastEveryClassicLimitComesInAndGoesOutEqual) {
  if (const std::string why = gdspyLibrary("large", kGdspyLarge); !why.empty()) GTEST_SKIP() << why;
  ASSERT_GT(fs::file_size(dir / "large.gds"), 30'000'000u);
  typeAll(
      {"GDSIN large.gds", "GDSOUT out.str", "CLOSE", "OPEN large", "GDSOUT again.str", "CLOSE 0"});
  EXPECT_TRUE(takeBoxes().empty());
  std::size_t told = 0;
  for (const char* notice :
       {db::msg::kBeyondClassicSize, db::msg::kBeyondClassicCells, db::msg::kBeyondClassicVertices})
    told += std::count(lines.begin(), lines.end(), notice);
  EXPECT_EQ(told, 2u);  // once when it came in, once when it was opened again
  for (const char* out : {"out.str", "again.str"})
    EXPECT_TRUE(flatEqual("large.gds", out)) << out << ": " << ReadFile(dir / "run.out");
}

}  // namespace
}  // namespace lav::interchange
