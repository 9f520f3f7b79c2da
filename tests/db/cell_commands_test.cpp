#include "db/cell_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "command/cell_dialogs.h"
#include "db/cad_file.h"
#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "db/design_files.h"
#include "platform/byte_io.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"
#include "support/short_forms.h"

namespace lav::db {
namespace {

namespace fs = std::filesystem;
using testing::Square;
using Records = std::vector<std::vector<std::uint8_t>>;

class CellCommands : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(NewDesign(app, "cells")); }
  void make(const std::string& name, int squares = 1) {
    ASSERT_TRUE(CreateCell(app, name)) << name;
    for (int i = 0; i < squares; ++i)
      testing::Append(app.design, EncodeArea(ElementType::Polygon, 1, Square(i, i, 10)));
  }
  // The records of a cell, deleted ones too.
  std::vector<std::vector<std::uint8_t>> stream(const std::string& name) {
    const auto f = FindCell(app.design.image, name);
    EXPECT_EQ(f.result, FindResult::Found) << name;
    if (f.result != FindResult::Found) return {};
    return testing::CellRecords(app.design.image, ReadCellEntry(app.design.image, f.slotOffset),
                                true);
  }
  // Scripts the dialog of that kind, and runs it with run when one is given.
  template <typename Dialog>
  CellDialogResult play(const char* kind, CellDialogResult (*run)(AppState&),
                        std::function<void(Dialog&)> f) {
    host.dialogHandlers[kind] = [f](DialogModel& m) {
      auto* d = dynamic_cast<Dialog*>(&m);
      ASSERT_NE(d, nullptr);
      f(*d);
    };
    return run ? run(app) : CellDialogResult::Done;
  }
  static int lineOf(const CellListDialog& d, const std::string& text) {
    const auto at = std::find(d.lines.begin(), d.lines.end(), text);
    return at == d.lines.end() ? -1 : static_cast<int>(at - d.lines.begin());
  }
  std::string lastBox() const { return host.boxes.empty() ? "" : host.boxes.back().text; }

  lav::testing::ScratchFolder folder;
  const fs::path dir = folder.dir;
  ScriptedHost host;
  AppState app{host};
};

TEST_F(CellCommands, OpenCellArgumentsAndTheSortedListHandingTheNameOn) {
  make("TOP");
  make("5");
  make("other");
  EXPECT_FALSE(CreateCell(app, "other"));  // a name in use: the batch test shows its box
  EXPECT_EQ(host.boxes.size(), 1u);
  struct Case {
    const char* args;
    bool opens;
    const char* current;     // after the command
    bool hidden, needsName;  // placements hidden; the name must be asked for
  } cases[] = {
      {"TOP", true, "TOP", false, false},
      {"1 TOP", true, "TOP", true, false},
      {"0 other", true, "other", false, false},
      {"5", true, "5", false, false},  // any other number is the name itself
      {"1", false, "5", false, true},
      {"top", false, "5", false, false}  // case matters
  };
  for (const auto& c : cases) {
    app.settings.showAcell = app.settings.showScell = 1;
    app.settings.nest = 4;
    app.design.current.cursor.valid = true;
    host.boxes.clear();
    bool needsName = false;
    EXPECT_EQ(OpenCell(app, c.args, needsName), c.opens) << c.args;
    EXPECT_EQ(needsName, c.needsName) << c.args;
    EXPECT_EQ(app.design.current.name, c.current) << c.args;
    EXPECT_EQ(app.settings.showAcell == 0, c.hidden) << c.args;
    EXPECT_EQ(app.settings.nest, 4) << c.args;  // restored after the draw
    if (c.opens) {
      EXPECT_FALSE(app.design.current.cursor.valid) << c.args;
      EXPECT_EQ(host.titles.back(), "dravel: " + app.design.path) << c.args;
    }
    // The not-found text is the typed cell commands'.
    EXPECT_EQ(host.boxes.size(), !c.opens && !c.needsName ? 1u : 0u) << c.args;
  }
  EXPECT_EQ(app.settings.headerFlags50 & 1, 1);
  EXPECT_EQ(app.settings.headerFlags51 & 1, 1);
  // The list is sorted and wants a selection; the typed commands play its other answers.
  make("ZED");
  make("ALPHA");
  play<CellNamesDialog>("cell-list", nullptr, [&](CellNamesDialog& d) {
    EXPECT_EQ(d.lines[2], "ALPHA");
    EXPECT_EQ(d.lines[4], "ZED");
    EXPECT_FALSE(d.pressSelect());
    EXPECT_EQ(lastBox(), "選択してからボタンを押して下さい");
    ASSERT_TRUE(d.selectLine(4));
    ASSERT_TRUE(d.pressSelect());
  });
  const auto choice = RunCellNamesDialog(app, true);
  EXPECT_EQ(choice.action, CellListChoice::Action::HandToCommand);
  EXPECT_EQ(choice.name, "ZED");
  // Only one dialog at a time; without a design none opens (the typed commands show the box).
  app.design.cellDialogOpen = true;
  EXPECT_EQ(RunCellCopyDialog(app), CellDialogResult::Busy);
  app.design.cellDialogOpen = false;
  ASSERT_TRUE(CloseDesign(app, false));
  EXPECT_EQ(RunCopyFromDesign(app), CellDialogResult::Refused);
  EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"cell-list"});
  EXPECT_TRUE(host.fileRequests.empty());
  bool needsName = false;
  EXPECT_FALSE(OpenCell(app, "TOP", needsName));  // no design: no crash
}

