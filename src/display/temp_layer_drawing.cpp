#include "display/temp_layer_drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "db/figure_edits.h"
#include "db/line_outline.h"
#include "display/pens.h"
#include "display/view_transform.h"
#include "shell/app_state.h"

namespace lav::display {
namespace {

constexpr int kCross = 4;  // half the arm of a point mark, pixels
// Window coordinates far outside are pulled in so that the device never sees an overflow.
constexpr double kFar = 1e6;

int toPixel(double v) {
  return static_cast<int>(std::lround(std::clamp(v, -kFar, kFar)));
}

struct Painter {
  const ViewState& view;
  Surface& s;
  int segments = 0;

  IntPoint at(double x, double y) const {
    return {toPixel(ToWindowX(view, x)), toPixel(ToWindowY(view, y))};
  }
  void segment(IntPoint a, IntPoint b) {
    s.line(a.x, a.y, b.x, b.y);
    ++segments;
  }
  void chain(const std::vector<db::Vertex>& v) {
    for (std::size_t i = 1; i < v.size(); ++i)
      segment(at(v[i - 1].x, v[i - 1].y), at(v[i].x, v[i].y));
  }
  void cross(const db::Vertex& p) {
    const IntPoint c = at(p.x, p.y);
    segment({c.x - kCross, c.y}, {c.x + kCross + 1, c.y});
    segment({c.x, c.y - kCross}, {c.x, c.y + kCross + 1});
  }
};

}  // namespace

int DrawTempLayer(const AppState& app, Surface& surface) {
  if (app.temp.empty()) return 0;
  const auto& st = app.settings;
  const auto v = db::TempToDb(app.temp, st.dbPerUserUnit);
  surface.setRasterMode(RasterMode::Copy);
  surface.setPen(LayerPen(st, kHighlightLayer, app.display.blackBackground));
  Painter p{app.display.view, surface};
  switch (st.elementType) {
    case 3:
      if (v.size() >= 2) {
        const auto a = v[0], b = v[1];
        p.chain({{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, {a.x, a.y}});
      } else {
        p.cross(v[0]);
      }
      break;
    case 4:
    case 5:
      if (v.size() == 1) {
        p.cross(v[0]);
        break;
      }
      if (st.elementType == 5 && st.width >= 1 && st.lineMode != 1)
        p.chain(db::BuildPathOutline(v, st.width, st.lineTipType, st.acuteTip));
      if (st.elementType == 4 || st.width < 1 || st.lineMode != 2) p.chain(v);
      break;
    default:
      for (const auto& pt : v) p.cross(pt);
      break;
  }
  return p.segments;
}

}  // namespace lav::display
