// The Graphics Window's mouse as command-line text: pixels to design points (snapped to the
// graphics-scale step unless a point is picked), clicks typed into the input line, the keyboard
// cursor and the zoom rectangle modes, and the start-up actions of the first paint.
#pragma once

#include <string>
#include <vector>

#include "state/pointer_modes.h"

namespace lav {
struct AppState;
}

namespace lav::shell {

struct UserPoint {
  double x = 0, y = 0;  // user units
};

// The design position of client pixel (x, y), in user units, without snapping.
UserPoint PixelToUser(const AppState& app, int x, int y);

// The position a click at (x, y) stands for: snapped to the graphics-scale step (halves up)
// while no point is picked (pick mode 0) and the paint palette is hidden; exact otherwise.
UserPoint PointerPoint(const AppState& app, int x, int y);

// A point as a click types it: " x y " with the user-unit decimals, relative to the origin
// while the coordinate mode is relative and the keyboard cursor is on.
std::string ClickText(const AppState& app, UserPoint p);

// The pointer moved to (x, y): stores the position and asks the Status Window to show it when a
// coordinate changed. True when an overlay must follow (keyboard cursor or zoom rectangle on).
bool PointerMoved(AppState& app, int x, int y);

// Left button: the point is typed and Enter pressed. False when the click was ignored (a
// redraw is running, or the click only activated the window while idle).
bool LeftClick(AppState& app, int x, int y);
// Right button: the point is typed only if it fits whole; no Enter.
bool RightClick(AppState& app, int x, int y);

// A segment of an overlay, in client pixels.
struct PixelSegment {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool operator==(const PixelSegment&) const = default;
};

// The rubber band of coordinate entry, from the last point entered to the point a click at the
// pointer would enter (for a rectangle, its four sides from the first corner). Empty unless
// points of a rectangle, polygon or line are being entered with the keyboard cursor on.
std::vector<PixelSegment> RubberBand(const AppState& app);

// The first paint: every argument that is no switch and ends in ".CAD" (any case) is opened
// (its folder becomes the current directory), then AUTO.MAC is started. An argument beginning
// with '/' is a switch only when it is two characters long, so absolute paths open.
void RunStartupActions(AppState& app);

}  // namespace lav::shell