TEST_F(CellCommands, CellsBeyondTheClassicSlotsLiveInTheExtension) {
  auto& image = app.design.image;
  // A version 4.20 design refuses its 400th cell and never grows the directory.
  app.design.version = 420;
  for (int i = 0; i < 399; ++i) ASSERT_TRUE(CreateCell(app, "C" + std::to_string(i)));
  EXPECT_FALSE(CreateCell(app, "C399"));
  ASSERT_TRUE(lav::testing::OneBox(host, "セルの数が多すぎてこれ以上作成することは出来ません。",
                                   "Cell Create Error"));
  EXPECT_EQ(image.bytes[SlotOffset(400)], kFreeSlotMark);
  EXPECT_EQ(app.design.current.name, "C398");
  app.design.version = 450;
  host.boxes.clear();
  for (int i = 399; i < 800; ++i) ASSERT_TRUE(CreateCell(app, "C" + std::to_string(i)));
  // 800 cells fill the classic directory (the batch test reads that form back).
  EXPECT_EQ(image.usedSize, kDataStart);
  EXPECT_EQ(FindCell(image, "C800").result, FindResult::DirectoryFull);
  // Too many cells only when the design cannot grow by another chunk of slots.
  image.maxSize = kDataStart + 64003;
  EXPECT_FALSE(CreateCell(app, "C800"));
  EXPECT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(image.usedSize, kDataStart);
  image.maxSize = kImageMaxSize;
  // The 801st cell takes the first slot of a chunk where the data ended.
  ASSERT_TRUE(CreateCell(app, "C800"));
  EXPECT_TRUE(HasExtension(image, Extension::Directory));
  EXPECT_EQ(le::getI32(image.at(kFirstChunkOffset)), kDataStart);
  EXPECT_EQ(le::getI32(image.at(kSlotsPerChunkOffset)), kSlotsPerChunk);
  EXPECT_EQ(image.usedSize, kDataStart + 64004);
  EXPECT_EQ(app.design.current.slotOffset, kDataStart);
  // Cells with elements between the chunks: the second chunk comes behind their blocks.
  for (int i = 801; i < 1700; ++i) make("C" + std::to_string(i), i % 100 == 0 ? 1 : 0);
  const std::int32_t second = le::getI32(image.at(kDataStart + kSlotsPerChunk * kSlotSize));
  EXPECT_GT(second, kDataStart + 64004);
  // The file holds the extension, found through the chain of chunks; a damaged chain is refused.
  DesignImage back;
  ASSERT_EQ(DecodeFile(EncodeFile(image), back), LoadError::None);
  EXPECT_EQ(FindCell(back, "C1699").slotOffset, second + 99 * kSlotSize);
  EXPECT_EQ(FindCell(back, "C1700").result, FindResult::NotFoundAtEnd);
  const std::int32_t link = kDataStart + kSlotsPerChunk * kSlotSize;
  struct Case {
    const char* what;
    std::int32_t at, value;  // the field broken, and what it is set to
  } cases[] = {{"a first chunk inside the directory", kFirstChunkOffset, kDataStart - 80},
               {"a first chunk beyond the data", kFirstChunkOffset, image.usedSize - 100},
               {"no slots per chunk", kSlotsPerChunkOffset, 0},
               {"slots past the data", kSlotsPerChunkOffset, 2'000'000},
               {"a link back to the first chunk", link, kDataStart},
               {"a link into its own chunk", link, kDataStart + 800}};
  for (const auto& c : cases) {
    DesignImage bad = image;
    le::putI32(bad.at(c.at), c.value);
    EXPECT_EQ(DecodeFile(EncodeFile(bad), back), LoadError::Damaged) << c.what;
  }
  // A cell deleted in the extension gives its slot to the next one (the dialogs find the slots
  // through the same walk; their other actions are played on the classic slots below).
  play<CellDeleteDialog>("cell-delete", RunCellDeleteDialog, [&](CellDeleteDialog& d) {
    EXPECT_EQ(d.lines.size(), 1702u);
    ASSERT_TRUE(d.selectLine(lineOf(d, "C900")));
    ASSERT_TRUE(d.pressDelete());
  });
  EXPECT_EQ(FindCell(image, "C900").result, FindResult::NotFoundAtEnd);
  const std::int32_t c900 = FindCell(image, "C901").slotOffset - kSlotSize;
  ASSERT_TRUE(CreateCell(app, "NEW"));
  EXPECT_EQ(app.design.current.slotOffset, c900);
}

