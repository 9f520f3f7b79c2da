// Drawings that must show: layer colours, hatching inside the outline, hidden layers, placements
// with their transforms, arrays, the nesting depth, undefined cells, Escape mid-redraw, the quick
// outline of small figures, and the entry preview over the drawing (diamond marks at the points
// and the element the points will become in the entry pen, red; placed cells highlighted).
// Printing: the print dialog's fields, the derived magnification, the page drawn on a printer
// and every way a print job can end; and on Qt: into a PDF file as the Qt printer does where no
// printer is installed (the file appears only when the page is complete, has an A4 page, and
// shows the drawing), and the print dialog's widgets.
// Screen text as the device sees it: where each character goes with which font, which characters
// a view leaves out, the marks and labels of placements, colours, and the font failure. And on a
// real image: Japanese texts come out in a Japanese font (not missing-glyph boxes), texts sit
// above their baseline (below when mirrored).
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "command/print_commands.h"
#include "command/view_commands.h"
#include "console/command_window.h"
#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "display/pens.h"
#include "display/print_dialog.h"
#include "display/print_view.h"
#include "display/redraw.h"
#include "display/screen_text.h"
#include "display/temp_layer_drawing.h"
#include "display/view_transform.h"
#include "platform/null_surface.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "qt/font_faces.h"
#include "qt/print_dialog.h"
#include "qt/qt_printer.h"
#include "qt/qt_surface.h"
#include "state/app_state.h"
#include "support/qt_application.h"
#include "support/short_forms.h"

namespace lav::display::testing {
namespace {

// A design drawn into an offscreen image: cells built through the database's own operations,
// a known view (40 x 30 user units on 400 x 300 pixels, 100 database units per pixel) and helpers
// to read the pixels back.
constexpr Rgb kRed = MakeRgb(255, 0, 0);
constexpr Rgb kWhite = MakeRgb(255, 255, 255);

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lav::testing::EnsureQtApplication();
    db::testing::NewImage(app.design);
    auto& v = app.display.view;
    v = {.clientWidth = 400, .clientHeight = 300, .screenWidth = 1600, .screenHeight = 1000};
    ZoomToCorners(v, 1000, 0, 0, 40, 30);
    app.display.firstPaintDone = true;
    app.settings.showBase = 0;  // no base marks over the pixels under test
    app.window.transcript.onLine = [this](std::string_view l) {
      lines.push_back(sjis::toUtf8(std::string(l)));
    };
  }

  // Creates a cell and makes it the one new elements go to; the cell left is measured first, as
  // the window's drawing would have done after each new element.
  void cell(const std::string& name) {
    RefreshExtent(app);
    db::testing::AddCell(app.design, name);
  }
  void rect(int layer, int x0, int y0, int x1, int y1) {
    db::testing::Append(app.design,
                        db::EncodeArea(db::ElementType::Rect, static_cast<std::int16_t>(layer),
                                       {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}));
  }
  void single(const std::string& name, int x, int y, int refl = 0, std::uint32_t angle = 0,
              std::uint32_t mag = 1000000) {
    db::testing::Append(
        app.design, db::EncodeSingle({name, static_cast<std::int16_t>(refl), mag, angle, x, y}));
  }
  void array(const std::string& name, int x, int y, int cols, int rows, int px, int py,
             int refl = 0, std::uint32_t angle = 0) {
    db::testing::Append(app.design, db::EncodeArray({name, static_cast<std::int16_t>(refl), 1000000,
                                                     angle, x, y, cols, rows, px, py}));
  }
  // Opens a cell as the one the window shows.
  void open(const std::string& name) {
    RefreshExtent(app);
    const auto found = db::FindCell(app.design.image, name);
    ASSERT_EQ(found.result, db::FindResult::Found);
    db::MakeCurrent(app.design, found.slotOffset);
  }
  bool draw() { return RedrawGraphics(app, surface); }

  // Window pixel of a design point.
  Rgb at(int x, int y) const {
    return surface.pixel(static_cast<int>(ToWindowX(app.display.view, x)),
                         static_cast<int>(ToWindowY(app.display.view, y)));
  }
  // Pixels of colour c inside the window rectangle [x0, x1) x [y0, y1).
  int count(Rgb c, int x0, int y0, int x1, int y1) const {
    return lav::testing::CountColour(surface.image(), QRect(x0, y0, x1 - x0, y1 - y0), QColor(c));
  }
  int countAll(Rgb c) const { return count(c, 0, 0, surface.width(), surface.height()); }

  bool printed(const std::string& utf8) const {
    for (const auto& l : lines)
      if (l.find(utf8) != std::string::npos) return true;
    return sjis::toUtf8(app.window.transcript.lines[0]).find(utf8) != std::string::npos;
  }

  ScriptedHost host;
  AppState app{host};
  qt::QtSurface surface{400, 300};
  std::vector<std::string> lines;
};

// A 100 x 100 pixel square from (5, 5) to (15, 15) user units: window 50..150, 150..250.
constexpr int kLo = 5000, kHi = 15000;

TEST_F(RenderTest, RectangleShowsInItsLayersColourWithHatchInside) {
  struct Case {
    int layer;
    Rgb colour;
    bool black;  // a black background swaps the foreground
  } cases[] = {{4, kRed, false},
               {18, MakeRgb(255, 0, 0), false},  // 18 mod 14 = 4
               {0, kWhite, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layer);
    app.display.blackBackground = c.black;
    db::testing::NewImage(app.design);
    cell("TOP");
    rect(c.layer, kLo, kLo, kHi, kHi);
    ASSERT_TRUE(draw());
    EXPECT_EQ(surface.pixel(300, 50), c.black ? MakeRgb(0, 0, 0) : kWhite) << "the background";
    EXPECT_EQ(at(kLo, 10000), c.colour);  // left edge
    EXPECT_EQ(at(10000, kHi), c.colour);  // top edge
    const int inside = count(c.colour, 55, 155, 146, 246);
    EXPECT_GT(inside, 200) << "hatch lines inside";
    EXPECT_EQ(countAll(c.colour), count(c.colour, 50, 150, 151, 251)) << "nothing outside";
  }
}

