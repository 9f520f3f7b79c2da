// Element entry typed as a user types it: points, output, picks, edits; the cell read back.
#include <gtest/gtest.h>

#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "db/design_image.h"
#include "db/element_stream.h"
#include "db/record_codec.h"
#include "support/typing_session.h"

namespace lav::command {
namespace {

class EntryCommands : public lav::testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    typeAll({"NEW T.CAD", "MKCELL TOP"});
  }
  struct Rec {
    int type;
    std::vector<db::Vertex> v;
  };
  // The live records of a cell (or all), with the vertices of areas and lines.
  std::vector<Rec> records(const std::string& cell = "TOP", bool withDeleted = false) {
    std::vector<Rec> out;
    const auto f = db::FindCell(app.design.image, cell);
    if (f.result != db::FindResult::Found) return out;
    const auto entry = db::ReadCellEntry(app.design.image, f.slotOffset);
    db::ReadElements(app.design.image, entry, [&](const db::RecordView& r) {
      if (r.deleted() && !withDeleted) return true;
      db::AreaRecord a;
      db::LineRecord l;
      const bool area = db::DecodeArea(r.bytes, a);
      if (!area) db::DecodeLine(r.bytes, l);
      out.push_back({r.type, area ? a.vertices : l.vertices});
      return true;
    });
    return out;
  }
  std::vector<std::vector<std::uint8_t>> cellBytes() {
    return db::testing::CellRecords(app.design.image, app.design.current.entry, true);
  }
};

using Pts = std::vector<db::Vertex>;