TEST_F(CellCommands, DeletedSlotAndChainAreReusedByTheNextCell) {
  make("A");
  make("B", 3);
  make("C");
  const auto bBlock = ReadCellEntry(app.design.image, SlotOffset(2)).firstBlock;
  play<CellDeleteDialog>("cell-delete", nullptr, [&](CellDeleteDialog& d) {
    EXPECT_GE(d.lines.front().size(), kFrameWidth);
    EXPECT_EQ(d.lines.front().rfind(" ------ " + app.design.path + " ----", 0), 0u);
    EXPECT_EQ(d.lines.back(), "------ END " + std::string(kFrameWidth - 11, '-'));
    EXPECT_FALSE(d.pressDelete());  // nothing selected
    EXPECT_EQ(lastBox(), "選択してからボタンを押して下さい");
    EXPECT_EQ(host.boxes.back().icon, Icon::Information);
    EXPECT_FALSE(d.selectLine(0));  // the header
    ASSERT_TRUE(d.selectLine(lineOf(d, "C")));
    ASSERT_TRUE(d.pressDelete());  // the current cell
    ASSERT_TRUE(d.selectLine(lineOf(d, "B")));
    ASSERT_TRUE(d.pressDelete());
    EXPECT_EQ(lineOf(d, "B"), -1);
    EXPECT_EQ(d.lines.size(), 3u);
  });
  EXPECT_EQ(RunCellDeleteDialog(app), CellDialogResult::Done);
  EXPECT_FALSE(app.design.hasCell());
  EXPECT_FALSE(app.design.cellDialogOpen);
  const auto used = app.design.image.usedSize;
  make("D", 0);
  EXPECT_EQ(app.design.current.slotOffset, SlotOffset(2));
  EXPECT_EQ(app.design.current.entry.dataSize, 0);
  EXPECT_EQ(app.design.current.entry.firstBlock, bBlock);
  testing::Append(app.design, EncodeArea(ElementType::Rect, 2, Square(5, 5, 5)));
  EXPECT_EQ(app.design.image.usedSize, used);  // B's block took the record
  EXPECT_EQ(stream("D"), Records{EncodeArea(ElementType::Rect, 2, Square(5, 5, 5))});
}