TEST_F(RenderTest, HatchCountSetsTheSpacingAndTheSwitchesHideIt) {
  cell("TOP");
  rect(4, kLo, kLo, kHi, kHi);
  app.settings.layerFillFlags[4] = 1;
  // Hatch lines cross the middle row of the square: count the runs of red along it.
  auto runs = [&] {
    int n = 0;
    bool in = false;
    for (int x = 52; x < 149; ++x) {
      const bool red = surface.pixel(x, 200) == kRed;
      if (red && !in) ++n;
      in = red;
    }
    return n;
  };
  ASSERT_TRUE(draw());
  const int dense = runs();  // 100 lines over 2600 pixels: a spacing of 26
  app.settings.layerHatchCount[4] = 50;
  ASSERT_TRUE(draw());
  const int sparse = runs();
  EXPECT_GE(dense, 3);
  EXPECT_NEAR(dense, 2 * sparse, 1);

  struct Case {
    const char* what;
    int shown, fill, fillPaint, onlyLayer;
    bool outline;
  } cases[] = {{"hidden", 0, 1, 1, -1, false},
               {"outline only", 1, 0, 1, -1, true},
               {"hatching off everywhere", 1, 1, 0, -1, true},
               {"another layer only", 1, 1, 1, 5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    app.settings.layerFlags[4] = static_cast<std::uint8_t>(c.shown);
    app.settings.layerFillFlags[4] = static_cast<std::uint8_t>(c.fill);
    app.settings.fillPaint = c.fillPaint;
    app.display.onlyLayer = c.onlyLayer;
    ASSERT_TRUE(draw());
    EXPECT_EQ(count(kRed, 55, 155, 146, 246), 0) << "no hatch";
    EXPECT_EQ(count(kRed, 50, 150, 151, 251) > 350, c.outline);
    EXPECT_EQ(countAll(kRed) == 0, !c.outline);
  }
}

// A child cell with an asymmetric rectangle (1 x 2 user units, red, outline only) placed with
// the given transform; the box it must occupy is checked by its edges' midpoints.
TEST_F(RenderTest, PlacementsAppearWithTheirTransformsComposeAndNestCutsTheDepth) {
  struct Case {
    const char* what;
    int refl;
    std::uint32_t angle, mag;
    int x0, y0, x1, y1;  // expected box in design units
  } cases[] = {{"plain", 0, 0, 1000000, 20000, 15000, 21000, 17000},
               {"rotated 90", 0, 90000000, 1000000, 18000, 15000, 20000, 16000},
               {"magnified 2", 0, 0, 2000000, 20000, 15000, 22000, 19000},
               {"mirrored", 1, 0, 1000000, 20000, 13000, 21000, 15000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    db::testing::NewImage(app.design);
    app.settings.layerFillFlags[4] = 0;
    cell("C");
    rect(4, 0, 0, 1000, 2000);
    cell("TOP");
    single("C", 20000, 15000, c.refl, c.angle, c.mag);
    ASSERT_TRUE(draw());
    const int mx = (c.x0 + c.x1) / 2, my = (c.y0 + c.y1) / 2;
    EXPECT_EQ(std::tuple(at(c.x0, my), at(c.x1, my), at(mx, c.y0), at(mx, c.y1)),
              std::tuple(kRed, kRed, kRed, kRed));
    EXPECT_EQ(countAll(kRed), count(kRed, static_cast<int>(ToWindowX(app.display.view, c.x0)),
                                    static_cast<int>(ToWindowY(app.display.view, c.y1)),
                                    static_cast<int>(ToWindowX(app.display.view, c.x1)) + 1,
                                    static_cast<int>(ToWindowY(app.display.view, c.y0)) + 1));
  }
  // Nested placements compose, and the nesting depth cuts them off.
  db::testing::NewImage(app.design);
  app.settings.layerFillFlags[4] = 0;
  app.settings.layerFillFlags[6] = 0;
  cell("G");
  rect(4, 0, 0, 1000, 500);  // red, 1 x 0.5
  cell("C");
  rect(6, 0, 0, 300, 300);  // blue marker at C's origin
  single("G", 1000, 0, 0, 90000000);
  cell("TOP");
  single("C", 20000, 15000, 1);  // mirrored
  ASSERT_TRUE(draw());
  // G rotated by 90 inside C lies at x 500..1000, y 0..1000; the mirror flips it below.
  EXPECT_EQ(at(20500, 14500), kRed);
  EXPECT_EQ(at(20750, 14000), kRed);
  EXPECT_EQ(count(kRed, 0, 0, 400, 150), 0) << "nothing above the placement's origin";
  EXPECT_EQ(at(20000, 14850), MakeRgb(0, 0, 255));

  app.settings.nest = 1;  // C's own elements only
  ASSERT_TRUE(draw());
  EXPECT_EQ(countAll(kRed), 0);
  EXPECT_GT(countAll(MakeRgb(0, 0, 255)), 0);

  app.settings.nest = 0;  // nothing placed is drawn
  ASSERT_TRUE(draw());
  EXPECT_EQ(countAll(MakeRgb(0, 0, 255)), 0);
}

TEST_F(RenderTest, ArraysShowEveryElementWithOrWithoutTheBitmapOrTheirBorderAndAFrame) {
  struct Case {
    const char* what;
    int arrayMap, refl;
    int rowSign;
  } cases[] = {{"direct", 0, 0, 1}, {"bitmap", 1, 0, 1}, {"mirrored", 1, 1, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    db::testing::NewImage(app.design);
    app.settings.arrayMap = c.arrayMap;
    app.settings.showAcell = 2;
    cell("C");
    rect(4, 0, 0, 1000, 1000);
    cell("TOP");
    array("C", 5000, 15000, 4, 3, 3000, 4000, c.refl);
    ASSERT_TRUE(draw());
    for (int r = 0; r < 3; ++r)
      for (int col = 0; col < 4; ++col) {
        const int x = 5000 + 3000 * col, y = 15000 + c.rowSign * 4000 * r;
        const int top = c.refl ? y - 1000 : y;  // a mirrored element hangs below its origin
        EXPECT_EQ(at(x, top + 500), kRed) << col << "," << r;
        EXPECT_EQ(at(x + 1500, top + 500), kWhite) << "gap after " << col << "," << r;
      }
  }
  // The border of an array, with a frame over its interior.
  db::testing::NewImage(app.design);
  app.settings.showAcell = 1;
  app.settings.arrayMap = 0;
  cell("C");
  rect(4, 0, 0, 1000, 1000);
  cell("TOP");
  array("C", 5000, 5000, 5, 5, 3000, 3000);
  ASSERT_TRUE(draw());
  int shown = 0;
  for (int r = 0; r < 5; ++r)
    for (int col = 0; col < 5; ++col)
      if (at(5000 + 3000 * col, 5000 + 3000 * r + 500) == kRed) ++shown;
  EXPECT_EQ(shown, 16);
  // The frame over the 3 x 3 interior is dotted grey on pseudo-layer 64, with its diagonals.
  const Rgb grey = MakeRgb(127, 127, 127);
  EXPECT_GT(count(grey, 55, 125, 175, 245), 100);
  EXPECT_EQ(count(kRed, 75, 140, 155, 225), 0) << "interior elements are left out";

  app.settings.showAcell = 0;  // the frame of the whole array only
  ASSERT_TRUE(draw());
  EXPECT_EQ(countAll(kRed), 0);
  EXPECT_GT(countAll(grey), 100);
}

// A stored count of half a billion rows (one byte of a 2-row array changed) costs what the
// window shows: the members in view are drawn, wherever they are, and no more are visited.
TEST_F(RenderTest, HugeArraysCostWhatTheWindowShows) {
  struct Case {
    const char* what;
    int showAcell;
    std::uint32_t angle;
    int refl;
    bool fit;  // else the window looks at rows 2,000,000 to 2,000,003
  } cases[] = {{"fit border", 1, 0, 0, true},
               {"fit all", 2, 0, 0, true},
               {"fit turned 30 degrees", 1, 30000000, 0, true},
               {"far rows", 1, 0, 0, false},
               {"far rows every member", 2, 0, 0, false},
               {"far rows turned", 2, 90000000, 0, false},
               {"far rows mirrored", 2, 0, 1, false}};
  long steps = 0;
  host.onMessageStep = [&](bool&) { ++steps; };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    db::testing::NewImage(app.design);
    app.settings.showAcell = c.showAcell;
    cell("C");
    // Fitted, a member is a few pixels high while a thousand rows share a pixel.
    rect(4, 0, 0, 500, c.fit ? 50000000 : 500);
    cell("TOP");
    array("C", 0, 0, 4, 536870914, 1000, 1000, c.refl, c.angle);
    // Where a point of member (column, row) lies.
    const double turn = c.angle / 1e6 * 3.14159265358979 / 180;
    auto member = [&](double col, double row) {
      const double x = col * 1000, y = (c.refl ? -1 : 1) * row * 1000;
      return std::pair<int, int>(
          static_cast<int>(std::lround(x * std::cos(turn) - y * std::sin(turn))),
          static_cast<int>(std::lround(x * std::sin(turn) + y * std::cos(turn))));
    };
    if (c.fit) {
      FitToCell(app);
    } else {
      const auto [x, y] = member(0, 2000000);
      ZoomToCorners(app.display.view, 1000, (x - 2000) / 1000.0, (y - 2000) / 1000.0,
                    (x + 2000) / 1000.0, (y + 2000) / 1000.0);
    }
    app.continueFlag = true;
    steps = 0;
    ASSERT_TRUE(draw());
    EXPECT_LT(steps, 5000);
    if (c.fit && c.angle == 0) {
      // The members overlap into one column from the bottom of the window to the top (under
      // the interior's frame, where that is drawn).
      const int wx = static_cast<int>(ToWindowX(app.display.view, 0));
      EXPECT_EQ(count(kWhite, wx, 30, wx + 1, 270), 0);
      EXPECT_GT(count(kRed, wx, 30, wx + 1, 270), 0);
    } else if (!c.fit) {
      const auto& v = app.display.view;
      for (int col = 0; col < (c.showAcell == 2 ? 2 : 1); ++col) {
        // The member's outline, 37 pixels a side, lies inside its window extent.
        const auto [x0, y0] = member(col, 2000000);
        const auto [x1, y1] = member(col + 0.5, 2000000.5);
        const int wx0 = static_cast<int>(ToWindowX(v, std::min(x0, x1))) - 1;
        const int wx1 = static_cast<int>(ToWindowX(v, std::max(x0, x1))) + 2;
        const int wy0 = static_cast<int>(ToWindowY(v, std::max(y0, y1))) - 1;
        const int wy1 = static_cast<int>(ToWindowY(v, std::min(y0, y1))) + 2;
        EXPECT_GT(count(kRed, wx0, wy0, wx1, wy1), 4 * 30) << "member " << col;
      }
    }
  }
  // Escape still stops a drawing of it.
  host.onMessageStep = [&](bool& flag) {
    if (++steps == 20) flag = false;
  };
  steps = 0;
  EXPECT_FALSE(draw());
  EXPECT_LT(steps, 25);
}

TEST_F(RenderTest, UndefinedCellsAreReportedOncePerDrawing) {
  cell("TOP");
  single("NOPE", 1000, 1000);
  array("GONE", 1000, 1000, 2, 2, 10, 10);
  ASSERT_TRUE(draw());
  EXPECT_TRUE(printed("*UNDEFIND*( NOPE )SCell"));
  EXPECT_TRUE(printed("*UNDEFIND*( GONE )ACell"));
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find("NOPE") != l.npos; }),
            1);
}

