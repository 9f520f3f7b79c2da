// Stream input as the user runs it: files built record by record become designs; bad files end
// with their message and no design; names, units, arrays and paths come in as they were meant.
#include "interchange/gds_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include "db/messages.h"
#include "db/rounding.h"
#include "design_dump.h"
#include "gds_test_support.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;
using gds::Rec;
using gds::testing::Be16;
using gds::testing::Be32;
using gds::testing::ReadFile;
using gds::testing::StreamBuilder;
using gds::testing::WriteBytes;
using lav::testing::ContainsPart;
using lav::testing::OneBox;
using lav::testing::Split;
constexpr std::uint8_t T(Rec r) {
  return static_cast<std::uint8_t>(r);
}

class StreamInput : public lav::testing::TypingSession {
 protected:
  // Writes the file, reads it with the command and returns the design as lines.
  std::vector<std::string> read(const std::vector<std::uint8_t>& bytes,
                                const std::string& name = "in.str", const std::string& extra = "") {
    WriteBytes(dir / name, bytes);
    type("GDSIN " + name + extra);
    if (!app.design.isOpen()) return {};
    return db::testing::DumpDesign(app.design.image);
  }
  void closeDesign() {
    if (app.design.isOpen()) type("CLOSE 0");
  }
  // Whether the log holds the parts, "|" between them, in this order.
  bool logged(const std::string& parts, const std::string& name = "in.txt") {
    const std::string log = ReadFile(dir / name);
    std::size_t at = 0;
    for (const std::string& part : Split(parts)) {
      at = log.find(part, at);
      if (at == std::string::npos) return false;
      ++at;
    }
    return true;
  }
};

