#include "display/print_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "console/command_steps.h"
#include "console/command_window.h"
#include "db/rounding.h"
#include "display/cell_walk.h"
#include "display/grid.h"
#include "display/messages.h"
#include "display/pens.h"
#include "display/print_dialog.h"
#include "display/print_messages.h"
#include "display/redraw.h"
#include "display/scene_state.h"
#include "display/screen_text.h"
#include "display/temp_layer_drawing.h"
#include "display/view_transform.h"
#include "platform/sjis.h"

namespace lav::display {
namespace {

constexpr std::size_t kEntryLimit = 130;

// The printer's pens: with print colour mode 1 or 2 the foreground pens print black, with 2 the
// grey pens as well. Everything else passes through to the page.
class PrintPenSurface : public Surface {
 public:
  PrintPenSurface(Surface& page, int colourMode, bool blackBackground)
      : page_(page),
        foreground_(colourMode >= 1 ? PaletteColour(0, blackBackground) : kNone),
        grey_(colourMode >= 2 ? PaletteColour(7, blackBackground) : kNone) {}

  int width() const override { return page_.width(); }
  int height() const override { return page_.height(); }
  void setPen(const Pen& pen) override { page_.setPen({pen.style, mapped(pen.colour)}); }
  void setBrush(const Brush& brush) override {
    Brush b = brush;
    b.colour = mapped(b.colour);
    page_.setBrush(b);
  }
  void setRasterMode(RasterMode mode) override { page_.setRasterMode(mode); }
  void line(int x0, int y0, int x1, int y1) override { page_.line(x0, y0, x1, y1); }
  void polyline(const IntPoint* p, int n) override { page_.polyline(p, n); }
  void polygon(const IntPoint* p, int n) override { page_.polygon(p, n); }
  void fillRect(int x, int y, int w, int h, Rgb c) override { page_.fillRect(x, y, w, h, c); }
  void setPixel(int x, int y, Rgb c) override { page_.setPixel(x, y, c); }
  Rgb pixel(int x, int y) const override { return page_.pixel(x, y); }
  void floodFillSurface(int x, int y) override { page_.floodFillSurface(x, y); }
  void setFont(const FontDescription& f) override { page_.setFont(f); }
  void setTextColour(Rgb c) override { page_.setTextColour(c); }
  void text(int x, int y, std::string_view t, int extra) override { page_.text(x, y, t, extra); }
  TextExtent textExtent(std::string_view t, int extra) const override {
    return page_.textExtent(t, extra);
  }
  FontMetrics fontMetrics() const override { return page_.fontMetrics(); }
  std::unique_ptr<Surface> createCompatible(int w, int h) override {
    return page_.createCompatible(w, h);
  }
  void blit(int dx, int dy, int w, int h, const Surface& src, int sx, int sy, BlitOp op) override {
    page_.blit(dx, dy, w, h, src, sx, sy, op);
  }

 private:
  static constexpr Rgb kNone = 0xFFFFFFFFu;
  Rgb mapped(Rgb c) const { return c == foreground_ || c == grey_ ? MakeRgb(0, 0, 0) : c; }

  Surface& page_;
  Rgb foreground_, grey_;
};

// One print job from the dialog's "実行" on: whichever way the command ends, a started document
// is finished or dropped and `Printing` goes back.
class PrintJob {
 public:
  PrintJob(SceneState& app, PrinterDevice& printer) : app_(app), printer_(printer) {}
  ~PrintJob() {
    if (started_) printer_.abortDocument();
    app_.print.printing = std::max(0, app_.print.printing - 1);
  }
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  void markStarted() { started_ = true; }
  // Ends the page and the document; the printer's two answers (positive: done).
  std::pair<int, int> finish() {
    started_ = false;
    const int page = printer_.endPage();
    return {page, printer_.endDocument()};
  }

