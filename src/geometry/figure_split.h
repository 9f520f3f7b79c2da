// Cutting a figure that is too long for a format's element into pieces that together cover
// exactly what the figure covers, on the database grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "db/record_codec.h"

namespace lav::geometry {

// Pieces of a closed polygon (last vertex equal to the first), each closed and of at most
// maxPoints vertices, whose union is the polygon. A cut is an axis-parallel line placed where
// every edge it crosses meets it on the grid, or else a diagonal between two of the polygon's own
// vertices, so no piece leaves or misses the polygon by a rounding; only a polygon that allows
// neither (one that crosses itself) is cut with its crossings rounded.
std::vector<std::vector<db::Vertex>> SplitPolygon(const std::vector<db::Vertex>& polygon,
                                                  std::size_t maxPoints);

// Pieces of a path of the given width, each of at most maxPoints vertices, every piece starting
// where the one before ends. Where it can, the shared end is a grid point inside a straight
// segment, at least half the width from its ends, so the pieces' ends meet flush (or overlap by
// their extensions) and cover exactly what the whole path covers.
std::vector<std::vector<db::Vertex>> SplitPath(const std::vector<db::Vertex>& path,
                                               std::int32_t width, std::size_t maxPoints);

}  // namespace lav::geometry
