#include "db/compaction.h"

#include <gtest/gtest.h>

#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "db/design_header.h"
#include "db/directory_walk.h"
#include "db/element_stream.h"
#include "db/layer_names.h"
#include "platform/byte_io.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"
#include "support/short_forms.h"

namespace lav::db {
namespace {

using testing::Append;
using testing::Square;

// Live records of a slot.
std::vector<std::vector<std::uint8_t>> liveRecords(const DesignImage& image, int slot) {
  return testing::CellRecords(image, ReadCellEntry(image, SlotOffset(slot)));
}

// Names and live records of the live cells, in directory order.
std::vector<std::pair<std::string, std::vector<std::vector<std::uint8_t>>>> liveCells(
    const DesignImage& image) {
  std::vector<std::pair<std::string, std::vector<std::vector<std::uint8_t>>>> out;
  for (const std::int32_t slot : DirectorySlots(image)) {
    const CellEntry e = ReadCellEntry(image, slot);
    if (e.isFree()) break;
    if (e.isLive()) out.push_back({e.nameText(), testing::CellRecords(image, e)});
  }
  return out;
}

class Compaction : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::NewImage(app.design);
    // A, B (deleted, with records), C, with a deleted record in each of A and C.
    for (const char* name : {"A", "B", "C"}) {
      testing::AddCell(app.design, name);
      for (int i = 0; i < 60; ++i)
        Append(app.design, EncodeArea(ElementType::Polygon, 1, testing::Zigzag(5 + i, i)));
      MarkDeleted(app.design.image, testing::LastRecord(app.design));
    }
    MarkCellDeleted(app.design.image, SlotOffset(2));
    // Both layer tables, placed where they were first needed.
    ASSERT_TRUE(WriteHeader(app.design.image, app.settings, 450));
    ASSERT_EQ(SetLayerName(app.design.image, 0, "M"), LayerNameResult::Stored);
    MakeCurrent(app.design, SlotOffset(3));  // C is the open cell
  }
  ScriptedHost host;
  AppState app{host};
};

