// The view transform: placement frames, the view's limits, zooms and clipping to the window; and
// the commands of the Graphics Window typed as a user types them: fit, zoom with its refusals,
// the window zoom by two corners, re-centring, the layer commands that redraw at once; the layer
// dialogs with each dialog's clicks, edits and close rules, and the element-type mask of command
// 65 (their widgets are used in windows_test.cpp); and command 123, the window's pixels in a
// .BMP file read back byte by byte, the name rule, and the files it must never touch or leave half
// written. What a redraw shows and reports is checked on the drawing itself (render_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <vector>

#include "command/dispatcher.h"
#include "command/layer_dialogs.h"
#include "command/view_commands.h"
#include "display/bitmap_export.h"
#include "display/redraw.h"
#include "display/view_transform.h"
#include "platform/byte_io.h"
#include "platform/null_surface.h"
#include "qt/qt_surface.h"
#include "support/qt_application.h"
#include "support/short_forms.h"
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

TEST(TransformPoints, FramesTheViewsLimitsZoomsCentringAndClippingToTheWindow) {
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
  // The view's limits, a zoom by a factor and re-centring on a point; the factors as typed, their
  // prompt and box, and the zoom to two corners are checked through ZOOM and WINDOW (below).
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
  // A zoom by 2 halves the window about its centre; zooming out is refused at the range limit.
  v = View(1000, 800);
  EXPECT_EQ(ZoomByFactor(v, 2), ZoomOutcome::Zoomed);
  EXPECT_EQ(std::pair(v.window.xmin, v.window.xmax), std::pair(250, 750));
  v.window = {-2147483600, 0, 2147483600, 500};
  EXPECT_EQ(ZoomByFactor(v, 0.9), ZoomOutcome::TooSmall);
  // Position k of the window and where the point lands.
  const std::tuple<int, double, double> positions[] = {
      {0, 500, 400}, {1, 0, 800}, {2, 500, 800}, {3, 1000, 800}, {4, 1000, 400},
      {5, 1000, 0},  {6, 500, 0}, {7, 0, 0},     {8, 0, 400}};
  for (const auto& [k, wx, wy] : positions) {
    v = View(1000, 800);
    CentreAt(v, 1000, 3, 4, k);
    EXPECT_NEAR(ToWindowX(v, 3000), wx, 1) << k;
    EXPECT_NEAR(ToWindowY(v, 4000), wy, 1) << k;
  }
  v = View(1000, 800);
  const double ox = v.offsetX;
  CentreAt(v, 1000, 3, 4, 9);  // outside 0..8: the offsets stay
  EXPECT_EQ(v.offsetX, ox);
  // Segments clipped to the window, and where two segments meet.
  struct Clip {
    DPoint p, q;
    int drawn;
    SegmentRecorder::Seg expect;
  } clips[] = {
      {{10, 10}, {50, 60}, 1, {10, 10, 50, 60}},      // inside
      {{-500, 40}, {600, 40}, 1, {101, 40, -1, 40}},  // through, crossing right then left
      {{-500, -30}, {600, -30}, 0, {}},               // both above
      {{50, 40}, {50, -300}, 1, {50, 40, 50, -1}},    // one inside: up to the top side
      {{-50, 200}, {300, 200}, 0, {}}                 // below
  };
  for (const auto& c : clips) {
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
  // Crossings, touches and parallels.
  struct Meet {
    DPoint a, b, c, d;
    int result;
    DPoint at;
  } meets[] = {
      {{0, 0}, {10, 10}, {0, 10}, {10, 0}, 1, {5, 5}},
      {{0, 0}, {10, 0}, {5, -5}, {5, 5}, 1, {5, 0}},       // horizontal and vertical
      {{0, 0}, {10, 0}, {0, 1}, {10, 1}, -1, {}},          // parallel
      {{0, 0}, {4, 4}, {0, 10}, {10, 0}, 0, {}},           // lines meet beyond the first segment
      {{0, 0}, {10, 10}, {10, 10}, {20, 0}, 1, {10, 10}},  // at a shared end point
      {{3, 3}, {3, 3}, {0, 0}, {5, 5}, -1, {}}             // degenerate
  };
  for (const auto& c : meets) {
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

TEST_F(ViewCommands, ZoomFactorsPromptsRefusalsCentreFitAndOnlyOneLayerOnceThenAllAgain) {
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
  // CENTER moves the picked point to the position (every position is CentreAt's, above); a
  // typed position is clamped to 8, the left centre, for this use only.
  const struct {
    const char* line;
    double x, y;
  } centres[] = {{"CENTER", 500, 400}, {"CENTER 99", 0, 400}};
  for (const auto& c : centres) {
    type(c.line);
    EXPECT_EQ(prompt(), "Point: ");
    type("3 4");
    EXPECT_NEAR(ToWindowX(view(), 3000), c.x, 1) << c.line;
    EXPECT_NEAR(ToWindowY(view(), 4000), c.y, 1) << c.line;
  }
  EXPECT_EQ(app.settings.position, 0);
  const long errors = app.dispatch.errorsReported;
  const double x = centreX();
  lines.clear();
  typeAll({"CENTER", "x"});  // not a point: an error line, and the view stays
  EXPECT_TRUE(printed("***ERROR***"));
  EXPECT_EQ(std::pair(app.dispatch.errorsReported, centreX()), std::pair(errors + 1, x));
  // FIT shows an empty cell, (0, 0)-(45000, 35000), with 7 %: the width limits.
  typeAll({"NEW RD.CAD", "MKCELL TOP", "OCELL TOP", "FIT"});
  EXPECT_NEAR(view().scale, 1000.0 / 45000 * 0.93, 1e-12);
  EXPECT_NEAR(centreX(), 22500, 1);
  EXPECT_NEAR(centreY(), 17500, 1);
  EXPECT_EQ(prompt(), "? ");
  // ONLY shows one layer once, then all again; DISP and ADDDISP change the displayed set.
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

TEST_F(ViewCommands, WindowZoomAndEveryWayOutRestoreTheStepCoordinateEntryKeepsTheCursor) {
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
  // Left by Escape, an empty answer or one that is not a point (an error line), at either
  // corner: the step and the pointer are given back.
  for (const std::string way : {"Escape", "", "x"})
    for (bool afterFirstCorner : {false, true}) {
      SCOPED_TRACE(way + (afterFirstCorner ? " at Win2" : " at Win1"));
      app.settings.gscale = 1000;
      type("WINDOW");
      ASSERT_TRUE(app.shell.pointer.captured);
      if (afterFirstCorner) type("30 40");
      if (way == "Escape")
        command::AbortCommand(app);
      else
        type(way);
      const auto& p = app.shell.pointer;
      EXPECT_EQ(std::tuple(app.settings.gscale, app.settings.gscaleCopy, p.captured, prompt()),
                std::tuple(1000, 1000, false, "? "));
      EXPECT_NE(p.rectangle, 1);
    }
  // Coordinate entry runs the keyboard cursor until it ends, a window zoom inside it included.
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

class LayerDialogs : public lav::testing::TypingSession {
 protected:
  // Answers the next dialog of kind with script (given the model), then closes it as the user
  // would with "終了".
  template <typename Dialog>
  void onDialog(const char* kind, std::function<void(Dialog&)> script) {
    host.dialogHandlers[kind] = [script](DialogModel& m) {
      auto& d = dynamic_cast<Dialog&>(m);
      script(d);
      d.click(kCloseButton);
      EXPECT_TRUE(d.finished);
    };
  }
  void rectangleOn(int layer, int x) {
    typeAll({"LAYER " + std::to_string(layer), "ETYPE 3",
             "XY " + std::to_string(x) + " 0 " + std::to_string(x + 10) + " 10", "OUTPUT"});
  }
};

// A host that returns without closing the dialog: it is closed with nothing changed, and the
// Graphics and Status Windows are drawn again. The depth field read as a whole number (or left
// as it was) and limited to 0..11 on close.
TEST_F(LayerDialogs, AnUnclosedDialogTheDepthLimitPresentLayersAndTheElementTypeMask) {
  const Settings before = app.settings;
  type("DLGLAYERS");
  EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"layer-sets"});
  EXPECT_GT(host.invalidations[static_cast<int>(Window::Graphics)], 0);
  EXPECT_GT(host.invalidations[static_cast<int>(Window::Status)], 0);
  EXPECT_EQ(std::tuple(app.settings.layerFlags, app.settings.nest, prompt()),
            std::tuple(before.layerFlags, before.nest, "? "));
  const std::pair<const char*, int> cases[] = {
      {"15", 11}, {"-3", 0},  {" 7 ", 7}, {"+4", 4},
      {"", 5},    {"1.5", 5}, {"-", 5},   {"99999999999999999999", 11}};
  for (const auto& [typed, nest] : cases) {
    app.settings.nest = 5;
    onDialog<LayerSetsDialog>("layer-sets", [&](LayerSetsDialog& d) {
      EXPECT_EQ(d.text(506), "5");
      d.setText(506, typed);
    });
    type("DLGLAYERS");
    EXPECT_EQ(app.settings.nest, nest) << '"' << typed << '"';
  }
  // The present layers are those the last drawing of the open cell met, hidden types left out;
  // the element-type mask typed.
  typeAll({"NEW T.CAD", "MKCELL TOP"});
  rectangleOn(3, 0);
  rectangleOn(10, 20);
  type("REDRAW");
  std::string shown;
  onDialog<HatchLayersDialog>("hatch-layers", [&](HatchLayersDialog& d) { shown = d.text(507); });
  type("DLGHATCH");
  EXPECT_EQ(shown, "3 10 ");
  type("OCELL TOP");  // opening a cell starts the list again
  EXPECT_EQ(PresentLayersText(app), "");

  typeAll({"DRAWMASK -256", "OCELL TOP"});
  EXPECT_EQ(app.display.elementTypeMask, 0xFFFF) << "opening a cell shows every type again";
  typeAll({"DRAWMASK -256", "REDRAW"});
  EXPECT_EQ(PresentLayersText(app), "");
  typeAll({"TAKE", "5 0"});
  EXPECT_TRUE(app.temp.empty()) << "areas are not offered to the pick";
  takeBoxes();
  typeAll({"DRAWMASK 256", "REDRAW"});
  EXPECT_EQ(PresentLayersText(app), "3 10 ");
  typeAll({"TAKE", "5 0"});
  EXPECT_FALSE(app.temp.empty());

  // Typed values, no dialog; the dialog's switches are used on its widgets in windows_test.cpp.
  const std::size_t dialogs = host.dialogsRun.size();
  const std::pair<const char*, int> masks[] = {
      {"DRAWMASK -256", 0xFFFF & ~256},
      {"DRAWMASK 256", 0xFFFF},
      {"DRAWMASK -5000", 0xFFFF & ~1023},  // clamped to -1023
      {"DRAWMASK 5000", 0xFFFF},
      {"DRAWMASK x", 0xFFFF}};
  for (const auto& [line, mask] : masks) {
    type(line);
    EXPECT_EQ(app.display.elementTypeMask, mask) << line;
  }
  EXPECT_EQ(host.dialogsRun.size(), dialogs);
}

TEST_F(LayerDialogs, HatchLinesTheDisableBoxLimitedCountsAndMarksAndThePenRule) {
  struct Case {
    int fillPaint;
    const char* lines;
    bool clickBox;
    int wantPaint, wantLines;
  } cases[] = {
      {1, "10", false, 1, 30}, {1, "5000", false, 1, 2000},
      {1, "x", false, 1, 100}, {1, "250", true, 0, 250},
      {2, "", true, 1, 100},   {2, "", false, 2, 100}};  // untouched box: no parity guard stays
  for (const auto& c : cases) {
    app.settings.fillPaint = c.fillPaint;
    app.settings.fillLines = 100;
    onDialog<HatchLayersDialog>("hatch-layers", [&](HatchLayersDialog& d) {
      EXPECT_EQ(d.checked(500), c.fillPaint != 1);
      d.setText(499, c.lines);
      if (c.clickBox) d.click(500);
    });
    type("DLGHATCH");
    EXPECT_EQ(app.settings.fillPaint, c.wantPaint) << c.fillPaint << " " << c.clickBox;
    EXPECT_EQ(app.settings.fillLines, c.wantLines) << c.lines;
  }
  // The hatch counts and mark fields are limited. Typed into the fields of layers 0 to 4, and the
  // count each layer gets.
  const std::pair<const char*, int> counts[] = {
      {"10", 30}, {"abc", 0}, {"50", 50}, {"2500", 2000}, {"0", 0}};
  onDialog<HatchCountsDialog>("hatch-counts", [](HatchCountsDialog&) {});
  type("DLGHLINES");
  EXPECT_EQ(app.screenText.markSize, 0) << "left alone, the mark size follows the screen";
  app.settings.layerHatchCount[12] = 75;
  onDialog<HatchCountsDialog>("hatch-counts", [&](HatchCountsDialog& d) {
    EXPECT_EQ(d.text(212), "75");
    EXPECT_EQ(d.text(213), "") << "0 is shown blank";
    for (int i = 0; i < static_cast<int>(std::size(counts)); ++i)
      d.setText(200 + i, counts[i].first);
    d.setText(212, "");
    d.setText(508, "1");
    d.setText(509, "400");
    d.setText(499, "29");
    d.click(510);
  });
  type("DLGHLINES");
  for (int i = 0; i < static_cast<int>(std::size(counts)); ++i)
    EXPECT_EQ(app.settings.layerHatchCount[i], counts[i].second) << '"' << counts[i].first << '"';
  EXPECT_EQ(app.settings.layerHatchCount[12], 0) << "a blank field restores the default";
  EXPECT_EQ(std::tuple(app.screenText.markSize, app.pick.aperture, app.settings.fillLines,
                       app.display.showSelectArea),
            std::tuple(2, 300, 30, 1));

  onDialog<HatchCountsDialog>("hatch-counts", [&](HatchCountsDialog& d) {
    EXPECT_EQ(d.text(508), "2");
    EXPECT_TRUE(d.checked(510));
    d.setText(508, "60");
    d.setText(509, "zero");
  });
  type("DLGHLINES");
  EXPECT_EQ(app.screenText.markSize, 50);
  EXPECT_EQ(app.pick.aperture, 300) << "unreadable: unchanged";
  // The pen rule: colour only, style only or both; the frames and the grid.
  struct Pick {
    int colour, style, oldPen, control, pen;
  } picks[] = {
      {-1, 2, 5, 205, 5 + 14 * 2},   // style only keeps the colour
      {3, -1, 33, 205, 3 + 14 * 2},  // colour only keeps the style
      {6, 4, 33, 205, 6 + 14 * 4},   // both
      {-1, -1, 33, 205, 33},         // nothing picked: nothing changes
      {0, 0, 35, 266, 0},            // marks
      {12, 1, 4, 269, 12 + 14}       // temporary input layer
  };
  for (const auto& c : picks) {
    const int layer = c.control == 266 ? 66 : c.control == 269 ? 69 : c.control - 200;
    app.settings.layerPen[layer] = static_cast<std::uint8_t>(c.oldPen);
    onDialog<PenDialog>("layer-pens", [&](PenDialog& d) {
      EXPECT_EQ(std::pair(d.pickedColour(), d.pickedStyle()), std::pair(-1, -1))
          << "lists start unpicked";
      d.pickColour(c.colour);
      d.pickStyle(c.style);
      d.click(c.control);
      EXPECT_EQ(d.pen(c.control), c.pen);
    });
    type("DLGPEN");
    EXPECT_EQ(app.settings.layerPen[layer], c.pen) << c.colour << "/" << c.style;
  }
  // The cell frames take one pen for both frame layers; the grid takes the dotted style.
  onDialog<PenDialog>("layer-pens", [&](PenDialog& d) {
    d.pickColour(4);
    d.click(265);
    d.pickColour(1);
    d.pickStyle(0);
    d.click(268);
    d.click(264);  // no sample there
    d.click(267);
  });
  type("DLGPEN");
  const auto& pen = app.settings.layerPen;
  EXPECT_EQ(std::tuple(pen[64], pen[65], pen[68], pen[67]),
            std::tuple(4 + 14 * 2, 4 + 14 * 2, 1, 35));
}

namespace fs = std::filesystem;
using lav::testing::OneBox;

std::vector<std::uint8_t> Slurp(const fs::path& p) {
  const std::string bytes = lav::testing::ReadFile(p);
  return {bytes.begin(), bytes.end()};
}

// The colour stored for window pixel (x, y) of a bottom-up 24-bit file.
Rgb FilePixel(const std::vector<std::uint8_t>& f, int x, int y) {
  const int w = le::getI32(f.data() + 18), h = le::getI32(f.data() + 22);
  const std::size_t at = 54 + std::size_t(h - 1 - y) * BitmapRowSize(w) + std::size_t(x) * 3;
  return MakeRgb(f[at + 2], f[at + 1], f[at]);
}

TEST(BitmapName, TheExtensionBecomesBmp) {
  const std::pair<const char*, const char*> cases[] = {
      {"plan", "plan.BMP"},
      {"plan.v2.bmp", "plan.v2.BMP"},
      {"/tmp/x/CHIP.CAD", "/tmp/x/CHIP.BMP"},
      // A point in a folder's name is not the file's extension.
      {"rev.1/plan", "rev.1/plan.BMP"}};
  for (const auto& [typed, file] : cases) EXPECT_EQ(BitmapFileName(typed), file) << typed;
}

class BitmapExportTest : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    lav::testing::EnsureQtApplication();
    typeAll({"NEW chip", "MKCELL TOP"});
    // A Graphics Window 801 pixels wide: rows of 2403 bytes padded to 2404.
    app.display.view.clientWidth = 801;
    app.display.view.clientHeight = 600;
    app.display.target = &window;
    host.boxes.clear();
  }
  void TearDown() override {
    app.display.target = nullptr;
    TypingSession::TearDown();
  }

  qt::QtSurface window{801, 600};
};

// A drawn design with a mark of its own colour in each corner, so that a row out of place shows.
TEST_F(BitmapExportTest, PixelsBottomUpWithHeadersExistingFilesKeptFailuresLeaveNoFile) {
  typeAll({"LAYER 4", "ETYPE 3", "XY 5 5 30 20", "OUTPUT", "FIT"});
  ASSERT_TRUE(RedrawNow(app));
  ASSERT_GT(lav::testing::CountColour(window.image(), window.image().rect(), Qt::red), 1000);
  window.setPixel(0, 0, MakeRgb(255, 0, 0));
  window.setPixel(800, 0, MakeRgb(0, 255, 0));
  window.setPixel(0, 599, MakeRgb(0, 0, 255));
  window.setPixel(800, 599, MakeRgb(1, 2, 3));
  type("BMP");  // the design's own name
  EXPECT_TRUE(host.boxes.empty());
  const auto f = Slurp(dir / "chip.BMP");
  const std::uint32_t size = 54 + 2404 * 600;
  ASSERT_EQ(f.size(), size);
  EXPECT_EQ(std::string(f.begin(), f.begin() + 2), "BM");
  const std::pair<int, std::uint32_t> fields[] = {{2, size}, {6, 0},    {10, 54},
                                                  {14, 40},  {18, 801}, {22, 600}};
  for (const auto& [offset, value] : fields)
    EXPECT_EQ(le::getU32(f.data() + offset), value) << offset;
  EXPECT_EQ(le::getU16(f.data() + 26), 1);  // one plane of 24 bits
  EXPECT_EQ(le::getU16(f.data() + 28), 24);
  for (int at = 30; at <= 50; at += 4)
    EXPECT_EQ(le::getU32(f.data() + at), 0u) << at;  // no compression, no palette
  // Rows bottom-up, blue-green-red: the marks in the corners show a row or a colour out of place.
  int differing = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 801; ++x) differing += FilePixel(f, x, y) != window.pixel(x, y);
  EXPECT_EQ(differing, 0);
  // The padding byte of every row is zero.
  for (int r = 0; r < 600; ++r) EXPECT_EQ(f[54 + std::size_t(r) * 2404 + 2403], 0) << r;
  // An existing file is never touched, whatever the case of its name (one of the same case is
  // refused in the batch tests); a failed write leaves no file; without a window the client area
  // is written.
  write("keep/PLAN.Bmp", "old picture");
  type("BMP keep/plan.cad");
  EXPECT_TRUE(OneBox(host, "同名のファイル keep/plan.BMP が在ります。", "Error"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "keep"), fs::directory_iterator()), 1);
  EXPECT_EQ(read("keep/PLAN.Bmp"), "old picture");
  host.boxes.clear();
  // A disk full after a part of the file: the part is removed.
  const auto full = ExportBitmap(
      app, "full", [n = 0](int fd, const std::uint8_t* data, std::size_t size) mutable -> long {
        if (n++ == 0) return ::write(fd, data, std::min<std::size_t>(size, 4096));
        errno = ENOSPC;
        return -1;
      });
  EXPECT_EQ(full.result, BitmapResult::CannotCreate);
  EXPECT_FALSE(fs::exists(dir / "full.BMP"));
  // A folder that does not exist, through the command: the box the user sees.
  const auto errors = app.dispatch.errorsReported;
  type("BMP nofolder/plan");
  EXPECT_TRUE(OneBox(host, "ファイルが作成できません。", "エラー", Icon::Information));
  EXPECT_GT(app.dispatch.errorsReported, errors);

  // Without a window the image is the empty client area; without a design there is none.
  app.display.target = nullptr;
  app.display.view.clientWidth = 3;
  app.display.view.clientHeight = 2;
  type("BMP tiny");
  const auto tiny = Slurp(dir / "tiny.BMP");
  ASSERT_EQ(tiny.size(), 54u + 12u * 2u);  // 9 bytes a row, padded to 12
  EXPECT_EQ(FilePixel(tiny, 2, 1), MakeRgb(255, 255, 255));
  type("CLOSE 0");
  host.boxes.clear();
  type("BMP other");
  EXPECT_TRUE(OneBox(host, "ファイルはまだ開かれていません"));
  EXPECT_FALSE(fs::exists(dir / "other.BMP"));
}

}  // namespace
}  // namespace lav::display
