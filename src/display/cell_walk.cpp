#include "display/cell_walk.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/element_stream.h"
#include "db/rounding.h"
#include "display/element_draw.h"
#include "display/messages.h"
#include "display/pens.h"
#include "display/scene_state.h"
#include "display/screen_text.h"
#include "platform/sjis.h"

namespace lav::display {
namespace {

struct PlacementRecord {
  bool array = false;
  int reflection = 0;
  std::uint32_t magnification = 1000000;
  std::uint32_t angle = 0;
  std::int32_t columns = 1, rows = 1, columnPitch = 0, rowPitch = 0;
  std::string name;
  std::int32_t x = 0, y = 0;
};

PlacementRecord ReadPlacement(const db::RecordView& r) {
  db::Placement d;
  PlacementRecord p;
  if (!db::DecodePlacement(r.bytes, d)) return p;
  p.array = r.kind() == db::ElementType::ACell;
  p.reflection = d.reflection == 1 ? 1 : 0;
  p.magnification = d.magnification;
  p.angle = d.angle;
  p.columns = d.columns;
  p.rows = d.rows;
  p.columnPitch = d.pitchX;
  p.rowPitch = d.pitchY;
  p.name = std::move(d.cellName);
  p.x = d.x;
  p.y = d.y;
  return p;
}

// The cell a placement names, with its stored extent.
struct PlacedCell {
  std::int32_t slot = 0;
  db::CellEntry entry;
  Extent extent;
};

std::optional<PlacedCell> Lookup(DrawContext& ctx, const std::string& name) {
  auto& design = ctx.app.design;
  auto it = ctx.slotByName.find(name);
  std::int32_t slot = 0;
  if (it != ctx.slotByName.end()) {
    slot = it->second;
  } else {
    const db::FindOutcome found = db::FindCell(design.image, name);
    slot = found.result == db::FindResult::Found ? found.slotOffset : 0;
    ctx.slotByName.emplace(name, slot);
  }
  if (slot == 0) return std::nullopt;
  PlacedCell c;
  c.slot = slot;
  c.entry = slot == design.current.slotOffset && design.hasCell()
                ? design.current.entry
                : db::ReadCellEntry(design.image, slot);
  c.extent = {c.entry.xmin, c.entry.ymin, c.entry.xmax, c.entry.ymax};
  return c;
}

void ReportUndefined(DrawContext& ctx, const char* format, const std::string& name) {
  if (ctx.extentOnly || !ctx.undefinedPlacement) return;
  ctx.undefinedPlacement(db::FormatMessage(format, name));
}

// A closed rectangle with its two diagonals, in frame, on the current layer.
void DrawFrameWithDiagonals(DrawContext& ctx, const PlacementTransform& frame, double x0, double y0,
                            double x1, double y1) {
  Point r[5] = {{RoundToInt(x0), RoundToInt(y0)},
                {RoundToInt(x1), RoundToInt(y0)},
                {RoundToInt(x1), RoundToInt(y1)},
                {RoundToInt(x0), RoundToInt(y1)},
                {RoundToInt(x0), RoundToInt(y0)}};
  PlacementTransform f = frame;
  TransformPoints(f, r, 5);
  ctx.extent = BoundingBox(r, 5);
  DrawOutline(ctx, r, 5);
  Point d1[2] = {r[0], r[2]}, d2[2] = {r[1], r[3]};
  DrawOutline(ctx, d1, 2);
  DrawOutline(ctx, d2, 2);
}

bool InPath(const DrawContext& ctx, std::int32_t slot) {
  return std::find(ctx.path.begin(), ctx.path.end(), slot) != ctx.path.end();
}

// Draws a placed cell in frame below the current depth, keeping the walk's state around it.
void Descend(DrawContext& ctx, const PlacementTransform& frame, const PlacedCell& cell) {
  if (InPath(ctx, cell.slot)) return;  // a cell placed inside itself is not entered again
  const bool wasTop = ctx.topLevel;
  ctx.topLevel = false;
  ctx.path.push_back(cell.slot);
  DrawCell(ctx, frame, cell.entry, cell.slot);
  ctx.path.pop_back();
  ctx.topLevel = wasTop;
}

TextDevice TextDeviceOf(DrawContext& ctx) {
  return TextDevice{ctx.app, ctx.surface, ctx.view, ctx.depth, ctx.highlight};
}

void MarkBeforeDescending(DrawContext& ctx, const PlacementTransform& frame,
                          const PlacementRecord& p, const std::optional<PlacedCell>& cell) {
  const auto& s = ctx.app.settings;
  if (ctx.extentOnly || ctx.app.display.treeMode != 0) return;
  if (ctx.depth >= s.showBase && ctx.depth >= s.showBaseName) return;
  PlacementLabel mark;
  mark.name = p.name;
  mark.x = p.x;
  mark.y = p.y;
  mark.magnification = p.magnification;
  mark.angle = p.angle;
  mark.reflection = p.reflection;
  mark.array = p.array;
  mark.placedExtent = cell ? &cell->extent : nullptr;
  TextDevice dev = TextDeviceOf(ctx);
  DrawPlacementMarkAndLabel(dev, frame, mark);
}

void DrawSingle(DrawContext& ctx, const PlacementTransform& parent, const PlacementRecord& p) {
  auto& app = ctx.app;
  const auto cell = Lookup(ctx, p.name);
  MarkBeforeDescending(ctx, parent, p, cell);
  const PlacementTransform frame =
      ComposeFrame(parent, p.x, p.y, p.reflection, p.angle, p.magnification);
  if (ctx.extentPass && ctx.topLevel && cell)
    Merge(ctx.accumulator, TransformExtent(frame, cell->extent));
  ctx.layer = kSingleFrameLayer;
  ++ctx.depth;
  const bool expand = app.settings.nest >= ctx.depth;
  const bool tree = app.display.treeMode != 0;
  if (expand && ctx.placementVisited)
    ctx.placementVisited(false, p.name, cell.has_value(), ctx.depth);
  if (!cell) {
    if (expand) ReportUndefined(ctx, msg::kUndefinedSingle, p.name);
  } else if (!ctx.extentOnly) {
    if (ctx.depth <= std::max(1, app.settings.showBase)) {
      ctx.layer = kSingleFrameLayer;
      DrawFrameWithDiagonals(ctx, frame, cell->extent.xmin, cell->extent.ymin, cell->extent.xmax,
                             cell->extent.ymax);
    }
    // The tree report lists every placement, in view or not.
    if (expand && app.settings.showScell == 1 &&
        (tree || ExtentVisible(ctx.view, TransformExtent(frame, cell->extent))))
      Descend(ctx, frame, *cell);
  }
  --ctx.depth;
}

// The members of an array sit, within rounding, at origin + c * vc + r * vr (column and row
// steps, perpendicular to each other). Member (c, r) may touch the view when that point lies in
// the view grown by the member's extent about its own origin (e0) and a margin for rounding.
struct ArrayLattice {
  DPoint origin, vc, vr;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // that grown view, relative to origin
};

ArrayLattice LatticeOf(const ViewState& v, const Extent& e0, DPoint origin, DPoint vc, DPoint vr) {
  constexpr double kMargin = 2;
  ArrayLattice l{origin, vc, vr};
  l.x0 = v.window.xmin - double(e0.xmax) - origin.x - kMargin;
  l.x1 = v.window.xmax - double(e0.xmin) - origin.x + kMargin;
  l.y0 = v.window.ymin - double(e0.ymax) - origin.y - kMargin;
  l.y1 = v.window.ymax - double(e0.ymin) - origin.y + kMargin;
  return l;
}

// The rows 0..rows-1 that may meet the view: the grown view projected on the row step. With a
// zero row step every row lies on row 0.
bool VisibleRows(const ArrayLattice& l, std::int64_t rows, std::int64_t& first,
                 std::int64_t& last) {
  const double len2 = l.vr.x * l.vr.x + l.vr.y * l.vr.y;
  if (len2 == 0) {
    first = 0, last = rows - 1;
    return true;
  }
  double lo = 1e300, hi = -1e300;
  for (double x : {l.x0, l.x1})
    for (double y : {l.y0, l.y1}) {
      const double t = (x * l.vr.x + y * l.vr.y) / len2;
      lo = std::min(lo, t), hi = std::max(hi, t);
    }
  lo = std::max(0.0, std::ceil(lo - 1e-9));
  hi = std::min(double(rows - 1), std::floor(hi + 1e-9));
  if (lo > hi) return false;
  first = static_cast<std::int64_t>(lo);
  last = static_cast<std::int64_t>(hi);
  return true;
}

// The columns of row whose members may meet the view.
bool VisibleColumns(const ArrayLattice& l, std::int64_t row, std::int64_t columns,
                    std::int64_t& first, std::int64_t& last) {
  double lo = 0, hi = double(columns - 1);
  const double bx = l.vr.x * double(row), by = l.vr.y * double(row);
  // Each condition a + c * k >= 0 narrows [lo, hi].
  auto narrow = [&](double a, double k) {
    if (k == 0) {
      if (a < 0) hi = -1;
      return;
    }
    const double c = -a / k;
    if (k > 0)
      lo = std::max(lo, std::ceil(c - 1e-9));
    else
      hi = std::min(hi, std::floor(c + 1e-9));
  };
  narrow(bx - l.x0, l.vc.x);
  narrow(l.x1 - bx, -l.vc.x);
  narrow(by - l.y0, l.vc.y);
  narrow(l.y1 - by, -l.vc.y);
  if (lo > hi) return false;
  first = static_cast<std::int64_t>(lo);
  last = static_cast<std::int64_t>(hi);
  return true;
}

// How many members to step so that the visited ones stay at most a pixel apart: members closer
// than a pixel draw the same picture, so a huge array costs what the window shows.
std::int64_t PixelStride(DPoint step, double scale) {
  const double pixels = std::hypot(step.x, step.y) * scale;
  if (pixels >= 1) return 1;
  if (!(pixels > 1e-12)) return std::int64_t(1) << 40;  // all members on one spot
  return static_cast<std::int64_t>(std::min(1 / pixels, 1e12));
}

// The index after i on the way from i to last in steps of k, landing on last itself.
std::int64_t StepTo(std::int64_t i, std::int64_t k, std::int64_t last) {
  return i < last ? std::min(last, i + k) : last + 1;
}

Extent Shifted(const Extent& e, std::int32_t dx, std::int32_t dy) {
  auto add = [](std::int32_t a, std::int32_t b) {
    const std::int64_t s = std::int64_t(a) + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(s, INT32_MIN, INT32_MAX));
  };
  return {add(e.xmin, dx), add(e.ymin, dy), add(e.xmax, dx), add(e.ymax, dy)};
}

// One rendering of the placed cell, copied to every visible element of an array.
struct ArrayBitmap {
  std::unique_ptr<Surface> image;
  double offsetX = 0, offsetY = 0;  // of the bitmap's view
  int width = 0, height = 0;
};

std::optional<ArrayBitmap> RenderArrayBitmap(DrawContext& ctx, const PlacementTransform& frame0,
                                             const Extent& e0, const PlacedCell& cell) {
  const ViewState& v = ctx.view;
  const double w = (double(e0.xmax) - e0.xmin) * v.scale + 2;
  const double h = (double(e0.ymax) - e0.ymin) * v.scale + 2;
  if (!(w < 0.75 * v.clientWidth && h < 0.75 * v.clientHeight)) return std::nullopt;
  ArrayBitmap b;
  b.width = std::max(1, RoundToInt(w));
  b.height = std::max(1, RoundToInt(h));
  b.image = ctx.surface.createCompatible(b.width, b.height);
  if (!b.image) return std::nullopt;
  b.image->fillRect(0, 0, b.width, b.height, BackgroundColour(ctx.app.display.blackBackground));
  ViewState bv = v;
  bv.clientWidth = b.width;
  bv.clientHeight = b.height;
  bv.offsetX = e0.xmin * v.scale - 1;
  bv.offsetY = e0.ymax * v.scale - b.height + 1;
  bv.window = WindowFromOffsets(bv);
  b.offsetX = bv.offsetX;
  b.offsetY = bv.offsetY;
  DrawContext sub(ctx.app, *b.image, bv);
  sub.depth = ctx.depth;
  sub.topLevel = false;
  sub.highlight = ctx.highlight;
  sub.drawingPreview = ctx.drawingPreview;
  sub.slotByName = ctx.slotByName;
  sub.path = ctx.path;
  sub.path.push_back(cell.slot);
  DrawCell(sub, frame0, cell.entry, cell.slot);
  ctx.messageSteps += sub.messageSteps;
  return b;
}

void DrawArray(DrawContext& ctx, const PlacementTransform& parent, const PlacementRecord& p) {
  auto& app = ctx.app;
  const auto& s = app.settings;
  const auto cell = Lookup(ctx, p.name);
  MarkBeforeDescending(ctx, parent, p, cell);
  const PlacementTransform frame =
      ComposeFrame(parent, p.x, p.y, p.reflection, p.angle, p.magnification);
  const double own = p.magnification / 1e6;
  const std::int64_t cols = p.columns, rows = p.rows;
  const bool usable = cell && cols >= 1 && rows >= 1 && own > 0;
  if (usable && ctx.extentPass && ctx.topLevel) {
    const Extent& e = cell->extent;
    const double gx = double(cols - 1) * p.columnPitch / own,
                 gy = double(rows - 1) * p.rowPitch / own;
    const Extent whole{
        RoundToInt(e.xmin + std::min(0.0, gx)), RoundToInt(e.ymin + std::min(0.0, gy)),
        RoundToInt(e.xmax + std::max(0.0, gx)), RoundToInt(e.ymax + std::max(0.0, gy))};
    Merge(ctx.accumulator, TransformExtent(frame, whole));
  }
  ctx.layer = kArrayFrameLayer;
  ++ctx.depth;
  const bool expand = s.nest >= ctx.depth;
  if (expand && ctx.placementVisited)
    ctx.placementVisited(true, p.name, cell.has_value(), ctx.depth);
  if (!cell) {
    if (expand) ReportUndefined(ctx, msg::kUndefinedArray, p.name);
    --ctx.depth;
    return;
  }
  if (!usable || ctx.extentOnly) {
    --ctx.depth;
    return;
  }
  const Extent& e = cell->extent;
  const int showAcell = s.showAcell;
  // Frames stand for what is not drawn: the whole array, or the interior left out.
  if (showAcell == 0 || !expand) {
    const double gx = double(cols - 1) * p.columnPitch / own,
                 gy = double(rows - 1) * p.rowPitch / own;
    ctx.layer = kArrayFrameLayer;
    DrawFrameWithDiagonals(ctx, frame, e.xmin + std::min(0.0, gx), e.ymin + std::min(0.0, gy),
                           e.xmax + std::max(0.0, gx), e.ymax + std::max(0.0, gy));
  } else if (showAcell == 1 && cols >= 3 && rows >= 3) {
    ctx.layer = kArrayFrameLayer;
    DrawFrameWithDiagonals(ctx, frame, e.xmax, e.ymax,
                           (e.xmin * own + double(cols - 1) * p.columnPitch) / own,
                           (e.ymin * own + double(rows - 1) * p.rowPitch) / own);
  }
  if (!expand || showAcell == 0) {
    --ctx.depth;
    return;
  }

  const double m = parent.magnification;
  const int sign = frame.mirrored ? -1 : 1;
  PlacementTransform frame0 = frame;
  frame0.originX = 0;
  frame0.originY = 0;
  const Extent e0 = TransformExtent(frame0, e);
  // Pitch steps in design units of the window, for finding the members that can be seen.
  const double turn = frame.rotation * std::numbers::pi / 180 / 1e6;
  const double cs = std::cos(turn), sn = std::sin(turn);
  const double pc = double(p.columnPitch) * m, pr = double(p.rowPitch) * m * sign;
  const DPoint vc{pc * cs, pc * sn}, vr{-pr * sn, pr * cs};
  const ArrayLattice lattice =
      LatticeOf(ctx.view, e0, DPoint{double(frame.originX), double(frame.originY)}, vc, vr);
  const bool tree = app.display.treeMode != 0;
  std::int64_t r0 = 0, r1 = 0;
  if (tree) {
    r1 = 0;  // the tree report looks at the first member only
  } else if (!VisibleRows(lattice, rows, r0, r1)) {
    --ctx.depth;
    return;
  }
  const std::int64_t rowStride = tree ? 1 : PixelStride(vr, ctx.view.scale);
  const std::int64_t columnStride = tree ? 1 : PixelStride(vc, ctx.view.scale);

  std::optional<ArrayBitmap> bitmap;
  bool bitmapTried = false;
  const BlitOp op = app.display.blackBackground ? BlitOp::Or : BlitOp::And;
  // One member: false when the walk must stop.
  auto visit = [&](std::int64_t r, std::int64_t c) {
    if (!DrawStep(ctx)) return false;
    std::int32_t ox = RoundToInt(double(p.columnPitch) * double(c) * m);
    std::int32_t oy = RoundToInt(double(p.rowPitch) * double(r) * m * sign);
    RotateVector(ox, oy, frame.rotation);
    PlacementTransform at = frame;
    at.originX = RoundToInt(double(frame.originX) + ox);
    at.originY = RoundToInt(double(frame.originY) + oy);
    const Extent ext = Shifted(e0, at.originX, at.originY);
    if (!tree && !ExtentVisible(ctx.view, ext)) return true;
    if (ctx.depth <= s.showBaseName) {
      TextDevice dev = TextDeviceOf(ctx);
      DrawArrayElementLabel(dev, ToWindowX(ctx.view, at.originX), ToWindowY(ctx.view, at.originY),
                            frame.rotation, frame.mirrored, frame.magnification, p.name,
                            &cell->extent);
    }
    if (!bitmapTried) {
      bitmapTried = true;
      if (s.arrayMap == 1 && app.display.pickMode != 1 && !tree && !InPath(ctx, cell->slot) &&
          cols * rows > 1)
        bitmap = RenderArrayBitmap(ctx, frame0, e0, *cell);
    }
    if (bitmap) {
      const ViewState& v = ctx.view;
      const int dx = RoundToInt(at.originX * v.scale + bitmap->offsetX - v.offsetX);
      const int dy = RoundToInt(v.clientHeight - at.originY * v.scale - bitmap->height -
                                bitmap->offsetY + v.offsetY);
      ctx.surface.blit(dx, dy, bitmap->width, bitmap->height, *bitmap->image, 0, 0, op);
    } else {
      Descend(ctx, at, *cell);
    }
    return app.continueFlag;
  };
  for (std::int64_t r = r0; r <= r1 && app.continueFlag; r = StepTo(r, rowStride, r1)) {
    std::int64_t c0 = 0, c1 = tree ? 0 : cols - 1;
    if (!tree && !VisibleColumns(lattice, r, cols, c0, c1)) continue;
    if (showAcell != 2 && r != 0 && r != rows - 1) {
      // Inside the border only the first and the last column are drawn.
      if (c0 == 0 && !visit(r, 0)) break;
      if (cols > 1 && c1 == cols - 1 && !visit(r, cols - 1)) break;
      continue;
    }
    for (std::int64_t c = c0; c <= c1; c = StepTo(c, columnStride, c1))
      if (!visit(r, c)) break;
  }
  --ctx.depth;
}

void DrawText(DrawContext& ctx, const PlacementTransform& frame, const ScreenText& t) {
  auto& app = ctx.app;
  if ((app.display.elementTypeMask & (1 << 7)) == 0) return;
  if (ctx.extentPass && ctx.topLevel)
    Merge(ctx.accumulator, TransformExtent(frame, ScreenTextExtent(app, t)));
  if (ctx.extentOnly) {
    if (t.layer >= 0 && t.layer < 64) app.design.presentLayers[t.layer] = 1;
    return;
  }
  TextDevice dev = TextDeviceOf(ctx);
  DrawTextElement(dev, frame, t);
}

}  // namespace

