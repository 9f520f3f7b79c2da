// The core state with the Command Window and the running command's steps: what printing a line,
// setting a prompt or ending a command works on.
#pragma once

#include "console/command_window.h"
#include "console/dispatch_state.h"
#include "db/core_state.h"

namespace lav::command {

struct ConsoleState : db::CoreState {
  using db::CoreState::CoreState;
  DispatchState dispatch;
  CommandWindow window;        // transcript, input line, recall list, function keys
  unsigned statusPending = 0;  // Status Window fields asked to repaint (StatusField bits)
};

}  // namespace lav::command
