// The temporary figure over the drawing: which segments, where, in which pen.
#include "display/temp_layer_drawing.h"

#include <gtest/gtest.h>

#include <vector>

#include "display/redraw.h"
#include "platform/null_surface.h"
#include "platform/scripted_host.h"
#include "shell/app_state.h"

namespace lav::display {
namespace {

// A surface that only records the lines drawn on it, with their pen colour.
class LineRecorder : public NullSurface {
 public:
  struct Line {
    int x0, y0, x1, y1;
    Rgb colour;
  };
  std::vector<Line> lines;
  Pen pen;

  LineRecorder() : NullSurface(940, 740) {}
  void setPen(const Pen& p) override { pen = p; }
  void line(int x0, int y0, int x1, int y1) override {
    lines.push_back({x0, y0, x1, y1, pen.colour});
  }
};

class TempDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    app.display.view.scale = 0.01;  // 100 units a pixel
    app.display.view.offsetX = 0;
    app.display.view.offsetY = 0;
    app.display.view.clientHeight = 740;
  }
  ScriptedHost host;
  AppState app{host};
  LineRecorder s;
};

TEST_F(TempDrawing, EachElementTypeShowsAsItWillBeWritten) {
  struct Case {
    const char* name;
    int type, width, lineMode;
    std::vector<db::UserPoint> points;
    std::size_t segments;
  } cases[] = {
      {"empty layer", 4, 0, 0, {}, 0},
      {"rectangle from two corners", 3, 0, 0, {{1, 1}, {3, 2}}, 4},
      {"first corner only", 3, 0, 0, {{1, 1}}, 2},
      {"polygon chain", 4, 0, 0, {{0, 0}, {5, 0}, {5, 5}}, 2},
      {"hairline", 5, 0, 2, {{0, 0}, {5, 0}}, 1},
      {"wide line, both", 5, 1000, 0, {{0, 0}, {5, 0}}, 1 + 4},
      {"wide line, centre only", 5, 1000, 1, {{0, 0}, {5, 0}}, 1},
      {"wide line, outline only", 5, 1000, 2, {{0, 0}, {5, 0}}, 4},
      {"placements as crosses", 1, 0, 0, {{0, 0}, {5, 5}}, 4},
  };
  for (const auto& c : cases) {
    s.lines.clear();
    app.settings.elementType = c.type;
    app.settings.width = c.width;
    app.settings.lineMode = c.lineMode;
    app.temp.assign(c.points);
    EXPECT_EQ(static_cast<std::size_t>(DrawTempLayer(app, s)), c.segments) << c.name;
    EXPECT_EQ(s.lines.size(), c.segments) << c.name;
    for (const auto& l : s.lines) EXPECT_EQ(l.colour, MakeRgb(255, 0, 0)) << c.name;
  }
}

TEST_F(TempDrawing, EveryRedrawShowsTheFigureBeingEntered) {
  app.display.firstPaintDone = true;
  app.settings.elementType = 3;
  app.temp.assign(std::vector<db::UserPoint>{{1, 1}, {3, 2}});
  EXPECT_TRUE(RedrawGraphics(app, s));
  std::size_t red = 0;
  for (const auto& l : s.lines) red += l.colour == MakeRgb(255, 0, 0);
  EXPECT_EQ(red, 4u) << "the rectangle being entered must show after a redraw";
  s.lines.clear();
  app.temp.assign(std::vector<db::UserPoint>{});
  EXPECT_TRUE(RedrawGraphics(app, s));
  EXPECT_TRUE(s.lines.empty());
}

TEST_F(TempDrawing, PointsLandWhereTheViewPutsThem) {
  app.settings.elementType = 4;
  app.temp.assign(std::vector<db::UserPoint>{{1, 1}, {3, 1}});
  DrawTempLayer(app, s);
  ASSERT_EQ(s.lines.size(), 1u);
  EXPECT_EQ(s.lines[0].x0, 10);
  EXPECT_EQ(s.lines[0].x1, 30);
  EXPECT_EQ(s.lines[0].y0, 730);  // the window's y grows downward
  // Far outside the view nothing overflows.
  app.temp.assign(std::vector<db::UserPoint>{{-2e6, 0}, {2e6, 0}});
  s.lines.clear();
  DrawTempLayer(app, s);
  ASSERT_EQ(s.lines.size(), 1u);
  EXPECT_LT(s.lines[0].x0, 0);
  EXPECT_GT(s.lines[0].x1, 940);
}

}  // namespace
}  // namespace lav::display
