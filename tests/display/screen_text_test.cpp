// Screen text as the device sees it: where each character goes with which font, which characters
// a view leaves out, the marks and labels of placements, colours, and the font failure. And on a
// real image: Japanese texts come out in a Japanese font (not missing-glyph boxes), texts sit
// above their baseline (below when mirrored).
#include "display/screen_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "display/pens.h"
#include "display/view_transform.h"
#include "platform/null_surface.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "qt/font_faces.h"
#include "qt/qt_surface.h"
#include "state/app_state.h"
#include "support/qt_application.h"
#include "support/short_forms.h"

namespace lav::display {
namespace {

// A surface that keeps what was asked of it: each text with the font and colour it was given,
// each polyline, and a switch that makes every font fail.
class RecordingSurface : public NullSurface {
 public:
  struct Font {
    std::string face;
    int height = 0, weight = 0, escapement = 0;
  };
  struct Text {
    int x = 0, y = 0;
    std::string text;
    Font font;
    Rgb colour = 0;
  };

  bool fontsFail = false;
  int fontCalls = 0;
  std::vector<Text> texts;
  std::vector<std::vector<IntPoint>> polylines;
  std::vector<Pen> polylinePens;

  RecordingSurface() : NullSurface(800, 600) {}
  void setPen(const Pen& pen) override { pen_ = pen; }
  void polyline(const IntPoint* points, int count) override {
    polylines.emplace_back(points, points + count);
    polylinePens.push_back(pen_);
  }
  void setFont(const FontDescription& f) override {
    ++fontCalls;
    font_ = {std::string(f.face), f.height, f.weight, f.escapement};
  }
  void setTextColour(Rgb c) override { colour_ = c; }
  void text(int x, int y, std::string_view t, int) override {
    texts.push_back({x, y, std::string(t), font_, colour_});
  }
  TextExtent textExtent(std::string_view t, int) const override {
    return {static_cast<int>(t.size()) * font_.height / 2, font_.height};
  }
  FontMetrics fontMetrics() const override {
    if (fontsFail) return {};
    return {font_.height * 4 / 5, font_.height / 5, font_.height, font_.height / 2};
  }

  std::string joinedText() const {
    std::string all;
    for (const Text& t : texts) all += t.text;
    return all;
  }

 private:
  Pen pen_;
  Font font_;
  Rgb colour_ = 0;
};

TEST(ScreenTextSizes, FontAndLabelHeightsAndEscapement) {
  // Each end of each band of heights.
  const std::pair<int, int> heights[] = {{5, 3},   {6, 4},   {8, 6},        {9, 8},
                                         {11, 10}, {12, 10}, {25, 23},      {26, 25},
                                         {27, 26}, {28, 28}, {40000, 16384}};
  for (const auto& [h, font] : heights) EXPECT_EQ(TextFontHeight(h), font) << h;
  const struct {
    double w, h, m, scale;
    int length, font;
  } labels[] = {
      {10000, 2000, 1.0, 0.03, 5, 60},   // width per letter and height agree
      {10000, 500, 1.0, 0.03, 5, 15},    // a flat cell: its height decides
      {10000, 2000, 2.0, 0.03, 5, 120},  // magnified
      {100, 100, 1.0, 0.03, 5, 3},       // below 4 pixels: 3
      {1e9, 1e9, 1.0, 1.0, 1, 16384}     // capped
  };
  for (const auto& c : labels)
    EXPECT_EQ(LabelFontHeight(c.w, c.h, c.m, c.scale, c.length), c.font) << c.w << "x" << c.h;
  const std::pair<std::int64_t, int> escapements[] = {
      {0, 0},           {90000000, 900},   {45050000, 451},
      {370000000, 100}, {-90000000, -900}, {359999999, 3600}};
  for (const auto& [angle, tenths] : escapements) EXPECT_EQ(EscapementOf(angle), tenths) << angle;
}

// A view of 800 x 600 pixels at 0.03 pixels per unit from the design origin: a text of height
// 1 user unit (1000 units) is 30 pixels high and each byte 15 pixels wide.
class ScreenTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ViewState& v = app.display.view;
    v = {.scale = 0.03, .offsetX = 0, .offsetY = 0, .clientWidth = 800, .clientHeight = 600};
    v.window = WindowFromOffsets(v);
    app.screenText.markSize = 6;
  }
  TextDevice device(int depth = 0, bool highlight = false) {
    return TextDevice{app, surface, app.display.view, depth, highlight};
  }
  void draw(std::string_view utf8, Point origin, std::int64_t angle = 0, int reflection = 0,
            double m = 1.0, int layer = 1, int depth = 0) {
    TextDevice dev = device(depth);
    const std::string text = sjis::fromUtf8(utf8);
    DrawScreenText(dev, layer, origin, angle, reflection, m, text);
  }
  lav::ScriptedHost host;
  AppState app{host};
  RecordingSurface surface;
};

