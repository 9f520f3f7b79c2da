// DXF against an independent reader and writer (ezdxf): what we write loads strictly and passes
// its audit with the layers, blocks, inserts and coordinates we meant; what ezdxf writes (R12)
// comes in with the geometry it describes; and our own files read back into the same design.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "../db/design_builder.h"
#include "../support/short_forms.h"
#include "../support/typing_session.h"
#include "db/layer_names.h"
#include "dxf_test_support.h"

namespace lav::interchange {
namespace {

using db::ElementType;
using db::testing::Append;
using db::testing::Grid;
using db::testing::Placed;
using db::testing::Text;
using lav::testing::Contains;
using testing::CellElements;
using testing::CellLines;
using testing::CellNames;

bool HaveEzdxf() {
  static const bool have = std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0;
  return have;
}

class DxfOracle : public lav::testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 lacks ezdxf";
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

TEST_F(DxfOracle, WhatWeWriteLoadsWithTheValuesWeMeant) {
  type("new out");
  db::DesignState& d = app.design;
  ASSERT_EQ(db::SetLayerName(d.image, 2, "METAL1"), db::LayerNameResult::Stored);
  type("mkcell LEAF");
  Append(d, db::EncodeArea(ElementType::Rect, 2, db::testing::Square(0, 0, 2000)));
  Append(d, db::EncodeLine(3, 1, 500, {{0, 0}, {4000, 0}, {4000, 3000}}));
  type("mkcell MID");
  Append(d, db::EncodeSingle(Placed("LEAF", 10000, -5000, 1, 2000000, 30000000)));
  Append(d, db::EncodeText(Text(4, "NOTE", 250, 750, 1500000, 90000000)));
  type("mkcell ENTITIES");
  Append(d, db::EncodeArray(Grid(Placed("MID", 1000, 2000, 1), 3, 2, 20000, 15000)));
  Append(d, db::EncodeArea(ElementType::Polygon, 2, {{0, 0}, {3000, 0}, {1500, 2500}, {0, 0}}));
  type("dxfout");
  ASSERT_TRUE(takeBoxes().empty());
  const std::string dxf = read("out.dxf");
  // ezdxf accepts a POLYLINE without its SEQEND, so that is counted here.
  auto count = [&](const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = dxf.find("  0\n" + word + "\n", at)) != std::string::npos; ++at)
      ++n;
    return n;
  };
  EXPECT_EQ(count("POLYLINE"), 3u);
  EXPECT_EQ(count("SEQEND"), 3u);

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
}

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

TEST_F(DxfOracle, WhatEzdxfWritesComesInWithItsGeometry) {
  for (const std::string version : {"R12", "R2000"}) {
    SCOPED_TRACE(version);
    if (app.design.isOpen()) type("close 0");
    std::filesystem::remove(dir / "ez.cad");
    python("VERSION = '" + version + "'" + kWriteScript);
    type("dxfin ez.dxf");
    ASSERT_TRUE(app.design.isOpen());
    EXPECT_TRUE(takeBoxes().empty());
    for (const char* cell : {"LEAF", "TOP", "ENTITIES"})
      EXPECT_TRUE(Contains(CellNames(app.design.image), cell)) << cell;
    // A named layer gets a number of its own.
    EXPECT_EQ(CellLines(app.design.image, "LEAF"),
              std::vector<std::string>{"LINE L3 tip=0 w=0 (0,0)(1000,0)"});
    EXPECT_EQ(CellLines(app.design.image, "TOP"),
              std::vector<std::string>{"SREF LEAF refl=0 mag=2000000 ang=30000000 at 5000,5000"});
    const auto els = CellElements(app.design.image, "ENTITIES");
    std::vector<std::string> lines;
    for (const auto& e : els) lines.push_back(e.line);
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

TEST_F(DxfOracle, OurFileReadsBackIntoTheSameDesign) {
  // The round trip needs no other program, but lives here with the other comparisons.
  type("new round");
  db::DesignState& d = app.design;
  type("mkcell SUB");
  Append(d, db::EncodeArea(ElementType::Polygon, 5, {{0, 0}, {3000, 0}, {0, 4000}, {0, 0}}));
  Append(d, db::EncodeLine(6, 0, 250, {{0, 0}, {1000, 500}, {2000, 0}}));
  type("mkcell ENTITIES");
  const db::Placement p = Placed("SUB", -1234, 5678, 1, 2500000, 45000000);
  Append(d, db::EncodeSingle(p));
  db::Placement a = Grid(p, 4, 3, 7000, 9000);
  a.reflection = 0;
  Append(d, db::EncodeArray(a));
  Append(d, db::EncodeText(Text(9, "T1", 10, 20, 3000000, 270000000)));
  const auto sub = CellLines(d.image, "SUB"), ent = CellLines(d.image, "ENTITIES");
  typeAll({"dxfout", "close 0"});
  std::filesystem::remove(dir / "round.cad");
  std::filesystem::remove(dir / "round.txt");
  type("dxfin round.dxf");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ(CellNames(app.design.image), (std::vector<std::string>{"SUB", "ENTITIES"}));
  EXPECT_EQ(CellLines(app.design.image, "SUB"), sub);
  EXPECT_EQ(CellLines(app.design.image, "ENTITIES"), ent);
}

}  // namespace
}  // namespace lav::interchange