Extent BoundingBox(const Point* points, int count) {
  if (count <= 0) return {};
  Extent e{points[0].x, points[0].y, points[0].x, points[0].y};
  for (int i = 1; i < count; ++i) {
    e.xmin = std::min(e.xmin, points[i].x);
    e.ymin = std::min(e.ymin, points[i].y);
    e.xmax = std::max(e.xmax, points[i].x);
    e.ymax = std::max(e.ymax, points[i].y);
  }
  return e;
}

bool DrawStep(DrawContext& ctx) {
  auto& app = ctx.app;
  if (!app.continueFlag) return false;
  ++ctx.messageSteps;
  app.host.messageStep(app.continueFlag);
  return app.continueFlag;
}

PlacementTransform ComposeFrame(const PlacementTransform& parent, std::int32_t x, std::int32_t y,
                                int reflection, std::uint32_t angle, std::uint32_t magnification) {
  Point o{x, y};
  PlacementTransform p = parent;
  TransformPoints(p, &o, 1);
  PlacementTransform f;
  f.originX = o.x;
  f.originY = o.y;
  const std::int64_t a = std::int64_t(angle) % db::kFullTurn;
  const std::int64_t total = std::int64_t(parent.rotation) + (parent.mirrored ? -a : a);
  f.rotation = static_cast<std::int32_t>(((total % db::kFullTurn) + db::kFullTurn) % db::kFullTurn);
  f.mirrored = parent.mirrored ^ (reflection == 1 ? 1 : 0);
  f.magnification = magnification / 1e6 * parent.magnification;
  f.accumulatedAngle = f.rotation;
  f.accumulatedReflection = f.mirrored;
  return f;
}

