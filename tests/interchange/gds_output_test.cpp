// Stream output as the user runs it: typed commands, the file's records, the log and its sort,
// refusals with their messages, and failures that must leave no file behind.
#include "interchange/gds_output.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "db/design_builder.h"
#include "gds_test_support.h"
#include "interchange/conversion_log.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;
using db::testing::AddCell;
using db::testing::Append;
using db::testing::Square;
using gds::testing::ReadBytes;
using gds::testing::ReadFile;
using gds::testing::SplitRecords;

// The log's lines, with the empty rest after the last line end.
std::vector<std::string> Lines(const fs::path& p) {
  return lav::testing::Split(ReadFile(p), '\n');
}

class StreamOutput : public lav::testing::TypingSession {
 protected:
  void newDesign(const std::string& name = "demo") {
    type("NEW " + name);
    ASSERT_TRUE(app.design.isOpen());
  }
  std::vector<std::uint8_t> types(const fs::path& p) {
    std::vector<std::uint8_t> t;
    for (const auto& r : SplitRecords(ReadBytes(p))) t.push_back(r.type);
    return t;
  }
};

TEST_F(StreamOutput, EmptyDesignIsLibraryFrameOnly) {
  newDesign();
  type("GDSOUT");
  ASSERT_TRUE(fs::exists(dir / "demo.str"));
  EXPECT_EQ(std::vector<std::uint8_t>({0x00, 0x01, 0x02, 0x03, 0x04}), types(dir / "demo.str"));
  const auto bytes = ReadBytes(dir / "demo.str");
  EXPECT_EQ(6u + 28 + 4 + 20 + 4 + 2048 +
                SplitRecords(bytes)[2].data.size(),  // LIBNAME length depends on the path
            bytes.size());
  const auto log = Lines(dir / "demo.txt");
  ASSERT_EQ(11u, log.size());
  EXPECT_EQ(" LAVINOR STROUT Ver 4.50", log[0].substr(0, 24));
  EXPECT_EQ("", log[1]);
  EXPECT_EQ(
      " Library Name: " + (dir / "demo.cad").string() + " 1000 Data Base Unit  26/12/06 13:45:30",
      log[2]);
  EXPECT_EQ("    TO", log[3]);
  EXPECT_EQ(" Stream file : " + (dir / "demo.str").string(), log[4]);
  EXPECT_EQ(std::string(73, '-'), log[6]);
  EXPECT_EQ("------------------ nomal end --------------------------------------------", log[8]);
  EXPECT_EQ("", log[9]);
  EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(StreamOutput, CellsInSlotOrderAndLogSortedByColumn) {
  newDesign();
  auto& d = app.design;
  AddCell(d, "BETA");
  Append(d, db::EncodeArea(db::ElementType::Rect, 2, Square(0, 0, 1000)));
  AddCell(d, "ALPHA");  // empty cell
  AddCell(d, "GONE");
  d.image.bytes[d.current.slotOffset] = db::kDeletedCellMark;  // a deleted cell is skipped
  AddCell(d, "CHI");
  Append(d, db::EncodeLine(1, 1, 100, {{0, 0}, {5000, 0}}));
  type("GDSOUT out");
  ASSERT_TRUE(fs::exists(dir / "out.str"));
  // BETA, ALPHA (empty), CHI in directory order.
  EXPECT_EQ(
      std::vector<std::uint8_t>({0x00, 0x01, 0x02, 0x03,                          // frame
                                 0x05, 0x06, 0x08, 0x0D, 0x0E, 0x10, 0x11, 0x07,  // BETA
                                 0x05, 0x06, 0x07,                                // ALPHA
                                 0x05, 0x06, 0x09, 0x0D, 0x0E, 0x21, 0x0F, 0x10, 0x11, 0x07, 0x04}),
      types(dir / "out.str"));
  auto log = Lines(dir / "out.txt");
  ASSERT_EQ(14u, log.size());
  EXPECT_EQ(" ALPHA", log[8].substr(0, 6));
  EXPECT_EQ(" BETA", log[9].substr(0, 5));
  EXPECT_EQ(" CHI", log[10].substr(0, 4));
  EXPECT_EQ(" ALPHA                            00/00/00 00:00:00   00/00/00 00:00:00", log[8]);

  type("GDSOUT down -1");
  log = Lines(dir / "down.txt");
  ASSERT_EQ(14u, log.size());
  EXPECT_EQ(" CHI", log[8].substr(0, 4));
  EXPECT_EQ(" BETA", log[9].substr(0, 5));
  EXPECT_EQ(" ALPHA", log[10].substr(0, 6));
}

TEST_F(StreamOutput, RefusalsWithTheirMessages) {
  struct Case {
    const char* what;
    std::string setup;  // a line typed first ("" for none)
    std::string command;
    std::string box;  // expected message text, "" for none
    bool fileWritten;
  };
  const std::vector<Case> cases = {
      {"no design", "CLOSE 0", "GDSOUT", "ファイルはまだ開かれていません", false},
      {"existing file", "", "GDSOUT taken", "同名のファイル taken.str が在ります。", false},
      {"no such folder", "", "GDSOUT nofolder/x", "ファイル nofolder/x.txt を作成できません。",
       false}};
  for (const auto& c : cases) {
    newDesign("r" + std::to_string(&c - cases.data()));
    std::ofstream(dir / "taken.str") << "keep";
    if (!c.setup.empty()) type(c.setup);
    takeBoxes();
    type(c.command);
    const auto boxes = takeBoxes();
    ASSERT_EQ(1u, boxes.size()) << c.what;
    EXPECT_EQ(c.box, boxes[0]) << c.what;
    EXPECT_EQ("keep", ReadFile(dir / "taken.str")) << c.what;
    if (app.design.isOpen()) type("CLOSE 0");
  }
}

TEST_F(StreamOutput, LogLinesNamingLongPathsAreWhole) {
  const std::string name(600, 'n');
  LogFile log;
  ASSERT_TRUE(log.create((dir / "long.txt").string()));
  log.print(" %s.str\n", name.c_str());
  EXPECT_TRUE(log.close());
  EXPECT_EQ(ReadFile(dir / "long.txt"), " " + name + ".str\n");
}

TEST_F(StreamOutput, UnitQuestionDeclinedWritesNothing) {
  newDesign();
  type("GDSUNIT 100");
  host.answers.push_back(Answer::No);
  type("GDSOUT");
  ASSERT_EQ(1u, host.boxes.size());
  EXPECT_EQ("データベースが違いますがこのまま実行しますか。\nCAD: 1000  GDSII: 100 ",
            host.boxes[0].text);
  EXPECT_EQ("お知らせ", host.boxes[0].caption);
  EXPECT_FALSE(fs::exists(dir / "demo.str"));
  EXPECT_FALSE(fs::exists(dir / "demo.txt"));
  // Yes goes on with the file's unit: 1000 design units are 100 file units.
  auto& d = app.design;
  AddCell(d, "A");
  Append(d, db::EncodeArea(db::ElementType::Polygon, 1, Square(0, 0, 1000)));
  host.answers.push_back(Answer::Yes);
  type("GDSOUT");
  const auto recs = SplitRecords(ReadBytes(dir / "demo.str"));
  ASSERT_GT(recs.size(), 9u);
  EXPECT_EQ(gds::testing::Be32({0, 0, 100, 0, 100, 100, 0, 100, 0, 0}), recs[9].data);
}

TEST_F(StreamOutput, FailedWriteRemovesThePartialFile) {
  newDesign();
  auto& d = app.design;
  AddCell(d, "A");
  for (int i = 0; i < 40000; ++i)
    Append(d, db::EncodeArea(db::ElementType::Polygon, 1, Square(i, 0, 1000)));
  StreamOutOptions options;
  std::size_t taken = 0;
  options.sink = [&](const std::uint8_t*, std::size_t n) {
    taken += n;
    return taken < 1500000;  // the disk fills up after the first chunk
  };
  EXPECT_EQ(StreamOutResult::ErrorEnd, WriteStreamFile(app, "", options));
  EXPECT_FALSE(fs::exists(dir / "demo.str"));
  const std::string log = ReadFile(dir / "demo.txt");
  EXPECT_NE(std::string::npos, log.find("Error end"));
  EXPECT_EQ(std::string::npos, log.find("nomal end"));
  const auto boxes = takeBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_NE(std::string::npos, boxes[0].find("書き込みに失敗しました"));
  EXPECT_EQ("----- Error end -----", prompt());
}

TEST_F(StreamOutput, EscapeAndCoordinatesBeyondTheFileRangeLeaveNoFile) {
  newDesign();
  auto& d = app.design;
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
  // Coordinates beyond the file's range are an error end.
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

}  // namespace
}  // namespace lav::interchange
