// The font: the glyph keys a text is read into; font files read back, damaged ones stopping at
// the file's end with their error and keeping what was read before the damage; the font file the
// build writes: every key a text can produce is there, and every polygon is one a layout can take
// (closed, within a figure's 200 points, inside the glyph cell, no crossings, holes left open by
// their cuts). And lettering typed as a user types it: the polygons land in the open cell, read
// back from its element stream (they are written as any entered polygon is, so their round trips
// through the design and stream files are the database's and converters' tests); bad input and
// damaged font files give their messages and lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "command/vector_text.h"
#include "font/glyph_key.h"
#include "font/mojidata_file.h"
#include "platform/byte_io.h"
#include "support/cell_figures.h"
#include "support/files.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::font {
namespace {

// Hand-made font files: a directory and glyph records written byte by byte, so that damaged
// layouts can be made as easily as sound ones.
struct FontRecord {
  std::int32_t rawKind;  // 1000 for P, 2000 for N, 99 ends
  std::vector<std::pair<double, double>> points;
};

struct FontGlyph {
  std::string key;
  std::vector<FontRecord> records;  // the end record is added
};

void PutLE32(std::vector<std::uint8_t>& b, std::int32_t v) {
  b.resize(b.size() + 4);
  le::putI32(b.data() + b.size() - 4, v);
}

// A 176-entry directory followed by the glyphs.
std::vector<std::uint8_t> FontBytes(const std::vector<FontGlyph>& glyphs) {
  std::vector<std::uint8_t> b(176 * 10, 0);
  for (std::size_t g = 0; g < glyphs.size(); ++g) {
    for (std::size_t i = 0; i < glyphs[g].key.size() && i < 6; ++i)
      b[g * 10 + i] = static_cast<std::uint8_t>(glyphs[g].key[i]);
    le::putU32(b.data() + g * 10 + 6, static_cast<std::uint32_t>(b.size()));
    for (const FontRecord& r : glyphs[g].records) {
      PutLE32(b, r.rawKind);
      PutLE32(b, static_cast<std::int32_t>(r.points.size()) * 1000);
      for (auto [x, y] : r.points) {
        PutLE32(b, static_cast<std::int32_t>(x * 1000));
        PutLE32(b, static_cast<std::int32_t>(y * 1000));
      }
    }
    PutLE32(b, 99);
    PutLE32(b, 0);
  }
  return b;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& b) {
  lav::testing::WriteFile(path, std::string(b.begin(), b.end()));
}

// A square of side 180 as a P record and a smaller one as an N record.
FontGlyph SquareGlyph(const std::string& key) {
  return {key,
          {{1000, {{0, 0}, {180, 0}, {180, 180}, {0, 180}, {0, 0}}},
           {2000, {{40, 40}, {140, 40}, {140, 140}, {40, 140}, {40, 40}}}}};
}

// The font file the build writes beside the program.
std::filesystem::path BuiltFontFile() {
  return std::filesystem::path(LAVINOR_BINARY).parent_path() / "MOJIDATA.DAT";
}

// The keys of a whole text and how the last read ended.
std::pair<std::vector<std::string>, KeyResult> AllKeys(std::string_view text) {
  std::vector<std::string> keys;
  std::size_t pos = 0;
  std::string key;
  for (int guard = 0; guard < 1000; ++guard) {
    const KeyResult last = GlyphKeyForNext(text, pos, key);
    if (last != KeyResult::Key) return {keys, last};
    keys.push_back(key);
  }
  ADD_FAILURE() << "no end for " << text;
  return {keys, KeyResult::Key};
}

TEST(GlyphKeyTest, EverySyllableInEitherCaseAndNormalModeCharacters) {
  const std::pair<const char*, int> rows[] = {{"", 100}, {"K", 10}, {"S", 15}, {"T", 20}, {"N", 25},
                                              {"H", 30}, {"M", 35}, {"Y", 40}, {"R", 45}, {"W", 50},
                                              {"G", 55}, {"J", 60}, {"Z", 60}, {"D", 65}, {"B", 70},
                                              {"V", 70}, {"P", 75}};
  for (const auto& [consonants, base] : rows)
    for (int v = 0; v < 5; ++v)
      for (bool lower : {false, true}) {
        std::string text = "{" + std::string(consonants) + "AIUEO"[v];
        if (lower)
          for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(AllKeys(text),
                  std::pair(std::vector{std::to_string(base + v)}, KeyResult::TextEnd))
            << text;
      }

  // Normal mode: characters, and syllables after their brace.
  struct Case {
    std::string text;
    std::vector<std::string> keys;
    KeyResult last = KeyResult::TextEnd;
  };
  const Case cases[] = {
      {"ab", {"A", "B"}},
      {"A B^", {"A", "81", "B", "81"}},
      {"#$'()*+,-./:;=_",
       {"SHARP", "#", "KOTE", "CAT", "CAT1", "ASUTA", "PURA", "CONMA", "HAI", "POINT", "SULA",
        "CORON", "SEMI", "EQUAL", "HAI2"}},
      {"09!?@[]\\|~`}&%<>\"",
       {"0", "9", "!", "?", "@", "[", "]", "\\", "|", "~", "`", "}", "&", "%", "<", ">", "\""}},
      // A double-byte character is one key, never split, and not upper-cased.
      {"\x82\x61x", {"\x82\x61", "X"}},
      {"{ka{na", {"10", "25"}},
      {"{n}", {"80"}},
      {"{nk", {"80"}},        // the consonant after n is used up
      {"{n1", {"80", "1"}},   // anything else is read again
      {"{kna", {"25"}},       // a later consonant replaces an earlier one
      {"{kaa", {"10", "A"}},  // each syllable needs its own brace
      {"{k}a", {"A"}},
      {"{xa", {"X", "A"}},  // a letter outside the table leaves the syllable
      {"{k{a", {"100"}},
      {"ab{k", {"A", "B"}, KeyResult::InsideKana},
      {"{n", {}, KeyResult::InsideKana},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(AllKeys(c.text), std::pair(c.keys, c.last)) << c.text;
}

TEST(MojidataFileTest, KeysInDirectoryOrderDamagedFilesOtherRecordKindsRoundedPoints) {
  lav::testing::ScratchFolder folder;
  const std::filesystem::path path = folder.dir / "MOJIDATA.DAT";
  auto open = [&](const std::vector<std::uint8_t>& bytes) {
    WriteBytes(path, bytes);
    auto f = FontFile::Open(path.string());
    EXPECT_TRUE(f);
    return std::move(*f);
  };
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
  // Damaged files stop at the damage with their error, keeping what was read before.
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool found;
    GlyphError error;
    std::size_t polygons;
  };
  auto square = [] { return FontBytes({SquareGlyph("A")}); };
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
      {"directory cut inside the first entry", cut(square().size() - 7), false, GlyphError::None,
       0},
      {"offset past the end", with(6, 1u << 31), true, GlyphError::ShortHeader, 0},
      {"no end record", cut(8), true, GlyphError::ShortHeader, 1},
      {"second record's points cut", cut(8 + 8 * 3), true, GlyphError::ShortPoints, 1},
      {"negative count", with(1764, static_cast<std::uint32_t>(-5000)), true,
       GlyphError::ShortPoints, 0},
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
  // In a sound file, records of other kinds are skipped and coordinates rounded.
  f = open(FontBytes({{"A",
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
  for (const std::string& t : texts)
    for (const std::string& key : AllKeys(t).first) keys.insert(key);
  return keys;
}

class BuiltFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = FontFile::Open(BuiltFontFile().string());
    ASSERT_TRUE(opened) << BuiltFontFile();
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
TEST_F(BuiltFontTest, EveryKeyIsThereEveryPolygonIsSoundAndHolesStayOpen) {
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
  // A scan line through a hole must meet ink, the open hole, then ink again, by either fill rule.
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

using Polygon = testing::StoredFigure;

class VectorTextCommand : public lav::testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    // The program's folder for this test: the command file was read, the font goes here.
    std::filesystem::copy_file(BuiltFontFile(), dir / "MOJIDATA.DAT");
    app.programDir = dir.string();
    openCell("T.CAD");
  }
  void openCell(const std::string& design) {
    typeAll({"NEW " + design, "MKCELL TOP", "OCELL TOP"});
    ASSERT_TRUE(app.design.hasCell());
    takeBoxes();
  }
  std::vector<Polygon> polygons() {
    auto all = testing::StoredFigures(app);
    std::erase_if(all, [](const Polygon& p) { return p.type != 4; });
    return all;
  }
  // The polygons that one typed text adds.
  std::vector<Polygon> write(const std::string& command, const std::string& position) {
    const std::size_t before = polygons().size();
    type(command);
    type(position);
    std::vector<Polygon> all = polygons();
    return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
  }
  static std::vector<Polygon> moved(std::vector<Polygon> ps, int dx, int dy) {
    for (auto& p : ps)
      for (auto& q : p.vertices) q.first += dx, q.second += dy;
    return ps;
  }
  static std::vector<Polygon> joined(std::vector<Polygon> a, const std::vector<Polygon>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
};

TEST_F(VectorTextCommand, PromptsPolygonsLettersSizesKanaDamagedGlyphsAndRefusals) {
  type("LAYER 7");
  typeExpectingPrompts({{"VTEXT", "Strings: "}, {"AB", "Position: "}});
  EXPECT_EQ(app.dispatch.pickMode, 10);  // a click in the drawing answers
  typeExpectingPrompts({{"10 20", "? "}});
  // The glyphs' polygons as they are, glyph cells of 180 x 180 user units from (10, 20).
  auto font = FontFile::Open(BuiltFontFile().string());
  ASSERT_TRUE(font);
  std::vector<Polygon> expected;
  for (int i = 0; i < 2; ++i)
    for (const GlyphPolygon& g :
         font->ReadGlyph(*font->FindGlyph(i ? "B" : "A"), GlyphSet::P).polygons) {
      expected.push_back({4, false, 7, {}});
      for (const GlyphPoint& q : g)
        expected.back().vertices.push_back({static_cast<int>(q.x * 1000) + 10000 + i * 180000,
                                            static_cast<int>(q.y * 1000) + 20000});
    }
  EXPECT_EQ(polygons(), expected);
  EXPECT_TRUE(takeBoxes().empty() && app.temp.empty());
  // Letters: case, spacing and unknown characters.
  const auto a = write("VTEXT A", "0 0");
  const auto b = write("VTEXT B", "360 0");
  ASSERT_FALSE(a.empty() || b.empty());
  // Which key a lower-case letter takes is the glyph keys' (above).
  const std::pair<const char*, std::vector<Polygon>> texts[] = {
      {"a^b", joined(a, b)},  // '^' is the blank glyph: B two widths from the origin, at 360
      {"AB", joined(a, moved(b, -180000, 0))},
      {"日A", a},  // no glyph: reported and skipped without advance
  };
  for (const auto& [text, expected] : texts)
    EXPECT_EQ(write(std::string("VTEXT ") + text, "0 0"), expected) << text;
  EXPECT_TRUE(printed("***ERROR*** moji>su"));
  // Height, width, the glyph set, reflection and angle.
  const auto p = write("VTEXT L", "0 0");
  const auto n = write("VTEXT L 180 180 n", "0 0");
  EXPECT_NE(p, n);  // the second set is another design
  // Each vertex written against where the plain letter's vertex (x, y) must go.
  struct Case {
    const char *before, *text, *after;
    double tolerance;
    std::pair<double, double> (*where)(double x, double y);
  } cases[] = {
      {"", "VTEXT L 360 90 P", "VTEXT L 180 180 P", 1,
       [](double x, double y) { return std::pair(x / 2, y * 2); }},
      {"REFLECT 1", "VTEXT L", "REFLECT 0", 0, [](double x, double y) { return std::pair(x, -y); }},
      {"ANGLE 90", "VTEXT L", "ANGLE 0", 1, [](double x, double y) { return std::pair(-y, x); }},
  };
  for (const auto& c : cases) {
    if (*c.before) type(c.before);
    const auto got = write(c.text, "0 0");
    type(c.after);  // back to the defaults for the next texts
    if (std::string(c.after).starts_with("VTEXT")) type("0 0");
    ASSERT_EQ(got.size(), p.size()) << c.text;
    for (std::size_t i = 0; i < p.size(); ++i)
      for (std::size_t k = 0; k < p[i].vertices.size(); ++k) {
        const auto [x, y] = c.where(p[i].vertices[k].first, p[i].vertices[k].second);
        EXPECT_NEAR(got[i].vertices[k].first, x, c.tolerance) << c.before << c.text;
        EXPECT_NEAR(got[i].vertices[k].second, y, c.tolerance) << c.before << c.text;
      }
  }

  // Kana, and an unfinished syllable.
  const auto ka = write("VTEXT {ka", "0 0");
  const auto na = write("VTEXT {na", "180 0");
  ASSERT_FALSE(ka.empty());
  EXPECT_EQ(write("VTEXT {KA{NA", "0 0"), joined(ka, na));
  EXPECT_FALSE(printed("***ERROR*** Moji"));
  // The characters before the unfinished syllable stay.
  EXPECT_EQ(write("VTEXT {ka{k", "0 0"), ka);
  EXPECT_TRUE(printed("***ERROR*** Moji"));
  // Damaged font files: the bad glyph gives its line, the others are still written. Then the
  // refusals and their messages.
  struct Damage {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* line;
    std::size_t polygons;  // of "AB"
  };
  // A glyph whose record claims more points than a figure holds: its points are short, as with a
  // count that runs past the file's end (above).
  FontGlyph tooMany{"A", {{1000, std::vector<std::pair<double, double>>(201, {1, 1})}}};
  auto tooManyBytes = FontBytes({tooMany, SquareGlyph("B")});
  // A header cut short.
  auto cutHeader = FontBytes({SquareGlyph("B"), {"A", {}}});
  cutHeader.resize(cutHeader.size() - 5);
  const Damage damages[] = {
      {"count above 200", tooManyBytes, "*ERROR*3", 1},
      {"header cut short", cutHeader, "*ERROR*2", 1},
  };
  for (const Damage& c : damages) {
    WriteBytes(dir / "MOJIDATA.DAT", c.bytes);
    lines.clear();
    const auto ps = write("VTEXT AB", "0 0");
    EXPECT_TRUE(printed(c.line)) << c.name;
    ASSERT_EQ(ps.size(), c.polygons) << c.name;
    // A damaged glyph still advances: B sits in the second cell.
    EXPECT_EQ(ps[0].vertices[0].first, 180000) << c.name;
  }

  type("CLOSE 0");
  type("VTEXT AB");
  EXPECT_EQ(takeBoxes(),
            std::vector<std::string>{"ファイル又はセルは開かれていません。出力先がわかりません。"});
  openCell("U.CAD");
  type("TE 0 0");  // a point waiting in the temporary input layer
  if (!app.temp.empty()) {
    takeBoxes();
    type("VTEXT AB");
    ASSERT_TRUE(testing::OneBox(host, "仮入力層には図形や座標値がすでに存在しています。", "",
                                Icon::Warning));
    EXPECT_EQ(prompt(), "? ");
    app.temp.clear();
    takeBoxes();
  }
  std::filesystem::remove(dir / "MOJIDATA.DAT");
  type("VTEXT AB");
  type("0 0");
  EXPECT_EQ(takeBoxes(), std::vector<std::string>{"ファイル " + (dir / "MOJIDATA.DAT").string() +
                                                  " を開くことが出来ません。"});
  EXPECT_TRUE(polygons().empty());
  // An answer that is not a point ends the command without writing.
  std::filesystem::copy_file(BuiltFontFile(), dir / "mojidata.dat");
  type("VTEXT AB");
  type("here");
  EXPECT_TRUE(polygons().empty());
  EXPECT_EQ(prompt(), "? ");
  write("VTEXT AB", "0 0");  // found whatever the case of its name
  EXPECT_FALSE(polygons().empty());
}

}  // namespace
}  // namespace lav::font
