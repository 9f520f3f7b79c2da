// Joins holes to the outer contours that hold them, by a zero-width bridge, so that every region
// becomes one ring a single polygon record can carry.
#pragma once

#include <vector>

#include "geometry/int_geometry.h"

namespace lav::geometry {

// outers are counter-clockwise closed rings, holes clockwise ones, each hole inside one outer.
// Returns one ring per outer, its holes spliced in.
std::vector<Ring> BridgeHoles(std::vector<Ring> outers, std::vector<Ring> holes);

}  // namespace lav::geometry