TEST_F(ScreenTextTest, CharactersArePlacedOneByOne) {
  const std::string mincho = sjis::fromUtf8("ＭＳ 明朝");
  const struct Case {
    const char* name;
    const char* text;
    std::int64_t angle;
    int reflection;
    std::vector<std::pair<int, int>> at;  // reference point of each character
    int escapement;
  } cases[] = {// Above the baseline by the font height plus 2 pixels.
               {"upright", "AB", 0, 0, {{30, 538}, {45, 538}}, 0},
               // Mirrored: 2 pixels below the baseline, the letters themselves upright.
               {"mirrored", "AB", 0, 1, {{30, 572}, {45, 572}}, 0},
               // Turned a quarter: the advance goes up, the offset to the left.
               {"quarter turn", "AB", 90000000, 0, {{-2, 570}, {-2, 555}}, 900},
               // A two-byte character takes two byte widths.
               {"two-byte", "日本x", 0, 0, {{30, 538}, {60, 538}, {90, 538}}, 0}};
  for (const Case& c : cases) {
    surface.texts.clear();
    draw(c.text, {1000, 1000}, c.angle, c.reflection);
    ASSERT_EQ(surface.texts.size(), c.at.size()) << c.name;
    for (std::size_t i = 0; i < c.at.size(); ++i) {
      const auto& t = surface.texts[i];
      EXPECT_EQ(std::tuple(t.x, t.y, t.font.face, t.font.height, t.font.weight, t.font.escapement),
                std::tuple(c.at[i].first, c.at[i].second, mincho, 30, 400, c.escapement))
          << c.name << " " << i;
    }
  }
  EXPECT_EQ(surface.texts[1].text, sjis::fromUtf8("本"));
  surface.texts.clear();
  draw("AB", {1000, 1000}, 0, 0, 0.1);  // 3 pixels of character height
  ASSERT_FALSE(surface.texts.empty());
  EXPECT_EQ(surface.texts[0].font.height, 3) << "tiny texts are three pixels high";
}

TEST_F(ScreenTextTest, OnlyCharactersWhoseBoxesMeetTheViewAreDrawn) {
  const struct {
    const char* what;
    std::int32_t x, windowEnd;
    const char* drawn;
  } cases[] = {// The window ends at x = 26667; boxes reach 4 pixels (133 units) before each one.
               {"the window's right side", 25000, 0, "ABCD"},
               {"starting left of the window", -2000, 0, "DEFGHIJ"},
               // Characters in view whose reference points lie beyond 30000 pixels are left out.
               {"at 29970 and 29985 pixels", 999000, 2000000000, "AB"},
               {"at 29988 and 30003 pixels", 999600, 2000000000, "A"}};
  for (const auto& c : cases) {
    surface.texts.clear();
    if (c.windowEnd) app.display.view.window = {0, 0, c.windowEnd, c.windowEnd};
    draw(c.windowEnd ? "AB" : "ABCDEFGHIJ", {c.x, 1000});
    EXPECT_EQ(surface.joinedText(), c.drawn) << c.what;
  }
}

