// The paint palette and the paint command: 21 brush cells and a sample of the current brush,
// shown while the command asks for points, each point flood-filling the drawing around it and
// recorded in PAINTDAT.DAT so that the fill comes back after every redraw.
#pragma once

#include <string_view>

#include "platform/surface.h"

namespace lav {
struct AppState;
}

namespace lav::shell {

inline constexpr int kPaintCommand = 122;
inline constexpr int kPaletteCells = 21;
inline constexpr int kPaletteColumns = 3;
inline constexpr int kPaletteCellWidth = 30, kPaletteCellHeight = 20;
inline constexpr int kPaletteClientWidth = 92, kPaletteClientHeight = 180;
inline constexpr int kPaletteSampleX = 5, kPaletteSampleY = 145, kPaletteSampleWidth = 80;

struct PaletteRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// Cell 1..21, numbered row by row.
PaletteRect PaletteCellRect(int cell);
// The sample area: 80 pixels wide, down to 5 pixels above the bottom.
PaletteRect PaletteSampleRect();
// The cell under a client pixel, 0 when none.
int PaletteCellAt(int x, int y);

// How a cell shows its brush: hatched cells on the window's white.
Brush PaletteCellBrush(int cell);
// The current brush on the current background colour, as fills use it.
Brush CurrentPaintBrush(const AppState& app);

// A click on a cell: it becomes the current brush; cells 7 to 21 also set the background
// colour, the hatched cells 1 to 6 keep it.
void ChoosePaletteCell(AppState& app, int cell);

// Shows or hides the palette. While it is up the Toolbar makes room for it and clicks in the
// Graphics Window are exact points.
void ShowPalette(AppState& app, bool show);
// The palette goes when a line is entered or the command is abandoned while painting is over.
void HidePaletteUnlessPainting(AppState& app);

// Command 122: "0" replay off, "1" replay on, another number clears the paint data; no number
// asks for points with "Pn: ".
void StartPaint(AppState& app, std::string_view line);
void ContinuePaint(AppState& app, std::string_view answer);

}  // namespace lav::shell
