// The closed outline of a line with a width.
#pragma once

#include <cstdint>
#include <vector>

#include "display/view_transform.h"

namespace lav::display {

// Outline of the path through points with the given width (database units): tip 0 flush ends,
// otherwise square ends reaching half the width beyond the end points. With acuteTip, sharp outer
// corners (turns between 90 and 180 degrees) are cut at half the width from the vertex. The
// outline is closed (its first point repeated at the end); at most maxPoints points are kept.
std::vector<Point> BuildPathOutline(const Point* points, int count, int tip, std::int32_t width,
                                    bool acuteTip, std::size_t maxPoints = 0);

}  // namespace lav::display