TEST_F(ScreenTextTest, TextElementsMarkedBelowTheTextBaseDepthHiddenWithTheirLayerInTheirFrame) {
  draw("A", {1000, 1000});
  ASSERT_EQ(surface.polylines.size(), 1u);
  std::vector<std::pair<int, int>> diamond;
  for (const IntPoint& p : surface.polylines[0]) diamond.push_back({p.x, p.y});
  EXPECT_EQ(diamond, (std::vector<std::pair<int, int>>{
                         {35, 570}, {30, 575}, {25, 570}, {30, 565}, {35, 570}}));
  EXPECT_EQ(surface.polylinePens[0].colour, LayerPen(app.settings, kMarkLayer, false).colour);

  surface.polylines.clear();
  draw("A", {1000, 1000}, 0, 0, 1.0, 1, 1);  // inside a placement: no mark at Show TextBase 1
  EXPECT_TRUE(surface.polylines.empty());
  EXPECT_EQ(surface.texts.size(), 2u);

  // A hidden layer shows nothing, not even its mark.
  surface.texts.clear();
  app.settings.layerFlags[7] = 0;
  TextDevice dev = device();
  const ScreenText t{.layer = 7, .text = "HIDDEN", .x = 1000, .y = 1000};
  DrawTextElement(dev, PlacementTransform{}, t);
  EXPECT_TRUE(surface.texts.empty() && surface.polylines.empty());

  app.settings.layerFlags[7] = 1;
  DrawTextElement(dev, PlacementTransform{}, t);
  EXPECT_EQ(std::pair(surface.joinedText(), surface.polylines.size()),
            std::pair(std::string("HIDDEN"), 1ul));

  // A text in a placement mirrored at (5000, 5000): the origin moves, the text hangs below.
  surface.texts.clear();
  const PlacementTransform frame{.originX = 5000, .originY = 5000, .mirrored = 1};
  DrawTextElement(dev, frame, {.layer = 2, .text = "M", .x = 1000, .y = 1000});
  ASSERT_EQ(surface.texts.size(), 1u);
  // 6000 and 4000 units; mirrored: 2 pixels below.
  EXPECT_EQ(std::tuple(surface.texts[0].x, surface.texts[0].y, surface.texts[0].colour),
            std::tuple(180, 480 + 2, PaletteColour(2, false)));
}

TEST_F(ScreenTextTest, ColoursByLayerBackgroundPrintingAndHighlight) {
  app.settings.layerPen[5] = 14 * 2 + 7;  // dotted grey
  app.settings.layerPen[6] = 14;          // dashed colour 0
  const struct {
    const char* name;
    int layer;
    bool black;
    int printMode;
    Rgb colour;
  } cases[] = {{"pen colour, line style ignored", 5, false, -1, PaletteColour(7, false)},
               {"colour 0 on white", 6, false, -1, MakeRgb(0, 0, 0)},
               {"colour 0 on black", 6, true, -1, MakeRgb(255, 255, 255)},
               {"colour 0 printed", 6, true, 1, MakeRgb(0, 0, 0)},
               {"grey printed in colour mode 1", 5, false, 1, PaletteColour(7, false)},
               {"grey printed in mode 2", 5, false, 2, MakeRgb(0, 0, 0)},
               {"erase layer on black", kEraseLayer, true, -1, BackgroundColour(true)}};
  for (const auto& c : cases) {
    app.display.blackBackground = c.black;
    app.screenText.printColourMode = c.printMode;
    EXPECT_EQ(TextColourForLayer(app, c.layer), c.colour) << c.name;
  }
  // A highlight draws in the highlight colour.
  app.display.blackBackground = false;
  app.screenText.printColourMode = -1;
  TextDevice dev = device(0, true);
  DrawScreenText(dev, 3, {1000, 1000}, 0, 0, 1.0, "H");
  ASSERT_EQ(surface.texts.size(), 1u);
  EXPECT_EQ(surface.texts[0].colour, TextColourForLayer(app, kHighlightLayer));
  EXPECT_EQ(surface.polylinePens[0].colour, LayerPen(app.settings, kHighlightLayer, false).colour);
}

