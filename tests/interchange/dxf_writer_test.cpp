// DXF output: the exact text of each element kind, the file's frame, and the command's refusals
// and failures (an existing file, a disk that fails mid-write, Escape).
#include "interchange/dxf_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../db/design_builder.h"
#include "../support/short_forms.h"
#include "../support/typing_session.h"
#include "db/layer_names.h"
#include "dxf_test_support.h"
#include "interchange/dxf_output.h"

namespace lav::interchange {
namespace {

using db::ElementType;
using db::testing::AddCell;
using db::testing::Append;
using db::testing::Grid;
using db::testing::NewImage;
using db::testing::OneBoxWith;
using db::testing::Placed;
using db::testing::Text;
using testing::G;
using testing::Groups;

std::string Dxf(const db::DesignImage& image, std::int32_t unit = 1000) {
  std::string out;
  DxfPairWriter w([&](std::string_view b) {
    out.append(b);
    return true;
  });
  DxfWriteOptions o;
  o.dbPerUserUnit = unit;
  EXPECT_EQ(WriteDxf(image, w, o).end, DxfWriteEnd::Normal);
  return out;
}

// The DXF text of a design of the given cells, the last one holding the records.
std::string Written(const std::vector<std::string>& cells,
                    const std::vector<std::vector<std::uint8_t>>& records = {},
                    std::int32_t unit = 1000) {
  db::DesignState d;
  NewImage(d);
  for (const auto& n : cells) AddCell(d, n);
  for (const auto& r : records) Append(d, r);
  return Dxf(d.image, unit);
}

// The text between "2 ENTITIES" and the section's ENDSEC.
std::string EntitiesOf(const std::string& dxf) {
  const std::string open = "  2\nENTITIES\n";
  const std::size_t a = dxf.find(open);
  if (a == std::string::npos) return "<no entities>";
  const std::size_t b = dxf.rfind("  0\nENDSEC\n");
  return dxf.substr(a + open.size(), b - a - open.size());
}

TEST(DxfWriter, WholeFileOfBlocksLayersAndEveryElementKind) {
  db::DesignState d;
  NewImage(d);
  AddCell(d, "A");
  Append(d, db::EncodeArea(ElementType::Polygon, 2, {{0, 0}, {1000, 0}, {0, 1000}, {0, 0}}));
  AddCell(d, "GONE");
  Append(d, db::EncodeArea(ElementType::Polygon, 9, {{0, 0}, {1000, 0}, {0, 1000}, {0, 0}}));
  d.image.bytes[db::SlotOffset(2)] = db::kDeletedCellMark;  // deleted cells are not written
  AddCell(d, "ENTITIES");
  const auto line = [](int tip) { return db::EncodeLine(7, tip, 2000, {{0, 0}, {10000, 0}}); };
  for (const auto& r :
       {db::EncodeArea(ElementType::Rect, 1, db::testing::Square(0, 0, 500)), line(1), line(0),
        db::EncodeText(Text(3, "AB C", 1250, -500, 1500000, 45000000)),
        db::EncodeSingle(Placed("A", 1000, 2000, 1, 2000000, 90000000)),
        db::EncodeArray(Grid(Placed("A", 0, 0), 3, 2, 10000, 5000)),
        db::EncodeArray(Grid(Placed("A", 0, 0, 1), 3, 2, 10000, 5000))})
    Append(d, r);
  ASSERT_EQ(db::SetLayerName(d.image, 2, "METAL1"), db::LayerNameResult::Stored);
  std::vector<G> expected = Groups(
      "0 SECTION 2 HEADER 9 $ACADVER 1 AC1009 9 $FILLMODE 70 0 0 ENDSEC 0 SECTION 2 TABLES 0 TABLE "
      "2 LAYER 70 4 0 LAYER 2 1 70 64 62 7 6 CONTINUOUS 0 LAYER 2 METAL1 70 64 62 7 6 CONTINUOUS 0 "
      "LAYER 2 3 70 64 62 7 6 CONTINUOUS 0 LAYER 2 7 70 64 62 7 6 CONTINUOUS 0 "
      "ENDTAB 0 ENDSEC 0 SECTION 2 BLOCKS 0 BLOCK 8 0 2 A 70 64 10 0.0 20 0.0 30 0.0 0 POLYLINE 8 "
      "METAL1 66 1 10 0.0 20 0.0 30 0.0 70 1 0 VERTEX 8 METAL1 10 0.0 20 0.0 30 0.0 0 VERTEX 8 "
      "METAL1 10 1.0 20 0.0 30 0.0 0 VERTEX 8 METAL1 10 0.0 20 1.0 30 0.0 0 VERTEX 8 METAL1 10 0.0 "
      "20 0.0 30 0.0 0 SEQEND 8 METAL1 0 ENDBLK 8 0 0 ENDSEC 0 SECTION 2 ENTITIES "
      // A rectangle of 5 vertices.
      "0 POLYLINE 8 1 66 1 10 0.0 20 0.0 30 0.0 70 1 0 VERTEX 8 1 10 0.0 20 0.0 30 0.0 0 "
      "VERTEX 8 1 10 0.5 20 0.0 30 0.0 0 VERTEX 8 1 10 0.5 20 0.5 30 0.0 0 VERTEX 8 1 10 "
      "0.0 20 0.5 30 0.0 0 VERTEX 8 1 10 0.0 20 0.0 30 0.0 0 SEQEND 8 1 "
      // A line of width 2 with extended tips, then with square tips: it keeps its ends.
      "0 POLYLINE 8 7 66 1 10 0.0 20 0.0 30 0.0 40 2.0 41 2.0 0 VERTEX 8 7 10 -1.0 20 0.0 "
      "30 0.0 40 2.0 41 2.0 42 0.0 0 VERTEX 8 7 10 11.0 20 0.0 30 0.0 40 2.0 41 2.0 42 0.0 "
      "0 SEQEND 8 7 "
      "0 POLYLINE 8 7 66 1 10 0.0 20 0.0 30 0.0 40 2.0 41 2.0 0 VERTEX 8 7 10 0.0 20 0.0 "
      "30 0.0 40 2.0 41 2.0 42 0.0 0 VERTEX 8 7 10 10.0 20 0.0 30 0.0 40 2.0 41 2.0 42 0.0 "
      "0 SEQEND 8 7 "
      "0 TEXT 8 3 10 1.25 20 -0.5 40 1.5 41 1.0 50 45.0");
  expected.push_back({1, "AB C"});
  // A single placement magnified, reflected and turned; an array; a reflected array, whose rows
  // go down from its origin.
  for (const G& g :
       Groups("0 INSERT 8 0 2 A 10 1.0 20 2.0 30 0.0 41 2.0 42 -2.0 43 2.0 50 90.0 "
              "0 INSERT 8 0 2 A 10 0.0 20 0.0 30 0.0 41 1.0 42 1.0 43 1.0 50 0.0 70 3 71 2 44 "
              "10.0 45 5.0 "
              "0 INSERT 8 0 2 A 10 0.0 20 0.0 30 0.0 41 1.0 42 -1.0 43 1.0 50 0.0 70 3 71 2 44 "
              "10.0 45 -5.0 0 ENDSEC 0 EOF"))
    expected.push_back(g);
  EXPECT_EQ(Dxf(d.image), testing::TextOf(expected));
  // Sections only for what the design has (both: the whole file above).
  struct Sections {
    std::vector<std::string> cells;
    bool blocks, entities;
  } sections[] = {{{"A", "B"}, true, false}, {{"ENTITIES"}, false, true}, {{}, false, false}};
  for (const Sections& c : sections) {
    const std::string dxf = Written(c.cells);
    EXPECT_EQ(dxf.find("BLOCKS\n") != std::string::npos, c.blocks) << c.cells.size();
    EXPECT_EQ(dxf.find("ENTITIES\n  0\n") != std::string::npos, c.entities);
    EXPECT_TRUE(dxf.ends_with("  0\nEOF\n"));
  }
  // Values in user units of the design, four decimals; eight decimals, and large values in fixed
  // form (the trimmed forms are in the whole file above).
  EXPECT_EQ(TrimmedNumber(1.23456789, 8), "1.23456789");
  EXPECT_EQ(TrimmedNumber(2147483.647, 4), "2147483.647");
  struct Units {
    std::int32_t unit, x;
    const char* text;
  } units[] = {{1000, 1, "0.001"}, {1000000, 50, "0.0001"}, {3, 1, "0.3333"}};
  for (const Units& c : units) {
    const std::string e =
        EntitiesOf(Written({"ENTITIES"}, {db::EncodeSingle(Placed("X", c.x, 0))}, c.unit));
    EXPECT_NE(e.find(" 10\n" + std::string(c.text) + "\n"), std::string::npos)
        << c.unit << " " << c.x << "\n"
        << e;
  }
  // Line ends in texts cannot break the pairs.
  const std::string e =
      EntitiesOf(Written({"ENTITIES"}, {db::EncodeText(Text(0, "one\r\ntwo\nthree", 0, 0))}));
  EXPECT_NE(e.find("  1\none  two three\n"), std::string::npos) << e;
}

// --- the command ---

using DxfOutputCommand = lav::testing::TypingSession;

// The failures (a disk that fails mid-write, Escape, a damaged cell) leave no file.
TEST_F(DxfOutputCommand, WritesFileAndLogTypedRefusesToOverwriteAndFailuresLeaveNoFile) {
  // A design whose text takes many writes of the output buffer.
  typeAll({"new work", "mkcell ENTITIES"});
  for (int i = 0; i < 3000; ++i)
    db::testing::Append(app.design,
                        db::EncodeArea(ElementType::Polygon, 4, db::testing::Square(i, 0, 1000)));
  type("dxfout");
  EXPECT_TRUE(takeBoxes().empty());
  const std::string dxf = read("work.dxf");
  EXPECT_TRUE(dxf.ends_with("  0\nEOF\n"));
  const std::string log = read("work.txt");
  EXPECT_NE(log.find(" LAVINOR DXFOUT Ver 4.50"), std::string::npos) << log;
  EXPECT_NE(log.find(" ENTITIES "), std::string::npos);
  EXPECT_NE(log.find("nomal end"), std::string::npos);
  type("dxfout");
  EXPECT_TRUE(OneBoxWith(takeBoxes(), "同名のファイル"));
  EXPECT_EQ(read("work.dxf"), dxf);  // untouched
  type("dxfout other.v2 -1");
  EXPECT_TRUE(std::filesystem::exists(dir / "other.dxf"));
  std::filesystem::remove(dir / "work.dxf");
  for (int allowed : {0, 1, 5}) {
    int calls = 0;
    DxfOutOptions o;
    o.sink = [&](std::string_view) { return calls++ < allowed; };
    const std::string name = "fail" + std::to_string(allowed);
    EXPECT_EQ(WriteDxfFile(app, name, o), DxfOutResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(dir / (name + ".dxf")));
    EXPECT_TRUE(OneBoxWith(takeBoxes(), "書き込みに失敗"));
    EXPECT_NE(read(name + ".txt").find("Error end"), std::string::npos);
  }
  host.onMessageStep = [](bool& flag) { flag = false; };
  type("dxfout");
  host.onMessageStep = nullptr;
  EXPECT_FALSE(std::filesystem::exists(dir / "work.dxf"));
  EXPECT_TRUE(lav::testing::ContainsPart(lines, "*** Abortion ***"));
  // A cell whose size is more than its chain holds stops the run.
  db::CellEntry e = db::ReadCellEntry(app.design.image, app.design.current.slotOffset);
  e.dataSize = 1000000;
  db::WriteCellEntry(app.design.image, app.design.current.slotOffset, e);
  takeBoxes();
  EXPECT_EQ(WriteDxfFile(app, "broken"), DxfOutResult::Failed);
  EXPECT_FALSE(std::filesystem::exists(dir / "broken.dxf"));
  EXPECT_TRUE(OneBoxWith(takeBoxes(), "ENTITIES のデーターが壊れています"));
}

}  // namespace
}  // namespace lav::interchange
