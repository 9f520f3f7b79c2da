// Screen text on a real image: Japanese texts come out in a Japanese font (not missing-glyph
// boxes), texts sit above their baseline (below when mirrored), and lettering written by the
// vector-text command shows when the cell is drawn.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <filesystem>

#include "display/pens.h"
#include "display/redraw.h"
#include "display/screen_text.h"
#include "display/view_transform.h"
#include "font/font_builder.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "qt/font_faces.h"
#include "qt/qt_surface.h"
#include "state/app_state.h"
#include "support/qt_application.h"
#include "support/typing_session.h"

namespace lav::display {
namespace {

class ScreenTextPixels : public ::testing::Test {
 protected:
  void SetUp() override {
    lav::testing::EnsureQtApplication();
    lav::qt::InstallFaceSubstitutes();
  }
};

// Ink of colour c in the rectangle [x0, x1) x [y0, y1).
int Ink(const Surface& s, int x0, int y0, int x1, int y1, Rgb c) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += s.pixel(x, y) == c;
  return n;
}

std::vector<bool> Picture(const std::string& utf8) {
  lav::qt::QtSurface s(60, 60);
  FontDescription f;
  const std::string face = sjis::fromUtf8("ＭＳ 明朝");
  f.face = face;
  f.height = 48;
  s.setFont(f);
  s.setTextColour(0);
  s.text(4, 4, sjis::fromUtf8(utf8), 0);
  std::vector<bool> ink;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) ink.push_back(s.pixel(x, y) != 0xFFFFFF);
  return ink;
}

TEST_F(ScreenTextPixels, JapaneseFaceIsAJapaneseFont) {
  const QFont mincho(QString::fromUtf8("ＭＳ 明朝"));
  EXPECT_TRUE(QFontInfo(mincho).family().contains("IPA"))
      << QFontInfo(mincho).family().toStdString();
  const QFontMetrics m(mincho);
  for (char32_t c : {U'日', U'本', U'あ', U'ア', U'漢', U'Ａ'})
    EXPECT_TRUE(m.inFontUcs4(c)) << std::hex << static_cast<unsigned>(c);

  // Every character draws its own shape: none is the box a missing glyph gets (here the box of
  // a character from the user-defined area, which no installed font has).
  const std::vector<bool> box = Picture("\xEE\x80\x80");  // U+E000
  std::vector<std::vector<bool>> seen;
  for (const char* c : {"日", "本", "あ", "ア", "漢"}) {
    const std::vector<bool> p = Picture(c);
    EXPECT_NE(p, box) << c;
    EXPECT_GT(std::count(p.begin(), p.end(), true), 40) << c;
    for (const auto& other : seen) EXPECT_NE(p, other) << c;
    seen.push_back(p);
  }
}

TEST_F(ScreenTextPixels, TextsSitAboveTheirBaselineAndBelowWhenMirrored) {
  lav::ScriptedHost host;
  AppState app{host};
  ViewState& v = app.display.view;
  v.scale = 0.03;  // one user unit of height: 30 pixels
  v.clientWidth = 400;
  v.clientHeight = 200;
  v.offsetX = 0;
  v.offsetY = 0;
  v.window = WindowFromOffsets(v);
  app.settings.showTextBase = 0;
  const Rgb ink = TextColourForLayer(app, 1);
  // Anti-aliased letters: any pixel the text touched counts.
  auto Ink = [](const Surface& s, int x0, int y0, int x1, int y1, Rgb) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += s.pixel(x, y) != 0xFFFFFF;
    return n;
  };
  for (int reflection : {0, 1}) {
    lav::qt::QtSurface s(400, 200);
    TextDevice dev{app, s, v, 0, false};
    // Baseline at window y 100.
    DrawScreenText(dev, 1, {1000, 3333}, 0, reflection, 1.0, sjis::fromUtf8("日本語ABC"));
    const int above = Ink(s, 0, 60, 400, 100, ink), below = Ink(s, 0, 100, 400, 140, ink);
    if (reflection == 0) {
      EXPECT_GT(above, 100);
      EXPECT_EQ(below, 0);
    } else {
      EXPECT_GT(below, 100);
      EXPECT_EQ(above, 0);
    }
    // Nine bytes of 15 pixels from x = 30: nothing beyond the last character's cell.
    EXPECT_EQ(Ink(s, 30 + 9 * 15 + 4, 0, 400, 200, ink), 0) << reflection;
    EXPECT_GT(Ink(s, 30, 0, 30 + 6 * 15, 200, ink), 100) << reflection;
  }
}

class DrawnLettering : public lav::testing::TypingSession {};

TEST_F(DrawnLettering, VectorTextShowsInTheLayersColour) {
  lav::testing::EnsureQtApplication();
  std::filesystem::copy_file(lav::testing::BuiltFontFile(), dir / "MOJIDATA.DAT");
  app.programDir = dir.string();
  typeAll({"NEW T.CAD", "MKCELL TOP", "OCELL TOP", "LAYER 3", "VTEXT HI", "0 0"});
  ASSERT_TRUE(takeBoxes().empty());
  app.settings.layerFillFlags[3] = 0;  // outlines only
  lav::qt::QtSurface surface(400, 200);
  ViewState& v = app.display.view;
  v.clientWidth = 400;
  v.clientHeight = 200;
  v.scale = 0.001;  // a glyph cell of 180 user units is 180 pixels
  v.offsetX = -10;
  v.offsetY = -10;
  v.window = WindowFromOffsets(v);
  app.display.firstPaintDone = true;
  ASSERT_TRUE(RedrawGraphics(app, surface));
  const Rgb ink = LayerPen(app.settings, 3, false).colour;
  EXPECT_GT(Ink(surface, 10, 0, 190, 200, ink), 200) << "H";
  EXPECT_GT(Ink(surface, 190, 0, 370, 200, ink), 100) << "I";
  EXPECT_EQ(Ink(surface, 372, 0, 400, 200, ink), 0) << "nothing beyond the second cell";
  // The bar of the H crosses the middle of its cell.
  EXPECT_GT(Ink(surface, 40, 85, 160, 125, ink), 0);
}

}  // namespace
}  // namespace lav::display