TEST_F(EntryCommands, RefusalsCoordinatesBeyondTheRange200PointsAndFullImages) {
  struct Case {
    std::vector<std::string> typed;
    const char* box;   // expected box text, or null
    const char* line;  // expected transcript line, or null
  } cases[] = {{{"XY 0 0"}, "ファイル又はセルは開かれていません。出力先がわかりません。", nullptr},
               {{"NEW T.CAD", "MKCELL TOP", "XY 0 0 1"}, nullptr, "***ERROR***"},
               {{"XY 0 0", "TAKE"}, "仮入力層には図形や座標値がすでに存在しています。", nullptr},
               {{"DELTEMP", "TAKE", "50 50"},
                "セレクトできませんでした。選択層の設定を確認して下さい。",
                nullptr}};
  type("CLOSE 0");
  for (const auto& c : cases) {
    lines.clear();
    takeBoxes();
    for (const auto& t : c.typed) type(t);
    EXPECT_EQ(takeBoxes(), c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{})
        << c.typed.back();
    EXPECT_TRUE(!c.line || printed(c.line)) << c.typed.back();
    EXPECT_EQ(app.dispatch.current, 0) << c.typed.back();
  }
  // Coordinates beyond the range are refused, not clamped (a value too large for the range is
  // refused in the batch test).
  const std::vector<std::vector<std::string>> values = {
      {"XY 0/0 0 5 5 0 5"},
      {"ABSMODE 1", "XY 2000000 0 200000 0 0 5"},  // the sum leaves the range
      {"ABSMODE 0", "XY", "0 0", "5 99999999999", "5 1/0", ""}};
  for (const auto& typed : values) {
    type("DELTEMP");
    takeBoxes();
    const long errors = app.dispatch.errorsReported;
    for (const auto& t : typed) type(t);
    const auto boxes = takeBoxes();
    const std::size_t expected = typed.size() == 6 ? 2 : 1;
    ASSERT_EQ(boxes.size(), expected) << typed.back();
    EXPECT_EQ(boxes[0], "入力値が範囲外です。絶対値が 2147483.647 以下の値を入力して下さい。");
    EXPECT_EQ(app.dispatch.errorsReported, errors + static_cast<long>(expected));
    EXPECT_EQ(app.temp.count, typed.size() == 6 ? 1 : 0) << typed.back();  // only (0, 0)
    type("OUTPUT");
    EXPECT_TRUE(records().empty()) << typed.back();
  }
  // Two hundred points at most: an unclosed full polygon is refused, and outlines stay within 200.
  typeAll({"DELTEMP", "XY"});
  for (int i = 0; i < 200; ++i) type(std::to_string(i) + " " + std::to_string(i % 3));
  ASSERT_EQ(app.temp.count, 200);
  EXPECT_EQ(prompt(), "? ");  // the input ends at 200 points
  type("OUTPUT");
  EXPECT_EQ(takeBoxes(), std::vector<std::string>{"座標値の数が多すぎます。"});
  EXPECT_EQ(app.temp.count, 200);
  EXPECT_TRUE(records().empty());
  lines.clear();
  type("XY");  // full: the command just ends
  EXPECT_EQ(prompt(), "? ");
  // A wide line's outline, and one whose outline would pass 200 vertices.
  typeAll({"DELTEMP", "ETYPE 5", "WIDTH 2", "XY 0 0 10 0", "EXPLODE"});
  EXPECT_EQ(app.settings.elementType, 4);
  ASSERT_EQ(app.temp.count, 5);
  EXPECT_EQ(app.temp.points[0], (db::UserPoint{0, -1}));
  typeAll({"DELTEMP", "ETYPE 5", "XY"});
  for (int i = 0; i < 110; ++i) type(std::to_string(i * 10) + " " + std::to_string(i % 2 * 10));
  typeAll({"", "EXPLODE"});
  EXPECT_EQ(takeBoxes(), std::vector<std::string>{"２００頂点を超えてしまいます。"});
  EXPECT_EQ(app.temp.count, 110);
  EXPECT_EQ(app.settings.elementType, 5);
  // Figures longer than the layer are never taken into it.
  // A polygon of 301 vertices along y = 0 and a line of 250 points along y = 50.
  std::vector<db::Vertex> polygon{{0, 0}, {89100, 0}}, line;
  for (int i = 0; i < 298; ++i) polygon.push_back({(297 - i) * 300, 10000 + i % 2 * 1000});
  polygon.push_back({0, 0});
  for (int i = 0; i < 250; ++i) line.push_back({i * 300, 50000 + i % 2 * 1000});
  for (const auto& r :
       {db::EncodeArea(db::ElementType::Polygon, 1, polygon), db::EncodeLine(1, 0, 100, line)})
    ASSERT_EQ(db::AppendElement(app.design, r, app.host.now()), db::AppendResult::Appended);
  db::SetExtent(app.design, {0, 0, 89100, 51000});
  const auto before = cellBytes();
  const struct Take {
    std::vector<std::string> typed;
    int pointsLeft;  // in the layer afterwards
  } takes[] = {{{"TAKE", "40 0"}, 0},
               {{"PICKLINE", "0.15 50.5"}, 0},
               {{"ETYPE 5", "XY 0 -5 10 -5", "JOIN", "0.15 50.5"}, 2},
               {{"ETYPE 4", "XY 0 -5 10 -5 10 -10", "MERGE +", "40 0"}, 3}};
  for (const Take& c : takes) {
    type("DELTEMP");
    for (const auto& t : c.typed) type(t);
    EXPECT_EQ(takeBoxes(),
              std::vector<std::string>{"頂点が 200 を超える図形は仮入力層に取り込めません。"})
        << c.typed[0];
    EXPECT_EQ(cellBytes(), before) << c.typed[0];
    EXPECT_EQ(app.temp.count, c.pointsLeft) << c.typed[0];
    EXPECT_FALSE(app.temp.pick.active) << c.typed[0];
    EXPECT_EQ(app.dispatch.current, 0) << c.typed[0];
  }
  // An array explodes whole or stays whole.
  typeAll({"DELTEMP", "MKCELL SUB", "XY 0 0 1 0 1 1", "OUTPUT", "MKCELL ARRAYS", "ETYPE 0",
           "PLACECELL SUB"});
  const auto used = app.design.image.usedSize;
  struct Room {
    const char* array;
    std::int32_t room;  // free bytes left in the image
  } rooms[] = {
      {"ARRAY 100 100 10 20", 300 * 1024},  // ten thousand members do not fit in 300 KB
      {"ARRAY 30000 30000 1 1", 4 << 20}    // far beyond any image
  };
  for (const auto& c : rooms) {
    type("DELTEMP");
    type(c.array);
    type("XY 100 100");
    app.design.image.maxSize = db::kClassicImageSize;
    app.design.image.usedSize = db::kClassicImageSize - c.room;
    takeBoxes();
    type("EXPLODE");
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"メモリーが不足しました"}) << c.array;
    EXPECT_TRUE(records("ARRAYS").empty()) << c.array << ": nothing half written";
    EXPECT_EQ(app.temp.count, 1) << c.array << ": the array stays in the layer";
    EXPECT_EQ(app.settings.elementType, 0);
  }
  app.design.image.usedSize = used;
  typeAll({"DELTEMP", "ARRAY 3 2 10 20", "XY 100 100", "EXPLODE"});
  EXPECT_TRUE(app.temp.empty());
  EXPECT_EQ(app.settings.elementType, 0);
  const auto r = records("ARRAYS");
  ASSERT_EQ(r.size(), 6u);
  for (const auto& x : r) EXPECT_EQ(x.type, 1);
}

