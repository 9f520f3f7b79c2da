// A command's steps as the Command Window shows them: its prompts, its messages and errors, and
// its end, which brings back the idle prompt.
#pragma once

#include <cstdint>
#include <string_view>

namespace lav::db {
struct Refusal;
}  // namespace lav::db

namespace lav::command {

struct ConsoleState;

// Shows a refusal box (exclamation icon, task-modal) and counts it as an error of the run.
void ShowError(ConsoleState& app, std::string_view sjisText, std::string_view sjisCaption);
// Shows the refusal an operation returned, the same way; nothing when it has no message.
void ShowRefusal(ConsoleState& app, const db::Refusal& refusal);
// Prints a line of the program's own text (UTF-8 literal) as an output line.
void PrintMessageLine(ConsoleState& app, std::string_view utf8Text);
// The waiting command's prompt, at most 40 bytes (Shift-JIS).
void SetPrompt(ConsoleState& app, std::string_view prompt);
// Prompt "label: " for the step number step, which becomes the current command.
void SetStepPrompt(ConsoleState& app, std::string_view label, std::int32_t step);
// Back to idle: prompt "? ", empty input, a new output line.
void EndCommand(ConsoleState& app);
// Forgets a highlighted pick.
void CancelPick(ConsoleState& app);

}  // namespace lav::command