 private:
  SceneState& app_;
  PrinterDevice& printer_;
  bool started_ = false;
};

// What drawing the page changes and puts back afterwards.
struct SavedScreen {
  explicit SavedScreen(SceneState& a)
      : app(a),
        view(a.display.view),
        grid(a.display.grid),
        arrayMap(a.settings.arrayMap),
        continueFlag(a.continueFlag),
        colourMode(a.screenText.printColourMode),
        redrawing(a.display.redrawing) {}
  ~SavedScreen() {
    app.display.view = view;
    app.display.grid = grid;
    app.settings.arrayMap = arrayMap;
    app.continueFlag = continueFlag;
    app.screenText.printColourMode = colourMode;
    app.display.redrawing = redrawing;
  }
  SavedScreen(const SavedScreen&) = delete;
  SavedScreen& operator=(const SavedScreen&) = delete;

  SceneState& app;
  ViewState view;
  GridMemory grid;
  std::int32_t arrayMap;
  bool continueFlag;
  int colourMode;
  bool redrawing;
};

void ShowStartError(SceneState& app, const PrinterName& name, int document, int page, int handle) {
  char head[96];
  std::snprintf(head, sizeof head, msg::kPrintError, document, page, handle);
  const std::string dot = sjis::fromUtf8(msg::kPrintErrorSeparator);
  const std::string text = sjis::fromUtf8(head) + name.driver + dot + name.device + dot + name.port;
  ShowRefusalBox(app.host, text, sjis::fromUtf8(msg::kPrintCaption), Icon::Information);
}

// Draws the page: the open cell from the top, the grid and the figure being entered.
// False when Escape stopped the walk.
bool DrawPage(SceneState& app, Surface& page, const ViewState& pageView) {
  SavedScreen saved(app);
  auto& d = app.display;
  d.view = pageView;
  d.grid = {};
  d.redrawing = true;  // a repaint asked for meanwhile waits for the screen view to return
  app.settings.arrayMap = 0;
  app.continueFlag = true;
  app.screenText.printColourMode = app.settings.printMode;
  PrintPenSurface surface(page, app.settings.printMode, d.blackBackground);
  surface.setRasterMode(RasterMode::Copy);
  surface.setPen(LayerPen(app.settings, kMarkLayer, d.blackBackground));
  surface.setTextColour(PaletteColour(0, d.blackBackground));
  DrawContext ctx(app, surface, d.view);
  ctx.highlight = d.highlightMode != 0;
  PrintUndefinedPlacements(ctx);
  bool completed = DrawTopCell(ctx);
  if (completed) DrawGrid(app, surface);
  if (completed) DrawTempLayer(app, surface);
  ShowFontFailure(app);
  return completed && app.continueFlag;
}

}  // namespace

std::optional<PrinterName> ParsePrinterEntry(std::string_view entry) {
  entry = sjis::cutAt(entry, kEntryLimit);
  PrinterName name;
  std::string* fields[] = {&name.device, &name.driver, &name.port};
  int field = 0;
  bool afterComma = false;
  for (std::size_t i = 0; i < entry.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(entry[i]);
    if (sjis::isLeadByte(b) && i + 1 < entry.size()) {
      *fields[field] += entry.substr(i, 2);
      ++i;
      afterComma = false;
      continue;
    }
    if (entry[i] == ',' && field < 2) {
      ++field;
      afterComma = true;
      continue;
    }
    if (afterComma && entry[i] == ' ') continue;
    afterComma = false;
    *fields[field] += entry[i];
  }
  if (name.device.empty() && name.driver.empty() && name.port.empty()) return std::nullopt;
  return name;
}

void DerivePrintArea(PrintState& print, Settings& settings, const ViewState& view,
                     int dotsPerInchX) {
  if (print.rectSet()) return;
  print.x0 = view.window.xmin;
  print.y0 = view.window.ymin;
  print.x1 = view.window.xmax;
  print.y1 = view.window.ymax;
  const double span = std::fabs(double(print.x1) - print.x0) / settings.dbPerUserUnit;
  if (span <= 0 || dotsPerInchX <= 0) return;
  double m = (double(view.clientWidth) / dotsPerInchX * 25.4) / span;
  m = RoundHalfUp(m * 100000) / 100000;
  switch (UnitButton(settings)) {
    case 602:
      break;
    case 603:
      m /= 10;
      break;
    case 604:
      m /= 1000;
      break;
    case 605:
      m /= 1000000;
      break;
    default:
      settings.printUnit = 1;
      m *= 1000;
      break;
  }
  print.magnification = m;
}

std::optional<ViewState> PageView(const PrintState& print, const Settings& settings,
                                  const ViewState& screen, int dotsPerInchX, int dotsPerInchY,
                                  int pageWidth, int pageHeight) {
  ViewState v = screen;
  v.window = {std::min(print.x0, print.x1), std::min(print.y0, print.y1),
              std::max(print.x0, print.x1), std::max(print.y0, print.y1)};
  const double w = double(v.window.xmax) - v.window.xmin;
  const double h = double(v.window.ymax) - v.window.ymin;
  if (w == 0 || h == 0 || pageWidth < 1 || pageHeight < 1) return std::nullopt;
  const double k =
      print.magnification / settings.dbPerUserUnit * UnitFactor(UnitButton(settings)) / 25.4;
  const std::int32_t cw = RoundToInt(k * w * dotsPerInchX);
  const std::int32_t ch = RoundToInt(k * h * dotsPerInchY);
  // A magnification of zero or below (typed in the dialog) has nothing to print.
  if (cw < 1 || ch < 1) return std::nullopt;
  v.clientWidth = cw;
  v.clientHeight = ch;
  v.scale = h <= double(ch) * w / cw ? cw / w : ch / h;
  RecentreOffsets(v);
  ApplyView(v);
  // The picture starts at the paper's top-left corner; what lies beyond the paper is left out
  // of the walk, keeping the mapping of what is on it.
  if (v.clientWidth > pageWidth) v.clientWidth = pageWidth;
  if (v.clientHeight > pageHeight) {
    v.offsetY += v.clientHeight - pageHeight;
    v.clientHeight = pageHeight;
  }
  v.window = WindowFromOffsets(v);
  return v;
}

void PrintView(SceneState& app) {
  const auto name = ParsePrinterEntry(app.host.defaultPrinter());
  if (!name) return;
  std::unique_ptr<PrinterDevice> printer = app.host.openPrinter(*name);
  if (!printer) return;
  const int dx = printer->dotsPerInchX(), dy = printer->dotsPerInchY();
  if (dx <= 0 || dy <= 0) return;
  DerivePrintArea(app.print, app.settings, app.display.view, dx);

  PrintDialog dialog(app.settings, app.print, app.display.view);
  app.host.runDialog(dialog);
  if (!dialog.executed) return;
  PrintJob job(app, *printer);

  const int document = printer->startDocument(msg::kPrintDocumentName);
  const int page = document > 0 ? printer->startPage() : 0;
  if (document > 0) job.markStarted();
  if (document <= 0 || page <= 0) {
    ShowStartError(app, *name, document, page, printer->handle());
    return;
  }
  Surface& paper = printer->page();
  const auto pageView =
      PageView(app.print, app.settings, app.display.view, dx, dy, paper.width(), paper.height());
  // An empty print area prints nothing.
  if (!pageView) return;
  if (!DrawPage(app, paper, *pageView)) {
    app.dispatch.completion = false;
    command::PrintLine(app, sjis::fromUtf8(msg::kAbortion), command::kPrintMessage);
    return;
  }
  const auto [pageEnd, documentEnd] = job.finish();
  if (pageEnd <= 0 || documentEnd <= 0)
    ShowStartError(app, *name, documentEnd, pageEnd, printer->handle());
  InvalidateGraphics(app);
}

}  // namespace lav::display
