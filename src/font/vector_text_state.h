// The vector-text command's values: the text waiting for its position, and the height, width and
// glyph set, which keep what was typed last for the next text.
#pragma once

#include <string>

namespace lav::font {

struct VectorTextState {
  std::string text;       // Shift-JIS, waiting for the position step
  double height = 180.0;  // user units of the 180-unit glyph cell
  double width = 180.0;   // user units of the cell width and of the advance
  char set = 'P';         // 'N' selects the second glyph set
};

}  // namespace lav::font