TEST_F(RenderTest, EscapeStopsTheRedrawAndPrintsTheAbortLine) {
  cell("TOP");
  for (int i = 0; i < 500; ++i) rect(4, i * 10, 0, i * 10 + 5000, 5000);
  long steps = 0;
  host.onMessageStep = [&](bool& flag) {
    if (++steps == 100) flag = false;
  };
  EXPECT_FALSE(draw());
  EXPECT_EQ(sjis::toUtf8(app.window.transcript.lines[0]), "*** Abortion ***");
  EXPECT_LT(steps, 110);
  EXPECT_FALSE(app.dispatch.completion);
  // Nothing more is drawn until a command shows the design again.
  host.onMessageStep = nullptr;
  EXPECT_TRUE(draw());
  EXPECT_EQ(countAll(kRed), 0);
  app.continueFlag = true;
  EXPECT_TRUE(draw());
  EXPECT_GT(countAll(kRed), 1000);
}

// While it draws the prompt says so; afterwards line 0 and the input are as they were, and the
// open cell's extent is up to date, in its slot too (it survives closing the design).
TEST_F(RenderTest, TheDrawingKeepsLineZeroAndTheCellExtent) {
  cell("C");
  rect(2, 0, 0, 1000, 1000);
  cell("TOP");
  rect(4, -3000, 2000, 4000, 9000);
  single("C", 10000, 10000, 0, 0, 2000000);
  app.window.input = "ZO";
  command::PrintLine(app, "3.  ", command::kPrintMessage);  // a result not yet in the transcript
  std::string during;
  host.onMessageStep = [&](bool&) {
    if (during.empty()) during = sjis::toUtf8(app.window.prompt + app.window.input);
  };
  ASSERT_TRUE(draw());
  EXPECT_EQ(during, "再描画中");
  EXPECT_EQ(std::pair(app.window.transcript.lines[0], app.window.prompt + app.window.input),
            std::pair(std::string("3.  "), std::string("? ZO")));
  const auto& e = app.design.current.entry;
  EXPECT_EQ(std::tuple(e.xmin, e.ymin, e.xmax, e.ymax), std::tuple(-3000, 2000, 12000, 12000));
  EXPECT_EQ(db::ReadCellEntry(app.design.image, app.design.current.slotOffset).xmax, 12000);
}

TEST_F(RenderTest, TinyFiguresAreDrawnAsALineOrTheirExtent) {
  cell("TOP");
  rect(4, 10000, 10000, 10050, 15000);  // half a pixel wide: one vertical line, no hatch
  rect(6, 20000, 10000, 20300, 10300);  // 3 x 3 pixels: its extent rectangle
  rect(6, -300, 20000, 0, 20300);       // the same across the window's left edge: clipped
  ASSERT_TRUE(draw());
  const int red = countAll(kRed);
  EXPECT_GE(red, 49);
  EXPECT_LE(red, 51);
  EXPECT_EQ(count(kRed, 101, 0, 400, 300), 0);
  const Rgb blue = MakeRgb(0, 0, 255);
  EXPECT_GE(count(blue, 150, 0, 400, 300), 8);
  EXPECT_GE(count(blue, 0, 0, 1, 300), 3);
  EXPECT_EQ(count(blue, 1, 0, 150, 300), 0);
}

TEST_F(RenderTest, FiguresOfMoreThan200VerticesDrawWhole) {
  cell("TOP");
  std::vector<db::Vertex> area, line;
  for (int i = 0; i < 500; ++i) area.push_back({kLo + 20 * i, kLo + i % 2 * 10});
  area.insert(area.end(), {{kHi, kLo}, {kHi, kHi}, {kLo, kHi}, {kLo, kLo}});
  for (int i = 0; i < 300; ++i) line.push_back({5000 + 100 * i, 25000 + i % 2 * 10});
  db::testing::Append(app.design, db::EncodeArea(db::ElementType::Polygon, 6, area));
  db::testing::Append(app.design, db::EncodeLine(4, 0, 0, line));
  ASSERT_TRUE(draw());
  for (const auto& [x, y] : {std::pair(kLo, 10000), std::pair(10000, kHi), std::pair(kHi, 10000)})
    EXPECT_EQ(at(x, y), MakeRgb(0, 0, 255)) << x << "," << y;
  EXPECT_EQ(at(34000, 25000), kRed);  // near the end of the line
}

TEST_F(RenderTest, FiguresSmallerThanAPixelShowAsOnePixelEach) {
  cell("TOP");
  // 20 x 20 boxes and triangles of a third of a pixel, 5 pixels apart, some across a pixel
  // border and some inside one pixel.
  for (int i = 0; i < 400; ++i) {
    const int x = 5000 + (i % 20) * 500 + (i % 3) * 40, y = 5000 + (i / 20) * 500 + (i % 7) * 10;
    if (i % 2)
      rect(4, x, y, x + 30, y + 30);
    else
      db::testing::Append(app.design, db::EncodeArea(db::ElementType::Polygon, 4,
                                                     {{x, y}, {x + 30, y}, {x, y + 30}, {x, y}}));
  }
  ASSERT_TRUE(draw());
  EXPECT_EQ(countAll(kRed), 400);
  for (int i = 0; i < 400; i += 37) {
    const int x = 5000 + (i % 20) * 500 + (i % 3) * 40, y = 5000 + (i / 20) * 500 + (i % 7) * 10;
    EXPECT_EQ(at(x, y), kRed) << i;
  }
}

