// Stream input as the user runs it: files built record by record become designs; bad files end
// with their message and no design; names, units, arrays and paths come in as they were meant.
// And GDSII against independent programs: every kind of element we write is read by KLayout
// as we meant it, down to the flattened copies of arrays; files written by gdspy and KLayout
// come in with the geometry they describe; and a design survives the trip through a stream file.
#include "interchange/gds_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "db/design_builder.h"
#include "db/messages.h"
#include "design_dump.h"
#include "dxf_test_support.h"
#include "gds_test_support.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;
using db::ElementType;
using db::testing::Append;
using db::testing::Grid;
using db::testing::Placed;
using db::testing::Square;
using db::testing::Text;
using gds::Rec;
using gds::testing::ReadBytes;
using gds::testing::ReadFile;
using gds::testing::SplitRecords;
using gds::testing::StreamBuilder;
using gds::testing::WriteBytes;
using lav::testing::ContainsPart;
using lav::testing::Have;
using lav::testing::Split;
constexpr std::uint8_t T(Rec r) {
  return static_cast<std::uint8_t>(r);
}

class StreamInput : public lav::testing::TypingSession {
 protected:
  // Writes the file, reads it with the command and returns the design as lines.
  std::vector<std::string> read(const std::vector<std::uint8_t>& bytes,
                                const std::string& name = "in.str") {
    WriteBytes(dir / name, bytes);
    type("GDSIN " + name);
    if (!app.design.isOpen()) return {};
    return db::testing::DumpDesign(app.design.image);
  }
  void closeDesign() {
    if (app.design.isOpen()) type("CLOSE 0");
  }
  // Whether the log holds the parts, "|" between them, in this order.
  bool logged(const std::string& parts) {
    const std::string log = ReadFile(dir / "in.txt");
    std::size_t at = 0;
    for (const std::string& part : Split(parts)) {
      at = log.find(part, at);
      if (at == std::string::npos) return false;
      ++at;
    }
    return true;
  }
};

// Every element kind as another writer makes it: WhatGdspyWritesComesInWithItsGeometry below.
// Here the rest of a plain run: the design's file, the current cell, the dates, the log, the view.
TEST_F(StreamInput, ARunKeepsTheDatesLogsTheCellsAndOpensOnTheFixedView) {
  StreamBuilder b;
  b.library().structure("LEAF").path(1, 1, 100, {1500, 2500, 3000, 2500});
  b.endStructure().structure("TOP").sref("LEAF", 100, 200).path(1, 1, 0, {0, 0, 10, 0});
  b.endStructure().endLibrary();
  app.display.view.window = {0, 0, 47000, 37000};
  // A round path of no width is a plain line and no warning.
  EXPECT_EQ(
      Split("CELL LEAF|  LINE L1 tip=1 w=100 (1500,2500)(3000,2500)|CELL TOP|"
            "  SREF LEAF refl=0 mag=1000000 ang=0 at 100,200|  LINE L1 tip=0 w=0 (0,0)(10,0)"),
      read(b.bytes()));
  EXPECT_TRUE(takeBoxes().empty());
  EXPECT_EQ(dir / "in.cad", fs::path(app.design.path));
  EXPECT_EQ("TOP", app.design.current.name);  // the last cell read stays current
  // The cells keep the file's dates.
  EXPECT_EQ((db::Stamp{26, 1, 2, 3, 4, 5}), app.design.current.entry.created);
  EXPECT_EQ((db::Stamp{26, 6, 7, 8, 9, 10}), app.design.current.entry.modified);
  // The cell lines sorted, then the end, then the round ends of a wide path as a warning.
  EXPECT_TRUE(
      logged(" LAVINOR STRIN Ver 4.50| LEAF                             26/01/02 03:04:05"
             "   26/06/07 08:09:10| TOP |nomal end| LEAF " +
             std::string(28, '\xA5') + " ***WARNING*** LTYPE=1 X:1.500 Y:2.500\n"))
      << ReadFile(dir / "in.txt");
  EXPECT_FALSE(logged("LTYPE=1 X:0.000")) << ReadFile(dir / "in.txt");
  // A new design opens on the fixed view: the window holds the corners (-1000, -1000) and
  // (5000, 5000) user units, fitted to the window's shape.
  const auto& w = app.display.view.window;
  EXPECT_LE(w.xmin, -1000000);
  EXPECT_LE(w.ymin, -1000000);
  EXPECT_GE(w.xmax, 5000000);
  EXPECT_GE(w.ymax, 5000000);
  EXPECT_NEAR((w.xmin + w.xmax) / 2.0, 2000000, 2);
  EXPECT_NEAR((w.ymin + w.ymax) / 2.0, 2000000, 2);
  EXPECT_TRUE(w.xmin == -1000000 || w.ymin == -1000000);
  // Dates outside two digits become zero.
  closeDesign();
  StreamBuilder d;
  d.library().structure("A", {2026, 12, 6, 1, 2, 3, 1999, 1, 1, 0, 0, 0}).endStructure();
  read(d.endLibrary().bytes(), "dates.str");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ((db::Stamp{0, 12, 6, 1, 2, 3}), app.design.current.entry.created);
  EXPECT_EQ((db::Stamp{0, 1, 1, 0, 0, 0}), app.design.current.entry.modified);
}

