#include "command/paint_palette.h"

#include "command/dispatcher.h"
#include "command/line_expansion.h"
#include "command/toolbar.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "console/user_value.h"
#include "console/value_parser.h"
#include "db/design_files.h"
#include "db/messages.h"
#include "display/paint_marks.h"
#include "display/redraw.h"
#include "macro/preprocess.h"
#include "platform/null_surface.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::shell::msg {

// PAINTDAT.DAT beside the program cannot be written; %s is its full path.
inline constexpr const char* kPaintFileFailed = db::msg::kCannotOpenFile;
inline constexpr const char* kPaintPrompt = "Pn: ";

}  // namespace lav::shell::msg

namespace lav::shell {
namespace {

constexpr Rgb kWindowWhite = MakeRgb(255, 255, 255);

bool isHatched(int cell) {
  return cell >= 1 && cell <= 6;
}

void refusePaintFile(AppState& app) {
  command::ShowError(
      app, db::FormatMessage(msg::kPaintFileFailed, sjis::fromUtf8(display::PaintFilePath(app))),
      "Error");
}

// Leaves painting: the palette goes and the Toolbar may come back.
void endPainting(AppState& app) {
  ShowPalette(app, false);
  command::EndCommand(app);
  ReshowToolbar(app);
}

}  // namespace

PaletteRect PaletteCellRect(int cell) {
  if (cell < 1 || cell > kPaletteCells) return {};
  const int i = cell - 1;
  return {(i % kPaletteColumns) * kPaletteCellWidth, (i / kPaletteColumns) * kPaletteCellHeight,
          kPaletteCellWidth, kPaletteCellHeight};
}

PaletteRect PaletteSampleRect() {
  return {kPaletteSampleX, kPaletteSampleY, kPaletteSampleWidth,
          kPaletteClientHeight - 5 - kPaletteSampleY};
}

int PaletteCellAt(int x, int y) {
  if (x < 0 || y < 0) return 0;
  const int column = x / kPaletteCellWidth, row = y / kPaletteCellHeight;
  if (column >= kPaletteColumns) return 0;
  const int cell = row * kPaletteColumns + column + 1;
  return cell <= kPaletteCells ? cell : 0;
}

Brush PaletteCellBrush(int cell) {
  return display::BrushByIndex(cell, kWindowWhite);
}

Brush CurrentPaintBrush(const AppState& app) {
  return display::BrushByIndex(app.display.paintBrush, app.display.paintColour);
}

void ChoosePaletteCell(AppState& app, int cell) {
  if (cell < 1 || cell > kPaletteCells) return;
  app.display.paintBrush = cell;
  if (!isHatched(cell)) app.display.paintColour = display::BrushByIndex(cell, 0).colour;
}

void ShowPalette(AppState& app, bool show) {
  ShellState& s = app.shell;
  if (show) {
    s.paletteShown = app.host.showToolWindow(ToolWindow::Palette, ToolWindowState::Shown);
    // Both windows start at the screen's corner: the Toolbar steps aside while painting.
    if (s.paletteShown && s.toolbarExists &&
        app.host.showToolWindow(ToolWindow::Toolbar, ToolWindowState::Hidden))
      s.toolbarReshow = true;
    return;
  }
  if (s.paletteShown) app.host.showToolWindow(ToolWindow::Palette, ToolWindowState::Hidden);
  s.paletteShown = false;
}

void HidePaletteUnlessPainting(AppState& app) {
  if (!app.shell.paletteShown || app.dispatch.current == kPaintCommand) return;
  ShowPalette(app, false);
  ReshowToolbar(app);
}

void StartPaint(AppState& app, std::string_view line) {
  const auto words = command::SplitWords(line);
  if (words.size() < 2) {
    command::SetPrompt(app, msg::kPaintPrompt);
    command::PrintLine(app, {}, command::kPrintEndLine);
    ShowPalette(app, true);
    return;
  }
  const auto n = command::ScanInt(words[1]);
  if (!n) {
    ++app.dispatch.errorsReported;
    command::PrintLine(app, db::msg::kErrorLine, command::kPrintMessage);
    command::EndCommand(app);
    return;
  }
  auto& d = app.display;
  if (*n == 0 || *n == 1) {
    d.paintMode = *n == 1;
  } else {
    d.paintMode = false;
    if (!display::ClearPaintMarks(app)) refusePaintFile(app);
  }
  // Marks switched on or off, or cleared, show at once.
  display::InvalidateGraphics(app);
  command::EndCommand(app);
}

void ContinuePaint(AppState& app, std::string_view answer) {
  const auto p = PointAnswer(app, answer);
  if (!p) {
    endPainting(app);
    return;
  }
  const std::int32_t unit = app.settings.dbPerUserUnit;
  if (!command::UserToDb(p->x, unit) || !command::UserToDb(p->y, unit)) {
    command::ShowError(app, command::UserToDbRefusal(unit), "Error");
    endPainting(app);
    return;
  }
  auto& d = app.display;
  bool written;
  if (d.target) {
    written = display::PaintAt(app, *d.target, p->x, p->y);
    // The fill is in the image already: the window only copies it to the screen.
    d.imageCurrent = true;
    app.host.invalidate(Window::Graphics);
  } else {
    NullSurface blank(d.view.clientWidth, d.view.clientHeight);
    written = display::PaintAt(app, blank, p->x, p->y);
  }
  if (!written) {
    refusePaintFile(app);
    endPainting(app);
    return;
  }
  command::PrintLine(app, {}, command::kPrintEndLine);
}

}  // namespace lav::shell