TEST_F(ScreenTextTest, FontFailureIsReportedOnceAndStopsTexts) {
  surface.fontsFail = true;
  draw("AB", {1000, 1000});
  EXPECT_TRUE(lav::testing::OneBox(host, "フォントエラー発生", "Error"));
  EXPECT_TRUE(app.screenText.fontError);
  EXPECT_TRUE(surface.texts.empty());

  surface.fontsFail = false;
  const int calls = surface.fontCalls;
  draw("AB", {1000, 1000});
  app.settings.showBaseName = 1;
  TextDevice dev = device();
  DrawPlacementMarkAndLabel(dev, PlacementTransform{}, {.name = "CELL", .array = true});
  // No font is made any more, no text drawn, no second box; base marks still show.
  EXPECT_EQ(std::tuple(surface.fontCalls, surface.texts.size(), host.boxes.size(),
                       surface.polylines.size()),
            std::tuple(calls, 0ul, 1ul, 3ul));
}

TEST_F(ScreenTextTest, OnlyLayerAndPicking) {
  app.display.onlyLayer = 4;
  draw("A", {1000, 1000}, 0, 0, 1.0, 3);
  EXPECT_TRUE(surface.texts.empty() && surface.polylines.empty());
  app.display.onlyLayer = -1;

  std::vector<Point> offered;
  app.screenText.pickOffer = [&](std::int32_t x, std::int32_t y) { offered.push_back({x, y}); };
  app.display.pickMode = 1;
  draw("A", {1000, 2000});
  EXPECT_TRUE(surface.texts.empty());
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0].y, 2000);
  draw("A", {1000, 2000}, 0, 0, 1.0, 1, 1);  // below the text-base depth: not offered
  EXPECT_EQ(offered.size(), 1u);
}

// Array labels, and the labels of an array's elements cut to 32 bytes, are in the array frame's
// colour at the Command Window's line height whatever the zoom; a single placement's label
// scales with the placed cell.
TEST_F(ScreenTextTest, PlacementLabels) {
  app.settings.showBase = 1;
  app.settings.showBaseName = 1;
  app.window.lineHeight = 16;
  const PlacementLabel p{.name = "PAD", .x = 1000, .y = 1000, .array = true};
  const Rgb frame = TextColourForLayer(app, kArrayFrameLayer);
  for (double scale : {0.3, 0.03}) {
    surface.texts.clear();
    app.display.view.scale = scale;
    app.display.view.window = WindowFromOffsets(app.display.view);
    TextDevice dev = device();
    DrawPlacementMarkAndLabel(dev, PlacementTransform{}, p);
    DrawArrayElementLabel(dev, 100, 100, 0, 0, 1.0, std::string(40, 'N'), nullptr);
    ASSERT_EQ(surface.texts.size(), 2u) << scale;
    const auto& [label, element] = std::pair(surface.texts[0], surface.texts[1]);
    EXPECT_EQ(std::tuple(label.text, label.font.height, label.colour),
              std::tuple(std::string("PAD (Array)"), 16, frame));
    EXPECT_EQ(std::pair(element.text, element.colour), std::pair(std::string(32, 'N'), frame));
  }

  const Extent cell{0, 0, 10000, 2000};
  PlacementLabel single{.name = "INV01", .x = 1000, .y = 1000, .placedExtent = &cell};
  TextDevice dev = device();
  surface.texts.clear();
  surface.polylines.clear();
  DrawPlacementMarkAndLabel(dev, PlacementTransform{}, single);
  ASSERT_EQ(surface.texts.size(), 1u);
  const auto& t = surface.texts[0];
  EXPECT_EQ(std::pair(t.text, t.font.height), std::pair(std::string("INV01"), 60));
  // Above the mark by MarkSize + 2 + the font's height, at 85 degrees.
  EXPECT_NEAR(t.x, 30 + 68 * std::cos(85 * 3.14159265 / 180), 1);
  EXPECT_NEAR(t.y, 570 - 68 * std::sin(85 * 3.14159265 / 180), 1);
  EXPECT_EQ(surface.polylines.size(), 1u);  // its base mark

  surface.texts.clear();
  single.reflection = 1;
  DrawPlacementMarkAndLabel(dev, PlacementTransform{}, single);
  ASSERT_EQ(surface.texts.size(), 1u);
  EXPECT_GT(surface.texts[0].y, 570);  // mirrored: below the mark

  surface.texts.clear();
  dev.depth = 1;  // deeper than Show BaseName
  DrawPlacementMarkAndLabel(dev, PlacementTransform{}, single);
  EXPECT_TRUE(surface.texts.empty());
}

