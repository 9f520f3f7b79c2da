#include "display/temp_layer_drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "db/figure_edits.h"
#include "db/line_outline.h"
#include "display/cell_walk.h"
#include "display/element_draw.h"
#include "display/pens.h"
#include "display/scene_state.h"
#include "display/screen_text.h"
#include "display/view_transform.h"
#include "platform/sjis.h"

namespace lav::display {
namespace {

std::vector<Point> toPoints(const std::vector<db::Vertex>& v) {
  std::vector<Point> out;
  out.reserve(v.size());
  for (const auto& p : v) out.push_back({p.x, p.y});
  return out;
}

// The outline of a point list on the entry layer; with hatch, the hatch of the closed figure.
void drawFigure(DrawContext& ctx, std::vector<Point> pts, bool hatch) {
  if (pts.size() < 2) return;
  ctx.layer = kHighlightLayer;
  ctx.extent = BoundingBox(pts.data(), static_cast<int>(pts.size()));
  const bool drawn = DrawOutline(ctx, pts.data(), static_cast<int>(pts.size())) == 0;
  if (!hatch || !drawn || pts.size() < 3) return;
  // The polygon is closed on output; its hatch shows the figure it will be.
  if (pts.front().x != pts.back().x || pts.front().y != pts.back().y) pts.push_back(pts.front());
  DrawHatch(ctx, pts.data(), static_cast<int>(pts.size()));
}

// A diamond of half-size h around a point, drawn only when the point lies within MarkSize pixels
// of the window.
void diamond(SceneState& app, Surface& s, const db::Vertex& p, int h) {
  const ViewState& v = app.display.view;
  const double wx = ToWindowX(v, p.x), wy = ToWindowY(v, p.y);
  const int r = MarkSizeOf(app);
  if (!(wx >= -r && wx <= v.clientWidth + r && wy >= -r && wy <= v.clientHeight + r)) return;
  const int x = static_cast<int>(std::lround(wx)), y = static_cast<int>(std::lround(wy));
  const IntPoint d[5] = {{x + h, y}, {x, y + h}, {x - h, y}, {x, y - h}, {x + h, y}};
  s.polyline(d, 5);
}

void drawPlacements(DrawContext& ctx, const std::vector<db::Vertex>& v) {
  const Settings& st = ctx.app.settings;
  if (st.cellName.empty()) return;
  db::Placement p = db::PlacementAt(db::ElementSettingsOf(st), {});
  ctx.highlight = true;
  for (const auto& pt : v) {
    p.x = pt.x;
    p.y = pt.y;
    DrawPlacement(ctx, p, st.elementType == db::ElementType::ACell);
    if (!ctx.app.continueFlag) return;
  }
}

void drawTexts(SceneState& app, Surface& s, const std::vector<db::Vertex>& v) {
  const Settings& st = app.settings;
  TextDevice dev{app, s, app.display.view, 0, false};
  for (const auto& pt : v)
    DrawScreenText(dev, kHighlightLayer, {pt.x, pt.y}, st.angle, st.reflection & 1,
                   st.magnification / 1e6, sjis::cutAt(st.text, db::kTextBytes));
}

}  // namespace

void DrawTempLayer(SceneState& app, Surface& surface) {
  if (app.temp.empty()) return;
  if (app.display.pickMode >= 1 && app.display.pickMode <= 6) return;
  const Settings& st = app.settings;
  const int type = st.elementType;
  const auto v = db::TempToDb(app.temp, st.dbPerUserUnit);
  const bool black = app.display.blackBackground;

  surface.setRasterMode(RasterMode::Copy);
  surface.setPen(LayerPen(st, kHighlightLayer, black));
  const int mark = MarkSizeOf(app);
  for (std::size_t i = 0; i < v.size(); ++i)
    diamond(app, surface, v[i],
            i == 0 && (type == db::ElementType::Polygon || type == db::ElementType::Line)
                ? mark
                : mark - 1);

  DrawContext ctx(app, surface, app.display.view);
  ctx.drawingPreview = true;
  switch (static_cast<db::ElementType>(type)) {
    case db::ElementType::ACell:
    case db::ElementType::SCell:
      drawPlacements(ctx, v);
      break;
    case db::ElementType::Text:
      drawTexts(app, surface, v);
      break;
    case db::ElementType::Rect:
      if (v.size() >= 2) {
        const auto a = v[0], b = v[1];
        drawFigure(ctx, {{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, {a.x, a.y}}, true);
      }
      break;
    case db::ElementType::Polygon:
      drawFigure(ctx, toPoints(v), true);
      break;
    case db::ElementType::Line:
      if (st.width >= 1 && st.lineMode != 1)
        drawFigure(ctx,
                   toPoints(db::BuildPathOutline(v, st.width, st.lineTipType,
                                                 st.acuteTip == 1 ? 1 : 0, 0)),
                   false);
      if (st.width < 1 || st.lineMode != 2) drawFigure(ctx, toPoints(v), false);
      break;
    default:
      break;
  }
}

}  // namespace lav::display
