#include "command/dispatcher.h"

#include "shell/app_state.h"

namespace lav::command {

// Filled in by the dispatcher work.
void PressEnter(AppState& app) { (void)app; }
void AbortCommand(AppState& app) { (void)app; }

}  // namespace lav::command
