// The command dispatcher: turns command lines into commands, starts them, continues them with
// further lines, ends and aborts them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/command_steps.h"

namespace lav {
struct AppState;
}

namespace lav::command {

// Enter in the Command Window (also the right mouse button and every line sent by a menu item,
// toolbar button, function key or macro): runs or continues a command with the input line.
void PressEnter(AppState& app);

// Escape in the Command Window: abandons the waiting command (and a running macro).
void AbortCommand(AppState& app);

// Finds the command a line names, by unique prefix of the command file's names. A line that
// names no command is evaluated as numbers and printed (the calculator). Returns the command
// number, 0 when the line was handled here, -1 for an empty line or a comment. The line may be
// replaced by its variable substitution.
std::int32_t LookUpCommand(AppState& app, std::string& line);

// First step of the current command with its whole line (the command name is the first word).
void StartCommand(AppState& app, std::string_view line);

// Next step of the waiting command with the answer typed at its prompt.
void ContinueCommand(AppState& app, std::string_view answer);

// Restarts the point command that a view command interrupted.
void ResumeInterruptedCommand(AppState& app);

}  // namespace lav::command
