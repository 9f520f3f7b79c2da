// What the screen text remembers between drawings: a font failure, the size of base marks, the
// print colour mode while a page is drawn, and the picking pass that texts offer their origins to.
#pragma once

#include <cstdint>
#include <functional>

namespace lav::display {

struct ScreenTextState {
  // `FontError`: set after any font failure; outline-font text is skipped from then on.
  bool fontError = false;
  bool fontErrorShown = false;  // the command that drew told the user, once
  // `MarkSize` in pixels; 0 until the settings dialog sets it (then ScreenWidth / 128).
  int markSize = 0;
  // Print colour mode while a page is drawn; -1 on the screen and in bitmaps.
  int printColourMode = -1;
  // Set by the picking pass while a pick runs: texts and placements hand it their origins
  // (design units) instead of being drawn.
  std::function<void(std::int32_t x, std::int32_t y)> pickOffer;
};

}  // namespace lav::display
