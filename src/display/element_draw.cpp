#include "display/element_draw.h"

#include <vector>

#include "db/line_outline.h"
#include "db/rounding.h"
#include "display/pens.h"
#include "display/scene_state.h"

namespace lav::display {

bool LayerVisible(const DrawContext& ctx, int layer) {
  if (layer < 0 || layer >= kPenCount) return false;
  return (ctx.app.settings.layerFlags[layer] & 1) != 0;
}

namespace {

// The entry pens draw the figure being entered, which is no layer's yet.
bool OnlyLayerExcludes(const DrawContext& ctx, int layer) {
  const int only = ctx.app.display.onlyLayer;
  return only >= 0 && only != layer && layer != kHighlightLayer && layer != kEraseLayer;
}

bool Picking(const DrawContext& ctx) {
  const int p = ctx.app.display.pickMode;
  return p >= 1 && p <= 6;
}

DPoint WindowPoint(const ViewState& v, double x, double y) {
  return {ToWindowX(v, x), ToWindowY(v, y)};
}

void Segment(DrawContext& ctx, double x0, double y0, double x1, double y1) {
  DrawClippedSegment(ctx.view, ctx.surface, WindowPoint(ctx.view, x0, y0),
                     WindowPoint(ctx.view, x1, y1));
}

// The extent's size in pixels, as the outline pass measures it (the differences of whole
// coordinates are whole already: nothing to round).
void PixelSize(const DrawContext& ctx, double& pw, double& ph) {
  const Extent& e = ctx.extent;
  pw = (double(e.xmax) - e.xmin) * ctx.view.scale;
  ph = (double(e.ymax) - e.ymin) * ctx.view.scale;
}

// Figures this small are outlined from their extent alone, never from their points.
bool OutlinedFromExtent(const DrawContext& ctx, int count) {
  if (ctx.layer >= 64 || count < 3) return false;
  double pw, ph;
  PixelSize(ctx, pw, ph);
  return pw <= 4 && ph <= 4;
}

void MarkLayerPresent(DrawContext& ctx, int layer) {
  if (layer >= 0 && layer < 64) ctx.app.design.presentLayers[layer] = 1;
}

void Accumulate(DrawContext& ctx) {
  if (ctx.extentPass && ctx.topLevel) Merge(ctx.accumulator, ctx.extent);
}

}  // namespace

int DrawOutline(DrawContext& ctx, const Point* pts, int count) {
  auto& app = ctx.app;
  const int layer = ctx.layer;
  if (ctx.extentOnly || count < 2 || app.display.treeMode != 0 || Picking(ctx) || !app.continueFlag)
    return 1;
  if (layer < 66 && !LayerVisible(ctx, layer)) return 1;
  if (OnlyLayerExcludes(ctx, layer)) return 1;
  if (!ExtentVisible(ctx.view, ctx.extent)) return 1;
  const bool black = app.display.blackBackground;
  if (ctx.pensOnBlack != int(black)) {
    for (int i = 0; i < kPenCount; ++i) ctx.pens[i] = PenByIndex(i, black);
    ctx.pensOnBlack = black;
  }
  const int index = LayerPenIndex(app.settings, ctx.highlight ? kHighlightLayer : layer);
  const Pen pen = index >= 0 && index < kPenCount ? ctx.pens[index] : PenByIndex(index, black);
  ctx.surface.setPen(pen);
  ctx.surface.setRasterMode(RasterMode::Copy);
  const Extent& e = ctx.extent;
  if (layer < 64 && count >= 3) {
    double pw, ph;
    PixelSize(ctx, pw, ph);
    // Drawn from the extent alone; its corners are brought into the window once.
    const ViewState& v = ctx.view;
    const DPoint lo{ToWindowX(v, e.xmin), ToWindowY(v, e.ymin)};
    if (pw <= 1 && ph <= 1) {
      // Smaller than a pixel: one pixel (a line from a point to itself would leave it out).
      ctx.surface.setPixel(Pixel(lo.x), Pixel(lo.y), pen.colour);
      return 1;
    }
    if (pw <= 1) {
      DrawClippedSegment(v, ctx.surface, lo, {lo.x, ToWindowY(v, e.ymax)});
      return 1;
    }
    const double right = ToWindowX(v, e.xmax);
    if (ph <= 1) {
      DrawClippedSegment(v, ctx.surface, lo, {right, lo.y});
      return 1;
    }
    if (pw <= 4 && ph <= 4) {
      DrawClippedRectangle(v, ctx.surface, lo, {right, ToWindowY(v, e.ymax)});
      return 0;
    }
  }
  for (int i = 0; i + 1 < count; ++i) {
    if (i > 0 && !DrawStep(ctx)) break;
    Segment(ctx, pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y);
  }
  return 0;
}

void DrawArea(DrawContext& ctx, const PlacementTransform& frame, int layer, Point* pts, int count) {
  if ((ctx.app.display.elementTypeMask & (1 << 8)) == 0) return;
  ctx.layer = layer;
  ctx.extent = TransformExtent(frame, BoundingBox(pts, count));
  Accumulate(ctx);
  MarkLayerPresent(ctx, layer);
  if (ctx.extentOnly || !ExtentVisible(ctx.view, ctx.extent)) return;
  PlacementTransform f = frame;
  if (OutlinedFromExtent(ctx, count)) {
    // The points are needed only for a hatch.
    if (DrawOutline(ctx, pts, count) != 0 || !HatchCanShow(ctx)) return;
    TransformPoints(f, pts, count);
    DrawHatch(ctx, pts, count);
    return;
  }
  TransformPoints(f, pts, count);
  if (DrawOutline(ctx, pts, count) == 0) DrawHatch(ctx, pts, count);
}

void DrawLineElement(DrawContext& ctx, const PlacementTransform& frame, int layer, int tip,
                     std::int32_t width, Point* pts, int count) {
  if ((ctx.app.display.elementTypeMask & (1 << 9)) == 0) return;
  ctx.layer = layer;
  MarkLayerPresent(ctx, layer);
  if (width < 1) {
    ctx.extent = TransformExtent(frame, BoundingBox(pts, count));
    Accumulate(ctx);
    if (ctx.extentOnly || !ExtentVisible(ctx.view, ctx.extent)) return;
    PlacementTransform f = frame;
    TransformPoints(f, pts, count);
    DrawOutline(ctx, pts, count);
    return;
  }
  // Points are the records' own vertices: the outline is built from them as they stand.
  std::vector<Point>& outline = ctx.outline;
  db::BuildPathOutline({pts, static_cast<std::size_t>(count)}, width, tip,
                       ctx.app.settings.acuteTip == 1 ? 1 : 0, 0, outline);
  ctx.extent = TransformExtent(frame, BoundingBox(outline.data(), int(outline.size())));
  Accumulate(ctx);
  if (ctx.extentOnly || !ExtentVisible(ctx.view, ctx.extent)) return;
  const Extent outlineExtent = ctx.extent;
  const int mode = ctx.app.settings.lineMode;
  if (mode != 2) {
    PlacementTransform f = frame;
    TransformPoints(f, pts, count);
    DrawOutline(ctx, pts, count);
  }
  if (mode != 1) {
    PlacementTransform f = frame;
    TransformPoints(f, outline.data(), int(outline.size()));
    ctx.extent = outlineExtent;
    DrawOutline(ctx, outline.data(), int(outline.size()));
    if (RoundHalfUp(width * frame.magnification * ctx.view.scale) > 2)
      DrawHatch(ctx, outline.data(), int(outline.size()));
  }
}

}  // namespace lav::display
