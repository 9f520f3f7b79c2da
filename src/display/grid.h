// The grid of dots at multiples of the grid step, drawn over the design.
#pragma once

#include "platform/surface.h"

namespace lav::display {

struct SceneState;

// Grid step in user units: `Gscale` times `Grid` (0: no grid).
double GridStep(const SceneState& app);

// Draws the grid dots (one pixel each in the grid colour) when the grid is on and its dots are
// at least ScreenWidth/80 pixels apart; erases the dots drawn last when only the step changed or
// the grid was switched off.
void DrawGrid(SceneState& app, Surface& surface);

}  // namespace lav::display
