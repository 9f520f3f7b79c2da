// The view transform: placement frames, the view's limits, zooms and clipping to the window; and
// the view commands typed as a user types them: fit, zoom with its refusals, the window zoom by
// two corners, re-centring, and the layer commands that redraw at once. What a redraw shows
// and reports is checked on the drawing itself (render_test.cpp).
#include "display/view_transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "command/dispatcher.h"
#include "command/view_commands.h"
#include "platform/null_surface.h"
#include "support/typing_session.h"

namespace lav::display {
namespace {

// Keeps the segments drawn on a 100 x 80 window.
struct SegmentRecorder : NullSurface {
  struct Seg {
    int x0, y0, x1, y1;
  };
  std::vector<Seg> segs;
  SegmentRecorder() : NullSurface(100, 80) {}
  void line(int x0, int y0, int x1, int y1) override { segs.push_back({x0, y0, x1, y1}); }
};

ViewState View(int w, int h) {
  ViewState v{.scale = 1, .clientWidth = w, .clientHeight = h, .window = {0, 0, w, h}};
  RecentreOffsets(v);
  return v;
}

TEST(TransformPoints, QuarterTurnsMirrorsMagnificationsAndExtents) {
  struct Case {
    int mirrored;
    std::int32_t angle;
    double mag;
    Point in, out;
    int accAngle, accRefl;
  } cases[] = {
      {0, 0, 1.0, {3, 4}, {103, 204}, 0, 0},
      {0, 90000000, 1.0, {3, 4}, {96, 203}, 90000000, 0},
      {0, 450000000, 1.0, {3, 4}, {96, 203}, 90000000, 0},  // a full turn more is the same
      {0, -90000000, 1.0, {3, 4}, {104, 197}, -90000000, 0},
      {0, 180000000, 2.0, {3, 4}, {94, 192}, 180000000, 0},
      {0, 270000000, 1.0, {3, 4}, {104, 197}, 270000000, 0},
      {1, 0, 1.0, {3, 4}, {103, 196}, 0, 1},  // mirrored about X before rotating
      {1, 90000000, 1.0, {3, 4}, {104, 203}, 90000000, 1},
      {0, 45000000, 1.0, {10, 0}, {107, 207}, 45000000, 0},
      {0, 0, 0.5, {5, -5}, {103, 198}, 0, 0}  // 2.5 -> 3, -2.5 -> -2
  };
  for (const auto& c : cases) {
    PlacementTransform f{.originX = 100,
                         .originY = 200,
                         .mirrored = c.mirrored,
                         .rotation = c.angle,
                         .magnification = c.mag};
    Point p = c.in;
    TransformPoints(f, &p, 1);
    EXPECT_EQ(std::tuple(p.x, p.y, f.accumulatedAngle, f.accumulatedReflection),
              std::tuple(c.out.x, c.out.y, c.accAngle, c.accRefl))
        << c.angle << " m" << c.mirrored;
  }
  // Vectors turn exactly by quarter turns; a box turns with its corners.
  struct Turn {
    std::int32_t x, y, angle, ox, oy;
  } turns[] = {{1000, 0, 90000000, 0, 1000},
               {1000, 0, 180000000, -1000, 0},
               {0, 500, 270000000, 500, 0},
               {1000, 1000, 45000000, 0, 1414}};
  for (const auto& t : turns) {
    std::int32_t x = t.x, y = t.y;
    RotateVector(x, y, t.angle);
    EXPECT_EQ(std::pair(x, y), std::pair(t.ox, t.oy));
  }
  const PlacementTransform turned{.originX = 10, .rotation = 90000000};
  const Extent e = TransformExtent(turned, {0, 0, 30, 10});
  EXPECT_EQ(std::tuple(e.xmin, e.ymin, e.xmax, e.ymax), std::tuple(0, 0, 10, 30));
}

TEST(ApplyView, KeepsTheWindowInsideTheCoordinateRangeAndWidensTinyViews) {
  ViewState v = View(1000, 800);
  v.scale = 1e-7;  // far out: the span is limited by lowering the scale
  RecentreOffsets(v);
  ApplyView(v);
  EXPECT_LE(v.clientWidth / v.scale, 4294967285.0 + 1);
  EXPECT_GE(v.window.xmin, -2147483646);
  EXPECT_LE(v.window.xmax, 2147483645);

  ViewState u = View(1000, 800);
  u.scale = 0.001;
  u.offsetX = 2147483000.0 * 0.001;  // right edge beyond the range
  ApplyView(u);
  EXPECT_EQ(u.window.xmax, 2147483645);
  EXPECT_EQ(u.window.xmax - u.window.xmin, 1000000);

  // Views below twenty units are widened.
  ViewState w = View(1000, 800);
  w.window = {500, 500, 505, 505};
  w.scale = 200;
  RecentreOffsets(w);
  ApplyView(w);
  EXPECT_NEAR(w.scale, 800.0 / 20 * 0.93, 1e-9);
  EXPECT_NEAR((w.window.xmin + w.window.xmax) / 2.0, 503, 1.0);
  EXPECT_GE(w.window.ymax - w.window.ymin, 20);
}

// The factors as typed, their prompt and their box, the refusals that leave the view, and the
// zoom to two corners, are checked through ZOOM and WINDOW (below); here what a zoom does to the
// window.
TEST(ZoomByFactor, TwoHalvesTheWindowAndTheRangeLimitRefuses) {
  ViewState v = View(1000, 800);
  EXPECT_EQ(ZoomByFactor(v, 2), ZoomOutcome::Zoomed);
  EXPECT_EQ(std::pair(v.window.xmin, v.window.xmax), std::pair(250, 750));
  // Zooming out is refused at the range limit.
  v.window = {-2147483600, 0, 2147483600, 500};
  EXPECT_EQ(ZoomByFactor(v, 0.9), ZoomOutcome::TooSmall);
}

TEST(CentreAt, PointLandsAtEachWindowPosition) {
  // Position k and where the point lands in the window.
  const std::tuple<int, double, double> cases[] = {{0, 500, 400},  {1, 0, 800},    {2, 500, 800},
                                                   {3, 1000, 800}, {4, 1000, 400}, {5, 1000, 0},
                                                   {6, 500, 0},    {7, 0, 0},      {8, 0, 400}};
  for (const auto& [k, wx, wy] : cases) {
    ViewState v = View(1000, 800);
    CentreAt(v, 1000, 3, 4, k);
    EXPECT_NEAR(ToWindowX(v, 3000), wx, 1) << k;
    EXPECT_NEAR(ToWindowY(v, 4000), wy, 1) << k;
  }
  ViewState v = View(1000, 800);
  const double ox = v.offsetX;
  CentreAt(v, 1000, 3, 4, 9);  // outside 0..8: the offsets stay
  EXPECT_EQ(v.offsetX, ox);
}

TEST(DrawClippedSegment, SegmentsAgainstTheWindow) {
  struct Case {
    DPoint p, q;
    int drawn;
    SegmentRecorder::Seg expect;
  } cases[] = {
      {{10, 10}, {50, 60}, 1, {10, 10, 50, 60}},      // inside
      {{-500, 40}, {600, 40}, 1, {101, 40, -1, 40}},  // through, crossing right then left
      {{-500, -30}, {600, -30}, 0, {}},               // both above
      {{50, 40}, {50, -300}, 1, {50, 40, 50, -1}},    // one inside: up to the top side
      {{-50, 200}, {300, 200}, 0, {}}                 // below
  };
  for (const auto& c : cases) {
    ViewState v = View(100, 80);
    SegmentRecorder s;
    DrawClippedSegment(v, s, c.p, c.q);
    ASSERT_EQ(static_cast<int>(s.segs.size()), c.drawn) << c.p.x << "," << c.p.y;
    if (c.drawn == 0) continue;
    // Either way round.
    auto ends = [](const SegmentRecorder::Seg& g) {
      return std::minmax({std::pair(g.x0, g.y0), std::pair(g.x1, g.y1)});
    };
    EXPECT_EQ(ends(s.segs[0]), ends(c.expect)) << c.p.x << "," << c.p.y;
  }
}

TEST(SegmentIntersection, CrossingsTouchesAndParallels) {
  struct Case {
    DPoint a, b, c, d;
    int result;
    DPoint at;
  } cases[] = {
      {{0, 0}, {10, 10}, {0, 10}, {10, 0}, 1, {5, 5}},
      {{0, 0}, {10, 0}, {5, -5}, {5, 5}, 1, {5, 0}},       // horizontal and vertical
      {{0, 0}, {10, 0}, {0, 1}, {10, 1}, -1, {}},          // parallel
      {{0, 0}, {4, 4}, {0, 10}, {10, 0}, 0, {}},           // lines meet beyond the first segment
      {{0, 0}, {10, 10}, {10, 10}, {20, 0}, 1, {10, 10}},  // at a shared end point
      {{3, 3}, {3, 3}, {0, 0}, {5, 5}, -1, {}}             // degenerate
  };
  for (const auto& c : cases) {
    DPoint out{};
    EXPECT_EQ(SegmentIntersection(c.a, c.b, c.c, c.d, out), c.result);
    if (c.result == 1) {
      EXPECT_NEAR(out.x, c.at.x, 1e-9);
      EXPECT_NEAR(out.y, c.at.y, 1e-9);
    }
  }
}

class ViewCommands : public lav::testing::TypingSession {
 protected:
  void SetUp() override {
    lav::testing::TypingSession::SetUp();
    app.display.view = {
        .clientWidth = 1000, .clientHeight = 800, .screenWidth = 1600, .screenHeight = 1000};
    app.display.firstPaintDone = true;
  }
  const ViewState& view() const { return app.display.view; }
  double centreX() const { return (view().window.xmin + view().window.xmax) / 2.0; }
  double centreY() const { return (view().window.ymin + view().window.ymax) / 2.0; }
};

TEST_F(ViewCommands, ZoomFactorsPromptsAndRefusals) {
  const double s = view().scale;
  type("ZOOM 2");
  EXPECT_DOUBLE_EQ(view().scale, 2 * s);
  type("ZOOM -2");  // the magnitude counts
  EXPECT_DOUBLE_EQ(view().scale, 4 * s);
  type("ZOOM 0");  // nothing
  EXPECT_DOUBLE_EQ(view().scale, 4 * s);
  type("ZOOM");
  EXPECT_EQ(prompt(), "Zoom Up: ");
  type("1/4");  // answers are expressions
  EXPECT_DOUBLE_EQ(view().scale, s);
  EXPECT_EQ(prompt(), "? ");
  EXPECT_TRUE(takeBoxes().empty());

  type("ZOOM 0.0000001");
  EXPECT_EQ(takeBoxes(),
            std::vector<std::string>{"値が小さすぎます。これ以上の縮小は出来ません。"});
  EXPECT_DOUBLE_EQ(view().scale, s) << "a refused zoom leaves the view";
}

TEST_F(ViewCommands, WindowZoomByTwoCornersRestoresTheSnapStep) {
  // The step corners snap to follows the view: database units across 1000 pixels on a
  // 1600-pixel screen, and the step.
  const std::pair<int, std::int32_t> cases[] = {
      {47000, 3800}, {12000, 960}, {1000, 80}, {10, 1}, {200000, 16000}};
  for (const auto& [width, step] : cases) {
    ViewState v = view();
    v.window = {0, 0, width, 100};
    EXPECT_EQ(WindowZoomStep(v), step) << width;
  }

  app.settings.gscale = 1000;
  type("WINDOW");
  EXPECT_EQ(prompt(), "Win1: ");
  EXPECT_EQ(app.dispatch.pickMode, 10);
  EXPECT_NE(app.settings.gscale, 1000) << "corners snap to a step of the view";
  type("30 40");
  EXPECT_EQ(prompt(), "Win2: ");
  EXPECT_EQ(app.shell.pointer.rectangle, 1);
  type("10 20");
  EXPECT_EQ(prompt(), "? ");
  EXPECT_EQ(app.settings.gscale, 1000);
  EXPECT_NEAR(view().scale, 800.0 / 20000, 1e-12);  // 20 x 20 units, no margin
  EXPECT_NEAR(centreX(), 20000, 1);
  EXPECT_NEAR(centreY(), 30000, 1);

  typeAll({"WINDOW", "5 5"});
  type("5 9");  // no width: the view stays
  EXPECT_NEAR(view().scale, 800.0 / 20000, 1e-12);
  type("WINDOW");
  type("corner");  // not a point
  EXPECT_EQ(prompt(), "? ");
  EXPECT_EQ(app.settings.gscale, 1000);
}

// By Escape or an empty answer, at either corner.
TEST_F(ViewCommands, LeavingTheWindowZoomGivesBackTheStepAndThePointer) {
  for (bool escape : {true, false})
    for (bool afterFirstCorner : {false, true}) {
      SCOPED_TRACE(std::string(escape ? "escape" : "empty") +
                   (afterFirstCorner ? " at Win2" : " at Win1"));
      app.settings.gscale = 1000;
      type("WINDOW");
      ASSERT_TRUE(app.shell.pointer.captured);
      if (afterFirstCorner) type("30 40");
      if (escape)
        command::AbortCommand(app);
      else
        type("");
      const auto& p = app.shell.pointer;
      EXPECT_EQ(std::tuple(app.settings.gscale, app.settings.gscaleCopy, p.captured, prompt()),
                std::tuple(1000, 1000, false, "? "));
      EXPECT_NE(p.rectangle, 1);
    }
}

TEST_F(ViewCommands, CoordinateEntryRunsTheKeyboardCursorUntilItEnds) {
  typeAll({"NEW K.CAD", "MKCELL TOP", "OCELL TOP", "XY"});
  EXPECT_EQ(std::pair(app.shell.pointer.keyboardCursor, app.shell.pointer.captured),
            std::pair(1, true));
  type("1 1");  // still asking for points
  EXPECT_EQ(app.shell.pointer.keyboardCursor, 1);
  type("WINDOW");  // a view command inside the entry, then back to it
  typeAll({"0 0", "10 10"});
  EXPECT_EQ(std::tuple(prompt(), app.shell.pointer.keyboardCursor, app.shell.pointer.captured),
            std::tuple("Te2: ", 1, true));
  command::AbortCommand(app);
  EXPECT_TRUE(app.shell.pointer.keyboardCursor != 1 && !app.shell.pointer.captured);
  type("XY");
  type("");  // an empty answer ends the entry and lets the pointer go
  EXPECT_FALSE(app.shell.pointer.captured);
}

TEST_F(ViewCommands, CentreMovesThePickedPointToThePosition) {
  const struct {
    const char* line;
    double x, y;
  } cases[] = {{"CENTER", 500, 400},
               {"CENTER 1", 0, 800},    // bottom left for this use only
               {"CENTER 99", 0, 400}};  // clamped to 8: left centre
  for (const auto& c : cases) {
    type(c.line);
    EXPECT_EQ(prompt(), "Point: ");
    type("3 4");
    EXPECT_NEAR(ToWindowX(view(), 3000), c.x, 1) << c.line;
    EXPECT_NEAR(ToWindowY(view(), 4000), c.y, 1) << c.line;
  }
  EXPECT_EQ(app.settings.position, 0);
}

TEST_F(ViewCommands, OnlyOneLayerOnceThenAllAgain) {
  app.settings.layerFlags[7] = 0;
  const auto& shown = app.settings.layerFlags;
  type("ONLY 7");
  EXPECT_EQ(shown[7] & 1, 1);
  EXPECT_EQ(app.display.onlyLayer, -1) << "the next drawing shows every displayed layer";
  type("DISP 1 2");
  EXPECT_EQ(std::pair(shown[1] & 1, shown[7] & 1), std::pair(1, 0));
  type("ADDDISP -2 5");
  EXPECT_EQ(std::pair(shown[2] & 1, shown[5] & 1), std::pair(0, 1));
}

TEST_F(ViewCommands, FitShowsAnEmptyCellWithAMargin) {
  typeAll({"NEW RD.CAD", "MKCELL TOP", "OCELL TOP", "FIT"});
  // (0, 0)-(45000, 35000) with 7 %: the width limits, 1000 / 45000 * 0.93.
  EXPECT_NEAR(view().scale, 1000.0 / 45000 * 0.93, 1e-12);
  EXPECT_NEAR(centreX(), 22500, 1);
  EXPECT_NEAR(centreY(), 17500, 1);
  EXPECT_EQ(prompt(), "? ");
}

}  // namespace
}  // namespace lav::display
