// Diagonal hatching of closed figures, in window space, with a density tied to the screen.
#include <algorithm>
#include <cmath>
#include <vector>

#include "db/rounding.h"
#include "display/element_draw.h"
#include "display/pens.h"
#include "display/scene_state.h"

namespace lav::display {
namespace {

// A crossing of the hatch line with the outline, in "up" coordinates (U grows upward).
struct Crossing {
  double x = 0, u = 0;
  bool atVertex = false;
};

struct Hatcher {
  DrawContext& ctx;
  std::vector<DPoint> poly;  // the figure in up coordinates
  int s = 1;                 // slope of the hatch lines
  double c = 0;              // intercept of the current line: U = s*X + c

  double side(DPoint p) const { return p.y - s * p.x - c; }

  void collect(std::vector<Crossing>& out) const {
    out.clear();
    const int n = static_cast<int>(poly.size());
    for (int i = 0; i + 1 < n; ++i) {
      const DPoint a = poly[i], b = poly[i + 1];
      const double fa = side(a), fb = side(b);
      if (fa == fb) continue;  // parallel to the hatch line (or a repeated point)
      if ((fa > 0 && fb > 0) || (fa < 0 && fb < 0)) continue;
      if (fa != 0 && fb != 0) {
        const double t = fa / (fa - fb);
        out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), false});
        continue;
      }
      const int vertex = fa == 0 ? i : i + 1;
      const DPoint v = poly[vertex];
      if (!out.empty() && out.back().atVertex && out.back().x == v.x) {
        // The same vertex reached from its other edge: keep it marked only where the outline
        // passes through the hatch line there, not where it only touches it.
        const DPoint before = poly[vertex == 0 ? n - 2 : vertex - 1];
        const DPoint after = poly[vertex + 1 >= n ? 1 : vertex + 1];
        const double f1 = side(before), f2 = side(after);
        if ((f1 > 0 && f2 > 0) || (f1 < 0 && f2 < 0)) out.back().atVertex = false;
        continue;
      }
      out.push_back({v.x, v.y, true});
    }
    if (out.size() >= 2 && out.front().x == out.back().x && out.front().u == out.back().u) {
      out.pop_back();
      out.front().atVertex = true;
    }
    // Exchange sort by X: the lists are short.
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
      for (std::size_t j = i + 1; j < out.size(); ++j)
        if (out[j].x < out[i].x) std::swap(out[i], out[j]);
  }

  bool inside(double x, double u) const {
    const DPoint from{x, u}, to{-4294967295.0, u + 1.11};
    int crossings = 0;
    DPoint at;
    for (std::size_t i = 0; i + 1 < poly.size(); ++i)
      if (SegmentIntersection(from, to, poly[i], poly[i + 1], at) == 1) ++crossings;
    return crossings % 2 == 1;
  }

  // Clips the span to the window enlarged by one pixel; false when nothing is left.
  bool clip(double& x0, double& x1) const {
    const double w = ctx.view.clientWidth, h = ctx.view.clientHeight;
    double lo = std::max(x0, -1.0), hi = std::min(x1, w + 1);
    // Window Y = h - (s*X + c) must lie in -1 .. h + 1, i.e. U in -1 .. h + 1.
    const double xa = (-1 - c) / s, xb = (h + 1 - c) / s;
    lo = std::max(lo, std::min(xa, xb));
    hi = std::min(hi, std::max(xa, xb));
    if (lo > hi) return false;
    x0 = lo;
    x1 = hi;
    return true;
  }

  void span(double xl, double xr) {
    if (!clip(xl, xr)) return;
    const int h = ctx.view.clientHeight;
    const int rx = RoundToInt(xr), lx = RoundToInt(xl);
    int ry = RoundToInt(h - (s * rx + c));
    const int ly = RoundToInt(h - (s * lx + c));
    int sx = rx;
    if (lx < rx - 1) {
      // Step one pixel along the line so that neither end touches the outline.
      sx = rx - 1;
      ry += s;
    }
    ctx.surface.line(sx, ry, lx, ly);
  }

  void line(std::vector<Crossing>& rec, int fillPaint) {
    collect(rec);
    const std::size_t n = rec.size();
    if (n < 2) return;
    int parity = 0;
    if (fillPaint == 1) {
      int distinct = 1;
      for (std::size_t i = 1; i < n; ++i)
        if (rec[i].x != rec[i - 1].x || rec[i].u != rec[i - 1].u) ++distinct;
      parity = distinct % 2;
    }
    std::size_t i = 1;
    while (i < n) {
      const Crossing& a = rec[i - 1];
      const Crossing& b = rec[i];
      if (a.x == b.x && a.u == b.u) {
        ++i;
        continue;
      }
      const bool plain = !a.atVertex && !b.atVertex && parity == 0;
      if (plain) {
        span(a.x, b.x);
        i += 2;
        continue;
      }
      if (inside((a.x + b.x) / 2, (a.u + b.u) / 2)) span(a.x, b.x);
      ++i;
    }
  }
};

