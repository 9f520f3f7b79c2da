// The procedures behind the command table's rows, grouped by the files that implement them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/host.h"

namespace lav {
struct AppState;
}

namespace lav::command {

// setting_commands.cpp
void StartSetter(AppState& app, std::string_view line);
void ContinueSetter(AppState& app, std::string_view answer);
void StartDatabaseUnit(AppState& app, std::string_view line);
void ContinueDatabaseUnit(AppState& app, std::string_view answer);
void StartStreamUnit(AppState& app, std::string_view line);
void ContinueStreamUnit(AppState& app, std::string_view answer);
void StartLayerList(AppState& app, std::string_view line);
void StartCoordinateMode(AppState& app, std::string_view line);
void ContinueCoordinateMode(AppState& app, std::string_view answer);
void StartArray(AppState& app, std::string_view line);
void ContinueArray(AppState& app, std::string_view answer);
void StartGridOn(AppState& app, std::string_view line);
void StartGridOff(AppState& app, std::string_view line);
void StartClearTranscript(AppState& app, std::string_view line);
void StartEcho(AppState& app, std::string_view line);
void StartTextFileName(AppState& app, std::string_view line);
void StartTextFileRead(AppState& app, std::string_view line);
void StartTextFileWrite(AppState& app, std::string_view line);

// dialog_commands.cpp
void StartFunctionKey(AppState& app, std::string_view line);
void StartLayerName(AppState& app, std::string_view line);
void StartTextInput(AppState& app, std::string_view line);
void StartPlacedCellName(AppState& app, std::string_view line);
void ContinuePlacedCellName(AppState& app, std::string_view answer);
void StartCommandList(AppState& app, std::string_view line);

// file_cell_commands.cpp
// Asks whether to write the open design and closes it as answered. True when nothing is open
// any more: only when the close really succeeded (never after Cancel).
bool AskAndCloseDesign(AppState& app, Buttons buttons);
void StartExit(AppState& app, std::string_view line);
void StartNewDesign(AppState& app, std::string_view line);
void ContinueNewDesign(AppState& app, std::string_view answer);
void StartOpenDesign(AppState& app, std::string_view line);
void ContinueOpenDesign(AppState& app, std::string_view answer);
void StartCloseDesign(AppState& app, std::string_view line);
void StartCreateCell(AppState& app, std::string_view line);
void ContinueCreateCell(AppState& app, std::string_view answer);
void StartOpenCell(AppState& app, std::string_view line);
void ContinueOpenCell(AppState& app, std::string_view answer);
void StartCompaction(AppState& app, std::string_view line);
void StartCellCopy(AppState& app, std::string_view line);
void StartCellRename(AppState& app, std::string_view line);
void StartCellDelete(AppState& app, std::string_view line);
void StartCellRestore(AppState& app, std::string_view line);
void StartCellList(AppState& app, std::string_view line);
void StartCopyFromDesign(AppState& app, std::string_view line);

}  // namespace lav::command
