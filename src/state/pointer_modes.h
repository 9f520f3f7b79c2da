// The Graphics Window's pointer modes that commands switch too: the keyboard cursor and the
// capture of the pointer.
#pragma once

namespace lav {
struct AppState;
}

namespace lav::shell {

// A point is wanted: the crosshair follows the pointer, which is captured (the host's capture
// also makes the window draw its overlays again).
void StartKeyboardCursor(AppState& app);
// Ends capture; the crosshair and the zoom rectangle are removed by the window's overlay pass.
void ReleasePointer(AppState& app);

}  // namespace lav::shell
