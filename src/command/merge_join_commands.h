// Joining the figure in the temporary layer to a figure picked from the cell (104), merging it
// with one (105), and undoing a pick or a join (96).
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::command {

void StartJoin(AppState& app, std::string_view line);   // 104
void StartMerge(AppState& app, std::string_view line);  // 105
void ContinueJoinOrMerge(AppState& app, std::string_view answer);
void StartUndoPickOrJoin(AppState& app, std::string_view line);  // 96

}  // namespace lav::command