// A deleted cell is restored under a new name with its data; a renamed cell keeps its placements
// and the current cell follows its new name.
TEST_F(CellCommands, RestoreAndRenameKeepTheDataTheCurrentCellFollowsFieldsAreClipped) {
  make("LEAF");
  make("OLD", 2);
  make("OLD2x");
  ASSERT_TRUE(CreateCell(app, "TOP"));
  testing::Append(app.design, EncodeSingle({.cellName = "LEAF"}));
  const auto before = stream("OLD"), topStream = stream("TOP");
  play<CellDeleteDialog>("cell-delete", RunCellDeleteDialog, [&](CellDeleteDialog& d) {
    ASSERT_TRUE(d.selectLine(lineOf(d, "OLD")));
    ASSERT_TRUE(d.pressDelete());
  });
  play<CellRestoreDialog>("cell-restore", RunCellRestoreDialog, [&](CellRestoreDialog& d) {
    ASSERT_EQ(d.lines.size(), 3u);
    EXPECT_EQ(d.lines.front().rfind("------- ", 0), 0u);
    const int line = lineOf(d, "?LD");
    ASSERT_EQ(line, 1);
    ASSERT_TRUE(d.selectLine(line));
    EXPECT_EQ(d.restoredName, "?LD");
    EXPECT_FALSE(d.pressRestore());  // still the masked name
    d.setRestoredName("OLD2x and more");
    EXPECT_FALSE(d.pressRestore());
    EXPECT_EQ(lastBox(), "同名のセルが在りますので出来ません。");
    d.setRestoredName("OLD2 ");
    ASSERT_TRUE(d.pressRestore());
    EXPECT_EQ(d.lines.size(), 2u);
  });
  EXPECT_EQ(stream("OLD2"), before);
  EXPECT_EQ(ReadCellEntry(app.design.image, SlotOffset(2)).nameText(), "OLD2");
  play<CellRenameDialog>("cell-rename", RunCellRenameDialog, [&](CellRenameDialog& d) {
    ASSERT_TRUE(d.selectLine(lineOf(d, "TOP")));
    EXPECT_EQ(d.oldName, "TOP");
    d.setNewName("TOP");
    EXPECT_FALSE(d.pressChange());  // the same name: nothing
    d.setNewName("LEAF");
    EXPECT_FALSE(d.pressChange());  // taken
    d.setNewName("MAIN");
    ASSERT_TRUE(d.pressChange());
    EXPECT_EQ(d.lines[static_cast<std::size_t>(d.selected)], "MAIN");
    EXPECT_EQ(lineOf(d, "TOP"), -1);
    ASSERT_TRUE(d.selectLine(lineOf(d, "LEAF")));
    d.setNewName("BASE");
    ASSERT_TRUE(d.pressChange());
  });
  EXPECT_EQ(app.design.current.name, "MAIN");
  EXPECT_EQ(stream("MAIN"), topStream);  // the placement still names LEAF
  // The next record of the current cell must not write the old name back.
  testing::Append(app.design, EncodeArea(ElementType::Rect, 1, Square(0, 0, 3)));
  EXPECT_EQ(FindCell(app.design.image, "TOP").result, FindResult::NotFoundAtEnd);
  EXPECT_EQ(FindCell(app.design.image, "MAIN").result, FindResult::Found);
  // The dialogs' frame lines are filled to 75 and their fields clipped to the name.
  EXPECT_EQ(ListFrameLine(" ------ %s ----", "A.CAD"), " ------ A.CAD " + std::string(61, '-'));
  const std::string longPath(80, 'p');
  EXPECT_EQ(ListFrameLine(" ------ %s ----", longPath), " ------ " + longPath + " ----");
  struct Case {
    std::string typed;
    std::size_t kept;
    std::string name;
  } cases[] = {{"A B", 3, "A"},
               {std::string(120, 'x'), 100, std::string(32, 'x')},
               // a two-byte character at bytes 99..100 is not split
               {std::string(99, 'y') + "\x83\x65", 99, std::string(32, 'y')},
               {" lead", 5, ""}};
  for (const auto& c : cases) {
    const std::string f = ClipFieldText(c.typed);
    EXPECT_EQ(f.size(), c.kept) << c.typed;
    EXPECT_EQ(FieldCellName(f), c.name) << c.typed;
  }
}