TEST_F(EntryCommands, PointsAtThePromptOutputIntoNamedCellsListsAndMoves) {
  typeExpectingPrompts({{"XY", "Te1: "},
                        {"0 0", "Te2: "},
                        {"10 0", "Te3: "},
                        {"BACK", "Te2: "},
                        {"5 0", "Te3: "},
                        {"5 5", "Te4: "},
                        {"OUTPUT", "Te1: "}});
  EXPECT_EQ(records().size(), 1u);
  typeExpectingPrompts({{"1 2 3", "Te1: "}, {"", "? "}});  // odd: an error, the input goes on
  EXPECT_TRUE(printed("***ERROR***"));
  // Any other command word ends the point input and does not run.
  for (const char* start : {"XY", "GETXY"}) {
    typeAll({start, "1 1", "LAYER 9"});
    EXPECT_EQ(app.dispatch.current, 0) << start;
    EXPECT_EQ(prompt(), "? ");
    EXPECT_EQ(app.settings.layer, 1) << start;
  }
  EXPECT_EQ(app.temp.count, 1);
  // Changed element settings redraw the figure being entered.
  auto& redraws = host.invalidations[static_cast<int>(Window::Graphics)];
  for (const char* line : {"ETYPE 1", "PLACECELL A", "ANGLE 90", "MAGNIFY 2", "ARRAY 2 2 1 1"}) {
    const int before = redraws;
    type(line);
    EXPECT_GT(redraws, before) << line;
  }
  type("DELTEMP");
  const int before = redraws;
  type("ANGLE 0");
  EXPECT_EQ(redraws, before) << "nothing is being entered";
  // A rectangle goes out with its second corner.
  typeAll({"ETYPE 3", "XY", "0 0"});
  type("0 5");  // same x: not taken
  EXPECT_EQ(app.temp.count, 1);
  type("4 5");
  EXPECT_TRUE(app.temp.empty());
  EXPECT_EQ(prompt(), "Te1: ");
  type("");
  const auto r = records();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1].type, 3);
  EXPECT_EQ(r[1].v, (Pts{{0, 0}, {4000, 0}, {4000, 5000}, {0, 5000}, {0, 0}}));
  // Output into a named cell keeps the figure.
  typeAll({"MKCELL SUB", "MKCELL OUT", "ETYPE 4", "XY 0 0 1 0 1 1", "OUTCELL SUB"});
  EXPECT_EQ(app.temp.count, 4);
  EXPECT_EQ(records("SUB").size(), 1u);
  EXPECT_TRUE(records("OUT").empty());
  // Into the open cell itself: its own next record must not write over the one just written.
  typeAll({"OUTCELL OUT", "OUTPUT"});
  EXPECT_EQ(records("OUT").size(), 2u);
  EXPECT_EQ(app.design.current.name, "OUT");
  typeAll({"XY 0 0 1 0 1 1", "OUTCELL NOPE"});  // no such cell: nothing written, nothing said
  EXPECT_EQ(app.temp.count, 3);
  EXPECT_EQ(records("OUT").size(), 2u);
  EXPECT_TRUE(takeBoxes().empty());
  // Listed, reordered and kept.
  typeAll({"DELTEMP", "XY 0 0 1.5 0 1.5 2"});
  lines.clear();
  type("LISTXY");
  EXPECT_TRUE(printed("Te1: 0. 0."));
  EXPECT_TRUE(printed("Te3: 1.5 2."));
  lines.clear();
  type("LISTXY C");
  EXPECT_TRUE(printed("Te3: 0. 2."));
  lines.clear();
  type("LISTXY -1");
  EXPECT_FALSE(printed("Te1: 0. 0."));
  EXPECT_TRUE(printed("Te3: 1.5 2."));
  type("REORDER 2");
  EXPECT_EQ(app.temp.points[0], (db::UserPoint{1.5, 0}));
  type("REORDER");
  EXPECT_EQ(app.temp.points[0].x, 0);
  type("OUTKEEP");
  EXPECT_EQ(app.temp.count, 4);
  EXPECT_EQ(records("OUT").size(), 3u);
  // In a cell of its own, a picked figure moved by a point (mode 0 moves all of it) replaces the
  // original; an edge moves through a point.
  typeAll({"DELTEMP", "MKCELL EDIT", "XY 0 0 10 0 10 10 0 10", "OUTPUT", "TAKE", "0 5"});
  typeExpectingPrompts({{"MOVEPT", "Ms: "}, {"10 10", "Mp: "}});
  typeAll({"20 20", "OUTPUT"});
  auto moved = records("EDIT");
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0].v,
            (Pts{{10000, 10000}, {20000, 10000}, {20000, 20000}, {10000, 20000}, {10000, 10000}}));
  EXPECT_EQ(records("EDIT", true).size(), 2u);
  type("XY 0 0 10 0 10 10 0 10 0 0");
  typeExpectingPrompts({{"MOVEEDGE", "St: "}, {"5 10", "To: "}});
  typeAll({"5 12", "OUTPUT"});
  moved = records("EDIT");
  ASSERT_EQ(moved.size(), 2u);
  EXPECT_EQ(moved[1].v, (Pts{{0, 0}, {10000, 0}, {10000, 12000}, {0, 12000}, {0, 0}}));
}

