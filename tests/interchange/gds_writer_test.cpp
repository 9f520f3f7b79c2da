// Stream output: the writer's records byte for byte for every element kind and the library
// frame, and the command as the user runs it: the log and its sort, refusals with their
// messages, and failures that must leave no file behind.
#include "interchange/gds_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "db/design_builder.h"
#include "gds_test_support.h"
#include "interchange/conversion_log.h"
#include "interchange/gds_output.h"
#include "interchange/gds_real.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::gds {
namespace {

namespace fs = std::filesystem;
using db::testing::AddCell;
using db::testing::Append;
using db::testing::Square;
using testing::Be16;
using testing::Be32;
using testing::Raw;
using testing::ReadBytes;
using testing::SplitRecords;

std::vector<std::uint8_t> Real(double v) {
  std::vector<std::uint8_t> b(8);
  PutReal8(b.data(), v);
  return b;
}
std::vector<std::uint8_t> Str(const std::string& s) {
  std::vector<std::uint8_t> b(s.begin(), s.end());
  if (b.size() % 2) b.push_back(0);
  return b;
}
constexpr std::uint8_t T(Rec r) {
  return static_cast<std::uint8_t>(r);
}
// Records by their data type: none, bits, 2-byte and 4-byte integers, string.
const auto E = [](Rec r) { return Raw{T(r), 0, {}}; };
const auto Bits = [](Rec r, int v) { return Raw{T(r), 1, Be16({v})}; };
const auto I16 = [](Rec r, std::initializer_list<int> v) { return Raw{T(r), 2, Be16(v)}; };
const auto I32 = [](Rec r, std::initializer_list<long long> v) { return Raw{T(r), 3, Be32(v)}; };
const auto S = [](Rec r, const std::string& s) { return Raw{T(r), 6, Str(s)}; };

class StreamWriterTest : public ::testing::Test {
 protected:
  // Runs body inside one structure and returns the records between STRNAME and ENDSTR.
  std::vector<Raw> element(const std::function<void(StreamWriter&)>& body) {
    std::vector<std::uint8_t> bytes;
    StreamWriter w;
    fs::remove(dir / "e.str");
    EXPECT_EQ(0, w.openLibrary((dir / "e.str").string(), 0.001, {26, 12, 6, 1, 2, 3},
                               [&](const std::uint8_t* d, std::size_t n) {
                                 bytes.insert(bytes.end(), d, d + n);
                                 return true;
                               }));
    EXPECT_EQ(0, w.beginStructure("C", {1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}));
    body(w);
    EXPECT_TRUE(w.closeLibrary());
    std::vector<Raw> inner;
    bool in = false;
    for (const auto& r : SplitRecords(bytes)) {
      if (r.type == T(Rec::EndStr)) break;
      if (in) inner.push_back(r);
      if (r.type == T(Rec::StrName)) in = true;
    }
    return inner;
  }
  lav::testing::ScratchFolder scratch;
  fs::path dir = scratch.dir;
};

// Records byte for byte where a reader would take either form: no MAG and ANGLE when plain (set,
// KLayout reads them), a text's path type and width, rounding, refused layers. What KLayout reads
// of every kind is checked by StreamOracle.KLayoutReadsEveryElementAsWeMeantIt, the records of a
// boundary and a path in order by StreamOutput.CellsInSlotOrderAndLogSortedByColumn.
TEST_F(StreamWriterTest, RealsEveryElementKindTheFramesRefusalsAndWholeLogLines) {
  struct Case {
    const char* what;
    std::function<void(StreamWriter&)> body;
    std::vector<Raw> expected;
  };
  const std::vector<UserPoint> tri = {{0, 0}, {1, 0}, {1, 1}, {0, 0}};
  const std::vector<Case> cases = {
      // Names of odd length are padded with a zero byte to an even length.
      {"plain placement: no MAG, no ANGLE",
       [&](StreamWriter& w) {
         w.structureReference("AB", {1.5, -2});
       },
       {E(Rec::Sref), S(Rec::Sname, "AB"), Bits(Rec::Strans, 0), I32(Rec::Xy, {1500, -2000}),
        E(Rec::EndEl)}},
      {"text carries the last path type",
       [&](StreamWriter& w) {
         w.pathType = 2;
         w.layer = 3;
         w.width = 0.5;
         w.text({2, 3}, "HELLO", 2);
       },
       {E(Rec::Text), I16(Rec::Layer, {3}), I16(Rec::TextType, {0}), Bits(Rec::Presentation, 0),
        I16(Rec::PathType, {2}), I32(Rec::Width, {500}), Bits(Rec::Strans, 0),
        I32(Rec::Xy, {2000, 3000}), S(Rec::String, "HELLO"), E(Rec::EndEl)}},
      {"halves away from zero",
       [&](StreamWriter& w) {
         w.boundary(std::vector<UserPoint>{{0.0025, -0.0025}, {0.0024, -0.0026}});
       },
       {E(Rec::Boundary), I16(Rec::Layer, {0}), I16(Rec::DataType, {0}),
        I32(Rec::Xy, {3, -3, 2, -3}), E(Rec::EndEl)}},
      {"layers outside 0..63 write nothing",
       [&](StreamWriter& w) {
         w.layer = 64;
         EXPECT_EQ(-2, w.boundary(tri));
         EXPECT_EQ(-2, w.text({0, 0}, "X", 2));
         w.layer = -1;
         EXPECT_EQ(-2, w.path(tri, 1));
       },
       {}}};
  for (const auto& c : cases) EXPECT_EQ(c.expected, element(c.body)) << c.what;
  // The frame's refusals: out of order, the same structure twice in a row, a file that exists.
  StreamWriter w;
  EXPECT_EQ(-1, w.beginStructure("A", {}, {}));
  EXPECT_EQ(-3, w.openLibrary((dir / "no" / "abcdefghij.str").string(), 0.001, {}));
  ASSERT_EQ(0, w.openLibrary((dir / "abcdefghi.str").string(), 0.001, {}));
  EXPECT_EQ(-1, w.openLibrary((dir / "x.str").string(), 0.001, {}));
  EXPECT_EQ(-1, w.boundary(std::vector<UserPoint>{{0, 0}}));
  EXPECT_EQ(0, w.beginStructure("A", {}, {}));
  EXPECT_EQ(-2, w.beginStructure("A", {}, {}));  // the same name twice in a row
  EXPECT_EQ(-1, w.structureReference("B", {0, 0}));
  EXPECT_TRUE(w.closeLibrary());
  // An existing file is never written over.
  StreamWriter again;
  EXPECT_EQ(-3, again.openLibrary((dir / "abcdefghi.str").string(), 0.001, {}));
  // The log's lines naming long paths are whole.
  const std::string name(600, 'n');
  interchange::LogFile log;
  ASSERT_TRUE(log.create((dir / "long.txt").string()));
  log.print(" %s.str\n", name.c_str());
  EXPECT_TRUE(log.close());
  EXPECT_EQ(lav::testing::ReadFile(dir / "long.txt"), " " + name + ".str\n");
  // Reals: values as other writers of the format encode them, and back.
  struct Real8 {
    double v;
    const char* hex;
  };
  const Real8 reals[] = {{1.0, "4110000000000000"},   {-2.0, "c120000000000000"},
                         {0.001, "3e4189374bc6a7f0"}, {1e-9, "3944b82fa09b5a54"},
                         {90.0, "425a000000000000"},  {0.0, "0000000000000000"}};
  for (const auto& c : reals) {
    std::uint8_t b[8];
    PutReal8(b, c.v);
    char hex[17];
    for (int i = 0; i < 8; ++i) std::snprintf(hex + 2 * i, 3, "%02x", b[i]);
    EXPECT_STREQ(c.hex, hex) << c.v;
    EXPECT_DOUBLE_EQ(c.v, GetReal8(b));
  }
  for (double v : {1e-3, 1e-9, 123456.789, -0.0625, 359.999999, 1e70, 1e-70}) {
    std::uint8_t b[8];
    PutReal8(b, v);
    EXPECT_NEAR(v, GetReal8(b), std::fabs(v) * 1e-15) << v;
  }
}

// --- the command ---

class StreamOutput : public lav::testing::TypingSession {
 protected:
  void newDesign(const std::string& name = "demo") {
    type("NEW " + name);
    ASSERT_TRUE(app.design.isOpen());
  }
  // The log's lines, with the empty rest after the last line end.
  std::vector<std::string> log(const std::string& name) {
    return lav::testing::Split(read(name), '\n');
  }
};

TEST_F(StreamOutput, EmptyDesignIsTheLibraryFrameOnlyCellsInSlotOrderOtherUnitsAsk) {
  newDesign();
  type("GDSOUT");
  const auto bytes = ReadBytes(dir / "demo.str");
  const std::vector<Raw> frame = {I16(Rec::Header, {3}),
                                  I16(Rec::BgnLib, {26, 12, 6, 13, 45, 30, 26, 12, 6, 13, 45, 30}),
                                  S(Rec::LibName, (dir / "demo.DB").string()),
                                  {T(Rec::Units), 5,
                                   [] {
                                     auto a = Real(0.001), b = Real(1e-9);
                                     a.insert(a.end(), b.begin(), b.end());
                                     return a;
                                   }()},
                                  E(Rec::EndLib)};
  EXPECT_EQ(frame, SplitRecords(bytes));
  // 2048 zero bytes follow ENDLIB, and nothing else.
  EXPECT_EQ(6u + 28 + 4 + frame[2].data.size() + 20 + 4 + 2048, bytes.size());
  EXPECT_EQ(std::vector<std::uint8_t>(2048, 0),
            std::vector<std::uint8_t>(bytes.end() - 2048, bytes.end()));
  // The log byte for byte.
  EXPECT_EQ(read("demo.txt"),
            " LAVINOR STROUT Ver 4.50  GDSII stream output of Lavinor\n\n Library Name: " +
                (dir / "demo.cad").string() +
                " 1000 Data Base Unit  26/12/06 13:45:30\n    TO\n Stream file : " +
                (dir / "demo.str").string() + "\n\n" + std::string(73, '-') +
                "\n  CellName                                Create             Modefy "
                "\n------------------ nomal end " +
                std::string(44, '-') + "\n\n");
  EXPECT_TRUE(takeBoxes().empty());
  // A log that cannot be made stops the run before any file is written. Refusals shared by the
  // converters (no design open, an existing file) are DxfOutputCommand's and the batch runner's.
  type("GDSOUT nofolder/x");
  EXPECT_EQ(takeBoxes(), std::vector<std::string>{"ファイル nofolder/x.txt を作成できません。"});
  EXPECT_FALSE(fs::exists(dir / "nofolder"));
  // Cells go out in slot order, the log sorted by a column.
  auto& d = app.design;
  AddCell(d, "BETA");
  Append(d, db::EncodeArea(db::ElementType::Rect, 2, Square(0, 0, 1000)));
  AddCell(d, "ALPHA");  // empty cell
  AddCell(d, "GONE");
  d.image.bytes[d.current.slotOffset] = db::kDeletedCellMark;  // a deleted cell is skipped
  AddCell(d, "CHI");
  Append(d, db::EncodeLine(1, 1, 100, {{0, 0}, {5000, 0}}));
  type("GDSOUT out");
  std::vector<std::uint8_t> types;
  for (const auto& r : SplitRecords(ReadBytes(dir / "out.str"))) types.push_back(r.type);
  // BETA, ALPHA (empty), CHI in directory order.
  EXPECT_EQ(
      std::vector<std::uint8_t>({0x00, 0x01, 0x02, 0x03,                          // frame
                                 0x05, 0x06, 0x08, 0x0D, 0x0E, 0x10, 0x11, 0x07,  // BETA
                                 0x05, 0x06, 0x07,                                // ALPHA
                                 0x05, 0x06, 0x09, 0x0D, 0x0E, 0x21, 0x0F, 0x10, 0x11, 0x07, 0x04}),
      types);
  auto lines = log("out.txt");
  ASSERT_EQ(14u, lines.size());
  EXPECT_EQ(" ALPHA                            00/00/00 00:00:00   00/00/00 00:00:00", lines[8]);
  EXPECT_EQ(" BETA", lines[9].substr(0, 5));
  EXPECT_EQ(" CHI", lines[10].substr(0, 4));
  type("GDSOUT down -1");
  lines = log("down.txt");
  ASSERT_EQ(14u, lines.size());
  EXPECT_EQ(" CHI", lines[8].substr(0, 4));
  EXPECT_EQ(" BETA", lines[9].substr(0, 5));
  EXPECT_EQ(" ALPHA", lines[10].substr(0, 6));
  // Other units ask and scale (BETA's square is the first element); coordinates beyond the file's
  // range leave no file.
  fs::remove(dir / "demo.str");
  fs::remove(dir / "demo.txt");
  type("GDSUNIT 100");
  host.answers.push_back(Answer::No);
  type("GDSOUT");
  EXPECT_TRUE(lav::testing::OneBox(
      host, "データベースが違いますがこのまま実行しますか。\nCAD: 1000  GDSII: 100 ", "お知らせ"));
  EXPECT_FALSE(fs::exists(dir / "demo.str"));
  EXPECT_FALSE(fs::exists(dir / "demo.txt"));
  // Yes goes on with the file's unit: 1000 design units are 100 file units.
  host.answers.push_back(Answer::Yes);
  type("GDSOUT");
  const auto recs = SplitRecords(ReadBytes(dir / "demo.str"));
  ASSERT_GT(recs.size(), 9u);
  EXPECT_EQ(Be32({0, 0, 100, 0, 100, 100, 0, 100, 0, 0}), recs[9].data);
  fs::remove(dir / "demo.str");
  takeBoxes();
  AddCell(d, "FAR");
  Append(d, db::EncodeArea(db::ElementType::Polygon, 1, Square(2000000000, 0, 10)));
  type("GDSUNIT 10000");
  type("GDSOUT");  // 2e9 design units are 2e10 file units
  EXPECT_FALSE(fs::exists(dir / "demo.str"));
  const auto boxes = takeBoxes();
  ASSERT_EQ(2u, boxes.size());  // the unit question, then the refusal
  EXPECT_NE(std::string::npos, boxes[1].find("FAR"));
}

TEST_F(StreamOutput, FailedWriteAndEscapeLeaveNoFile) {
  newDesign();
  auto& d = app.design;
  AddCell(d, "A");
  for (int i = 0; i < 40000; ++i)
    Append(d, db::EncodeArea(db::ElementType::Polygon, 1, Square(i, 0, 1000)));
  interchange::StreamOutOptions options;
  std::size_t taken = 0;
  options.sink = [&](const std::uint8_t*, std::size_t n) {
    taken += n;
    return taken < 1500000;  // the disk fills up after the first chunk
  };
  EXPECT_EQ(interchange::StreamOutResult::ErrorEnd, interchange::WriteStreamFile(app, "", options));
  EXPECT_FALSE(fs::exists(dir / "demo.str"));
  const std::string log = read("demo.txt");
  EXPECT_NE(std::string::npos, log.find("Error end"));
  EXPECT_EQ(std::string::npos, log.find("nomal end"));
  const auto boxes = takeBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_NE(std::string::npos, boxes[0].find("書き込みに失敗しました"));
  EXPECT_EQ("----- Error end -----", prompt());
  // Escape at the second message step.
  fs::remove(dir / "demo.txt");
  for (int c = 0; c < 5; ++c) {
    AddCell(d, "C" + std::to_string(c));
    Append(d, db::EncodeArea(db::ElementType::Polygon, 1, Square(0, 0, 10)));
  }
  int steps = 0;
  host.onMessageStep = [&](bool& flag) {
    if (++steps == 2) flag = false;
  };
  type("GDSOUT");
  host.onMessageStep = nullptr;
  EXPECT_FALSE(fs::exists(dir / "demo.str"));
  EXPECT_TRUE(lav::testing::ContainsPart(lines, "*** Abortion ***"));
}

}  // namespace
}  // namespace lav::gds
