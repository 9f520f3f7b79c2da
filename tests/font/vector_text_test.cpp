// Lettering typed as a user types it: the polygons land in the open cell, read back from its
// element stream, and survive closing and reopening; bad input and damaged font files give their
// messages and lines.
#include "command/vector_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "font/mojidata_file.h"
#include "font_builder.h"
#include "support/cell_figures.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::font {
namespace {

using Polygon = testing::StoredFigure;

class VectorTextCommand : public lav::testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    // The program's folder for this test: the command file was read, the font goes here.
    std::filesystem::copy_file(lav::testing::BuiltFontFile(), dir / "MOJIDATA.DAT");
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

TEST_F(VectorTextCommand, PromptsThenWritesClosedPolygonsOnTheCurrentLayer) {
  type("LAYER 7");
  typeExpectingPrompts({{"VTEXT", "Strings: "}, {"AB", "Position: "}});
  EXPECT_EQ(app.dispatch.pickMode, 10);  // a click in the drawing answers
  typeExpectingPrompts({{"10 20", "? "}});
  // The glyphs' polygons as they are, glyph cells of 180 x 180 user units from (10, 20).
  auto font = FontFile::Open(lav::testing::BuiltFontFile().string());
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
}

TEST_F(VectorTextCommand, LettersCaseSpacingAndUnknownCharacters) {
  const auto a = write("VTEXT A", "0 0");
  const auto b = write("VTEXT B", "360 0");
  ASSERT_FALSE(a.empty() || b.empty());
  const auto aThenB = joined(a, moved(b, -180000, 0));
  const std::pair<const char*, std::vector<Polygon>> cases[] = {
      {"a^b", joined(a, b)},  // '^' is the blank glyph: B two widths from the origin, at 360
      {"AB", aThenB},
      {"ab", aThenB},  // lower case uses the upper-case glyphs
      {"日A", a},      // no glyph: reported and skipped without advance
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(write(std::string("VTEXT ") + text, "0 0"), expected) << text;
  EXPECT_TRUE(printed("***ERROR*** moji>su"));
}

TEST_F(VectorTextCommand, HeightWidthSetReflectionAngleAndKana) {
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
}

TEST_F(VectorTextCommand, RefusalsAndMessages) {
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
  std::filesystem::copy_file(lav::testing::BuiltFontFile(), dir / "mojidata.dat");
  type("VTEXT AB");
  type("here");
  EXPECT_TRUE(polygons().empty());
  EXPECT_EQ(prompt(), "? ");
  write("VTEXT AB", "0 0");  // found whatever the case of its name
  EXPECT_FALSE(polygons().empty());
}

TEST_F(VectorTextCommand, LetteringSurvivesClosingAndReopeningAndAStreamFileRoundTrip) {
  const auto written = write("VTEXT CHIP{ka{na}8", "0 0");
  ASSERT_FALSE(written.empty());
  type("CLOSE");
  ASSERT_FALSE(app.design.isOpen());
  typeAll({"OPEN T.CAD", "OCELL TOP"});
  ASSERT_TRUE(app.design.hasCell());
  EXPECT_EQ(polygons(), written);
  type("GDSOUT chip");
  ASSERT_TRUE(std::filesystem::exists(dir / "chip.str"));
  type("CLOSE 0");
  host.answers.assign(4, Answer::Yes);
  typeAll({"GDSIN chip.str", "OCELL TOP"});
  ASSERT_TRUE(app.design.hasCell());
  EXPECT_EQ(polygons(), written);
}

// Damaged font files: the bad glyph gives its line, the others are still written.
TEST_F(VectorTextCommand, DamagedGlyphsGiveTheirErrorLines) {
  using lav::testing::FontBytes;
  using lav::testing::FontGlyph;
  using lav::testing::FontRecord;
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* line;
    std::size_t polygons;  // of "AB"
  };
  // A glyph whose record claims more points than a figure holds: its points are short, as with a
  // count that runs past the file's end (mojidata_file_test.cpp).
  FontGlyph tooMany{"A", {{1000, std::vector<std::pair<double, double>>(201, {1, 1})}}};
  auto tooManyBytes = FontBytes({tooMany, lav::testing::SquareGlyph("B")});
  // A header cut short.
  auto cutHeader = FontBytes({lav::testing::SquareGlyph("B"), {"A", {}}});
  cutHeader.resize(cutHeader.size() - 5);
  const Case cases[] = {
      {"count above 200", tooManyBytes, "*ERROR*3", 1},
      {"header cut short", cutHeader, "*ERROR*2", 1},
  };
  for (const Case& c : cases) {
    lav::testing::WriteBytes(dir / "MOJIDATA.DAT", c.bytes);
    lines.clear();
    const auto ps = write("VTEXT AB", "0 0");
    EXPECT_TRUE(printed(c.line)) << c.name;
    ASSERT_EQ(ps.size(), c.polygons) << c.name;
    // A damaged glyph still advances: B sits in the second cell.
    EXPECT_EQ(ps[0].vertices[0].first, 180000) << c.name;
  }
}

}  // namespace
}  // namespace lav::font
