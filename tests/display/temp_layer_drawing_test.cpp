// The entry preview over the drawing, read back from the pixels: diamond marks at the points and
// the element the points will become in the entry pen (red), placed cells highlighted.
#include "display/temp_layer_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "display/screen_text.h"
#include "render_fixture.h"
#include "support/short_forms.h"

namespace lav::display::testing {
namespace {

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
