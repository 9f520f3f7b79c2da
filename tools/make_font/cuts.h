// Glyph contours to layout polygons: each outer contour with the holes directly inside it joined
// by cuts (a bridge walked there and back), so that a hole stays open when the polygon is filled.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rings.h"

namespace make_font {

// One ring per outer contour (counter-clockwise, holes clockwise inside it). Nullopt with the
// reason when contours cross or touch, or a hole cannot be reached without crossing an edge.
std::optional<std::vector<Ring>> PolygonsWithCuts(const std::vector<Ring>& contours,
                                                  std::string& why);

}  // namespace make_font