TEST_F(RenderTest, WideLinesFollowTheLineMode) {
  cell("TOP");
  db::testing::Append(app.design, db::EncodeLine(4, 0, 2000, {{5000, 15000}, {35000, 15000}}));
  struct Case {
    int mode;
    bool centre, outline;
  } cases[] = {{0, true, true}, {1, true, false}, {2, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    app.settings.lineMode = c.mode;
    app.settings.layerFillFlags[4] = 0;
    ASSERT_TRUE(draw());
    EXPECT_EQ(
        std::tuple(at(20000, 15000) == kRed, at(20000, 16000) == kRed, at(20000, 14000) == kRed),
        std::tuple(c.centre, c.outline, c.outline));
  }
  // A hairline shows its centre line whatever the mode says.
  db::testing::NewImage(app.design);
  cell("TOP");
  db::testing::Append(app.design, db::EncodeLine(4, 0, 0, {{5000, 15000}, {35000, 15000}}));
  app.settings.lineMode = 2;
  ASSERT_TRUE(draw());
  EXPECT_EQ(at(20000, 15000), kRed);
}

// The window's quick outline of a small rectangle sets the pixels the four lines set: points,
// slivers, either corner first, and rectangles reaching over any edge of the image.
TEST(RectangleOutline, TheQuickBorderIsTheFourLinesPixelForPixel) {
  lav::testing::EnsureQtApplication();
  qt::QtSurface quick(40, 30), lines(40, 30);
  for (qt::QtSurface* s : {&quick, &lines}) s->fillRect(0, 0, 40, 30, MakeRgb(255, 255, 255));
  std::mt19937 rng(3);
  auto coordinate = [&](int size) { return static_cast<int>(rng() % (size + 8)) - 4; };
  for (int i = 0; i < 3000; ++i) {
    const int x0 = coordinate(40), y0 = coordinate(30);
    const int x1 = i % 3 == 0 ? x0 : x0 + static_cast<int>(rng() % 9) - 4;
    const int y1 = i % 5 == 0 ? y0 : y0 + static_cast<int>(rng() % 9) - 4;
    Pen pen;
    pen.colour = MakeRgb(rng() % 256, rng() % 256, i % 256);
    pen.style = i % 7 == 0 ? DashStyle::Dash : DashStyle::Solid;
    const RasterMode mode = i % 11 == 0 ? RasterMode::Xor : RasterMode::Copy;
    for (qt::QtSurface* s : {&quick, &lines}) {
      s->setPen(pen);
      s->setRasterMode(mode);
    }
    quick.rectangleOutline(x0, y0, x1, y1);
    lines.Surface::rectangleOutline(x0, y0, x1, y1);
    ASSERT_EQ(quick.image(), lines.image())
        << i << ": " << x0 << "," << y0 << " " << x1 << "," << y1;
  }
}

constexpr Rgb kMagenta = MakeRgb(255, 0, 255);

class TempPreview : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    cell("A");
    rect(2, 0, 0, 4000, 4000);  // a 4 x 4 square in magenta
    cell("TOP");
    app.settings.layer = 3;
  }
  void enter(int type, std::vector<db::UserPoint> points) {
    app.settings.elementType = type;
    app.temp.assign(points);
  }
  // Red pixels in the box of user units (x0, y0) .. (x1, y1); 10 pixels a unit.
  int red(double x0, double y0, double x1, double y1) const {
    return count(kRed, int(10 * x0), int(300 - 10 * y1), int(10 * x1) + 1, int(300 - 10 * y0) + 1);
  }
};

TEST_F(TempPreview, EachElementTypeShowsAsItWillBeWrittenWithDiamondMarksAtItsPoints) {
  struct Box {
    double x0, y0, x1, y1;
    bool lit;
  };
  // Boxes from their numbers, five a box: x0, y0, x1, y1 and 1 where red must show.
  auto boxes = [](auto... n) {
    const double v[] = {double(n)...};
    std::vector<Box> out;
    for (std::size_t i = 0; i + 4 < sizeof...(n); i += 5)
      out.push_back({v[i], v[i + 1], v[i + 2], v[i + 3], v[i + 4] != 0});
    return out;
  };
  auto points = lav::testing::PointsOf<db::UserPoint>;
  struct Case {
    const char* name;
    int type, width, lineMode;
    const char* cellName;
    std::vector<db::UserPoint> points;
    std::vector<Box> boxes;
  } cases[] = {{"rectangle from two corners, hatched", 3, 0, 0, "", points("5,5 25,20"),
                boxes(8, 8, 22, 17, 1, 28, 5, 35, 20, 0)},
               {"polygon with the hatch of the figure it closes into", 4, 0, 0, "",
                points("5,5 25,5 25,20"), boxes(20, 7, 24, 10, 1, 6, 13, 14, 19, 0)},
               {"line without width", 5, 0, 0, "", points("5,5 25,5"),
                boxes(10, 4.5, 20, 5.5, 1, 10, 6, 20, 10, 0)},
               {"wide line: centre line and outline, no hatch", 5, 4000, 0, "", points("5,5 25,5"),
                boxes(10, 6.5, 20, 7.5, 1, 10, 4.6, 20, 5.4, 1, 10, 5.6, 20, 6.4, 0)},
               {"wide line, centre only", 5, 4000, 1, "", points("5,5 25,5"),
                boxes(10, 6.5, 20, 7.5, 0, 10, 4.6, 20, 5.4, 1)},
               {"line far beyond the window", 5, 0, 0, "", points("-2e6,15 2e6,15"),
                boxes(10, 14.5, 20, 15.5, 1)},
               {"single placement: the placed square highlighted", 1, 0, 0, "A", points("10,10"),
                boxes(9.8, 11.5, 10.2, 13.5, 1, 13.8, 11.5, 14.2, 13.5, 1, 15, 5, 30, 25, 0)},
               {"array of three, every element", 0, 0, 0, "A", points("10,10"),
                boxes(15.8, 11.5, 16.2, 13.5, 1, 21.8, 11.5, 22.2, 13.5, 1, 27, 5, 35, 25, 0)},
               {"placement without a name: its mark only", 1, 0, 0, "", points("10,10"),
                boxes(12, 5, 30, 25, 0)},
               {"text at its point", 2, 0, 0, "", points("10,10"),
                boxes(11.5, 10, 13.5, 13.5, 1, 16, 5, 30, 25, 0)}};
  app.settings.columns = 3;
  app.settings.pitchX = 6000;
  app.settings.text = "AB";
  app.settings.hight = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    app.settings.width = c.width;
    app.settings.lineMode = c.lineMode;
    app.settings.cellName = c.cellName;
    enter(c.type, c.points);
    ASSERT_TRUE(draw());  // every redraw ends with the preview
    for (const Box& b : c.boxes) {
      const int n = red(b.x0, b.y0, b.x1, b.y1);
      EXPECT_EQ(n > 0, b.lit) << "red pixels near " << b.x0 << "," << b.y0 << ": " << n;
    }
    EXPECT_EQ(countAll(kMagenta), 0) << "placed cells show in the entry colour only";
  }
  // A figure being entered is no layer's yet: showing one layer only does not hide it.
  app.display.onlyLayer = 9;
  enter(4, {{5, 5}, {25, 5}, {25, 20}});
  ASSERT_TRUE(draw());
  EXPECT_GT(red(20, 7, 24, 10), 0);
  app.temp.clear();
  ASSERT_TRUE(draw());
  EXPECT_EQ(countAll(kRed), 0);
  // Diamond marks at the points near the window.
  app.display.onlyLayer = -1;
  const int m = MarkSizeOf(app);
  ASSERT_GT(m, 3);
  struct Mark {
    int type;
    double x;  // user units; the point is at y = 15, window row 150
    int half;  // expected half-size, 0: nothing drawn
  } marks[] = {
      {4, 20, m},      // the first point of a polygon
      {5, 20, m},      // of a line
      {1, 20, m - 1},  // any point of a placement
      {3, 20, m - 1},  // a rectangle's corner
      {1, -(m - 1) / 10.0, m - 1},
      {1, -(m + 1) / 10.0, 0}  // more than MarkSize outside the window
  };
  for (const auto& c : marks) {
    SCOPED_TRACE(::testing::Message() << c.type << " " << c.x);
    app.settings.cellName.clear();
    enter(c.type, {{c.x, 15}});
    surface.fillRect(0, 0, 400, 300, kWhite);
    DrawTempLayer(app, surface);
    if (c.half == 0) {
      EXPECT_EQ(countAll(kRed), 0);
      continue;
    }
    const int x = int(std::lround(10 * c.x));
    EXPECT_EQ(surface.pixel(x + c.half, 150), kRed);
    EXPECT_NE(surface.pixel(x + c.half + 1, 150), kRed);
    if (x >= 0) {
      EXPECT_EQ(surface.pixel(x, 150 - c.half), kRed);
    }
  }
  // The second point of a polygon gets the smaller mark.
  enter(4, {{5, 25}, {20, 15}});
  surface.fillRect(0, 0, 400, 300, kWhite);
  DrawTempLayer(app, surface);
  EXPECT_EQ(surface.pixel(200 + m - 1, 150), kRed);
  EXPECT_NE(surface.pixel(200 + m, 150), kRed);
}

