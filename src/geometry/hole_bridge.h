// Joins holes to the outer contours that hold them, by a zero-width bridge, so that every region
// becomes one ring a single polygon record can carry.
#pragma once

#include <vector>

#include "geometry/int_geometry.h"

namespace lav::geometry {

// outers are counter-clockwise closed rings, holes clockwise ones, each hole inside one outer.
// Returns one ring per outer, its holes spliced in. A hole that no bridge can reach is counted,
// never dropped silently: the caller must treat the result as failed.
struct BridgedRings {
  std::vector<Ring> rings;
  std::size_t holesNotJoined = 0;
};
BridgedRings BridgeHoles(std::vector<Ring> outers, std::vector<Ring> holes);

}  // namespace lav::geometry