void DrawCell(DrawContext& ctx, const PlacementTransform& frame, const db::CellEntry& entry,
              std::int32_t slotOffset) {
  (void)slotOffset;
  auto& app = ctx.app;
  const int mask = app.display.elementTypeMask;
  db::ElementReader reader(app.design.image, entry);
  db::RecordView r;
  while (reader.next(r)) {
    if (!DrawStep(ctx)) return;
    if (r.deleted()) continue;
    switch (r.kind()) {
      case db::ElementType::ACell:
        if (mask & (1 << 5)) DrawArray(ctx, frame, ReadPlacement(r));
        break;
      case db::ElementType::SCell:
        if (mask & (1 << 6)) DrawSingle(ctx, frame, ReadPlacement(r));
        break;
      case db::ElementType::Text: {
        db::TextRecord& d = ctx.text;
        if (!db::DecodeText(r.bytes, d)) break;
        ScreenText t;
        t.layer = d.layer;
        t.reflection = d.reflection == 1 ? 1 : 0;
        t.magnification = d.magnification;
        t.angle = d.angle;
        t.text = sjis::cutAt(d.text, db::kTextBytes);
        t.x = d.x;
        t.y = d.y;
        DrawText(ctx, frame, t);
        break;
      }
      case db::ElementType::Rect:
      case db::ElementType::Polygon: {
        auto& pts = ctx.area.vertices;
        if (!db::DecodeArea(r.bytes, ctx.area) || pts.empty()) break;
        DrawArea(ctx, frame, ctx.area.layer, pts.data(), static_cast<int>(pts.size()));
        break;
      }
      case db::ElementType::Line: {
        db::LineRecord& d = ctx.line;
        if (!db::DecodeLine(r.bytes, d) || d.vertices.empty()) break;
        DrawLineElement(ctx, frame, d.layer, d.tip, d.width, d.vertices.data(),
                        static_cast<int>(d.vertices.size()));
        break;
      }
    }
    if (!app.continueFlag) return;
  }
}

