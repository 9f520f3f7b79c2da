// Commands of the geometry subsystem: arcs and their settings, transformations of the figure in
// the temporary layer, and joining or merging it with a figure picked from the cell.
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::command {

void StartTransform(AppState& app, std::string_view line);  // 99
void ContinueTransform(AppState& app, std::string_view answer);
void StartArc(AppState& app, std::string_view line);  // 102
void ContinueArc(AppState& app, std::string_view answer);
void StartArcSettings(AppState& app, std::string_view line);  // 103
void ContinueArcSettings(AppState& app, std::string_view answer);

}  // namespace lav::command