// What a hatch of the current extent covers: the extent in "up" window coordinates clipped to
// the window, and the spacing of the lines.
struct HatchReach {
  double x0 = 0, x1 = 0, u0 = 0, u1 = 0, d = 0;
};

// False when no hatch line would be drawn: outside the window, or too small for the spacing.
bool ReachOf(const DrawContext& ctx, int attrLayer, HatchReach& r) {
  const ViewState& v = ctx.view;
  const auto& set = ctx.app.settings;
  const Extent& e = ctx.extent;
  r.x0 = std::max(e.xmin * v.scale - v.offsetX, 0.0);
  r.x1 = std::min(e.xmax * v.scale - v.offsetX, double(v.clientWidth));
  r.u0 = std::max(e.ymin * v.scale - v.offsetY, 0.0);
  r.u1 = std::min(e.ymax * v.scale - v.offsetY, double(v.clientHeight));
  if (r.x1 < r.x0 || r.u1 < r.u0) return false;
  int lines = attrLayer < 64 ? set.layerHatchCount[attrLayer] : 0;
  if (lines <= 0) lines = set.fillLines;
  if (lines <= 0) lines = 100;
  r.d = double(v.screenWidth + v.screenHeight) / lines;
  return !(r.x1 - r.x0 < 0.8 * r.d && r.u1 - r.u0 < 0.8 * r.d);
}

}  // namespace

bool HatchCanShow(const DrawContext& ctx) {
  HatchReach r;
  return ctx.layer < 0 || ctx.layer >= 64 || ReachOf(ctx, ctx.layer, r);
}

void DrawHatch(DrawContext& ctx, const Point* pts, int count) {
  auto& app = ctx.app;
  const auto& set = app.settings;
  const int layer = ctx.layer;
  if (ctx.extentOnly || set.fillPaint == 0 || app.display.treeMode != 0 || app.dispatch.dialogOpen)
    return;
  if (layer < 0 || layer >= kPenCount) return;
  if (layer < 64 && (!LayerVisible(ctx, layer) || (set.layerFillFlags[layer] & 1) == 0)) return;
  const bool entryPen = layer == kHighlightLayer || layer == kEraseLayer;
  if (app.display.onlyLayer >= 0 && app.display.onlyLayer != layer && !entryPen) return;
  if ((app.display.pickMode >= 1 && app.display.pickMode <= 6) || !app.continueFlag) return;
  if (count < 4 || pts[0].x != pts[count - 1].x || pts[0].y != pts[count - 1].y) return;
  if (!ExtentVisible(ctx.view, ctx.extent)) return;

  const ViewState& v = ctx.view;
  // Figures drawn with the entry pens take their hatch direction and spacing from the layer new
  // elements go to; the colour stays the entry pen's.
  int attrLayer = layer;
  if (entryPen && !ctx.highlight) attrLayer = std::clamp(set.layer, 0, 63);

  HatchReach r;
  if (!ReachOf(ctx, attrLayer, r)) return;
  const double x0 = r.x0, x1 = r.x1, u0 = r.u0, u1 = r.u1;
  double d = r.d;
  Hatcher h{ctx, {}, (set.layerFillFlags[attrLayer] & 2) ? -1 : 1, 0};
  h.poly.reserve(count);
  for (int i = 0; i < count; ++i)
    h.poly.push_back({pts[i].x * v.scale - v.offsetX, pts[i].y * v.scale - v.offsetY});
  const double cTop = h.s > 0 ? u1 - x0 : u1 + x1;
  const double cBottom = h.s > 0 ? u0 - x1 : u0 + x0;

  const bool black = app.display.blackBackground;
  if (ctx.highlight)
    ctx.surface.setPen(LayerSolidPen(set, kHighlightLayer, black));
  else if (layer == kEraseLayer)
    ctx.surface.setPen(PenByIndex(kErasePen, black));
  else
    ctx.surface.setPen(LayerSolidPen(set, layer == kHighlightLayer ? layer : attrLayer, black));
  ctx.surface.setRasterMode(RasterMode::Copy);

  d = std::max(1.0, RoundHalfUp(d));
  const long long di = static_cast<long long>(d);
  double c = RoundHalfUp(cTop / d) * d + RoundHalfUp(d / 5 * (attrLayer % 5)) +
             double(v.clientHeight % di);
  std::vector<Crossing> rec;
  rec.reserve(16);
  while (c > cBottom) {
    if (!DrawStep(ctx)) return;
    h.c = c;
    h.line(rec, set.fillPaint);
    c -= d;
  }
}

}  // namespace lav::display
