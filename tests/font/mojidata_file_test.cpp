// Damaged font files: every read stops at the file's end with its error, and what was read
// before the damage is kept.
#include "font/mojidata_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "font_builder.h"
#include "support/short_forms.h"

namespace lav::font {
namespace {

using lav::testing::FontBytes;
using lav::testing::FontGlyph;

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
  EXPECT_EQ(f.FindGlyph("A"), 1760u + 5 * 8);  // after five glyphs of an end record each
  EXPECT_TRUE(f.FindGlyph("K175"));
  for (const char* key : {"Z", "", "TOOLONG"}) EXPECT_FALSE(f.FindGlyph(key)) << key;
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
  // The glyph's offset in the directory is at 6, its first record's count at 1764.
  auto with = [&](std::size_t at, std::uint32_t value) {
    auto b = square();
    le::putU32(b.data() + at, value);
    return b;
  };
  auto cut = [&](std::size_t drop) {
    auto b = square();
    b.resize(b.size() - drop);
    return b;
  };
  const Case cases[] = {
      {"sound", square(), true, GlyphError::None, 1},
      {"empty file", {}, false, GlyphError::None, 0},
      {"directory cut inside the first entry", cut(square().size() - 7), false, GlyphError::None,
       0},
      {"offset past the end", with(6, 1u << 31), true, GlyphError::ShortHeader, 0},
      {"offset at the last bytes", with(6, static_cast<std::uint32_t>(square().size() - 4)), true,
       GlyphError::ShortHeader, 0},
      {"no end record", cut(8), true, GlyphError::ShortHeader, 1},
      {"half an end record", cut(4), true, GlyphError::ShortHeader, 1},
      {"second record's points cut", cut(8 + 8 * 3), true, GlyphError::ShortPoints, 1},
      {"negative count", with(1764, static_cast<std::uint32_t>(-5000)), true,
       GlyphError::ShortPoints, 0},
      {"count beyond a figure", with(1764, 201000), true, GlyphError::ShortPoints, 0},
      {"huge count", with(1764, 2147483647), true, GlyphError::ShortPoints, 0},
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
  std::vector<std::pair<double, double>> got;
  for (const GlyphPoint& q : n.polygons[0]) got.push_back({q.x, q.y});
  EXPECT_EQ(got, (std::vector<std::pair<double, double>>{{1, 0}, {-3, 2}, {11, 0}}));
  EXPECT_TRUE(f.ReadGlyph(*f.FindGlyph("A"), GlyphSet::N).polygons.empty());
}

}  // namespace
}  // namespace lav::font