// Odd files, and array lattices that other writers make (the plain, reflected, turned and
// slanted ones of KLayout and by hand are StreamOracle.LongFiguresComeInWholeAndArrays...'s).
TEST_F(StreamInput, OddFilesComeInAsTheseDesignsAndTheLogSaysWhyBadOnesStopWithTheirMessage) {
  // Cell T places L as an array of this lattice.
  const auto array = [](int columns, int rows, const std::vector<std::int32_t>& xy) {
    StreamBuilder b;
    b.library().structure("L").endStructure().structure("T");
    return b.aref("L", columns, rows, xy).endStructure().endLibrary().bytes();
  };
  const auto names = [] {
    StreamBuilder b;
    b.library().structure("TOP").sref("A B&C", 0, 0).sref("A_B_C", 10, 0).endStructure();
    b.structure("A B&C").boundary(1, {0, 0, 1, 0, 1, 1, 0, 0}).endStructure();
    b.structure("A_B_C").boundary(2, {0, 0, 2, 0, 2, 2, 0, 0}).endStructure();
    return b.structure(std::string(40, 'L')).endStructure().endLibrary().bytes();
  };
  const auto macPrefix = [] {
    StreamBuilder b;
    auto bytes = b.library().structure("A").endStructure().endLibrary().bytes();
    bytes.insert(bytes.begin(), 128, 0x4D);
    return bytes;
  };
  // A structure without a name cannot become a cell: the log says so each time, and the
  // structures around it come in whole.
  const auto unnamed = [] {
    StreamBuilder b;
    b.library().structure("A").boundary(1, {0, 0, 10, 0, 10, 10, 0, 0}).endStructure();
    b.structure("").boundary(1, {0, 0, 10, 0, 10, 10, 0, 0}).text(2, "T", 0, 0).endStructure();
    b.structure("").boundary(1, {0, 0, 5, 0, 5, 5, 0, 0}).endStructure();
    b.structure("C").boundary(3, {0, 0, 20, 0, 20, 20, 0, 0}).endStructure();
    return b.endLibrary().bytes();
  };
  const auto placements = [] {
    StreamBuilder b;
    b.library().structure("A").sref("B", 0, 0).sref("NOWHERE", 0, 0).endStructure();
    return b.structure("B").sref("A", 0, 0).endStructure().endLibrary().bytes();
  };
  // The warnings of a run that stopped on a format error end up in its log.
  const auto failed = [] {
    StreamBuilder b;
    b.library().structure("B").path(1, 1, 100, {1500, 2500, 3000, 2500});
    return b.raw(0x3C, 0, {}).bytes();  // a record no stream has: the run stops
  };
  // A UNITS record after the first structure, and again, still heads the log once.
  const auto lateUnits = [] {
    StreamBuilder b;
    b.w().int16s(T(Rec::Header), {600});
    b.w().int16s(T(Rec::BgnLib), {126, 12, 6, 1, 2, 3, 126, 12, 6, 1, 2, 3});
    b.structure("A").endStructure();
    b.w().reals(T(Rec::Units), {0.001, 1e-9});
    b.w().reals(T(Rec::Units), {0.001, 1e-9});
    return b.structure("B").endStructure().endLibrary().bytes();
  };
  const std::string s = "refl=0 mag=1000000 ang=0 at ";
  const std::string third = "CELL L|CELL T|  SREF L " + s + "0,0|  SREF L " + s +
                            "3333,0|  SREF L " + s + "6667,0|  SREF L " + s + "0,2500|  SREF L " +
                            s + "3333,2500|  SREF L " + s + "6667,2500";
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::string dump;     // the design's lines, "|" between them
    const char* logged;   // parts of the log in order, "|" between them
    const char* printed;  // parts of lines of the Command Window, "|" between them
  } cases[] = {
      {"a failed run", failed(), "", "Error end|***WARNING*** LTYPE=1 X:1.500 Y:2.500", ""},
      {"an array of no columns is kept as one", array(0, 2, {0, 0, 0, 0, 0, 10000}),
       "CELL L|CELL T|  AREF L refl=0 mag=1000000 ang=0 1x2 pitch=0,5000 at 0,0",
       " ***ERROR*** ARRAY\n", "***ERROR*** ARRAY"},
      {"columns running left", array(3, 2, {100, 100, -29900, 100, 100, 10100}),
       "CELL L|CELL T|  AREF L refl=0 mag=1000000 ang=0 3x2 pitch=-10000,5000 at 100,100",
       "nomal end", ""},
      // Columns along the placement's y axis and rows along its x axis, as KLayout writes a
      // turned array: kept with columns and rows exchanged.
      {"columns and rows exchanged", array(2, 3, {0, 0, 0, 10000, 30000, 0}),
       "CELL L|CELL T|  AREF L refl=0 mag=1000000 ang=0 3x2 pitch=10000,5000 at 0,0", "nomal end",
       ""},
      // A lattice no array of the design reproduces, a third of 10 microns: every member a
      // single placement at its place, and the log names the cell that held the array.
      {"a third of 10 microns", array(3, 2, {0, 0, 10000, 0, 0, 5000}), third, " T \xA5", ""},
      {"names are cleaned and collisions made unique", names(),
       "CELL TOP|  SREF A_B_C " + s + "0,0|  SREF A_B_C$1 " + s +
           "10,0|CELL A_B_C|  POLY L1 (0,0)(1,0)(1,1)(0,0)|CELL A_B_C$1|  POLY L2 "
           "(0,0)(2,0)(2,2)(0,0)|CELL " +
           std::string(32, 'L'),
       "RENAMED", ""},
      {"a Mac prefix is skipped", macPrefix(), "CELL A", ".str\t (Mac File)\n", ""},
      {"a late UNITS record", lateUnits(), "CELL A|CELL B", " LAVINOR STRIN|Data Base Unit| A | B ",
       ""},
      {"structures without a name are skipped", unnamed(),
       "CELL A|  POLY L1 (0,0)(10,0)(10,10)(0,0)|CELL C|  POLY L3 (0,0)(20,0)(20,20)(0,0)",
       "STRUCTURE WITHOUT A NAME SKIPPED|STRUCTURE WITHOUT A NAME SKIPPED", ""},
      {"undefined and recursive placements", placements(),
       "CELL A|  SREF B " + s + "0,0|  SREF NOWHERE " + s + "0,0|CELL B|  SREF A " + s + "0,0",
       "UNDEFINED CELL NOWHERE", "UNDEFINED CELL NOWHERE|RECURSIVE PLACEMENT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    lines.clear();
    EXPECT_EQ(read(c.bytes), Split(c.dump));
    EXPECT_TRUE(logged(c.logged)) << ReadFile(dir / "in.txt");
    EXPECT_FALSE(logged("DEGENERATE"));
    EXPECT_FALSE(logged("LAVINOR STRIN|LAVINOR STRIN"));
    for (const auto& part : Split(c.printed)) EXPECT_TRUE(ContainsPart(lines, part)) << part;
    EXPECT_FALSE(fs::exists(dir / "in.PH$"));
    closeDesign();
    fs::remove(dir / "in.cad");
  }
  // Bad files end with the message and no design.
  // The records after the head of a file (a library and the structure A begun), as bytes.
  const auto after = [](std::initializer_list<gds::testing::Raw> records) {
    StreamBuilder b;
    b.library().structure("A");
    for (const auto& r : records) b.raw(r.type, r.kind, r.data);
    return b.bytes();
  };
  auto cut = [&](std::vector<std::uint8_t> tail, int boxes = 0) {  // bytes that are no whole record
    StreamBuilder head;
    head.library().structure("A");
    for (int i = 0; i < boxes; ++i) head.boundary(1, {0, 0, i + 1, 0, i + 1, 1, 0, 0});
    auto out = head.bytes();
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
  };
  struct Bad {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* record;     // the record the log names
    bool cutAtEnd = false;  // the message gives the file offsets of that record and of the end
  } bad[] = {
      {"LAYER without its value", after({{T(Rec::Layer), 2, {}}}), "record 7 (LAYER)"},
      {"XY of odd length", after({{T(Rec::Boundary), 0, {}}, {T(Rec::Xy), 3, {1, 2, 3, 4, 5}}}),
       "record 8 (XY)"},
      {"length zero", cut({0, 0, T(Rec::EndStr), 0}), "record 7 (ENDSTR)"},
      // The file is read in chunks of 1 MB: this record, past the end, lies beyond the first.
      {"record past the end of a long file", cut({0, 0x20, T(Rec::Xy), 3, 0, 0}, 20000),
       "record 100007 (XY)", true},
      {"SPACING", after({{0x18, 0, {}}}), "record 7 (SPACING)"},
      {"unknown record", after({{0x3C, 0, {}}}), "record 7 (unknown type 0x3C)"},
      {"no ENDLIB", after({{T(Rec::EndStr), 0, {}}}), "record 8 (no record header)"},
      {"three bytes", {0, 6, 0}, "record 1 (no record header)"}};
  for (const auto& c : bad) {
    host.boxes.clear();
    EXPECT_TRUE(read(c.bytes).empty()) << c.what;
    EXPECT_FALSE(app.design.isOpen()) << c.what;
    ASSERT_EQ(1u, host.boxes.size()) << c.what;
    EXPECT_EQ(0u, host.boxes[0].text.find("ストリームファイルにエラー(")) << c.what;
    if (c.cutAtEnd) {
      const std::size_t n = c.bytes.size();
      const std::string at = "(" + std::to_string(n - 4) + ")-(" + std::to_string(n) + ")";
      EXPECT_NE(std::string::npos, host.boxes[0].text.find(at)) << c.what;
    }
    EXPECT_TRUE(logged(std::string(": ") + c.record + " at byte|Error end")) << c.what;
    fs::remove(dir / "in.txt");
  }
  EXPECT_TRUE(printed("***ERROR*** SPACING"));
  // Every cut of a real file and random byte changes end with a design or a message.
  StreamBuilder b;
  b.library().structure("LEAF").boundary(5, {0, 0, 1000, 0, 1000, 2000, 0, 0});
  b.path(7, 1, 250, {0, 0, 5000, 0, 5000, 5000}).text(9, "HELLO", 1500, -2500).endStructure();
  b.structure("TOP").sref("LEAF", 100, 200);
  b.aref("LEAF", 3, 2, {0, 0, 30000, 0, 0, 10000}, 0x8000, 45).endStructure().endLibrary();
  const auto good = b.bytes();
  auto runOnce = [&](const std::vector<std::uint8_t>& bytes) {
    WriteBytes(dir / "f.str", bytes);
    host.boxes.clear();
    host.answers.assign(4, Answer::Yes);
    lines.clear();
    type("GDSIN f.str");
    const bool open = app.design.isOpen();
    if (open) {
      type("CLOSE 0");
    } else {
      EXPECT_FALSE(host.boxes.empty()) << "a failed read must say why";
    }
    std::error_code ec;
    fs::remove(dir / "f.cad", ec);
    return open;
  };
  EXPECT_TRUE(runOnce(good));
  const std::size_t end = good.size();
  for (std::size_t n = 0; n < end; ++n)
    EXPECT_FALSE(runOnce(std::vector<std::uint8_t>(good.begin(), good.begin() + n))) << n;
  std::mt19937 rng(7);
  for (int k = 0; k < 600; ++k) {
    auto bytes = std::vector<std::uint8_t>(good.begin(), good.begin() + end);
    for (int j = 0; j < 1 + k % 3; ++j)
      bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
    runOnce(bytes);
  }
  // Other units ask and scale; values beyond the design range stop the run.
  StreamBuilder units;
  units.library(200).structure("A").boundary(1, {0, 0, 200, 0, 200, 200, 0, 0}).endStructure();
  units.endLibrary();
  host.boxes.clear();
  host.answers.assign(1, Answer::No);
  EXPECT_TRUE(read(units.bytes()).empty());
  EXPECT_TRUE(lav::testing::OneBox(
      host, "データベースが違いますがこのまま実行しますか。\nCAD: 1000  GDSII: 200 "));
  EXPECT_FALSE(fs::exists(dir / "in.txt"));
  EXPECT_FALSE(fs::exists(dir / "in.cad"));
  host.boxes.clear();
  host.answers.push_back(Answer::Yes);
  const auto dump = read(units.bytes());
  ASSERT_EQ(2u, dump.size());
  EXPECT_EQ("  POLY L1 (0,0)(1000,0)(1000,1000)(0,0)", dump[1]);  // 200 file units = 1 micron
  EXPECT_EQ(200, app.settings.gdsDbUnit);
  closeDesign();
  StreamBuilder far;
  far.library(1).structure("A").boundary(1, {0, 0, 2147483, 0, 2147484, 1, 0, 0});
  far.endStructure().endLibrary();
  host.boxes.clear();
  host.answers.push_back(Answer::Yes);
  EXPECT_TRUE(read(far.bytes(), "far.str").empty());
  ASSERT_EQ(2u, host.boxes.size());
  EXPECT_NE(std::string::npos, host.boxes[1].text.find("範囲を超えています"));
  // The database unit of the file: without metres the user unit decides; the last row, a
  // nanometre user unit, where the metres decide (the files of the other tests take that path).
  struct Unit {
    double uu, metres;
    std::int32_t unit;
  };
  const Unit dbus[] = {{0.001, 0, 1000}, {0.0, 0.0, 0}, {1e-12, 0, 0}, {1.0, 1e-9, 1000}};
  for (const auto& c : dbus) EXPECT_EQ(c.unit, StreamDatabaseUnit(c.uu, c.metres)) << c.uu;
  // Twenty thousand structures, each placing the one after it, which the file has not defined yet.
  fs::remove(dir / "in.cad");
  host.boxes.clear();
  StreamBuilder many;
  many.library();
  constexpr int kCells = 20000;
  for (int i = 0; i < kCells; ++i) {
    many.structure("S" + std::to_string(i)).boundary(i % 64, {0, 0, 5, 0, 5, 5, 0, 0});
    if (i + 1 < kCells) many.sref("S" + std::to_string(i + 1), i, 0);
    many.endStructure();
  }
  const auto bytes = many.endLibrary().bytes();
  const auto cells = read(bytes);
  EXPECT_EQ(cells.size(), 3u * kCells - 1);
  EXPECT_EQ(cells[cells.size() - 3], "  SREF S19999 refl=0 mag=1000000 ang=0 at 19998,0");
  EXPECT_EQ(cells.back(), "  POLY L31 (0,0)(5,0)(5,5)(0,0)");
  EXPECT_TRUE(logged("S19999|nomal end"));
  EXPECT_FALSE(logged("UNDEFINED"));
  EXPECT_TRUE(takeBoxes().empty());
  closeDesign();
  fs::remove(dir / "in.txt");
  // A design that cannot grow by another chunk stops at that structure, whose elements must
  // never land in the cell before it.
  app.design.image.maxSize = db::kDataStart + 800 * db::kBlockSize + 30'000;
  EXPECT_TRUE(read(bytes).empty());
  EXPECT_FALSE(app.design.isOpen());
  EXPECT_EQ(takeBoxes(),
            std::vector<std::string>{"セル S800 を作成できません。セルの数が多すぎます。"});
  EXPECT_TRUE(logged("too many cells|Error end")) << ReadFile(dir / "in.txt");
  // Escape in the second 1 MB chunk of another file (24 steps of 4096 records); the steps
  // before go on.
  app.design.image.maxSize = db::kImageMaxSize;
  StreamBuilder e;
  e.library().structure("A");
  for (int i = 0; i < 25000; ++i) e.boundary(1, {0, 0, i + 1, 0, i + 1, 1, 0, 0});
  e.endStructure().endLibrary();
  int steps = 24;
  host.onMessageStep = [&](bool& flag) { flag = flag && --steps > 0; };
  EXPECT_TRUE(read(e.bytes()).empty());
  EXPECT_EQ(0, steps);
  EXPECT_FALSE(app.design.isOpen());
  EXPECT_TRUE(printed("*** Abortion ***"));
  EXPECT_TRUE(logged("stopped by Escape"));
}