// What a print job did on the fake printer; it outlives the device the command deletes.
struct PrinterLog {
  int documents = 0, documentEnds = 0, aborts = 0;
  std::vector<QImage> printed;  // each finished page
  int documentResult = 1, pageResult = 1;
};

// A printer of 300 dots an inch whose pages are images of 1000 x 800.
class FakePrinter : public PrinterDevice {
 public:
  explicit FakePrinter(PrinterLog& log) : log_(log) {}
  int dotsPerInchX() const override { return 300; }
  int dotsPerInchY() const override { return 300; }
  int handle() const override { return 77; }
  int startDocument(std::string_view) override {
    ++log_.documents;
    return log_.documentResult;
  }
  int startPage() override {
    page_ = std::make_unique<qt::QtSurface>(1000, 800);
    return log_.pageResult;
  }
  Surface& page() override { return *page_; }
  int endPage() override {
    log_.printed.push_back(page_->image().copy());
    return 1;
  }
  int endDocument() override { return ++log_.documentEnds; }
  void abortDocument() override { ++log_.aborts; }

 private:
  PrinterLog& log_;
  std::unique_ptr<qt::QtSurface> page_;
};

class Printing : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    host.printerEntry = "Fake Printer,fakedrv, LPT1:";
    host.printerFactory = [this](const PrinterName& name) -> std::unique_ptr<PrinterDevice> {
      opened = name;
      return device ? std::make_unique<FakePrinter>(log) : nullptr;
    };
    host.dialogHandlers["print-settings"] = [this](DialogModel& m) {
      auto& d = dynamic_cast<PrintDialog&>(m);
      shown = d.paperX + " " + d.paperY;
      if (inDialog) inDialog(d);
      if (!d.finished) d.pressExecute();
    };
    cell("TOP");
    rect(4, 10000, 10000, 20000, 20000);  // red, 100 x 100 pixels on the screen
    open("TOP");
  }

  static int countOn(const QImage& page, Rgb c) {
    return lav::testing::CountColour(page, page.rect(), QColor(c));
  }

  PrinterLog log;
  bool device = true;  // false: the printer cannot be opened
  std::optional<PrinterName> opened;
  std::string shown;
  std::function<void(PrintDialog&)> inDialog;
};

