// The one view of the Graphics Window and the display's working state around it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace lav {
class Surface;
}  // namespace lav

namespace lav::display {

struct SceneState;

// Rectangle of the design in database units.
struct Extent {
  std::int32_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

struct ViewState {
  double scale = 0.02;  // window pixels per database unit
  double offsetX = 0;   // window X = x * scale - offsetX
  double offsetY = 0;   // window Y = clientHeight - (y * scale - offsetY)
  std::int32_t clientWidth = 940;
  std::int32_t clientHeight = 740;
  Extent window{0, 0, 47000, 37000};
  int screenWidth = 1920;  // size of the whole screen, for grid and hatch density
  int screenHeight = 1080;
};

// What the grid drew last, so that it can be erased when only the step changes.
struct GridMemory {
  bool drawn = false;
  Extent window{};
  double step = 0;
};

// The cell whose stored extent the last complete walk measured, and its data at that time.
struct MeasuredCell {
  std::int32_t slot = 0;
  std::int32_t dataSize = -1;
  std::int32_t firstBlock = 0;
};

struct DisplayState {
  ViewState view;
  GridMemory grid;
  bool blackBackground = false;
  bool firstPaintDone = false;  // the first paint fits the initial view window
  // Set by every view change and by edits; the Graphics Window redraws its image when set.
  bool needsRedraw = true;
  bool redrawing = false;  // a repaint walk is running
  // The Graphics Window's image, attached by the window while it exists. Commands that show
  // the design at once draw into it; without it (batch runs) they walk an empty surface.
  Surface* target = nullptr;
  // Set just before a command's own redraw invalidates the Graphics Window: the image is
  // already up to date and only needs copying to the screen. The window clears it.
  bool imageCurrent = false;
  // Drawn after each repaint (the shell's crosshair and zoom rectangle, XOR-drawn).
  std::function<void(SceneState&, Surface&)> overlays;
  bool extentPass = false;  // the next walk recomputes the open cell's extent
  MeasuredCell measured;
  int onlyLayer = -1;            // `OnlyLayer`
  int highlightMode = 0;         // `HighlightMode`
  int pickMode = 0;              // `PickMode`
  int elementTypeMask = 0xFFFF;  // `ElementTypeMask`: bits 0..4 picking, 5..9 drawing
  int showSelectArea = 0;        // `ShowSelectArea` of the marks dialog
  int treeMode = 0;              // cell-tree report walk: nothing is drawn, extents are kept

  // Window zoom by two corners (command 18): the first corner in user units and the snapping
  // step to restore (0: none saved).
  double firstCornerX = 0, firstCornerY = 0;
  std::int32_t savedGscale = 0;
  int centrePosition = 0;  // window position for the running re-centre (command 21)

  // Paint marks: replay after each repaint, the current brush (0..21) and paint colour.
  bool paintMode = false;
  int paintBrush = 7;
  std::uint32_t paintColour = 0xFFFFFF;
};

}  // namespace lav::display
