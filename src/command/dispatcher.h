// The command dispatcher: turns command lines into commands, starts them, continues them with
// further lines, ends and aborts them.
#pragma once

#include <string>
#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::command {

// Enter in the Command Window (also the right mouse button and every line sent by a menu item,
// toolbar button, function key or macro): runs or continues a command with the input line.
void PressEnter(AppState& app);

// Escape in the Command Window: abandons the waiting command (and a running macro).
void AbortCommand(AppState& app);

}  // namespace lav::command