TEST_F(CellCommands, CopyTakesFreshOrReusedBlocksAndComesFromAnotherDesign) {
  ASSERT_TRUE(CreateCell(app, "BIG"));
  // 1550 + 950 = 2500 bytes of records.
  testing::Append(app.design, EncodeArea(ElementType::Polygon, 1, testing::Zigzag(193, 1)));
  testing::Append(app.design, EncodeArea(ElementType::Polygon, 2, testing::Zigzag(118, 2)));
  ASSERT_EQ(app.design.current.entry.dataSize, 2500);
  make("SMALL");  // one block, deleted below
  make("EMPTY", 0);
  ASSERT_TRUE(CreateCell(app, "CUR"));
  play<CellDeleteDialog>("cell-delete", RunCellDeleteDialog, [&](CellDeleteDialog& d) {
    ASSERT_TRUE(d.selectLine(lineOf(d, "SMALL")));
    ASSERT_TRUE(d.pressDelete());
  });
  struct Case {
    const char* to;
    std::int32_t growth;
    int slot;
  } cases[] = {{"INTO_DELETED", 2004, 2},  // SMALL's one block is reused, one is new
               {"FRESH", 4008, 5}};
  for (const auto& c : cases) {
    const auto used = app.design.image.usedSize;
    play<CellCopyDialog>("cell-copy", RunCellCopyDialog, [&](CellCopyDialog& d) {
      ASSERT_TRUE(d.selectLine(lineOf(d, "BIG")));
      EXPECT_EQ(d.sourceName, "BIG");
      d.setNewName(c.to);
      ASSERT_TRUE(d.pressCreate());
      EXPECT_EQ(d.lines[static_cast<std::size_t>(d.selected)], c.to);
    });
    EXPECT_EQ(app.design.image.usedSize - used, c.growth) << c.to;
    EXPECT_EQ(FindCell(app.design.image, c.to).slotOffset, SlotOffset(c.slot)) << c.to;
    EXPECT_EQ(stream(c.to), stream("BIG")) << c.to;
    EXPECT_EQ(app.design.current.name, "CUR") << c.to;
  }
  // An empty source copies no block; a missing source is refused (the Qt dialog test refuses a
  // taken name).
  play<CellCopyDialog>("cell-copy", RunCellCopyDialog, [&](CellCopyDialog& d) {
    d.setSourceName("EMPTY");
    d.setNewName("EMPTY2");
    const auto used = app.design.image.usedSize;
    ASSERT_TRUE(d.pressCreate());
    EXPECT_EQ(app.design.image.usedSize, used);
    d.setSourceName("NOPE");
    d.setNewName("NEW");
    EXPECT_FALSE(d.pressCreate());
    EXPECT_EQ(lastBox().rfind("セル NOPE が見つかりません。", 0), 0u);
  });
  EXPECT_EQ(
      ReadCellEntry(app.design.image, FindCell(app.design.image, "EMPTY2").slotOffset).firstBlock,
      0);
  // From another design: the source design, written by the program itself.
  const std::string ownPath = app.design.path;
  make("MINE");
  {
    ScriptedHost otherHost;
    AppState other(otherHost);
    ASSERT_TRUE(NewDesign(other, "source"));
    ASSERT_TRUE(CreateCell(other, "LIB"));
    testing::Append(other.design, EncodeArea(ElementType::Polygon, 1, testing::Zigzag(150, 3)));
    ASSERT_TRUE(CreateCell(other, "MINE"));
    ASSERT_TRUE(CloseDesign(other, true));
  }
  host.fileChoices.push_back((dir / "SOURCE.CAD").string());  // found whatever the case
  play<CellCopyDialog>("cell-copy", nullptr, [&](CellCopyDialog& d) {
    EXPECT_EQ(d.lines.front().rfind("------- " + (dir / "source.cad").string(), 0), 0u);
    ASSERT_EQ(d.lines.size(), 4u);
    ASSERT_TRUE(d.selectLine(lineOf(d, "MINE")));
    d.setNewName("MINE");
    EXPECT_FALSE(d.pressCreate());  // the name exists in the current design
    ASSERT_TRUE(d.selectLine(lineOf(d, "LIB")));
    d.setNewName("LIB");
    ASSERT_TRUE(d.pressCreate());
    EXPECT_EQ(lineOf(d, "LIB"), -1);  // the copied source name leaves the list
  });
  EXPECT_EQ(RunCopyFromDesign(app), CellDialogResult::Done);
  ASSERT_EQ(host.fileRequests.size(), 1u);
  EXPECT_EQ(host.fileRequests[0].title, "コピー元のファイルを開く");
  EXPECT_EQ(host.fileRequests[0].filter, "Files(*.CAD)|*.CAD|");
  EXPECT_EQ(app.design.path, ownPath);
  EXPECT_FALSE(app.design.source.allocated());
  EXPECT_EQ(stream("LIB"), Records{EncodeArea(ElementType::Polygon, 1, testing::Zigzag(150, 3))});
  // A file that is no design is refused with a message; cancel does nothing.
  host.fileChoices.push_back(std::nullopt);
  EXPECT_EQ(RunCopyFromDesign(app), CellDialogResult::Done);
  host.fileChoices.push_back((dir / "missing.cad").string());
  EXPECT_EQ(RunCopyFromDesign(app), CellDialogResult::Refused);
  EXPECT_EQ(app.design.path, ownPath);
}

}  // namespace
}  // namespace lav::db
