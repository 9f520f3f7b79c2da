// The merge of the figure in the temporary layer with a second figure, as the command needs it:
// both in database units, the result as polygons ready for output, or the reason there is none.
#pragma once

#include <cstdint>
#include <vector>

#include "db/element_stream.h"
#include "geometry/polygon_merge.h"

namespace lav::geometry {

enum class FigureMergeStatus : std::uint8_t {
  Done,  // polygons (possibly none) to write
  TooManyVertices,  // a figure or a result beyond 200 vertices: "２００頂点を超えてしまいます。"
  TooLarge,  // coordinates beyond the 32-bit range at ten times the resolution
  Impossible,  // figures apart, no area, or a hole that cannot be joined: "合成は不可能です。"
  Unchanged,  // figures that only touch, under '&' or '-': nothing to do, nothing said
};

struct FigureMergeResult {
  FigureMergeStatus status = FigureMergeStatus::Done;
  std::vector<std::vector<db::Vertex>> polygons;  // closed, database units, at most 200 vertices
};

// g op f for two closed outlines. Figures whose insides do not meet are refused (apart) or left
// alone ('&' and '-' of touching figures), so that neither is lost to an empty result. in database
// units (the first figure is the one picked, the second the one that was in the layer). The work
// runs at ten times the database resolution so that crossings land near the grid; results are
// rounded back and cleaned.
FigureMergeResult MergeFigures(const std::vector<db::Vertex>& g, const std::vector<db::Vertex>& f,
                               MergeOp op);

}  // namespace lav::geometry