void DrawPlacement(DrawContext& ctx, const db::Placement& p, bool array) {
  const auto& design = ctx.app.design;
  if (!design.hasCell()) return;
  PlacementRecord r;
  r.array = array;
  r.reflection = p.reflection == 1 ? 1 : 0;
  r.magnification = p.magnification;
  r.angle = p.angle;
  if (array) {
    r.columns = p.columns;
    r.rows = p.rows;
    r.columnPitch = p.pitchX;
    r.rowPitch = p.pitchY;
  }
  r.name = p.cellName;
  r.x = p.x;
  r.y = p.y;
  ctx.depth = 0;
  ctx.topLevel = true;
  // The open cell is not entered again inside itself.
  ctx.path.assign(1, design.current.slotOffset);
  if (array)
    DrawArray(ctx, TopFrame(), r);
  else
    DrawSingle(ctx, TopFrame(), r);
  ctx.depth = 0;
}

bool DrawTopCell(DrawContext& ctx) {
  auto& app = ctx.app;
  auto& design = app.design;
  if (!design.hasCell() || !app.continueFlag) return app.continueFlag;
  if (app.display.pickMode >= 3 && app.display.pickMode <= 6) return true;
  if (ctx.extentPass) ctx.accumulator = kEmptyAccumulator;
  ctx.depth = 0;
  ctx.topLevel = true;
  ctx.path.assign(1, design.current.slotOffset);
  const db::CellEntry entry = design.current.entry;
  DrawCell(ctx, TopFrame(), entry, design.current.slotOffset);
  ctx.depth = 0;
  if (!app.continueFlag) return false;
  if (ctx.extentPass && app.display.treeMode == 0) {
    const Extent& a = ctx.accumulator;
    // A cell whose records are all deleted has nothing to measure: it keeps the empty extent.
    if (design.current.entry.dataSize != 0 && a.xmin <= a.xmax && a.ymin <= a.ymax)
      db::SetExtent(design, {a.xmin, a.ymin, a.xmax, a.ymax});
    else
      db::SetExtent(design, db::kDefaultExtent);
  }
  return true;
}

}  // namespace lav::display
