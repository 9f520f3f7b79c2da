#include "display/grid.h"

#include "db/rounding.h"
#include "display/pens.h"
#include "display/scene_state.h"
#include "display/view_transform.h"

namespace lav::display {
namespace {

bool SameWindow(const Extent& a, const Extent& b) {
  return a.xmin == b.xmin && a.ymin == b.ymin && a.xmax == b.xmax && a.ymax == b.ymax;
}

// Dots at the multiples of step (user units) inside the view, in colour; false when stopped.
bool Dots(SceneState& app, Surface& s, double step, Rgb colour) {
  const ViewState& v = app.display.view;
  const double u = app.settings.dbPerUserUnit;
  const double left = v.window.xmin / u, right = v.window.xmax / u;
  const double bottom = v.window.ymin / u, top = v.window.ymax / u;
  s.setRasterMode(RasterMode::Copy);
  const double x0 = RoundHalfUp(left / step) * step;
  const double y0 = RoundHalfUp(top / step) * step;
  // Whole multiples counted from the first, so that no error accumulates along a row.
  for (long j = 0;; ++j) {
    const double y = y0 - j * step;
    if (y < bottom) break;
    app.host.messageStep(app.continueFlag);
    if (!app.continueFlag) return false;
    const int wy = RoundToInt(ToWindowY(v, y * u));
    for (long i = 0;; ++i) {
      const double x = x0 + i * step;
      if (x > right) break;
      s.setPixel(RoundToInt(ToWindowX(v, x * u)), wy, colour);
    }
  }
  return true;
}

}  // namespace

double GridStep(const SceneState& app) {
  const auto& s = app.settings;
  if (s.dbPerUserUnit <= 0) return 0;
  return double(s.gscale) / s.dbPerUserUnit * s.grid;
}

void DrawGrid(SceneState& app, Surface& surface) {
  auto& d = app.display;
  if (app.dispatch.dialogOpen || d.pickMode != 0) return;
  const bool black = d.blackBackground;
  const double step = GridStep(app);
  const bool on = app.settings.gridOn != 0 && step > 0;
  if (d.grid.drawn && SameWindow(d.grid.window, d.view.window) && (!on || d.grid.step != step)) {
    Dots(app, surface, d.grid.step, BackgroundColour(black));
    d.grid.drawn = false;
  }
  if (!on) return;
  const double pixels = RoundHalfUp(app.settings.dbPerUserUnit * step * d.view.scale);
  if (pixels < d.view.screenWidth / 80.0) {
    d.grid.drawn = false;
    return;
  }
  const Rgb colour = LayerPen(app.settings, kGridLayer, black).colour;
  if (Dots(app, surface, step, colour)) {
    d.grid.drawn = true;
    d.grid.window = d.view.window;
    d.grid.step = step;
  }
}

}  // namespace lav::display
