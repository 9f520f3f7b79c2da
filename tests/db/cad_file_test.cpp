#include "db/cad_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "db/cell_copy.h"
#include "db/cell_directory.h"
#include "db/design_header.h"
#include "design_builder.h"
#include "platform/byte_io.h"

namespace lav::db {
namespace {

using namespace lav::db::testing;

std::vector<std::uint8_t> usedBytes(const DesignImage& img) {
  return {img.bytes.begin(), img.bytes.begin() + img.usedSize};
}

class CadFile : public ::testing::Test {
 protected:
  void SetUp() override { NewImage(d); }
  DesignState d;
};

// The encoding rule item by item, as the file format states it.
std::vector<std::uint8_t> EncodeByTheRule(const DesignImage& img) {
  std::vector<std::uint8_t> out(img.bytes.begin(), img.bytes.begin() + 49);
  out[41] = 0;
  std::size_t flagAt = out.size();
  int items = 0;
  out.push_back(0xFF);
  auto item = [&](bool run, std::initializer_list<std::uint8_t> bytes) {
    if (run) out[flagAt] &= static_cast<std::uint8_t>(~(0x80u >> items));
    out.insert(out.end(), bytes);
    if (++items == 8) flagAt = out.size(), items = 0, out.push_back(0xFF);
  };
  std::uint8_t prev = img.bytes[48];
  int r = 0;
  for (std::int32_t i = 49; i < img.usedSize; ++i) {
    const std::uint8_t x = img.bytes[i];
    if (x != prev) {
      r > 0 ? item(true, {std::uint8_t(r), x}) : item(false, {x});
      r = 0, prev = x;
    } else if (r > 250) {
      item(true, {251, x}), r = 0;
    } else {
      ++r;
    }
  }
  if (r > 0) out[flagAt] &= static_cast<std::uint8_t>(~(0x80u >> items)), out.push_back(r);
  return out;
}

TEST_F(CadFile, LongRecordsSpanBlocksEveryBodyEncodesByTheRuleDamagedFilesAreRefused) {
  const struct Case {
    const char* what;
    std::vector<std::vector<std::uint8_t>> before;  // records in the stream already
    std::vector<std::uint8_t> record;
    int spareBlocks;  // blocks of a deleted cell's chain that the cell takes over
    bool long_;       // beyond the classic 200 vertices
  } cases[] = {
      {"into an empty stream", {}, EncodeArea(ElementType::Polygon, 2, Zigzag(1000, 3)), 0, true},
      {"after 1000 bytes", std::vector(10, EncodeLine(1, 0, 5, Zigzag(11, 1))),
       EncodeLine(4, 1, 300, Zigzag(5000, 7)), 0, true},
      {"ending on a block boundary",
       std::vector{EncodeArea(ElementType::Polygon, 1, Square(0, 0, 1)),
                   EncodeLine(1, 0, 0, Zigzag(2, 1))},
       EncodeArea(ElementType::Polygon, 2, Zigzag(490, 5)), 0, true},
      {"into a deleted chain", {}, EncodeArea(ElementType::Rect, 3, Zigzag(1000, 9)), 7, true},
      {"a classic figure", std::vector(10, EncodeLine(1, 0, 5, Zigzag(11, 1))),
       EncodeArea(ElementType::Polygon, 2, Zigzag(200, 3)), 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d.current = {};
    NewImage(d);
    if (c.spareBlocks > 0) {
      AddCell(d, "OLD");
      Append(d, EncodeLine(1, 0, 0, Zigzag((c.spareBlocks * 2000 - 12) / 8, 0)));
      MarkCellDeleted(d.image, d.current.slotOffset);
    }
    AddCell(d, "A");
    std::vector<std::vector<std::uint8_t>> written = c.before;
    for (const auto& r : written) Append(d, r);
    const std::int32_t used = d.current.entry.dataSize;
    Append(d, c.record);
    written.push_back(c.record);
    const std::int32_t blocks =
        std::max(c.spareBlocks, (used + std::int32_t(c.record.size()) + 1999) / 2000);
    EXPECT_EQ(d.image.usedSize, kDataStart + blocks * kBlockSize);
    EXPECT_EQ(HasExtension(d.image, Extension::LongFigures), c.long_);
    // A small record after it goes where the stream ends, whether the cursor finds that end or a
    // walk through the chain does.
    DesignState walked;
    walked.image = d.image;
    walked.path = d.path;
    walked.current = d.current;
    walked.current.cursor = {};
    for (DesignState* s : {&d, &walked})
      Append(*s, EncodeArea(ElementType::Polygon, 9, Square(1, 2, 3)));
    EXPECT_EQ(d.image.bytes, walked.image.bytes);
    written.push_back(EncodeArea(ElementType::Polygon, 9, Square(1, 2, 3)));
    EXPECT_EQ(CellRecords(d.image, d.current.entry, true), written);
    EXPECT_EQ(ReadElements(d.image, d.current.entry, [](const RecordView&) { return true; }),
              ReadEnd::Complete);
  }
  // Without room for every block the record needs, nothing is written.
  d.current = {};
  NewImage(d);
  AddCell(d, "A");
  d.image.maxSize = kDataStart + 3 * kBlockSize;
  const auto before = d.image.bytes;
  LocalTime t;
  EXPECT_EQ(AppendElement(d, EncodeArea(ElementType::Polygon, 1, Zigzag(1000, 0)), t),
            AppendResult::OutOfImage);
  EXPECT_EQ(d.image.bytes, before);
  EXPECT_EQ(d.current.entry.dataSize, 0);
  EXPECT_FALSE(HasExtension(d.image, Extension::LongFigures));
  // A cell copied into another design takes the mark along only when it holds a long figure.
  DesignState from, to;
  NewImage(from);
  NewImage(to);
  AddCell(from, "C");
  Append(from, EncodeArea(ElementType::Polygon, 1, Square(0, 0, 5)));
  AddCell(from, "L");
  Append(from, EncodeArea(ElementType::Polygon, 1, Zigzag(300, 0)));
  for (const std::string name : {"C", "L"}) {
    EXPECT_EQ(CopyCell(from.image, name, to.image, 450, name).result, CopyResult::Copied);
    EXPECT_EQ(HasExtension(to.image, Extension::LongFigures), name == "L");
  }
  // The append cursor belongs to one cell: back in A, a record goes to A's end.
  d.current = {};
  NewImage(d);
  AddCell(d, "A");
  Append(d, EncodeArea(ElementType::Polygon, 1, Square(0, 0, 1)));
  const std::int32_t slotA = d.current.slotOffset;
  AddCell(d, "B");
  Append(d, EncodeArea(ElementType::Polygon, 2, Square(0, 0, 2)));
  MakeCurrent(d, slotA);
  Append(d, EncodeArea(ElementType::Polygon, 3, Square(0, 0, 3)));
  for (int slot = 1; slot <= 2; ++slot) {
    std::vector<int> layers;
    for (const auto& r : CellRecords(d.image, ReadCellEntry(d.image, SlotOffset(slot))))
      layers.push_back(RecordLayer(r).value_or(-1));
    EXPECT_EQ(layers, (slot == 1 ? std::vector<int>{1, 3} : std::vector<int>{2}));
  }
  // Every body encodes by the rule and decodes back, in images of any size.
  d = {};
  std::mt19937 rng(11);
  const struct {
    const char* what;
    std::function<std::uint8_t(std::size_t)> byte;
    std::int32_t body = 90000;
  } bodies[] = {
      {"all different", [](std::size_t i) { return std::uint8_t(i * 7 + 3); }},
      {"noise", [&](std::size_t) { return std::uint8_t(rng()); }},
      {"short runs", [&](std::size_t) { return std::uint8_t(rng() % 3); }},
      {"runs of every length", [](std::size_t i) { return std::uint8_t((i / (i % 600 + 1)) & 1); }},
      {"runs of 251 to 253", [](std::size_t i) { return std::uint8_t(i / (251 + i / 5000 % 3)); }},
      {"one long run", [](std::size_t i) { return std::uint8_t(i < 70000 ? 0 : i % 2); }},
      // A large file whose start says little about the rest: the image grows while it is read.
      {"noise, then long runs",
       [&](std::size_t i) {
         return std::uint8_t(i < 9'000'000 ? rng() : i % 2000 < 1900 ? 0 : i);
       },
       30'000'000},
  };
  for (const auto& b : bodies) {
    for (std::int32_t tail : {0, 1, 7, 251, 252, 253, 2000}) {
      if (b.body > 90000 && tail != 1) continue;
      SCOPED_TRACE(std::string(b.what) + ", tail " + std::to_string(tail));
      NewImage(d);
      const std::int32_t size = 64384 + b.body + tail;
      ASSERT_TRUE(Reserve(d.image, size));
      for (std::int32_t i = 64384; i < size; ++i) d.image.bytes[i] = b.byte(std::size_t(i));
      // The image may end in the middle of a run.
      for (std::int32_t i = size - tail; i < size; ++i) d.image.bytes[i] = 9;
      d.image.usedSize = size;
      const auto file = EncodeFile(d.image);
      ASSERT_EQ(file, EncodeByTheRule(d.image));
      // Cut into ranges encoded by several threads: the same bytes; a sink that stops ends it.
      for (const std::size_t range : {std::size_t(97), std::size_t(1000), std::size_t(1) << 20}) {
        std::vector<std::uint8_t> made;
        const auto keep = [&](std::span<const std::uint8_t> piece) {
          made.insert(made.end(), piece.begin(), piece.end());
          return range != 1000 || made.size() < file.size() / 2;
        };
        EXPECT_EQ(EncodeFileTo(d.image, keep, range, 3), range != 1000);
        if (range != 1000) {
          ASSERT_EQ(made, file) << range;
        }
      }
      DesignImage back;
      ASSERT_EQ(DecodeFile(file, back), LoadError::None);
      auto expected = usedBytes(d.image);
      expected[41] = 10;
      ASSERT_EQ(usedBytes(back), expected);
      EXPECT_TRUE(std::all_of(back.bytes.begin() + size, back.bytes.end(),
                              [](std::uint8_t x) { return x == 0; }));
      // One byte more than an image may hold: refused, nothing kept.
      DesignImage small;
      small.maxSize = size - 1;
      EXPECT_EQ(DecodeFile(file, small), LoadError::TooLarge);
      EXPECT_FALSE(small.allocated());
    }
  }
  // A plain body is read too, up to the size of an image. (Run items and cut bodies are the
  // rule's cases above and the damaged file's below.)
  NewImage(d);
  DesignImage plainBack;
  std::vector<std::uint8_t> plain = usedBytes(d.image);
  plain[41] = 1;
  ASSERT_EQ(DecodeFile(plain, plainBack), LoadError::None);
  EXPECT_EQ(plainBack.usedSize, 64384);
  plain.resize(kClassicImageSize + 1, 0);
  ASSERT_EQ(DecodeFile(plain, plainBack), LoadError::None);  // beyond the classic size it grows
  EXPECT_EQ(plainBack.usedSize, kClassicImageSize + 1);
  plainBack.maxSize = kClassicImageSize;
  EXPECT_EQ(DecodeFile(plain, plainBack), LoadError::TooLarge);
  EXPECT_FALSE(plainBack.allocated());
  // A design of every record kind comes back byte for byte; cut short or mutated, it is refused
  // or comes back sound, never read outside.
  FillRealistic(d, 6, 40);
  Settings s;
  ASSERT_TRUE(WriteHeader(d.image, s, 450));
  const auto file = EncodeFile(d.image);
  DesignImage back;
  ASSERT_EQ(DecodeFile(file, back), LoadError::None);
  auto expected = usedBytes(d.image);
  expected[41] = 10;
  EXPECT_EQ(usedBytes(back), expected);
  EXPECT_EQ(EncodeFile(back), file);
  for (std::size_t n = 0; n < file.size(); n += (n < 400 ? 1 : 37)) {
    std::vector<std::uint8_t> part(file.begin(), file.begin() + static_cast<long>(n));
    const LoadError e = DecodeFile(part, back);
    EXPECT_NE(e, LoadError::None) << "truncated at " << n;
  }
  rng.seed(7);
  for (int i = 0; i < 1500; ++i) {  // mutated: refused, or still sound
    auto bad = file;
    for (int k = 0; k < 1 + i % 4; ++k) bad[rng() % bad.size()] = static_cast<std::uint8_t>(rng());
    EXPECT_TRUE(DecodeFile(bad, back) != LoadError::None || ValidateImage(back).empty()) << i;
  }
}

using Bytes = std::vector<std::uint8_t>;

// The record decoded, then encoded again; nothing when it does not decode.
template <class Record, bool (*decode)(RecordBytes, Record&), Bytes (*encode)(const Record&)>
Bytes Again(RecordBytes b) {
  Record r;
  return decode(b, r) ? encode(r) : Bytes{};
}

TEST_F(CadFile, EverySavedSettingAndRecordKindRoundTripsAndRangesHoldByVersion) {
  using S = Settings;
  Settings s;  // every saved value away from its default, inside its range
  const std::pair<int S::*, int> values[] = {
      {&S::fillLines, 31},     {&S::gscale, 77},     {&S::gridOn, 0},        {&S::grid, 3},
      {&S::nest, 4},           {&S::showBase, 5},    {&S::showAcell, 2},     {&S::fillPaint, 2},
      {&S::headerFlag36, 1},   {&S::showScell, 0},   {&S::printUnit, 3},     {&S::position, 7},
      {&S::dbPerUserUnit, 10}, {&S::elementType, 2}, {&S::hight, 31999},     {&S::acuteTip, 0},
      {&S::showTextBase, 12},  {&S::lineTipType, 1}, {&S::showBaseName, 11},
  };
  for (auto [field, v] : values) s.*field = v;
  s.headerFlags50 = s.headerFlags51 = 1;
  s.layerFlags[63] = 0, s.layerSelectFlags[0] = 0, s.layerFillFlags[1] = 3, s.layerPen[5] = 69;
  s.layerHatchCount[2] = 45;
  ASSERT_TRUE(WriteHeader(d.image, s, 450));
  ASSERT_TRUE(WriteHeader(d.image, s, 450));  // the hatch table is appended once
  EXPECT_EQ(d.image.usedSize, 64384 + 128);
  EXPECT_EQ(d.image.bytes[320], 0xFF);
  Settings back;
  ASSERT_TRUE(ReadHeader(d.image, back));
  for (auto [field, v] : values) EXPECT_EQ(back.*field, v);
  EXPECT_EQ(back.gscaleCopy, 77);
  EXPECT_EQ(back.headerFlags50 + back.headerFlags51, 2);
  EXPECT_EQ(back.layerFlags, s.layerFlags);
  EXPECT_EQ(back.layerSelectFlags, s.layerSelectFlags);
  EXPECT_EQ(back.layerFillFlags, s.layerFillFlags);
  EXPECT_EQ(back.layerPen, s.layerPen);
  EXPECT_EQ(back.layerHatchCount, s.layerHatchCount);
  // Values out of their range, by version.
  struct Case {
    std::int16_t version;
    std::int32_t offset;
    std::int16_t value;
    int Settings::*field;
    int expected;
  } cases[] = {
      {450, 18, 10, &Settings::fillLines, 30}, {450, 18, 5000, &Settings::fillLines, 2000},
      {450, 28, 15, &Settings::nest, 11},      {450, 34, 3, &Settings::fillPaint, 0},
      {420, 48, 3, &Settings::elementType, 3}, {399, 48, 3, &Settings::elementType, 4},
      {450, 54, 0, &Settings::hight, 1},       {450, 54, -5, &Settings::hight, 32000},
  };
  for (const auto& c : cases) {
    DesignState h;
    NewImage(h);
    WriteHeader(h.image, Settings{}, c.version);
    le::putI16(h.image.at(c.offset), c.value);
    Settings read;
    ASSERT_TRUE(ReadHeader(h.image, read));
    EXPECT_EQ(read.*c.field, c.expected) << c.version << " @" << c.offset;
  }
  d.image.bytes[40] = 9;
  ASSERT_TRUE(ReadHeader(d.image, back));
  EXPECT_EQ(back.printUnit, 0);
  le::putI16(d.image.at(42), 500);
  back.nest = 5;
  EXPECT_FALSE(ReadHeader(d.image, back));
  EXPECT_EQ(back.nest, 5);  // nothing taken from a newer version
  // Every record kind decodes to what was encoded (a deleted one too), re-encodes to the same
  // bytes, keeps its fields where the file format puts them, and is refused cut short or as
  // another kind.
  const Placement array{std::string(32, 'A'), 1, 2500000, 90000000, -7, 8, 10, 3, 500, -700};
  const Placement single{"S", 0, 1000000, 45000000, 11, -12, 1, 1, 0, 0};
  const TextRecord text{9, 1, 1, 3000, 500000, 180000000, "\x83\x65\x83\x58\x83\x67 x", 21, -22};
  const AreaRecord rect{ElementType::Rect, 63, Square(-5, 5, 40)};
  const AreaRecord polygon{ElementType::Polygon, 3, Zigzag(200, 4)};
  const LineRecord line{7, 1, 250, Zigzag(2, 9)};
  const auto n = static_cast<std::int32_t>(text.text.size());
  const struct Record {
    Bytes bytes;
    Bytes (*again)(RecordBytes);
    std::vector<std::pair<std::int32_t, std::int32_t>> fields;  // offset, int32 stored there
  } records[] = {
      {EncodeArray(array),
       Again<Placement, DecodePlacement, EncodeArray>,
       {{12, 10}, {16, 3}, {20, 500}, {24, -700}, {60, -7}, {64, 8}}},
      {EncodeSingle(single),
       Again<Placement, DecodePlacement, EncodeSingle>,
       {{8, 45000000}, {44, 11}, {48, -12}}},
      {EncodeText(text),
       Again<TextRecord, DecodeText, EncodeText>,
       {{6, 3000}, {16, 180000000}, {22 + n, 21}, {26 + n, -22}}},
      {EncodeArea(rect), Again<AreaRecord, DecodeArea, EncodeArea>, {{6, -5}, {10, 5}, {14, 35}}},
      {EncodeArea(polygon), Again<AreaRecord, DecodeArea, EncodeArea>, {{6 + 8 * 199, 1994}}},
      {EncodeLine(line), Again<LineRecord, DecodeLine, EncodeLine>, {{6, 250}, {12, 9}, {20, 19}}},
  };
  const std::size_t count = std::size(records);
  for (std::size_t i = 0; i < count; ++i) {
    const Record& c = records[i];
    EXPECT_EQ(c.again(c.bytes), c.bytes) << i;
    EXPECT_EQ(RecordLength(c.bytes), static_cast<std::int32_t>(c.bytes.size())) << i;
    for (auto [at, value] : c.fields) EXPECT_EQ(le::getI32(&c.bytes[at]), value) << i << "@" << at;
    Bytes deleted = c.bytes;
    deleted[0] += kDeletedOffset;
    EXPECT_EQ(c.again(deleted), c.bytes) << i;
    EXPECT_TRUE(c.again(RecordBytes(c.bytes).first(c.bytes.size() - 1)).empty()) << i;
    EXPECT_TRUE(c.again(records[(i + 2) % count].bytes).empty()) << i;
  }
}

}  // namespace
}  // namespace lav::db