TEST_F(EntryCommands, APickIsPutBackByteIdenticalByUndoCloseAndEveryChangeNeverHidden) {
  typeAll({"XY 0 0 10 0 10 10 0 10", "OUTPUT", "ETYPE 5", "WIDTH 1", "XY 20 0 30 0", "OUTPUT"});
  const auto before = cellBytes();
  struct Case {
    const char* point;
    int type, count;
  } cases[] = {{"10 5", 4, 5}, {"25 0.2", 5, 2}, {"10.5 10.4", 4, 5}};
  for (const auto& c : cases) {
    type("TAKE");
    EXPECT_EQ(prompt(), "Point: ");
    type(c.point);
    EXPECT_EQ(app.settings.elementType, c.type) << c.point;
    EXPECT_EQ(app.temp.count, c.count) << c.point;
    EXPECT_EQ(records().size(), 1u) << c.point;  // taken out
    type("UNDO");
    EXPECT_TRUE(app.temp.empty());
    EXPECT_EQ(cellBytes(), before) << c.point;
  }
  // A pending pick is put back when the design is closed, and before the cell or the layout
  // changes.
  typeAll({"TAKE", "0 5", "CLOSE", "OPEN T.CAD", "OCELL TOP"});
  EXPECT_EQ(cellBytes(), before);
  EXPECT_TRUE(takeBoxes().empty());
  for (const char* change : {"MKCELL OTHER", "OCELL TOP", "COMPACT", "DELTEMP"}) {
    typeAll({"OCELL TOP", "TAKE", "0 5"});
    ASSERT_FALSE(app.temp.empty()) << change;
    typeAll({change, "OCELL TOP"});
    // Clearing the layer is the one way to drop the picked element for good.
    const bool dropped = std::string(change) == "DELTEMP";
    EXPECT_EQ(records().size(), dropped ? 1u : 2u) << change;
    EXPECT_FALSE(app.temp.pick.active) << change;
  }
  // The selection set and hidden layers are never picked.
  typeAll({"LAYER 2", "XY 0 0 10 0 10 10 0 10", "OUTPUT"});
  struct Setting {
    const char* setup;
    bool picked;
  } settings[] = {{"SEL 1 3", false}, {"SEL", true}, {"DISP 1", false}, {"DISP", true}};
  for (const auto& c : settings) {
    type(c.setup);
    takeBoxes();
    typeAll({"TAKE", "10 5"});
    EXPECT_EQ(!app.temp.empty(), c.picked) << c.setup;
    EXPECT_EQ(takeBoxes().size(), c.picked ? 0u : 1u) << c.setup;
    type("UNDO");
  }
}

}  // namespace
}  // namespace lav::command
