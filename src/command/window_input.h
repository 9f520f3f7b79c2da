// The Command Window's input side: typed characters and keys, menu items, clicks on the
// transcript and function keys, which end in the dispatcher when they press Enter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/command_window.h"

namespace lav {
struct AppState;
}

namespace lav::command {

// A character typed or forwarded (byte 0..255): 8 Backspace, 9 blank, 13 Enter, 27 Escape.
void TypeCharacter(AppState& app, int code);
void PressKey(AppState& app, Key key);
// Types text at the caret through TypeCharacter; refused like AppendToInput when it does not fit.
bool TypeText(AppState& app, std::string_view text);
// A menu item or toolbar button: the command's name, a blank and the argument, then Enter.
// Number 0 enters a blank. False when nothing was entered.
bool RunMenuCommand(AppState& app, std::int32_t number, std::string_view argument);
// A left click on transcript line n (1..count) at byte column: the word there is typed, then
// a blank. False when nothing was typed.
bool ClickTranscriptLine(AppState& app, int n, std::size_t column);
// Runs function key k (1..15).
void RunFunctionKey(AppState& app, int k);

}  // namespace lav::command