TEST(PrintDialogFields, ShowTheAreaAndPaperFollowEditsTheFirstAreaIsTheViewTheEntryIsSplit) {
  struct Case {
    int unit;  // print unit 1..5 in the header
    std::int32_t dbPerUserUnit, x0, y0, x1, y1;
    double magnification;
    const char *upperRight, *lowerLeft, *magText, *paperX, *paperY;
  } cases[] = {
      {1, 1000, 0, 0, 100000, 50000, 1000, "100 50", "0 0", "1000", "X 100mm", "Y 50mm"},
      {3, 1000, -1500, 250, 98500, 50250, 0.5, "98.5 50.25", "-1.5 0.25", "0.5", "X 500mm",
       "Y 250mm"},
      {2, 1000, 0, 0, 1000, 1000, 0.123456789012, "1 1", "0 0", "0.123456789", "X 0.123mm",
       "Y 0.123mm"},
      // A finer database unit shows three decimals of the corners all the same.
      {4, 100000, 0, 0, 123456, 100000, 1.5, "1.235 1", "0 0", "1.5", "X 1851.84mm", "Y 1500mm"},
      // The corners are shown whichever way round they are.
      {5, 1000, 5000, 5000, 0, 0, 0.000001, "0 0", "5 5", "0.000001", "X 5mm", "Y 5mm"}};
  for (const auto& c : cases) {
    ScriptedHost host;
    AppState app{host};
    app.settings.printUnit = c.unit;
    app.settings.dbPerUserUnit = c.dbPerUserUnit;
    app.print = {c.x0, c.y0, c.x1, c.y1, c.magnification, 0};
    PrintDialog d(app.settings, app.print, app.display.view);
    EXPECT_EQ(
        std::tuple(d.unit, d.upperRight, d.lowerLeft, d.magnificationText, d.paperX, d.paperY),
        std::tuple(600 + c.unit, std::string(c.upperRight), std::string(c.lowerLeft),
                   std::string(c.magText), std::string(c.paperX), std::string(c.paperY)));
  }
  // Typed fields take two numbers and the paper size follows; the unit buttons, Get, Execute and
  // an accepted magnification are used on the dialog's widgets (PdfPrinting, below).
  ScriptedHost host;
  AppState app{host};
  app.settings.printUnit = 2;
  app.print = {0, 0, 100000, 50000, 1, 0};
  PrintDialog d(app.settings, app.print, app.display.view);
  struct Step {
    void (PrintDialog::*edit)(std::string_view);
    const char* text;
    std::int32_t x0, y0, x1, y1;
    const char *paperX, *paperY;
  } steps[] = {
      {&PrintDialog::editUpperRight, "200", 0, 0, 100000, 50000, "X 100mm", "Y 50mm"},
      {&PrintDialog::editUpperRight, " 200  80.5x", 0, 0, 200000, 80500, "X 200mm", "Y 80.5mm"},
      {&PrintDialog::editLowerLeft, "10.0009 -0.0009", 10000, 0, 200000, 80500, "X 190mm",
       "Y 80.5mm"},
      {&PrintDialog::editLowerLeft, "1e12 0", 10000, 0, 200000, 80500, "X 190mm", "Y 80.5mm"},
      {&PrintDialog::editMagnification, "abc", 10000, 0, 200000, 80500, "X 190mm", "Y 80.5mm"}};
  for (const Step& s : steps) {
    (d.*s.edit)(s.text);
    EXPECT_EQ(
        std::tuple(app.print.x0, app.print.y0, app.print.x1, app.print.y1, d.paperX, d.paperY),
        std::tuple(s.x0, s.y0, s.x1, s.y1, std::string(s.paperX), std::string(s.paperY)))
        << s.text;
  }
  // The first print takes the view at the window's width; a small page keeps the top left.
  struct Area {
    int unit;  // 0: none chosen yet
    double magnification;
    int unitAfter;
  } areas[] = {{0, 1693.33, 1},
               {2, 1.69333, 2},
               {3, 0.169333, 3},
               {4, 0.00169333, 4},
               {5, 0.00000169333, 5}};
  for (const auto& c : areas) {
    app.print = {};
    app.settings.printUnit = c.unit;
    ViewState& v = app.display.view;
    v.clientWidth = 940;
    v.window = {0, 0, 47000, 37000};
    DerivePrintArea(app.print, app.settings, v, 300);
    EXPECT_NEAR(app.print.magnification, c.magnification, c.magnification * 1e-12) << c.unit;
    EXPECT_EQ(app.settings.printUnit, c.unitAfter);
    EXPECT_EQ(std::pair(app.print.x1, app.print.y1), std::pair(47000, 37000));
    // Printed, the view is as many dots wide as the window is pixels wide.
    const auto page = PageView(app.print, app.settings, v, 300, 300, 5000, 5000);
    ASSERT_TRUE(page);
    EXPECT_EQ(std::pair(page->clientWidth, page->clientHeight), std::pair(940, 740)) << c.unit;
    // A second derivation leaves a set area and its magnification alone.
    app.print.magnification = 3;
    DerivePrintArea(app.print, app.settings, v, 600);
    EXPECT_EQ(app.print.magnification, 3);
  }
  // A page smaller than the picture keeps its top left corner.
  app.settings.printUnit = 2;
  app.print = {0, 0, 100000, 50000, 1, 0};  // 100 mm x 50 mm
  ViewState v;
  const auto full = PageView(app.print, app.settings, v, 254, 254, 5000, 5000);
  const auto cut = PageView(app.print, app.settings, v, 254, 254, 300, 200);
  ASSERT_TRUE(full && cut);
  // 100 mm at 10 dots per mm
  EXPECT_EQ(std::pair(full->clientWidth, full->clientHeight), std::pair(1000, 500));
  EXPECT_EQ(std::pair(cut->clientWidth, cut->clientHeight), std::pair(300, 200));
  for (const auto& [x, y] : {std::pair{0, 50000}, std::pair{20000, 40000}}) {
    EXPECT_DOUBLE_EQ(ToWindowX(*full, x), ToWindowX(*cut, x));
    EXPECT_DOUBLE_EQ(ToWindowY(*full, y), ToWindowY(*cut, y));
  }
  // Only what is on the paper is walked.
  EXPECT_EQ(std::pair(cut->window.xmax, cut->window.ymin), std::pair(30000, 30000));
  app.print.magnification = 0;
  EXPECT_FALSE(PageView(app.print, app.settings, v, 254, 254, 300, 200));
  app.print = {5, 0, 5, 100, 1, 0};
  EXPECT_FALSE(PageView(app.print, app.settings, v, 254, 254, 300, 200));
  // The printer entry is split into device, driver and port.
  struct Entry {
    std::string entry;
    bool found;
    std::string device, driver, port;
  } entries[] = {
      {"HP LaserJet 4,winspool, LPT1:", true, "HP LaserJet 4", "winspool", "LPT1:"},
      {"PDF,Lavinor,  /tmp/a b.pdf", true, "PDF", "Lavinor", "/tmp/a b.pdf"},
      {"OnlyName", true, "OnlyName", "", ""},
      {"\x95\x5C,drv,port", true, "\x95\x5C", "drv", "port"},  // 表: a trail byte of 0x5C
      {"a,b,c,d", true, "a", "b", "c,d"},
      {"", false, "", "", ""},
      // The entry is read to 130 characters.
      {std::string(140, 'x') + ",drv,port", true, std::string(130, 'x'), "", ""}};
  for (const auto& c : entries) {
    const auto n = ParsePrinterEntry(c.entry);
    ASSERT_EQ(n.has_value(), c.found) << c.entry;
    if (n) {
      EXPECT_EQ(std::tie(n->device, n->driver, n->port), std::tie(c.device, c.driver, c.port));
    }
  }
}