TEST_F(StreamInput, RefusalsAndTheFileDialog) {
  StreamBuilder b;
  WriteBytes(dir / "have.str", b.library().structure("A").endStructure().endLibrary().bytes());
  std::ofstream(dir / "have.cad") << "design";
  type("GDSIN have");  // ".str" is added
  EXPECT_FALSE(app.design.isOpen());
  EXPECT_EQ("design", ReadFile(dir / "have.cad"));
  EXPECT_FALSE(fs::exists(dir / "have.txt"));
  EXPECT_TRUE(db::testing::OneBoxWith(takeBoxes(), "同名のファイル"));
  type("GDSIN missing.str");
  EXPECT_EQ(takeBoxes(),
            std::vector<std::string>{"ストリームファイル missing.str が見つかりません。"});
  // Without a name the file dialog chooses (its filter is WindowsTest's; a cancel, a refusal
  // while a design is open: DxfInput.RefusalsTheFileDialogAndEscape).
  fs::remove(dir / "have.cad");
  host.fileChoices.push_back(std::string("have.str"));
  type("GDSIN");
  EXPECT_EQ(1u, host.fileRequests.size());
  EXPECT_TRUE(app.design.isOpen());
}

// KLayout's view of a stream file: every cell's shapes and instances in its own words, then the
// centres of the layer 7 shapes of the flattened cell `flat`.
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
it = ly.cell(flat).begin_shapes_rec(ly.layer(7, 0))
while not it.at_end():
    b = it.shape().bbox().transformed(it.trans())
    out.write("CENTRE %d %d\n" % (b.center().x, b.center().y))
    it.next()