TEST_F(ScreenTextTest, TextExtentCoversTheCharacters) {
  const struct {
    const char* name;
    std::uint32_t angle;
    int reflection;
    Extent box;
  } cases[] = {{"upright", 0, 0, {1000, 1000, 2500, 2000}},
               {"mirrored", 0, 1, {1000, 0, 2500, 1000}},
               {"quarter turn", 90000000, 0, {0, 1000, 1000, 2500}}};
  for (const auto& c : cases) {
    const Extent e = ScreenTextExtent(
        app, {.reflection = c.reflection, .angle = c.angle, .text = "ABC", .x = 1000, .y = 1000});
    EXPECT_EQ(std::tuple(e.xmin, e.ymin, e.xmax, e.ymax),
              std::tuple(c.box.xmin, c.box.ymin, c.box.xmax, c.box.ymax))
        << c.name;
  }
}

class ScreenTextPixels : public ::testing::Test {
 protected:
  void SetUp() override {
    lav::testing::EnsureQtApplication();
    lav::qt::InstallFaceSubstitutes();
  }
};

// Pixels not white in the rectangle [x0, x1) x [y0, y1): any an anti-aliased letter touched.
int Ink(const qt::QtSurface& s, int x0, int y0, int x1, int y1) {
  const QRect r = QRect(x0, y0, x1 - x0, y1 - y0).intersected(s.image().rect());
  return r.width() * r.height() - lav::testing::CountColour(s.image(), r, Qt::white);
}

// A character drawn 48 pixels high in the Japanese face.
QImage Picture(const std::string& utf8) {
  lav::qt::QtSurface s(60, 60);
  const std::string face = sjis::fromUtf8("ＭＳ 明朝");
  s.setFont({.face = face, .height = 48});
  s.setTextColour(0);
  s.text(4, 4, sjis::fromUtf8(utf8), 0);
  return s.image().copy();
}

// Every character draws its own shape in the Japanese face: none is the box a missing glyph gets
// (here the box of a character from the user-defined area, which no installed font has).
TEST_F(ScreenTextPixels, JapaneseFaceIsAJapaneseFont) {
  const QImage box = Picture("\xEE\x80\x80");  // U+E000
  std::vector<QImage> seen;
  for (const char* c : {"日", "本", "あ", "ア", "漢"}) {
    const QImage p = Picture(c);
    EXPECT_NE(p, box) << c;
    EXPECT_LT(lav::testing::CountColour(p, p.rect(), Qt::white), 60 * 60 - 40) << c;
    for (const auto& other : seen) EXPECT_NE(p, other) << c;
    seen.push_back(p);
  }
}

TEST_F(ScreenTextPixels, TextsSitAboveTheirBaselineAndBelowWhenMirrored) {
  lav::ScriptedHost host;
  AppState app{host};
  ViewState& v = app.display.view;
  // One user unit of height: 30 pixels.
  v = {.scale = 0.03, .offsetX = 0, .offsetY = 0, .clientWidth = 400, .clientHeight = 200};
  v.window = WindowFromOffsets(v);
  app.settings.showTextBase = 0;
  for (int reflection : {0, 1}) {
    lav::qt::QtSurface s(400, 200);
    TextDevice dev{app, s, v, 0, false};
    // Baseline at window y 100.
    DrawScreenText(dev, 1, {1000, 3333}, 0, reflection, 1.0, sjis::fromUtf8("日本語ABC"));
    const int above = Ink(s, 0, 60, 400, 100), below = Ink(s, 0, 100, 400, 140);
    if (reflection == 0) {
      EXPECT_GT(above, 100);
      EXPECT_EQ(below, 0);
    } else {
      EXPECT_GT(below, 100);
      EXPECT_EQ(above, 0);
    }
    // Nine bytes of 15 pixels from x = 30: nothing beyond the last character's cell.
    EXPECT_EQ(Ink(s, 30 + 9 * 15 + 4, 0, 400, 200), 0) << reflection;
    EXPECT_GT(Ink(s, 30, 0, 30 + 6 * 15, 200), 100) << reflection;
  }
}

}  // namespace
}  // namespace lav::display
