#include <gtest/gtest.h>

#include <random>

#include "qt/qt_surface.h"
#include "support/qt_application.h"

namespace lav::qt {
namespace {

// The window's quick outline of a small rectangle sets the pixels the four lines set: points,
// slivers, either corner first, and rectangles reaching over any edge of the image.
TEST(RectangleOutline, TheQuickBorderIsTheFourLinesPixelForPixel) {
  lav::testing::EnsureQtApplication();
  QtSurface quick(40, 30), lines(40, 30);
  for (QtSurface* s : {&quick, &lines}) s->fillRect(0, 0, 40, 30, MakeRgb(255, 255, 255));
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
    for (QtSurface* s : {&quick, &lines}) {
      s->setPen(pen);
      s->setRasterMode(mode);
    }
    quick.rectangleOutline(x0, y0, x1, y1);
    lines.Surface::rectangleOutline(x0, y0, x1, y1);
    ASSERT_EQ(quick.image(), lines.image())
        << i << ": " << x0 << "," << y0 << " " << x1 << "," << y1;
  }
}

}  // namespace
}  // namespace lav::qt
