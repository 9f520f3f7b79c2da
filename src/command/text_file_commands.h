// The text files that macros read and write line by line: three slots, each a file name and a
// read position. Every command reports its outcome in the variable &ERR (0 or -1).
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::command {

// Command 114: "name [$slot]" stores the file name in the slot and rewinds it.
void RunTextFileName(AppState& app, std::string_view arguments);
// Command 115: "&VAR [$slot]" assigns the slot's next line that holds a word to the variable.
void RunTextFileRead(AppState& app, std::string_view arguments);
// Command 116: "[$slot] text" appends the text as a line to the slot's file.
void RunTextFileWrite(AppState& app, std::string_view arguments);

}  // namespace lav::command
