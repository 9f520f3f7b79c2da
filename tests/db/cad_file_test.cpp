#include "db/cad_file.h"

#include <gtest/gtest.h>

#include <random>

#include "db/design_header.h"
#include "design_builder.h"
#include "platform/byte_io.h"

namespace lav::db {
namespace {

using namespace lav::db::testing;

std::vector<std::uint8_t> usedBytes(const DesignImage& img) {
  return {img.bytes.begin(), img.bytes.begin() + img.usedSize};
}

TEST(DesignImage, FirstPolygonTakesOneBlock) {
  DesignState d;
  NewImage(d);
  EXPECT_EQ(d.image.usedSize, 64384);
  AddCell(d, "A");
  Append(d, EncodeArea(ElementType::Polygon, 1, Square(0, 0, 10)));
  EXPECT_EQ(d.image.usedSize, 66388);
  EXPECT_EQ(ReadCellEntry(d.image, SlotOffset(1)).dataSize, 46);
}

TEST(DesignImage, RecordsCrossingBlocksReadBackIdentically) {
  DesignState d;
  NewImage(d);
  AddCell(d, "A");
  // 1000 bytes used in the first block: 10 lines of 100 bytes (12 + 8*11).
  std::vector<std::vector<std::uint8_t>> written;
  for (int i = 0; i < 10; ++i) {
    written.push_back(EncodeLine(1, 0, 5, Zigzag(11, i)));
    Append(d, written.back());
  }
  ASSERT_EQ(d.current.entry.dataSize, 1000);
  written.push_back(EncodeArea(ElementType::Polygon, 2, Zigzag(200, 3)));  // 1606 bytes
  ASSERT_EQ(written.back().size(), 1606u);
  Append(d, written.back());
  EXPECT_EQ(d.image.usedSize, 64384 + 2 * 2004);
  std::size_t i = 0;
  auto end = ReadElements(d.image, d.current.entry, [&](const RecordView& r) {
    EXPECT_EQ(std::vector<std::uint8_t>(r.bytes.begin(), r.bytes.end()), written[i]) << i;
    ++i;
    return true;
  });
  EXPECT_EQ(end, ReadEnd::Complete);
  EXPECT_EQ(i, written.size());
}

TEST(DesignImage, AppendCursorBelongsToOneCell) {
  DesignState d;
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
    ReadElements(d.image, ReadCellEntry(d.image, SlotOffset(slot)), [&](const RecordView& r) {
      layers.push_back(le::getI16(r.bytes.data() + 2));
      return true;
    });
    const std::vector<int> expected = slot == 1 ? std::vector<int>{1, 3} : std::vector<int>{2};
    EXPECT_EQ(layers, expected);
  }
}

TEST(DesignImage, AppendBeyondTheImageWritesNothing) {
  DesignState d;
  NewImage(d);
  AddCell(d, "A");
  d.image.usedSize = kImageSize - 1000;  // pretend the design is nearly full
  const auto before = d.image.bytes;
  LocalTime t;
  EXPECT_EQ(AppendElement(d, EncodeArea(ElementType::Polygon, 1, Square(0, 0, 1)), t),
            AppendResult::OutOfImage);
  EXPECT_EQ(d.image.bytes, before);
  EXPECT_EQ(d.current.entry.dataSize, 0);
}

TEST(CadFile, EncodeDecodeRoundTripsByteForByte) {
  DesignState d;
  NewImage(d);
  FillRealistic(d, 40, 120);
  Settings s;
  ASSERT_TRUE(WriteHeader(d.image, s, 450));
  auto file = EncodeFile(d.image);
  DesignImage back;
  ASSERT_EQ(DecodeFile(file, back), LoadError::None);
  auto expected = usedBytes(d.image);
  expected[41] = 10;
  EXPECT_EQ(usedBytes(back), expected);
  EXPECT_EQ(EncodeFile(back), file);  // and the file again, byte for byte
}

TEST(CadFile, ZeroRunsAndCutBodies) {
  DesignState d;
  NewImage(d);
  auto file = EncodeFile(d.image);
  // After the prefix, the zeros of the header and directory come as run items of 251 + 1.
  EXPECT_LT(file.size(), 2000u);
  DesignImage back;
  ASSERT_EQ(DecodeFile(file, back), LoadError::None);
  EXPECT_EQ(back.usedSize, 64384);
  // A body cut inside a run still yields that run's copies, but then the design is short.
  std::vector<std::uint8_t> cut(file.begin(), file.begin() + 52);
  EXPECT_EQ(DecodeFile(cut, back), LoadError::Damaged);
}

TEST(CadFile, PlainBodiesAreReadAndLimited) {
  DesignState d;
  NewImage(d);
  std::vector<std::uint8_t> plain = usedBytes(d.image);
  plain[41] = 1;
  DesignImage back;
  ASSERT_EQ(DecodeFile(plain, back), LoadError::None);
  EXPECT_EQ(back.usedSize, 64384);
  plain.resize(kImageSize + 1, 0);
  EXPECT_EQ(DecodeFile(plain, back), LoadError::TooLarge);
  EXPECT_FALSE(back.allocated());
}

TEST(CadFile, DamagedFilesAreRefusedNeverReadOutside) {
  DesignState d;
  NewImage(d);
  FillRealistic(d, 6, 40);
  Settings s;
  WriteHeader(d.image, s, 450);
  const auto file = EncodeFile(d.image);
  DesignImage back;
  for (std::size_t n = 0; n < file.size(); n += (n < 400 ? 1 : 37)) {
    std::vector<std::uint8_t> part(file.begin(), file.begin() + static_cast<long>(n));
    const LoadError e = DecodeFile(part, back);
    EXPECT_NE(e, LoadError::None) << "truncated at " << n;
  }
  std::mt19937 rng(7);
  int accepted = 0;
  for (int i = 0; i < 1500; ++i) {
    auto bad = file;
    for (int k = 0; k < 1 + i % 4; ++k) bad[rng() % bad.size()] = static_cast<std::uint8_t>(rng());
    if (DecodeFile(bad, back) == LoadError::None) {
      ++accepted;
      EXPECT_TRUE(ValidateImage(back).empty());
    }
  }
  SUCCEED() << accepted << " mutated files were still sound";
}

TEST(DesignHeader, VersionsAndRanges) {
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
    DesignState d;
    NewImage(d);
    Settings written;
    WriteHeader(d.image, written, c.version);
    le::putI16(d.image.at(c.offset), c.value);
    Settings s;
    ASSERT_TRUE(ReadHeader(d.image, s));
    EXPECT_EQ(s.*c.field, c.expected) << c.version << " @" << c.offset;
  }
  DesignState d;
  NewImage(d);
  Settings s;
  WriteHeader(d.image, s, 450);
  d.image.bytes[40] = 9;
  ASSERT_TRUE(ReadHeader(d.image, s));
  EXPECT_EQ(s.printUnit, 0);
  le::putI16(d.image.at(42), 500);
  s.nest = 5;
  EXPECT_FALSE(ReadHeader(d.image, s));
  EXPECT_EQ(s.nest, 5);  // nothing taken from a newer version
}

TEST(DesignHeader, HatchTableIsAppendedOnce) {
  DesignState d;
  NewImage(d);
  Settings s;
  WriteHeader(d.image, s, 450);
  EXPECT_EQ(d.image.usedSize, 64384 + 128);
  EXPECT_EQ(d.image.bytes[320], 0xFF);
  WriteHeader(d.image, s, 450);
  EXPECT_EQ(d.image.usedSize, 64384 + 128);
}

}  // namespace
}  // namespace lav::db
