// Creating and opening cells (the cell dialogs are in cell_dialogs.h).
#pragma once

#include <string_view>

#include "db/compaction.h"  // command 106 is reached through this header too

namespace lav::db {

struct CoreState;
struct Refusal;

// Command 6 with a name: creates the cell and makes it current. False when refused (refusal
// says why, if there is anything to say).
bool CreateCell(CoreState& app, std::string_view name, Refusal& refusal);

// Command 7: "[0|1] name"; 1 opens the cell with its placements hidden. False when refused.
// needsName is set when no name was given (the caller asks for one).
bool OpenCell(CoreState& app, std::string_view arguments, bool& needsName, Refusal& refusal);

}  // namespace lav::db
