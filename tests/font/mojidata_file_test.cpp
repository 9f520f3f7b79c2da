// Damaged font files: every read stops at the file's end with its error, and what was read
// before the damage is kept.
#include "font/mojidata_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "font_builder.h"
#include "support/short_forms.h"

namespace lav::font {
namespace {

using lav::testing::FontBytes;
using lav::testing::FontGlyph;
using lav::testing::PutLE32;

class MojidataFileTest : public ::testing::Test {
 protected:
  FontFile open(const std::vector<std::uint8_t>& bytes) {
    lav::testing::WriteBytes(path, bytes);
    auto f = FontFile::Open(path.string());
    EXPECT_TRUE(f);
    return std::move(*f);
  }
  lav::testing::ScratchFolder folder;
  const std::filesystem::path path = folder.dir / "MOJIDATA.DAT";
};

TEST_F(MojidataFileTest, KeysAreFoundInDirectoryOrderOnly) {
  EXPECT_FALSE(FontFile::Open((path / "none").string()));  // a missing file is not opened
  std::vector<FontGlyph> glyphs;
  for (int i = 0; i < 176; ++i) glyphs.push_back({"K" + std::to_string(i), {}});
  glyphs[5].key = "A";
  glyphs[9].key = "A";  // a later duplicate is never reached
  std::vector<std::uint8_t> bytes = FontBytes(glyphs);
  // An entry past the 176th is not part of the directory even when bytes follow.
  bytes.insert(bytes.begin() + 1760, {'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0});
  FontFile f = open(bytes);
  std::uint8_t expected[4];
  std::memcpy(expected, bytes.data() + 5 * 10 + 6, 4);
  ASSERT_TRUE(f.FindGlyph("A"));
  EXPECT_EQ(*f.FindGlyph("A"), static_cast<std::uint32_t>(expected[0] | expected[1] << 8 |
                                                          expected[2] << 16 | expected[3] << 24));
  EXPECT_TRUE(f.FindGlyph("K175"));
  EXPECT_FALSE(f.FindGlyph("Z"));
  EXPECT_FALSE(f.FindGlyph(""));
  EXPECT_FALSE(f.FindGlyph("TOOLONG"));
}

TEST_F(MojidataFileTest, DamagedFiles) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool found;
    GlyphError error;
    std::size_t polygons;
  };
  auto square = [] { return FontBytes({lav::testing::SquareGlyph("A")}); };
  auto withOffset = [&](std::uint32_t off) {
    auto b = square();
    for (int i = 0; i < 4; ++i) b[6 + i] = static_cast<std::uint8_t>(off >> (8 * i));
    return b;
  };
  auto cut = [&](std::size_t drop) {
    auto b = square();
    b.resize(b.size() - drop);
    return b;
  };
  auto withCount = [&](std::int32_t raw) {
    auto b = square();
    std::vector<std::uint8_t> c;
    PutLE32(c, raw);
    std::copy(c.begin(), c.end(), b.begin() + 1760 + 4);
    return b;
  };
  const Case cases[] = {
      {"sound", square(), true, GlyphError::None, 1},
      {"empty file", {}, false, GlyphError::None, 0},
      {"directory cut inside the first entry", cut(square().size() - 7), false, GlyphError::None,
       0},
      {"offset past the end", withOffset(1u << 31), true, GlyphError::ShortHeader, 0},
      {"offset at the last bytes", withOffset(static_cast<std::uint32_t>(square().size() - 4)),
       true, GlyphError::ShortHeader, 0},
      {"no end record", cut(8), true, GlyphError::ShortHeader, 1},
      {"half an end record", cut(4), true, GlyphError::ShortHeader, 1},
      {"second record's points cut", cut(8 + 8 * 3), true, GlyphError::ShortPoints, 1},
      {"negative count", withCount(-5000), true, GlyphError::ShortPoints, 0},
      {"count beyond a figure", withCount(201000), true, GlyphError::ShortPoints, 0},
      {"huge count", withCount(2147483647), true, GlyphError::ShortPoints, 0},
  };
  for (const Case& c : cases) {
    FontFile f = open(c.bytes);
    auto offset = f.FindGlyph("A");
    ASSERT_EQ(offset.has_value(), c.found) << c.name;
    if (!offset) continue;
    Glyph g = f.ReadGlyph(*offset, GlyphSet::P);
    Glyph n = f.ReadGlyph(*offset, GlyphSet::N);
    EXPECT_EQ(g.error, c.error) << c.name;
    EXPECT_EQ(g.polygons.size(), c.polygons) << c.name;
    EXPECT_EQ(n.error, c.error) << c.name;
  }
}

TEST_F(MojidataFileTest, RecordsOfOtherKindsAreSkippedAndCoordinatesRounded) {
  FontFile f = open(FontBytes({{"A",
                                {{3000, {{1, 1}, {2, 2}}},
                                 {1999, {{0.5, -0.5}, {-2.6, 2.4999}, {10.5, 0}}},
                                 {1000, {{7, 8}, {9, 10}, {11, 12}}}}}}));
  Glyph n = f.ReadGlyph(*f.FindGlyph("A"), GlyphSet::P);  // 1999 counts as kind 1
  ASSERT_EQ(n.polygons.size(), 2u);
  const std::vector<std::pair<double, double>> expected = {{1, 0}, {-3, 2}, {11, 0}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(n.polygons[0][i].x, expected[i].first) << i;
    EXPECT_EQ(n.polygons[0][i].y, expected[i].second) << i;
  }
  EXPECT_TRUE(f.ReadGlyph(*f.FindGlyph("A"), GlyphSet::N).polygons.empty());
}

}  // namespace
}  // namespace lav::font