TEST_F(StreamInput, EveryElementKindBecomesItsRecordAndTheDesignOpensOnTheFixedView) {
  StreamBuilder b;
  b.library().structure("LEAF").boundary(5, {0, 0, 1000, 0, 1000, 2000, 0, 2000, 0, 0});
  b.path(7, 2, 250, {0, 0, 5000, 0, 5000, 5000}).path(8, 0, 0, {0, 0, -100, 0});
  b.path(1, 1, 100, {1500, 2500, 3000, 2500});
  b.text(9, "HELLO", 1500, -2500).endStructure().structure("TOP").sref("LEAF", 100, 200);
  b.path(1, 1, 0, {0, 0, 10, 0});
  b.aref("LEAF", 3, 2, {0, 0, 30000, 0, 0, 10000}).endStructure().endLibrary();
  app.display.view.window = {0, 0, 47000, 37000};
  EXPECT_EQ(Split("CELL LEAF|  POLY L5 (0,0)(1000,0)(1000,2000)(0,2000)(0,0)|  LINE L7 tip=1 "
                  "w=250 (0,0)(5000,0)(5000,5000)|  LINE L8 tip=0 w=0 (0,0)(-100,0)|  LINE L1 "
                  "tip=1 w=100 (1500,2500)(3000,2500)|  TEXT L9 "
                  "size=0 refl=0 mag=1000000 ang=0 'HELLO' at 1500,-2500|CELL TOP|  SREF LEAF "
                  "refl=0 mag=1000000 ang=0 at 100,200|  LINE L1 tip=0 w=0 (0,0)(10,0)|  AREF LEAF "
                  "refl=0 mag=1000000 ang=0 3x2 "
                  "pitch=10000,5000 at 0,0"),
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
  EXPECT_FALSE(fs::exists(dir / "in.PH$"));
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

// A UNITS record after the first structure still heads the log, once.
TEST_F(StreamInput, ALateUnitsRecordStillHeadsTheLogOnce) {
  StreamBuilder b;
  b.w().int16s(T(Rec::Header), {600});
  b.w().int16s(T(Rec::BgnLib), {126, 12, 6, 1, 2, 3, 126, 12, 6, 1, 2, 3});
  b.w().string(T(Rec::LibName), "LATE.DB");
  b.structure("A").boundary(1, {0, 0, 10, 0, 10, 10, 0, 0}).endStructure();
  b.w().reals(T(Rec::Units), {0.001, 1e-9});
  b.w().reals(T(Rec::Units), {0.001, 1e-9});
  EXPECT_EQ(read(b.structure("B").endStructure().endLibrary().bytes()).size(), 3u);
  const std::string log = ReadFile(dir / "in.txt");
  EXPECT_EQ(0u, log.find(" LAVINOR STRIN")) << log;
  EXPECT_EQ(log.find("LAVINOR STRIN", 2), std::string::npos) << log;
  EXPECT_TRUE(logged("Data Base Unit| A | B "));
}

TEST_F(StreamInput, ArraysKeepTheirLatticeUnderReflectionAndRotation) {
  struct Case {
    std::uint16_t strans;
    double angle;
    int columns, rows;
    std::vector<std::int32_t> xy;
    std::vector<std::string> expected;  // the placements of the cell
  };
  const std::string a = "AREF L refl=", s = "SREF L refl=0 mag=1000000 ang=";
  // clang-format off
  const std::vector<Case> cases = {
      {0, 0, 3, 2, {0, 0, 30000, 0, 0, 10000}, {a + "0 mag=1000000 ang=0 3x2 pitch=10000,5000 at 0,0"}},
      {0x8000, 0, 3, 2, {0, 0, 30000, 0, 0, -10000}, {a + "1 mag=1000000 ang=0 3x2 pitch=10000,5000 at 0,0"}},
      // columns running left
      {0, 0, 3, 2, {100, 100, -29900, 100, 100, 10100}, {a + "0 mag=1000000 ang=0 3x2 pitch=-10000,5000 at 100,100"}},
      // Columns along the placement's y axis and rows along its x axis, as KLayout writes a
      // turned array: kept with columns and rows exchanged. The turned and slanted lattices of
      // KLayout and by hand are StreamOracle.ArraysFromOtherWritersKeepEveryMember's.
      {0, 0, 2, 3, {0, 0, 0, 10000, 30000, 0}, {a + "0 mag=1000000 ang=0 3x2 pitch=10000,5000 at 0,0"}},
      // A lattice no array of the design reproduces, a third of 10 microns: every member a
      // single placement at its place.
      {0, 0, 3, 2, {0, 0, 10000, 0, 0, 5000},
       {s + "0 at 0,0", s + "0 at 3333,0", s + "0 at 6667,0", s + "0 at 0,2500", s + "0 at 3333,2500",
        s + "0 at 6667,2500"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    StreamBuilder b;
    b.library().structure("L").endStructure().structure("T");
    b.aref("L", c.columns, c.rows, c.xy, c.strans, c.angle).endStructure().endLibrary();
    const auto dump = read(b.bytes());
    ASSERT_EQ(2 + c.expected.size(), dump.size()) << c.expected[0];
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      EXPECT_EQ("  " + c.expected[i], dump[2 + i]);
    EXPECT_EQ(c.expected.size() > 1, logged(" T \xA5")) << c.expected[0];
    closeDesign();
    fs::remove(dir / "in.cad");
  }
}

TEST_F(StreamInput, DatabaseUnitOfTheFile) {
  struct Case {
    double uu, metres;
    std::int32_t unit;
  };
  const Case cases[] = {{0.001, 1e-9, 1000},    {0.01, 1e-8, 100}, {0.005, 5e-9, 200},
                        {0.0001, 1e-10, 10000}, {1.0, 1e-6, 1},    {0.001, 0, 1000},
                        {0.0, 0.0, 0},          {-1, -1, 0},       {1e-12, 0, 0},
                        {1.0, 1e-9, 1000}};  // a nanometre user unit: the metres decide
  for (const auto& c : cases) EXPECT_EQ(c.unit, StreamDatabaseUnit(c.uu, c.metres)) << c.uu;
}

TEST_F(StreamInput, OddFilesComeInAsTheseDesignsAndTheLogSaysWhy) {
  const auto arrayOfZeroColumns = [] {
    StreamBuilder b;
    b.library().structure("L").endStructure().structure("T");
    return b.aref("L", 0, 2, {0, 0, 0, 0, 0, 10000}).endStructure().endLibrary().bytes();
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
  const std::string s = "refl=0 mag=1000000 ang=0 at ";
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::string dump;     // the design's lines, "|" between them
    const char* logged;   // parts of the log in order, "|" between them
    const char* printed;  // parts of lines of the Command Window, "|" between them
  } cases[] = {
      {"a failed run", failed(), "", "Error end|***WARNING*** LTYPE=1 X:1.500 Y:2.500", ""},
      {"an array of no columns is kept as one", arrayOfZeroColumns(),
       "CELL L|CELL T|  AREF L refl=0 mag=1000000 ang=0 1x2 pitch=0,5000 at 0,0",
       " ***ERROR*** ARRAY\n", "***ERROR*** ARRAY"},
      {"names are cleaned and collisions made unique", names(),
       "CELL TOP|  SREF A_B_C " + s + "0,0|  SREF A_B_C$1 " + s +
           "10,0|CELL A_B_C|  POLY L1 (0,0)(1,0)(1,1)(0,0)|CELL A_B_C$1|  POLY L2 "
           "(0,0)(2,0)(2,2)(0,0)|CELL " +
           std::string(32, 'L'),
       "RENAMED", ""},
      {"a Mac prefix is skipped", macPrefix(), "CELL A", ".str\t (Mac File)\n", ""},
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
    for (const auto& part : Split(c.printed)) EXPECT_TRUE(ContainsPart(lines, part)) << part;
    EXPECT_FALSE(fs::exists(dir / "in.PH$"));
    closeDesign();
    fs::remove(dir / "in.cad");
  }
}

TEST_F(StreamInput, OtherUnitsAskAndScaleAndValuesBeyondTheDesignRangeStopTheRun) {
  StreamBuilder b;
  b.library(200).structure("A").boundary(1, {0, 0, 200, 0, 200, 200, 0, 0}).endStructure();
  b.endLibrary();
  host.answers.push_back(Answer::No);
  EXPECT_TRUE(read(b.bytes()).empty());
  EXPECT_TRUE(
      OneBox(host, "データベースが違いますがこのまま実行しますか。\nCAD: 1000  GDSII: 200 "));
  EXPECT_FALSE(fs::exists(dir / "in.txt"));
  EXPECT_FALSE(fs::exists(dir / "in.cad"));
  host.boxes.clear();
  host.answers.push_back(Answer::Yes);
  const auto dump = read(b.bytes());
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
}

TEST_F(StreamInput, BadFilesEndWithTheMessageAndNoDesign) {
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
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* record;     // the record the log names
    bool cutAtEnd = false;  // the message gives the file offsets of that record and of the end
  } cases[] = {
      {"LAYER as a four-byte integer", after({{T(Rec::Layer), 3, Be32({1})}}), "record 7 (LAYER)"},
      {"LAYER without its value", after({{T(Rec::Layer), 2, {}}}), "record 7 (LAYER)"},
      {"XY of odd length", after({{T(Rec::Boundary), 0, {}}, {T(Rec::Xy), 3, {1, 2, 3, 4, 5}}}),
       "record 8 (XY)"},
      {"length zero", cut({0, 0, T(Rec::EndStr), 0}), "record 7 (ENDSTR)"},
      {"record past the end", cut({0x10, 0, T(Rec::Xy), 3, 0, 0}), "record 7 (XY)"},
      // The file is read in chunks of 1 MB: this record lies beyond the first.
      {"record past the end of a long file", cut({0, 0x20, T(Rec::Xy), 3, 0, 0}, 20000),
       "record 100007 (XY)", true},
      {"SPACING", after({{0x18, 0, {}}}), "record 7 (SPACING)"},
      {"unknown record", after({{0x3C, 0, {}}}), "record 7 (unknown type 0x3C)"},
      {"no ENDLIB", after({{T(Rec::EndStr), 0, {}}}), "record 8 (no record header)"},
      {"three bytes", {0, 6, 0}, "record 1 (no record header)"}};
  for (const auto& c : cases) {
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
}

// Twenty thousand structures, each placing the one after it, which the file has not defined yet.
TEST_F(StreamInput, TwentyThousandStructuresComeInQuicklyUntilTheDesignCannotGrow) {
  StreamBuilder b;
  b.library();
  constexpr int kCells = 20000;
  for (int i = 0; i < kCells; ++i) {
    b.structure("S" + std::to_string(i)).boundary(i % 64, {0, 0, 5, 0, 5, 5, 0, 0});
    if (i + 1 < kCells) b.sref("S" + std::to_string(i + 1), i, 0);
    b.endStructure();
  }
  const auto bytes = b.endLibrary().bytes();
  const auto start = std::chrono::steady_clock::now();
  const auto cells = read(bytes);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(cells.size(), 3u * kCells - 1);
  EXPECT_EQ(cells[cells.size() - 3], "  SREF S19999 refl=0 mag=1000000 ang=0 at 19998,0");
  EXPECT_EQ(cells.back(), "  POLY L31 (0,0)(5,0)(5,5)(0,0)");
  EXPECT_TRUE(logged("S19999|nomal end"));
  EXPECT_FALSE(logged("UNDEFINED"));
  // Past the classic size and the 800 classic cells, the user is told once.
  EXPECT_EQ(std::count(lines.begin(), lines.end(), db::msg::kBeyondClassicSize), 1);
  EXPECT_TRUE(takeBoxes().empty());
  // Looked up one by one through the directory, this took minutes.
  EXPECT_LT(seconds, 5.0);
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
}

TEST_F(StreamInput, RefusalsAndTheFileDialog) {
  StreamBuilder b;
  WriteBytes(dir / "have.str", b.library().structure("A").endStructure().endLibrary().bytes());
  const auto oneBoxWith = [&](const std::string& part) {
    const auto boxes = takeBoxes();
    return boxes.size() == 1 && boxes[0].find(part) != std::string::npos;
  };
  std::ofstream(dir / "have.cad") << "design";
  type("GDSIN have");  // ".str" is added
  EXPECT_FALSE(app.design.isOpen());
  EXPECT_EQ("design", ReadFile(dir / "have.cad"));
  EXPECT_FALSE(fs::exists(dir / "have.txt"));
  EXPECT_TRUE(oneBoxWith("同名のファイル"));
  type("GDSIN missing.str");
  EXPECT_EQ(takeBoxes(),
            std::vector<std::string>{"ストリームファイル missing.str が見つかりません。"});
  // Without a name the file dialog chooses; cancelled, nothing happens.
  fs::remove(dir / "have.cad");
  host.fileChoices.push_back(std::string("have.str"));
  type("GDSIN");
  ASSERT_EQ(1u, host.fileRequests.size());
  EXPECT_EQ("Files(*.*)|*.*|Files(*.STR)|*.STR|", host.fileRequests[0].filter);
  EXPECT_EQ(2, host.fileRequests[0].filterIndex);
  EXPECT_TRUE(app.design.isOpen());
  type("GDSIN have.str");
  EXPECT_TRUE(oneBoxWith("が開かれたままです"));
  closeDesign();
  host.fileChoices.push_back(std::nullopt);
  type("GDSIN");
  EXPECT_FALSE(app.design.isOpen());
}

TEST_F(StreamInput, EscapeLeavesNoDesign) {
  // Escape at the first message step, and in the second 1 MB chunk of a longer file.
  for (const int boxes : {3000, 25000}) {
    StreamBuilder b;
    b.library().structure("A");
    for (int i = 0; i < boxes; ++i) b.boundary(1, {0, 0, i + 1, 0, i + 1, 1, 0, 0});
    b.endStructure().endLibrary();
    int steps = boxes > 3000 ? 24 : 1;  // 24 steps of 4096 records: past 1 MB
    host.onMessageStep = [&](bool& flag) { flag = flag && --steps > 0; };
    lines.clear();
    EXPECT_TRUE(read(b.bytes()).empty()) << boxes;
    host.onMessageStep = nullptr;
    EXPECT_EQ(0, steps) << boxes;
    EXPECT_FALSE(app.design.isOpen()) << boxes;
    EXPECT_TRUE(printed("*** Abortion ***")) << boxes;
    EXPECT_TRUE(logged("stopped by Escape")) << boxes;
  }
}

// Every cut of a real file and random byte changes end with a design or a message.
TEST_F(StreamInput, DamagedFilesNeverCrash) {
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
}

}  // namespace
}  // namespace lav::interchange
