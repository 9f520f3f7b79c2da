// The one view of the Graphics Window and the display's working state around it.
#pragma once

#include <array>
#include <cstdint>

namespace lav::display {

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

struct DisplayState {
  ViewState view;
  GridMemory grid;
  bool blackBackground = false;
  bool firstDesignShown = false;
  // Set by every view change and by edits; the Graphics Window redraws its image when set.
  bool needsRedraw = true;
  bool redrawing = false;  // a repaint walk is running
  bool extentPass = false;
  int onlyLayer = -1;     // `OnlyLayer`
  int highlightMode = 0;  // `HighlightMode`
  int pickMode = 0;       // `PickMode`
  int elementTypeMask = 0xFFFF;
  bool paintMode = false;
  int treeMode = 0;  // cell-tree report walk: nothing is drawn, extents are kept
  std::array<std::uint8_t, 64> layerDrawn{};
};

}  // namespace lav::display
