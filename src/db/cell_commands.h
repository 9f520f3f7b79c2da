// Creating and opening cells, and packing the design.
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::db {

// Command 6 with a name: creates the cell and makes it current. False when refused.
bool CreateCell(AppState& app, std::string_view name);

// Command 7: "[0|1] name"; 1 opens the cell with its placements hidden. False when refused.
// needsName is set when no name was given (the caller asks for one).
bool OpenCell(AppState& app, std::string_view arguments, bool& needsName);

// Command 106: packs the design; dropDeleted also removes deleted cells. False when refused.
bool CompactDesign(AppState& app, bool dropDeleted);

}  // namespace lav::db