TEST_F(Printing, ThePageIsTheViewTwiceTheSameInTheTokensColourModeAndEveryWayOutEndsIt) {
  ASSERT_TRUE(draw());
  const int onScreen = countAll(kRed);
  ASSERT_GT(onScreen, 350);
  PrintView(app);
  ASSERT_EQ(log.printed.size(), 1u);
  EXPECT_EQ(std::pair(opened->device, opened->port),
            (std::pair<std::string, std::string>("Fake Printer", "LPT1:")));
  const QImage& page = log.printed[0];
  // Printer dots where the screen has pixels: the same rectangle in the same place.
  EXPECT_NEAR(countOn(page, kRed), onScreen, 8);
  for (int y = 0; y < 300; y += 7)
    for (int x = 0; x < 400; x += 7)
      EXPECT_EQ((page.pixel(x, y) & 0xFFFFFF) == kRed, surface.pixel(x, y) == kRed)
          << x << " " << y;
  const PrintState first = app.print;
  // The view changes, the second print does not: the print area is kept.
  ZoomToCorners(app.display.view, 1000, 0, 0, 80, 60);
  PrintView(app);
  ASSERT_EQ(log.printed.size(), 2u);
  EXPECT_TRUE(log.printed[1] == log.printed[0]);
  EXPECT_EQ(std::pair(app.print.x1, app.print.magnification),
            std::pair(first.x1, first.magnification));
  // 400 pixels at 300 dpi are 33.867 mm for 40 user units.
  EXPECT_EQ(shown, "X 33.867mm Y 25.4mm");
  // Printing is over and the screen's view is back.
  EXPECT_EQ(std::pair(app.print.printing, app.display.view.window.xmax), std::pair(0, 80000));
  // The PRINT command's token sets the colour mode (0 to 2; anything else keeps the last one), and
  // the mode turns foreground and grey pens black on the page.
  app.display.blackBackground = true;
  rect(0, 1000, 1000, 5000, 5000);    // foreground: white on black
  rect(7, 25000, 1000, 29000, 5000);  // grey
  constexpr Rgb kBlack = MakeRgb(0, 0, 0), kGrey = MakeRgb(127, 127, 127);
  struct Token {
    const char* line;
    int mode;
    bool foregroundBlack, greyLeft;
  } cases[] = {{"PRINT 0", 0, false, true}, {"PRINT 1", 1, true, true},
               {"PRINT 7", 1, true, true},  {"PRINT", 1, true, true},
               {"PRINT 2", 2, true, false}, {"PRINT 2x", 2, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    log = {};
    command::StartPrint(app, c.line);
    EXPECT_EQ(app.settings.printMode, c.mode);
    ASSERT_EQ(log.printed.size(), 1u);
    const QImage& page = log.printed[0];
    EXPECT_GT(countOn(page, kWhite), 790000);  // the paper itself
    EXPECT_EQ(countOn(page, kGrey) > 150, c.greyLeft);
    EXPECT_GT(countOn(page, kRed), 350);
    // The foreground square's outline: white (invisible on paper) or black; and the grey one.
    const int black = countOn(page, kBlack);
    EXPECT_EQ(black > 150, c.foregroundBlack);
    EXPECT_EQ(black > 300, !c.greyLeft);
  }
  EXPECT_TRUE(host.boxes.empty());
  // Every way a print can end ends the document and clears printing.
  struct Way {
    const char* what;
    int documentResult, pageResult;
    bool cancel, degenerate, escape;
    int documents, aborts, printed;
    const char* box;
    const char* entry = "Fake Printer,fakedrv, LPT1:";
    bool device = true;
  } ways[] = {{"printed", 1, 1, false, false, false, 1, 0, 1, nullptr},
              {"cancelled", 1, 1, true, false, false, 0, 0, 0, nullptr},
              {"document refused", 0, 1, false, false, false, 1, 0, 0,
               "プリントエラー No. 0  0  \n 77 fakedrv･Fake Printer･LPT1:"},
              {"page refused", 1, -3, false, false, false, 1, 1, 0,
               "プリントエラー No. 1  -3  \n 77 fakedrv･Fake Printer･LPT1:"},
              {"empty area", 1, 1, false, true, false, 1, 1, 0, nullptr},
              // Without a printer or its device the print ends before its dialog, silently.
              {"no printer", 1, 1, false, false, false, 0, 0, 0, nullptr, ""},
              {"no device", 1, 1, false, false, false, 0, 0, 0, nullptr, "Fake,drv,port", false},
              {"escape", 1, 1, false, false, true, 1, 1, 0, nullptr}};
  for (const auto& c : ways) {
    log = {};
    log.documentResult = c.documentResult;
    log.pageResult = c.pageResult;
    host.boxes.clear();
    host.dialogsRun.clear();
    lines.clear();
    host.printerEntry = c.entry;
    device = c.device;
    app.print.x0 = app.print.x1 = 0;
    inDialog = [&c](PrintDialog& d) {
      if (c.degenerate) d.editLowerLeft(d.upperRight);
      if (c.cancel) d.cancel();
    };
    int steps = 0;
    host.onMessageStep = [&](bool& flag) {
      if (c.escape && ++steps == 1) flag = false;
    };
    SCOPED_TRACE(c.what);
    const Extent view = app.display.view.window;
    PrintView(app);
    EXPECT_EQ(std::tuple(log.documents, log.aborts, static_cast<int>(log.printed.size()),
                         log.documentEnds),
              std::tuple(c.documents, c.aborts, c.printed, c.printed));
    // Not printing, screen text colours again, arrays by their bitmap, the screen's view back.
    EXPECT_EQ(std::tuple(app.print.printing, app.screenText.printColourMode, app.settings.arrayMap,
                         app.continueFlag, app.display.view.window.xmax),
              std::tuple(0, -1, 1, true, view.xmax));
    if (c.box)
      EXPECT_TRUE(lav::testing::OneBox(host, c.box, "Lavinor", Icon::Information));
    else
      EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(printed("*** Abortion ***"), c.escape);
    if (c.device && *c.entry) continue;
    EXPECT_TRUE(host.dialogsRun.empty());
    EXPECT_FALSE(app.print.rectSet());
  }
}

namespace fs = std::filesystem;

// The same design printed by the Qt printer into a PDF file in the test's folder.
class PdfPrinting : public Printing {
 protected:
  void SetUp() override {
    Printing::SetUp();
    host.printerEntry = "PDF,Lavinor," + (dir / "page.pdf").string();
    host.printerFactory = [](const PrinterName& n) { return qt::OpenPrinter(n); };
    rect(1, 0, 0, 40000, 30000);  // cyan, the edge of the view
  }
  lav::testing::ScratchFolder folder;
  fs::path dir = folder.dir;
};

// A print whose file cannot be made leaves nothing behind (a cancelled one opens no document:
// the fake printer's ways out); a print replaces the last one.
TEST_F(PdfPrinting, AnUnwritablePrintWritesNoFileAPageOfA4ShowsTheViewAtTheTopLeft) {
  const std::string entry = host.printerEntry;
  host.printerEntry = "PDF,Lavinor," + (dir / "missing" / "page.pdf").string();
  PrintView(app);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_TRUE(fs::is_empty(dir));
  EXPECT_EQ(app.print.printing, 0);
  EXPECT_NE(host.boxes[0].text.find("プリントエラー No. "), std::string::npos);
  EXPECT_NE(host.boxes[0].text.find("Lavinor･PDF･"), std::string::npos) << host.boxes[0].text;
  host.boxes.clear();
  host.printerEntry = entry;
  std::ofstream(dir / "page.pdf") << "the last print";
  PrintView(app);
  ASSERT_TRUE(host.boxes.empty()) << host.boxes[0].text;
  const fs::path pdf = dir / "page.pdf";
  ASSERT_TRUE(fs::exists(pdf));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(lav::testing::ReadFile(pdf).substr(0, 5), "%PDF-");
  if (!lav::testing::Have("command -v pdfinfo") || !lav::testing::Have("command -v pdftoppm"))
    GTEST_SKIP() << "poppler-utils not installed";
  const std::string info = (dir / "info.txt").string();
  ASSERT_EQ(std::system(("pdfinfo '" + pdf.string() + "' > '" + info + "'").c_str()), 0);
  const std::string infoText = lav::testing::ReadFile(info);
  // One page; A4 is the size it renders to.
  EXPECT_TRUE(std::regex_search(infoText, std::regex(R"(Pages:\s+1\n)"))) << infoText;
  // Rendered at the printer's 300 dpi, the page's top-left 400 x 300 dots are the screen view.
  const std::string png = (dir / "page").string();
  ASSERT_EQ(std::system(
                ("pdftoppm -r 300 -png -singlefile '" + pdf.string() + "' '" + png + "'").c_str()),
            0);
  if (const char* keep = std::getenv("LAVINOR_KEEP_PRINT")) fs::copy_file(png + ".png", keep);
  QImage page(QString::fromStdString(png + ".png"));
  ASSERT_FALSE(page.isNull());
  EXPECT_NEAR(page.width(), 2480, 2);
  EXPECT_NEAR(page.height(), 3508, 2);
  auto reddish = [&](int x, int y) {
    const QColor c = page.pixelColor(x, y);
    return c.red() > 200 && c.green() < 80 && c.blue() < 80;
  };
  int redInside = 0, redOutside = 0;
  for (int y = 0; y < page.height(); y += 2)
    for (int x = 0; x < page.width(); x += 2) {
      if (!reddish(x, y)) continue;
      (x >= 95 && x <= 205 && y >= 95 && y <= 205 ? redInside : redOutside)++;
    }
  EXPECT_GT(redInside, 80);  // the square's outline and hatch
  EXPECT_EQ(redOutside, 0);
}

// Dialog 700 on Qt widgets: edits and buttons reach the print settings, the paper size follows
// every change, and only 実行 starts a print.
TEST_F(PdfPrinting, DialogEditsAndButtonsReachTheSettingsAndCancelStartsNoPrint) {
  using lav::testing::Control;
  auto runWith = [](PrintDialog& model, const std::function<void(QDialog&)>& act) {
    EXPECT_TRUE(lav::testing::WithModalDialog([&] { qt::RunPrintDialog(nullptr, model); }, act));
  };
  app.settings.printUnit = 2;
  app.print = {0, 0, 100000, 50000, 1, 0};
  app.display.view.window = {0, 0, 47000, 37000};
  PrintDialog model(app.settings, app.print, app.display.view);
  QString afterUnit, afterEdit, afterGet, cornerAfterGet;
  runWith(model, [&](QDialog& d) {
    EXPECT_TRUE(Control<QRadioButton>(d, 602)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(d, 606)->text(), "100 50");
    EXPECT_EQ(Control<QLabel>(d, 610)->text(), "X 100mm");
    Control<QRadioButton>(d, 603)->click();
    afterUnit = Control<QLabel>(d, 610)->text();
    QLineEdit* mag = Control<QLineEdit>(d, 608);
    mag->selectAll();
    QTest::keyClicks(mag, "0.25");
    afterEdit = Control<QLabel>(d, 611)->text();
    Control<QPushButton>(d, 612)->click();
    afterGet = Control<QLabel>(d, 610)->text();
    cornerAfterGet = Control<QLineEdit>(d, 606)->text();
    Control<QPushButton>(d, 609)->click();
  });
  EXPECT_EQ(QStringList({afterUnit, afterEdit, afterGet, cornerAfterGet}),
            QStringList({"X 1000mm", "Y 125mm", "X 117.5mm", "47 37"}));
  EXPECT_EQ(std::tuple(model.executed, app.print.printing, app.settings.printUnit,
                       app.print.magnification),
            std::tuple(true, 1, 3, 0.25));

  app.print.printing = 0;
  PrintDialog again(app.settings, app.print, app.display.view);
  runWith(again, [](QDialog& d) { Control<QPushButton>(d, 2)->click(); });
  EXPECT_TRUE(again.finished);
  EXPECT_FALSE(again.executed);
  EXPECT_EQ(app.print.printing, 0);
}

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

TEST_F(ScreenTextTest, CharactersArePlacedOneByOneWhereTheViewMeetsThemInTheirColoursAndSizes) {
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
  // The text's extent covers the characters.
  const struct {
    const char* name;
    std::uint32_t angle;
    int reflection;
    Extent box;
  } extents[] = {{"upright", 0, 0, {1000, 1000, 2500, 2000}},
                 {"mirrored", 0, 1, {1000, 0, 2500, 1000}},
                 {"quarter turn", 90000000, 0, {0, 1000, 1000, 2500}}};
  for (const auto& c : extents) {
    const Extent e = ScreenTextExtent(
        app, {.reflection = c.reflection, .angle = c.angle, .text = "ABC", .x = 1000, .y = 1000});
    EXPECT_EQ(std::tuple(e.xmin, e.ymin, e.xmax, e.ymax),
              std::tuple(c.box.xmin, c.box.ymin, c.box.xmax, c.box.ymax))
        << c.name;
  }
  // Only characters whose boxes meet the view are drawn.
  const struct {
    const char* what;
    std::int32_t x, windowEnd;
    const char* drawn;
  } views[] = {// The window ends at x = 26667; boxes reach 4 pixels (133 units) before each one.
               {"the window's right side", 25000, 0, "ABCD"},
               {"starting left of the window", -2000, 0, "DEFGHIJ"},
               // Characters in view whose reference points lie beyond 30000 pixels are left out.
               {"at 29970 and 29985 pixels", 999000, 2000000000, "AB"},
               {"at 29988 and 30003 pixels", 999600, 2000000000, "A"}};
  for (const auto& c : views) {
    surface.texts.clear();
    if (c.windowEnd) app.display.view.window = {0, 0, c.windowEnd, c.windowEnd};
    draw(c.windowEnd ? "AB" : "ABCDEFGHIJ", {c.x, 1000});
    EXPECT_EQ(surface.joinedText(), c.drawn) << c.what;
  }
  // Colours by layer, background and printing, and the highlight.
  app.settings.layerPen[5] = 14 * 2 + 7;  // dotted grey
  app.settings.layerPen[6] = 14;          // dashed colour 0
  const struct {
    const char* name;
    int layer;
    bool black;
    int printMode;
    Rgb colour;
  } colours[] = {{"pen colour, line style ignored", 5, false, -1, PaletteColour(7, false)},
                 {"colour 0 on white", 6, false, -1, MakeRgb(0, 0, 0)},
                 {"colour 0 on black", 6, true, -1, MakeRgb(255, 255, 255)},
                 {"colour 0 printed", 6, true, 1, MakeRgb(0, 0, 0)},
                 {"grey printed in colour mode 1", 5, false, 1, PaletteColour(7, false)},
                 {"grey printed in mode 2", 5, false, 2, MakeRgb(0, 0, 0)},
                 {"erase layer on black", kEraseLayer, true, -1, BackgroundColour(true)}};
  for (const auto& c : colours) {
    app.display.blackBackground = c.black;
    app.screenText.printColourMode = c.printMode;
    EXPECT_EQ(TextColourForLayer(app, c.layer), c.colour) << c.name;
  }
  // A highlight draws in the highlight colour.
  app.display.blackBackground = false;
  app.screenText.printColourMode = -1;
  surface.texts.clear();
  TextDevice dev = device(0, true);
  DrawScreenText(dev, 3, {1000, 1000}, 0, 0, 1.0, "H");
  ASSERT_EQ(surface.texts.size(), 1u);
  EXPECT_EQ(surface.texts[0].colour, TextColourForLayer(app, kHighlightLayer));
  EXPECT_EQ(surface.polylinePens.back().colour,
            LayerPen(app.settings, kHighlightLayer, false).colour);
  // Font and label heights, and the escapement.
  // Each end of each band of font heights.
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
  // Rounded tenths, a full turn taken off, the sign kept, the last tenth before a full turn.
  const std::pair<std::int64_t, int> escapements[] = {
      {45050000, 451}, {370000000, 100}, {-90000000, -900}, {359999999, 3600}};
  for (const auto& [angle, tenths] : escapements) EXPECT_EQ(EscapementOf(angle), tenths) << angle;
}

TEST_F(ScreenTextTest, TextElementsMarksLayersFramesAndPicking) {
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

  // Showing one layer only hides the others; picking offers the origin instead of drawing.
  surface.texts.clear();
  surface.polylines.clear();
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

TEST_F(ScreenTextTest, FontFailureIsReportedOnceAndStopsTexts) {
  surface.fontsFail = true;
  draw("AB", {1000, 1000});
  ShowFontFailure(app);  // as the command that drew does
  EXPECT_TRUE(lav::testing::OneBox(host, "フォントエラー発生", "Error"));
  EXPECT_TRUE(app.screenText.fontError);
  EXPECT_TRUE(surface.texts.empty());

  surface.fontsFail = false;
  const int calls = surface.fontCalls;
  draw("AB", {1000, 1000});
  app.settings.showBaseName = 1;
  TextDevice dev = device();
  DrawPlacementMarkAndLabel(dev, PlacementTransform{}, {.name = "CELL", .array = true});
  ShowFontFailure(app);
  // No font is made any more, no text drawn, no second box; base marks still show.
  EXPECT_EQ(std::tuple(surface.fontCalls, surface.texts.size(), host.boxes.size(),
                       surface.polylines.size()),
            std::tuple(calls, 0ul, 1ul, 3ul));
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
// (here the box of a character from the user-defined area, which no installed font has). Texts
// sit above their baseline, below it when mirrored.
TEST(ScreenTextPixels, JapaneseFaceIsAJapaneseFontAndTextsSitOnTheirBaseline) {
  lav::testing::EnsureQtApplication();
  lav::qt::InstallFaceSubstitutes();
  const QImage box = Picture("\xEE\x80\x80");  // U+E000
  std::vector<QImage> seen;
  for (const char* c : {"日", "本", "あ", "ア", "漢"}) {
    const QImage p = Picture(c);
    EXPECT_NE(p, box) << c;
    EXPECT_LT(lav::testing::CountColour(p, p.rect(), Qt::white), 60 * 60 - 40) << c;
    for (const auto& other : seen) EXPECT_NE(p, other) << c;
    seen.push_back(p);
  }

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
    EXPECT_GT(reflection ? below : above, 100) << reflection;
    EXPECT_EQ(reflection ? above : below, 0) << reflection;
    // Nine bytes of 15 pixels from x = 30: nothing beyond the last character's cell.
    EXPECT_EQ(Ink(s, 30 + 9 * 15 + 4, 0, 400, 200), 0) << reflection;
    EXPECT_GT(Ink(s, 30, 0, 30 + 6 * 15, 200), 100) << reflection;
  }
}

}  // namespace
}  // namespace lav::display::testing
