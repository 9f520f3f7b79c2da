// Glyph outlines from a FreeType face, mapped into the 180 x 180 glyph cell and flattened.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

namespace make_font {

inline constexpr double kCellSize = 180.0;

struct PointD {
  double x, y;
};
using ContourD = std::vector<PointD>;

// The closed contours of one character, in cell units (y up, baseline where the face's
// descender ends), curves flattened so that no chord is further than tolerance from its curve.
// Empty for a character the face lacks or one without ink.
std::vector<ContourD> FlattenedGlyph(FT_Face face, char32_t codePoint, double tolerance);

}  // namespace make_font
