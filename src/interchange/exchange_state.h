// The scene state with the cell tree report's state and the arc settings: what the file
// converters and the tree report work on.
#pragma once

#include "display/scene_state.h"
#include "geometry/geometry_state.h"
#include "interchange/tree_state.h"

namespace lav::interchange {

struct ExchangeState : display::SceneState {
  using display::SceneState::SceneState;
  TreeState tree;                    // the cell tree report's counter and run state
  geometry::GeometryState geometry;  // arc settings, transformation steps, a set-aside figure
};

}  // namespace lav::interchange
