// Drawings that must show: layer colours, hatching inside the outline, hidden layers, placements
// with their transforms, arrays, the nesting depth, undefined cells, Escape mid-redraw, the quick
// outline of small figures, and the entry preview over the drawing (diamond marks at the points
// and the element the points will become in the entry pen, red; placed cells highlighted).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "console/command_window.h"
#include "display/screen_text.h"
#include "display/temp_layer_drawing.h"
#include "render_fixture.h"
#include "support/short_forms.h"

namespace lav::display::testing {
namespace {

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
TEST_F(RenderTest, SinglePlacementsAppearWithTheirTransforms) {
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
}

TEST_F(RenderTest, NestedPlacementsComposeAndNestCutsTheDepth) {
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

TEST_F(RenderTest, ArraysShowEveryElementWithOrWithoutTheBitmap) {
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
}

TEST_F(RenderTest, BorderOfAnArrayWithAFrameOverItsInterior) {
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

TEST_F(TempPreview, EachElementTypeShowsAsItWillBeWritten) {
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
}

TEST_F(TempPreview, DiamondMarksAtThePointsNearTheWindow) {
  const int m = MarkSizeOf(app);
  ASSERT_GT(m, 3);
  struct Case {
    int type;
    double x;  // user units; the point is at y = 15, window row 150
    int half;  // expected half-size, 0: nothing drawn
  } cases[] = {
      {4, 20, m},      // the first point of a polygon
      {5, 20, m},      // of a line
      {1, 20, m - 1},  // any point of a placement
      {3, 20, m - 1},  // a rectangle's corner
      {1, -(m - 1) / 10.0, m - 1},
      {1, -(m + 1) / 10.0, 0}  // more than MarkSize outside the window
  };
  for (const auto& c : cases) {
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

}  // namespace
}  // namespace lav::display::testing
