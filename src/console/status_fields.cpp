#include "console/status_fields.h"

#include "console/console_state.h"

namespace lav::command {

void InvalidateStatus(ConsoleState& app, unsigned fields) {
  app.statusPending |= fields & kAllStatusFields;
  app.host.invalidate(Window::Status);
}

unsigned TakeStatusInvalidations(ConsoleState& app) {
  const unsigned fields = app.statusPending;
  app.statusPending = 0;
  return fields ? fields : kAllStatusFields;
}

}  // namespace lav::command
