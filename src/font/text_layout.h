// Laying out a text with the glyphs of the font file: glyph cells side by side from the origin,
// scaled to the text height and width, mirrored and turned as the placement says.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "font/mojidata_file.h"

namespace lav::font {

struct TextPlacement {
  double height = 180.0;  // user units of the 180-unit glyph cell
  double width = 180.0;   // user units of the cell width and of the advance per character
  GlyphSet set = GlyphSet::P;
  double originX = 0, originY = 0;  // user units
  bool reflect = false;             // y negated about the baseline through the origin
  std::int32_t angle = 0;           // millionths of a degree, counter-clockwise about the origin
};

struct UserPoint {
  double x = 0, y = 0;
};

// Takes one closed polygon in user units; false stops the text (its output was refused).
using PolygonSink = std::function<bool(const std::vector<UserPoint>&)>;
// Takes one line for the Command Window (UTF-8).
using LineSink = std::function<void(const char*)>;

// Lays out every character of text (Shift-JIS): each record of the chosen set becomes one
// polygon; unknown keys, damaged glyphs and an unfinished kana syllable are reported as lines.
void LayOutText(FontFile& font, std::string_view text, const TextPlacement& placement,
                const PolygonSink& polygon, const LineSink& report);

}  // namespace lav::font
