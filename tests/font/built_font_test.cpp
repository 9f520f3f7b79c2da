// The font file the build writes: every key a text can produce is there, and every polygon is
// one a layout can take (closed, within a figure's 200 points, inside the glyph cell, no
// crossings, holes left open by their cuts).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "font/glyph_key.h"
#include "font/mojidata_file.h"
#include "font_builder.h"

namespace lav::font {
namespace {

std::set<std::string> EveryProducibleKey() {
  std::vector<std::string> texts;
  for (char c = ' '; c <= '~'; ++c)
    if (c != '{') texts.push_back(std::string(1, c));
  const std::string vowels = "aiueo";
  for (const char* consonant :
       {"", "k", "s", "t", "n", "h", "m", "y", "r", "w", "g", "j", "z", "d", "b", "v", "p"})
    for (char v : vowels) texts.push_back("{" + std::string(consonant) + v);
  texts.push_back("{n}");
  std::set<std::string> keys;
  for (const std::string& t : texts) {
    std::size_t pos = 0;
    std::string key;
    while (GlyphKeyForNext(t, pos, key) == KeyResult::Key) keys.insert(key);
  }
  return keys;
}

class BuiltFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = FontFile::Open(lav::testing::BuiltFontFile().string());
    ASSERT_TRUE(opened) << lav::testing::BuiltFontFile();
    font.emplace(std::move(*opened));
  }
  Glyph glyph(const std::string& key, GlyphSet set) {
    auto offset = font->FindGlyph(key);
    EXPECT_TRUE(offset) << key;
    return offset ? font->ReadGlyph(*offset, set) : Glyph{};
  }
  std::optional<FontFile> font;
};

double Cross(GlyphPoint o, GlyphPoint a, GlyphPoint b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}
bool Same(GlyphPoint a, GlyphPoint b) {
  return a.x == b.x && a.y == b.y;
}
bool OnSegment(GlyphPoint p, GlyphPoint a, GlyphPoint b) {  // strictly inside, collinear
  return Cross(a, b, p) == 0 && !Same(p, a) && !Same(p, b) && std::min(a.x, b.x) <= p.x &&
         p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y);
}

// Edges may share vertices and a cut is an edge walked once each way; anything else that makes
// two edges meet is a fault.
std::string Crossing(const GlyphPolygon& p) {
  const std::size_t n = p.size() - 1;  // edges of the closed polygon
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j) {
      GlyphPoint a = p[i], b = p[i + 1], c = p[j], d = p[j + 1];
      if (Same(a, d) && Same(b, c)) continue;  // a cut, there and back
      double d1 = Cross(a, b, c), d2 = Cross(a, b, d), d3 = Cross(c, d, a), d4 = Cross(c, d, b);
      bool crosses =
          ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
      bool touches =
          OnSegment(c, a, b) || OnSegment(d, a, b) || OnSegment(a, c, d) || OnSegment(b, c, d);
      bool overlaps = d1 == 0 && d2 == 0 && Same(a, c) && Same(b, d);
      if (crosses || touches || overlaps)
        return "edges " + std::to_string(i) + " and " + std::to_string(j);
    }
  return {};
}

// Whether the point is covered by even-odd and by non-zero winding. Each polygon becomes an
// element of its own, so a point is covered when any one polygon holds it.
std::pair<bool, bool> Covered(const std::vector<GlyphPolygon>& polygons, double x, double y) {
  bool evenOdd = false, nonZero = false;
  for (const GlyphPolygon& p : polygons) {
    int crossings = 0, winding = 0;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
      const GlyphPoint a = p[i], b = p[i + 1];
      if ((a.y > y) == (b.y > y) || x >= a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y)) continue;
      ++crossings;
      winding += b.y > a.y ? 1 : -1;
    }
    evenOdd |= crossings % 2 == 1;
    nonZero |= winding != 0;
  }
  return {evenOdd, nonZero};
}

// Every key a text can produce is there (glyph() checks), and its polygons are sound.
TEST_F(BuiltFontTest, EveryKeyIsThereAndEveryPolygonIsSound) {
  const std::set<std::string> keys = EveryProducibleKey();
  EXPECT_EQ(keys.size(), 143u);  // 66 ASCII keys, 75 syllables, 80 and 81
  for (const std::string& key : keys)
    for (GlyphSet set : {GlyphSet::P, GlyphSet::N}) {
      Glyph g = glyph(key, set);
      const std::string where = key + (set == GlyphSet::P ? " P" : " N");
      ASSERT_EQ(g.error, GlyphError::None) << where;
      EXPECT_EQ(g.polygons.empty(), key == "81") << where;
      for (const GlyphPolygon& p : g.polygons) {
        ASSERT_GE(p.size(), 4u) << where;
        EXPECT_LE(p.size(), 200u) << where;
        EXPECT_TRUE(Same(p.front(), p.back())) << where << ": not closed";
        for (GlyphPoint q : p) {
          EXPECT_TRUE(q.x >= 0 && q.x <= 180 && q.y >= 0 && q.y <= 180)
              << where << ": (" << q.x << ", " << q.y << ") outside the cell";
          EXPECT_EQ(q.x, std::floor(q.x)) << where;
        }
        EXPECT_EQ(Crossing(p), "") << where;
      }
    }
}

// A scan line through a hole must meet ink, the open hole, then ink again, by either fill rule.
TEST_F(BuiltFontTest, HolesStayOpen) {
  struct Case {
    const char* key;
    double heightFraction;  // of the glyph's ink, from its bottom
  };
  const Case cases[] = {{"O", 0.5},  {"D", 0.5},  {"8", 0.27}, {"8", 0.73}, {"B", 0.27},
                        {"B", 0.73}, {"49", 0.5}, {"@", 0.5},  {"0", 0.5}};
  for (const Case& c : cases)
    for (GlyphSet set : {GlyphSet::P, GlyphSet::N}) {
      Glyph g = glyph(c.key, set);
      double ymin = 180, ymax = 0, xmin = 180, xmax = 0;
      for (const auto& p : g.polygons)
        for (GlyphPoint q : p) {
          ymin = std::min(ymin, q.y), ymax = std::max(ymax, q.y);
          xmin = std::min(xmin, q.x), xmax = std::max(xmax, q.x);
        }
      const double y = std::floor(ymin + (ymax - ymin) * c.heightFraction) + 0.5;
      std::string runs;
      for (double x = xmin - 1.25; x <= xmax + 1; x += 0.5) {
        const auto [evenOdd, nonZero] = Covered(g.polygons, x, y);
        ASSERT_EQ(evenOdd, nonZero) << c.key << " at " << x << "," << y;
        const char mark = evenOdd ? '#' : '.';
        if (runs.empty() || runs.back() != mark) runs += mark;
      }
      EXPECT_TRUE(runs.rfind(".#.#", 0) == 0 && runs.back() == '.')
          << c.key << (set == GlyphSet::P ? " P" : " N") << ": " << runs;
    }
}

}  // namespace
}  // namespace lav::font
