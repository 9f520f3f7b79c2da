// The table of the built-in command numbers 1..124: for each, what it needs before it can run and
// the procedures that carry out its first and later steps.
#pragma once

#include <cstdint>
#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::command {

// What a command needs before it runs; each refusal has its own message.
enum class Needs : std::uint8_t {
  Nothing,
  NoFile,           // refused while a design is open (new, open, stream and DXF input)
  File,             // a design must be open
  FileForCellName,  // a design, for commands that list cell names
  FileAndCellList,  // a design and a cell, for the tree report
  FileAndCell,      // a design and a cell, as the output destination of new elements
};

using StartFn = void (*)(AppState& app, std::string_view line);
using ContinueFn = void (*)(AppState& app, std::string_view answer);

struct CommandRow {
  std::int16_t number;
  Needs needs;
  StartFn start;    // first step, with the whole command line
  ContinueFn next;  // later steps, with the answer; null: the answer ends the command
};

// The row of a built-in command, or null for numbers outside 1..124.
const CommandRow* FindCommandRow(std::int32_t number);

// The row that continues a step number (n + 500 continues command n; also 518, 576, 590 ...).
const CommandRow* RowForStep(std::int32_t step);

}  // namespace lav::command