TEST_F(Compaction, KeepsOrDropsDeletedCellsRebuildsTheDirectoryOrChangesNothing) {
  const DesignImage before = app.design.image;
  struct Case {
    bool drop;
    std::vector<int> from;  // original slot of each of the slots 1.. after packing
  } cases[] = {{false, {1, 2, 3}}, {true, {1, 3}}};
  for (const auto& c : cases) {
    app.design.image = before;
    MakeCurrent(app.design, SlotOffset(3));
    ASSERT_TRUE(CompactDesign(app, c.drop));
    const DesignImage& img = app.design.image;
    EXPECT_FALSE(app.design.hasCell());
    for (std::size_t i = 0; i < c.from.size(); ++i) {
      const int slot = static_cast<int>(i) + 1;
      const CellEntry e = ReadCellEntry(img, SlotOffset(slot));
      EXPECT_EQ(liveRecords(img, slot), liveRecords(before, c.from[i])) << slot;
      std::int32_t size = 0;
      for (const auto& r : liveRecords(img, slot)) size += static_cast<std::int32_t>(r.size());
      EXPECT_EQ(e.dataSize, size) << slot;
      // The deleted cell keeps its mark and its other name bytes, so it can still be restored.
      const CellEntry old = ReadCellEntry(before, SlotOffset(c.from[i]));
      EXPECT_EQ(e.name, old.name) << slot;
      EXPECT_EQ(e.created, old.created) << slot;
    }
    EXPECT_EQ(img.bytes[SlotOffset(static_cast<int>(c.from.size()) + 1)], kFreeSlotMark);
    // The tables come first, right after the directory.
    EXPECT_EQ(le::getI32(img.at(kHatchFlagOffset + 1)), kDataStart);
    EXPECT_EQ(le::getI32(img.at(kLayerNamesFlagOffset + 1)), kDataStart + kHatchBlockSize);
    EXPECT_EQ(img.at(kDataStart + kHatchBlockSize)[0], 'M');
    EXPECT_EQ(ReadCellEntry(img, SlotOffset(1)).firstBlock,
              kDataStart + kHatchBlockSize + kLayerNamesBlockSize);
    EXPECT_LE(img.usedSize, before.usedSize);
    for (std::int32_t i = img.usedSize; i < std::int32_t(img.bytes.size()); i += 4099)
      EXPECT_EQ(img.bytes[i], 0);
    // Packing the packed design changes nothing.
    const auto once = std::pair(img.bytes, img.usedSize);
    ASSERT_TRUE(CompactDesign(app, c.drop));
    EXPECT_TRUE(std::pair(app.design.image.bytes, app.design.image.usedSize) == once);
  }
  // A cell of deleted records only becomes empty.
  app.design.image = before;
  testing::AddCell(app.design, "GONE");
  Append(app.design, EncodeArea(ElementType::Rect, 1, Square(0, 0, 5)));
  MarkDeleted(app.design.image, testing::LastRecord(app.design));
  testing::AddCell(app.design, "AFTER");
  Append(app.design, EncodeArea(ElementType::Rect, 1, Square(0, 0, 7)));
  ASSERT_TRUE(CompactDesign(app, true));
  // GONE took the deleted slot 2: A, GONE, C, AFTER.
  const CellEntry gone = ReadCellEntry(app.design.image, SlotOffset(2));
  const CellEntry after = ReadCellEntry(app.design.image, SlotOffset(4));
  EXPECT_EQ(std::tuple(gone.nameText(), gone.dataSize, gone.firstBlock),
            std::tuple(std::string("GONE"), 0, 0));
  // The empty cell still advances the destination by one block.
  const CellEntry a = ReadCellEntry(app.design.image, SlotOffset(1));
  const CellEntry c = ReadCellEntry(app.design.image, SlotOffset(3));
  const std::int32_t aBlocks = (a.dataSize + kPayloadSize - 1) / kPayloadSize;
  EXPECT_EQ(c.firstBlock, a.firstBlock + (aBlocks + 1) * kBlockSize);
  EXPECT_GT(after.firstBlock, c.firstBlock);
  EXPECT_EQ(after.dataSize, 46);
  // No cell is open: records have no target until one is opened.
  EXPECT_EQ(AppendElement(app.design, EncodeArea(ElementType::Rect, 1, Square(0, 0, 1)), {}),
            AppendResult::NoCell);
  // Escape, a packed form that would not fit, or no design leave everything as it was.
  SetUp();
  auto bytes = app.design.image.bytes;
  host.onMessageStep = [n = 0](bool& flag) mutable {
    if (++n == 1) flag = false;
  };
  EXPECT_FALSE(CompactDesign(app, true));
  EXPECT_EQ(app.design.image.bytes, bytes);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(app.design.hasCell());
  host.onMessageStep = nullptr;
  app.continueFlag = true;  // as every command starts
  // A packed form that would not fit.
  testing::NewImage(app.design);
  app.design.image.maxSize = 1'000'000;
  testing::AddCell(app.design, "HUGE");
  // Nearly the limit in one cell, then empty cells that each take a block once packed.
  const auto big = EncodeArea(ElementType::Polygon, 1, testing::Zigzag(200, 1));
  while (app.design.image.usedSize + 2 * kBlockSize < 850'000) Append(app.design, big);
  for (int i = 0; i < 200; ++i) testing::AddCell(app.design, "E" + std::to_string(i));
  bytes = app.design.image.bytes;
  const auto used = app.design.image.usedSize;
  EXPECT_FALSE(CompactDesign(app, false));
  ASSERT_TRUE(
      lav::testing::OneBox(host, "圧縮後のデーターが領域に収まりませんので圧縮できません。"));
  EXPECT_EQ(app.design.image.bytes, bytes);
  EXPECT_EQ(app.design.image.usedSize, used);
  EXPECT_TRUE(app.design.hasCell());
  host.boxes.clear();
  app.design = {};
  EXPECT_FALSE(CompactDesign(app, false));
  ASSERT_TRUE(lav::testing::OneBox(host, "ファイルはまだ開かれていません"));
  // The extended directory is rebuilt, and goes classic when the cells fit: 1,000 cells, every
  // third one deleted afterwards, 667 live.
  auto build = [](DesignState& d, bool withDeleted) {
    testing::NewImage(d);
    for (int i = 0; i < 1000; ++i) {
      if (!withDeleted && i % 3 == 1) continue;
      testing::AddCell(d, "CELL" + std::to_string(i));
      if (i % 2) Append(d, EncodeArea(ElementType::Polygon, 1, testing::Zigzag(5 + i % 50, i)));
    }
    if (withDeleted)
      for (int i = 1; i < 1000; i += 3)
        MarkCellDeleted(d.image, FindCell(d.image, "CELL" + std::to_string(i)).slotOffset);
  };
  build(app.design, true);
  const auto live = liveCells(app.design.image);
  ASSERT_EQ(live.size(), 667u);
  struct Form {
    bool dropDeleted, extended;
  } forms[] = {{false, true}, {true, false}};
  for (const auto& c : forms) {
    PackError error = PackError::None;
    auto packed = PackImage(app.design.image, c.dropDeleted, error);
    ASSERT_TRUE(packed) << c.dropDeleted;
    EXPECT_EQ(HasExtension(*packed, Extension::Directory), c.extended);
    EXPECT_EQ(liveCells(*packed), live) << c.dropDeleted;
    auto twice = PackImage(*packed, c.dropDeleted, error);
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->usedSize, packed->usedSize);
    EXPECT_TRUE(std::equal(packed->bytes.begin(), packed->bytes.begin() + packed->usedSize,
                           twice->bytes.begin()));
    if (c.extended) {
      // One chunk for the 200 slots beyond the classic ones, first in the data area.
      EXPECT_EQ(le::getI32(packed->at(kFirstChunkOffset)), kDataStart);
      EXPECT_EQ(le::getI32(packed->at(kDataStart + kSlotsPerChunk * kSlotSize)), 0);
      EXPECT_EQ(ReadCellEntry(*packed, kDataStart + 199 * kSlotSize).nameText(), "CELL999");
      EXPECT_EQ(packed->bytes[kDataStart + 200 * kSlotSize], kFreeSlotMark);
    } else {
      // Byte for byte the design that never had more than 800 cells.
      DesignState classic;
      build(classic, false);
      auto expected = PackImage(classic.image, true, error);
      ASSERT_TRUE(expected);
      EXPECT_TRUE(std::all_of(packed->at(kExtensionFlagsOffset), packed->at(kHeaderSize),
                              [](std::uint8_t b) { return b == 0; }));
      ASSERT_EQ(packed->usedSize, expected->usedSize);
      EXPECT_TRUE(std::equal(packed->bytes.begin(), packed->bytes.begin() + packed->usedSize,
                             expected->bytes.begin()));
    }
  }
}

}  // namespace
}  // namespace lav::db
