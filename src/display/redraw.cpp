#include "display/redraw.h"

#include <string>

#include "console/command_steps.h"
#include "console/command_window.h"
#include "console/status_fields.h"
#include "display/cell_walk.h"
#include "display/grid.h"
#include "display/messages.h"
#include "display/paint_marks.h"
#include "display/pens.h"
#include "display/scene_state.h"
#include "display/screen_text.h"
#include "display/temp_layer_drawing.h"
#include "display/view_transform.h"
#include "platform/null_surface.h"
#include "platform/sjis.h"

namespace lav::display {
namespace {

bool Stale(const SceneState& app) {
  const auto& m = app.display.measured;
  const auto& c = app.design.current;
  return m.slot != c.slotOffset || m.dataSize != c.entry.dataSize ||
         m.firstBlock != c.entry.firstBlock;
}

void RememberMeasured(SceneState& app) {
  const auto& c = app.design.current;
  app.display.measured = {c.slotOffset, c.entry.dataSize, c.entry.firstBlock};
  app.display.extentPass = false;
}

// Shows "再描画中" in the prompt line while the walk runs, and what was there after.
class RedrawingPrompt {
 public:
  explicit RedrawingPrompt(SceneState& app) : app_(app) {
    if (app.dispatch.busy || app.window.macroRunning) return;
    active_ = true;
    prompt_ = app.window.prompt;
    input_ = app.window.input;
    line_ = command::LineAt(app.window.transcript, 0);
    app.window.prompt = sjis::fromUtf8(msg::kRedrawing);
    app.window.input.clear();
    command::RepaintInputLine(app);
  }
  ~RedrawingPrompt() {
    if (!active_) return;
    app_.window.prompt = prompt_;
    app_.window.input = input_;
    // Line 0 as it was: it may hold a line not yet in the transcript.
    command::SetLineZero(app_.window.transcript, line_);
    app_.host.invalidate(Window::Command);
  }
  RedrawingPrompt(const RedrawingPrompt&) = delete;
  RedrawingPrompt& operator=(const RedrawingPrompt&) = delete;

 private:
  SceneState& app_;
  bool active_ = false;
  std::string prompt_, input_, line_;
};

}  // namespace

bool RedrawGraphics(SceneState& app, Surface& surface) {
  auto& d = app.display;
  ViewState& v = d.view;
  if (!d.firstPaintDone) {
    // The first paint fits the initial view window into the client area.
    const double w = double(v.window.xmax) - v.window.xmin;
    const double h = double(v.window.ymax) - v.window.ymin;
    if (w > 0 && h > 0) v.scale = std::min(v.clientWidth / w, v.clientHeight / h);
    RecentreOffsets(v);
    ApplyView(v);
    d.firstPaintDone = true;
  }
  const Extent saved = v.window;
  surface.setRasterMode(RasterMode::Copy);
  surface.fillRect(0, 0, surface.width(), surface.height(), BackgroundColour(d.blackBackground));
  surface.setTextColour(PaletteColour(0, d.blackBackground));
  bool completed = true;
  if (app.design.hasCell() && app.continueFlag) {
    RedrawingPrompt prompt(app);
    d.redrawing = true;
    DrawContext ctx(app, surface, v);
    ctx.extentPass = d.extentPass || Stale(app);
    ctx.highlight = d.highlightMode != 0;
    PrintUndefinedPlacements(ctx);
    completed = DrawTopCell(ctx);
    if (completed && ctx.extentPass) RememberMeasured(app);
    if (completed) DrawGrid(app, surface);
    d.redrawing = false;
    if (completed && d.paintMode) ReplayPaint(app, surface);
    completed = completed && app.continueFlag;
  }
  // The figure being entered stays visible over every redraw.
  if (completed && !app.temp.empty() && app.continueFlag) {
    const bool was = d.redrawing;
    d.redrawing = true;  // the preview steps the messages too
    DrawTempLayer(app, surface);
    d.redrawing = was;
    completed = app.continueFlag;
  }
  if (d.overlays) d.overlays(app, surface);
  ShowFontFailure(app);
  v.window = saved;
  d.needsRedraw = false;
  // The view and the layers drawn on may have changed.
  command::InvalidateStatus(app, command::kStatusView | command::kStatusLayerLists);
  if (!completed) {
    app.dispatch.completion = false;
    command::PrintLine(app, sjis::fromUtf8(msg::kAbortion), command::kPrintMessage);
  }
  return completed;
}

void PrintUndefinedPlacements(DrawContext& ctx) {
  ctx.undefinedPlacement = [&app = ctx.app](const std::string& line) {
    command::PrintLine(app, line, command::kPrintTranscript);
  };
}

void InvalidateGraphics(SceneState& app) {
  app.display.needsRedraw = true;
  app.host.invalidate(Window::Graphics);
}

bool RedrawNow(SceneState& app) {
  auto& d = app.display;
  if (d.redrawing) {
    InvalidateGraphics(app);
    return true;
  }
  bool ok;
  if (d.target) {
    ok = RedrawGraphics(app, *d.target);
  } else {
    NullSurface blank(d.view.clientWidth, d.view.clientHeight);
    ok = RedrawGraphics(app, blank);
  }
  d.imageCurrent = d.target != nullptr;
  app.host.invalidate(Window::Graphics);
  return ok;
}

void RefreshExtent(SceneState& app) {
  if (!app.design.hasCell() || (!Stale(app) && !app.display.extentPass)) return;
  NullSurface blank(app.display.view.clientWidth, app.display.view.clientHeight);
  DrawContext ctx(app, blank, app.display.view);
  ctx.extentPass = true;
  ctx.extentOnly = true;
  const bool flag = app.continueFlag;
  app.continueFlag = true;
  if (DrawTopCell(ctx)) RememberMeasured(app);
  app.continueFlag = app.continueFlag && flag;
}

void ResizeView(SceneState& app, int width, int height) {
  ViewState& v = app.display.view;
  if (width <= 0 || height <= 0) return;
  if (height != v.clientHeight) v.offsetY += v.clientHeight - height;
  v.clientWidth = width;
  v.clientHeight = height;
  v.window = WindowFromOffsets(v);
  ApplyView(v);
  InvalidateGraphics(app);
}

}  // namespace lav::display
