// Commands of element entry and editing through the temporary input layer: coordinate entry,
// output, taking back, picking a figure out of a cell and putting it back, edits of the figure.
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::command {

void StartListPoints(AppState& app, std::string_view line);       // 75
void StartCoordinateQuery(AppState& app, std::string_view line);  // 77
void ContinueCoordinateQuery(AppState& app, std::string_view answer);
void StartPickLine(AppState& app, std::string_view line);  // 79
void ContinuePickLine(AppState& app, std::string_view answer);
void StartEnterPoints(AppState& app, std::string_view line);  // 91
// The figure being entered is drawn with the element settings: after one of them changed, it
// is drawn again with the new value.
void RedrawEntryPreview(AppState& app);
void ContinueEnterPoints(AppState& app, std::string_view answer);
void StartClearTemp(AppState& app, std::string_view line);   // 92
void StartTakeBack(AppState& app, std::string_view line);    // 93
void StartOutput(AppState& app, std::string_view line);      // 94
void StartPickFigure(AppState& app, std::string_view line);  // 95
void ContinuePickFigure(AppState& app, std::string_view answer);
void StartMoveEdge(AppState& app, std::string_view line);  // 97
void ContinueMoveEdge(AppState& app, std::string_view answer);
void StartMoveVertex(AppState& app, std::string_view line);  // 98
void ContinueMoveVertex(AppState& app, std::string_view answer);
void StartOutputKeep(AppState& app, std::string_view line);       // 100
void StartReorderVertices(AppState& app, std::string_view line);  // 107
void StartOutputToCell(AppState& app, std::string_view line);     // 109
void ContinueOutputToCell(AppState& app, std::string_view answer);
void StartExplodeOrOutline(AppState& app, std::string_view line);  // 110

// Puts a figure taken from a cell back before the design or the current cell changes.
void PutBackBeforeCellChange(AppState& app);

}  // namespace lav::command
