// The view commands: fit, window zoom by two corners, zoom by a factor, redraw, re-centre, and
// the layer commands that redraw at once.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/view_state.h"

namespace lav {
struct AppState;
}

namespace lav::display {

enum class ZoomOutcome { Zoomed, Ignored, TooSmall, TooLarge };

// The view's window scaled about its centre by factor (above 1 magnifies; negative as its
// magnitude; 0 does nothing). Refused, with the view unchanged, when the new window would leave
// the 32-bit coordinate range.
ZoomOutcome ZoomByFactor(ViewState& v, double factor);

// Gives back the snapping step that the window zoom replaced for its corners, if any.
void RestoreGraphicsStep(AppState& app);

// The view moved so that the point (user units) lies at window position k (0 centre, 1 bottom
// left, then counter-clockwise around the border to 8 left centre).
void CentreAt(ViewState& v, std::int32_t dbPerUserUnit, double px, double py, int k);

// The view fitted to the open cell's extent with a 7 % margin; nothing without an open cell.
void FitToCell(AppState& app);

// The snapping step used while the corners of a window zoom are picked (database units).
std::int32_t WindowZoomStep(const ViewState& v);

// Command bodies, also run inside point input (fit and redraw keep the waiting command).
void FitAndRedraw(AppState& app);
void RedrawCommand(AppState& app);

// Command rows.
void StartFitAll(AppState& app, std::string_view line);
void StartWindowZoom(AppState& app, std::string_view line);
void ContinueWindowZoom(AppState& app, std::string_view answer);
void StartZoom(AppState& app, std::string_view line);
void ContinueZoom(AppState& app, std::string_view answer);
void StartRedraw(AppState& app, std::string_view line);
void StartCentre(AppState& app, std::string_view line);
void ContinueCentre(AppState& app, std::string_view answer);
// Commands 23 and 29: the display set from a layer list, then a redraw at once.
void StartDisplaySetRedraw(AppState& app, std::string_view line);
// Command 28: the layer joins the display set and is drawn alone once.
void StartShowOneLayer(AppState& app, std::string_view line);

}  // namespace lav::display
