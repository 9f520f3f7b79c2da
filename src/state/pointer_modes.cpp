#include "state/pointer_modes.h"

#include "console/status_fields.h"
#include "state/app_state.h"

namespace lav::shell {

void StartKeyboardCursor(AppState& app) {
  PointerState& ptr = app.shell.pointer;
  const bool wasOn = ptr.keyboardCursor == 1;
  ptr.keyboardCursor = 1;
  if (!wasOn && !ptr.captured) {
    ptr.captured = true;
    app.host.capturePointer(true);
  }
}

void ReleasePointer(AppState& app) {
  PointerState& ptr = app.shell.pointer;
  const bool wasCaptured = ptr.captured;
  const bool overlays = ptr.rectangle == 1 || ptr.keyboardCursor == 1;
  ptr.captured = false;
  if (ptr.rectangle == 1) ptr.rectangle = 2;
  if (ptr.keyboardCursor == 1) {
    ptr.keyboardCursor = 2;
    if (app.settings.absMode != 0)
      command::InvalidateStatus(app, command::kStatusX | command::kStatusY);
  }
  // Ending the capture also lets the window take its overlays away.
  if (wasCaptured || overlays) app.host.capturePointer(false);
}

}  // namespace lav::shell