out.close()
)PY";

// 1,500 cells by gdspy: a top cell placing each of the others once. A design past the classic
// size is Batch.PastTheClassicSizeOrCellCountTheRunTellsOnce...'s; one notice at most is
// the dispatcher's single choice.
constexpr const char* kGdspyCells = R"PY(
import gdspy
lib = gdspy.GdsLibrary(name="MANY", unit=1e-6, precision=1e-9)
top = gdspy.Cell("TOP", exclude_from_current=True)
lib.add(top)
for k in range(1499):
    c = gdspy.Cell("C%04d" % k, exclude_from_current=True)
    c.add(gdspy.Rectangle((0, 0), (1 + k % 7, 2), layer=k % 64))
    top.add(gdspy.CellReference(c, (k * 10, (k % 13) * 10)))
    lib.add(c)
lib.write_gds("many.gds")
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
};

// A design of every element kind goes to a stream file and comes back field for field, and
// KLayout reads that file as we meant it.
TEST_F(StreamOracle, KLayoutReadsEveryElementAsWeMeantItAndTheDesignComesBack) {
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
  type("GDSOUT");  // what KLayout reads
  // Only for the trip back: the outer layers, a Shift-JIS text (テスト T1) and arrays at every
  // quarter turn, mirrored and not.
  type("MKCELL TRIP");
  Append(d, db::EncodeArea(ElementType::Polygon, 63, Square(-7, -9, 11)));
  Append(d, db::EncodeLine(0, 1, 100, {{-5, -5}, {5, 5}}));
  Append(d, db::EncodeText(
                Text(9, "\x83\x65\x83\x58\x83\x67 T1", 10, 20, 3000000, 270000000, 1, 700)));
  Append(d, db::EncodeSingle(Placed("LEAF", -1234, 5678, 1, 2500000, 45000000)));
  for (const std::uint32_t angle : {0u, 90000000u, 180000000u, 270000000u})
    for (const std::int16_t refl : {0, 1})
      Append(d, db::EncodeArray(
                    Grid(Placed("LEAF", -1234, 5678, refl, 2000000, angle), 4, 3, 7000, 9000)));
  const auto before = db::testing::DumpDesign(d.image, true);
  typeAll({"GDSOUT all", "CLOSE 0"});
  ASSERT_TRUE(takeBoxes().empty());
  type("GDSIN all.str");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_TRUE(takeBoxes().empty());
  // Texts keep their size as the stream's width; everything else comes back field for field.
  EXPECT_EQ(before, db::testing::DumpDesign(app.design.image));
  if (!Have("command -v klayout")) GTEST_SKIP() << "no klayout";
  std::ofstream(dir / "dump.py") << kKLayoutDump;
  ASSERT_TRUE(shell("klayout -b -r dump.py -rd src=out.str -rd dst=dump.txt -rd flat=TOP"))
      << ReadFile(dir / "run.out");
  const std::set<std::string> got = testing::LinesOf(ReadFile(dir / "dump.txt"));
  const std::set<std::string> want = {
      "CELL LEAF", "CELL MID", "CELL SKEW", "CELL TOP", "LEAF BOX L2/0 0,0 2000,2000",
      "LEAF POLY L3/0 0,0 1500,2500 3000,0",
      "LEAF PATH L4/0 w=500 ext=0,0 round=0 0,0 4000,0 4000,3000",
      "LEAF PATH L5/0 w=200 ext=100,100 round=0 0,0 1000,0",
      // A text's magnification is its height, 1.5 microns here, as in the DXF output.
      "LEAF TEXT L6/0 'HELLO' r90 250,750 size=1500", "LEAF TEXT L6/0 'MIRROR' m0 -10,20 size=0",
      "MID INST LEAF rot=90 m=1 mag=2 at 10000,-5000", "SKEW BOX L7/0 0,0 1000,1000",
      "TOP INST MID rot=90 m=0 mag=1 at 1000,2000 2*(-15000,0) 3*(0,20000)",
      "TOP INST LEAF rot=0 m=1 mag=1 at -50000,0 2*(0,-3000) 2*(5000,0)"};
  for (const auto& w : want) EXPECT_TRUE(got.count(w)) << "missing: " << w;
  // The other arrays' copies follow from their lines. KLayout may cut the slanted array into
  // pieces of its own lattice; its copies are checked below instead.
  for (const auto& g : got) {
    if (g.rfind("CENTRE", 0) != 0 && g.rfind("TOP INST SKEW", 0) != 0) {
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

TEST_F(StreamOracle, WhatGdspyWritesComesInWithItsGeometryAndFifteenHundredCellsPassEveryWalk) {
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
  const auto deep = [](int k) { return (k < 10 ? "DEEP0" : "DEEP") + std::to_string(k); };
  for (int k = 0; k < 20; ++k) {
    want.push_back("CELL " + deep(k));
    want.push_back("  SREF " + (k == 0 ? std::string("LEAF") : deep(k - 1)) +
                   " refl=0 mag=1000000 ang=" + (k % 2 ? "90000000" : "0") + " at 1000,0");
  }
  EXPECT_EQ(want, dump);
  EXPECT_TRUE(lav::testing::ContainsPart(lines, "***ERROR*** PATHTYPE"));  // the custom ends
  const std::string log = ReadFile(dir / "spy.txt");
  EXPECT_NE(std::string::npos, log.find("LTYPE=1 X:0.000 Y:0.000"));
  EXPECT_NE(std::string::npos, log.find("nomal end"));
  // 1,500 cells pass every walk of the directory.
  type("CLOSE 0");
  if (!Have("test -x /usr/lib/klayout/strmxor")) GTEST_SKIP() << "no strmxor";
  std::ofstream(dir / "cells.py") << kGdspyCells;
  ASSERT_TRUE(shell("/usr/bin/python3 cells.py")) << ReadFile(dir / "run.out");
  type("GDSIN many.gds");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), db::msg::kBeyondClassicCells), 1);
  // The walks of the cell commands over both parts of the directory are CellCommands' and
  // Compaction's; here the walks of the outputs and the tree.
  typeAll({"OCELL TOP", "TREE", "GDSOUT out.str", "DXFOUT out.dxf", "CLOSE 0"});
  EXPECT_TRUE(takeBoxes().empty());
  // Flattened, the stream covers what gdspy's covers: no structure is missing. (The design file
  // keeps both parts of the directory: CellCommands' extension test and the batch test.)
  EXPECT_TRUE(flatEqual("many.gds", "out.str")) << ReadFile(dir / "run.out");
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
TEST_F(StreamOracle, LongFiguresComeInWholeAndArraysOfOtherWritersKeepEveryMember) {
  auto zigzag = [](int n, int step, int height, int y0 = 0) {
    std::vector<std::int32_t> v;
    for (int i = 0; i < n; ++i) v.insert(v.end(), {i * step, y0 + i % 2 * height});
    return v;
  };
  std::vector<std::int32_t> boundary = zigzag(3997, 10, 70);  // 4000 points with its closure
  boundary.insert(boundary.end(), {39960, -500, 0, -500, 0, 0});
  StreamBuilder b;
  b.library().structure("LONG").boundary(1, boundary);
  b.path(2, 0, 50, zigzag(500, 100, 300)).path(3, 2, 40, zigzag(500, 100, -300, 9000));
  WriteBytes(dir / "long.gds", b.endStructure().endLibrary().bytes());
  auto xyRecords = [](const std::string& file) {
    std::vector<std::vector<std::uint8_t>> xy;
    for (const auto& r : SplitRecords(ReadBytes(file)))
      if (r.type == T(Rec::Xy)) xy.push_back(r.data);
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
  // The same XY records as the file read (what KLayout makes of pieces is checked below).
  EXPECT_EQ(xyRecords((dir / "out.str").string()), xyRecords((dir / "long.gds").string()));
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
  EXPECT_EQ(db::testing::CellElements(app.design.image, "ENTITIES").size(), 2u);  // each whole
  typeAll({"GDSOUT wide", "CLOSE 0"});
  EXPECT_TRUE(takeBoxes().empty());
  const auto pieces = SplitRecords(ReadBytes(dir / "wide.str"));
  std::size_t boundaries = 0, paths = 0;
  for (const auto& r : pieces) {
    boundaries += r.type == T(Rec::Boundary);
    paths += r.type == T(Rec::Path);
    if (r.type == T(Rec::Xy)) {
      EXPECT_LE(r.data.size(), 8191u * 8);
    }
  }
  EXPECT_GE(boundaries, 2u);
  EXPECT_EQ(paths, 2u);
  if (!Have("command -v klayout")) GTEST_SKIP() << "no klayout";
  std::ofstream(dir / "reference.py") << kLongReference;
  ASSERT_TRUE(shell("klayout -b -r reference.py -rd dst=reference.oas"))
      << ReadFile(dir / "run.out");
  EXPECT_TRUE(flatEqual("reference.oas", "wide.str")) << ReadFile(dir / "run.out");
  // Arrays from other writers keep every member.
  std::ofstream(dir / "arrays.py") << kKLayoutArrays;
  ASSERT_TRUE(shell("klayout -b -r arrays.py -rd dst=klayout.gds")) << ReadFile(dir / "run.out");
  // Hand-made arrays along the global axes: columns along the placement's y axis (0, 90 mirrored
  // and 270 degrees), the usual order (180 mirrored), and lattices no design array can hold: a
  // slanted column step, and both steps along x.
  StreamBuilder hand;
  hand.library().structure("LEAF");
  hand.boundary(1, {0, 0, 3000, 0, 3000, 1000, 1000, 1000, 1000, 2500, 0, 2500, 0, 0});
  hand.endStructure().structure("TOP");
  hand.aref("LEAF", 3, 2, {0, 0, 0, 30000, 12000, 0});
  hand.aref("LEAF", 3, 2, {80000, 0, 110000, 0, 80000, 12000}, 0x8000, 90);
  hand.aref("LEAF", 3, 2, {160000, 0, 130000, 0, 160000, 12000}, 0x8000, 180);
  hand.aref("LEAF", 3, 2, {240000, 0, 270000, 0, 240000, 12000}, 0, 270);
  hand.aref("LEAF", 3, 2, {320000, 0, 350000, 15000, 320000, 12000});
  hand.aref("LEAF", 3, 2, {400000, 0, 430000, 0, 412000, 0});
  hand.endStructure().endLibrary();
  WriteBytes(dir / "hand.gds", hand.bytes());

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
    // Each exploded array is named in the log; the cell beside it is checked by
    // StreamInput.OddFilesComeInAsTheseDesignsAndTheLogSaysWhy...
    const std::string log = ReadFile(dir / (name + ".txt"));
    std::size_t exploded = 0;
    for (std::size_t at = 0; (at = log.find("AREF LEAF SPLIT INTO 6 SREF\n", at)) != log.npos; ++at)
      ++exploded;
    EXPECT_EQ(c.singles / 6, exploded) << log;
    type("GDSOUT " + name + ".str");
    type("CLOSE 0");
    EXPECT_TRUE(takeBoxes().empty()) << name;
    // Flattened, what came back covers exactly what went in.
    EXPECT_TRUE(flatEqual(name + ".gds", name + ".str"))
        << name << ": " << ReadFile(dir / "run.out");
  }
}

}  // namespace
}  // namespace lav::interchange
