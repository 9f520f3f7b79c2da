#include "command/command_table.h"

#include <array>

#include "command/dxf_commands.h"
#include "command/entry_commands.h"
#include "command/gds_commands.h"
#include "command/geometry_commands.h"
#include "command/handlers.h"
#include "command/layer_dialogs.h"
#include "command/macro_runner.h"
#include "command/merge_join_commands.h"
#include "command/paint_palette.h"
#include "command/print_commands.h"
#include "command/toolbar.h"
#include "command/tree_commands.h"
#include "command/vector_text.h"
#include "command/view_commands.h"
#include "console/dispatch_state.h"

namespace lav::command {
namespace {

using N = Needs;
constexpr CommandRow setter(std::int16_t n) {
  return {n, N::Nothing, StartSetter, ContinueSetter};
}
constexpr CommandRow layerList(std::int16_t n) {
  return {n, N::Nothing, StartLayerList, nullptr};
}

// Row k-1 is command k.
constexpr std::array<CommandRow, kLastBuiltIn> kRows = {{
    {1, N::Nothing, StartExit, nullptr},
    {2, N::NoFile, StartNewDesign, ContinueNewDesign},
    {3, N::NoFile, StartOpenDesign, ContinueOpenDesign},
    {4, N::Nothing, StartCloseDesign, nullptr},
    {5, N::Nothing, StartDatabaseUnit, ContinueDatabaseUnit},
    {6, N::File, StartCreateCell, ContinueCreateCell},
    {7, N::Nothing, StartOpenCell, ContinueOpenCell},
    {8, N::FileForCellName, StartCellCopy, nullptr},
    {9, N::FileForCellName, StartCellRename, nullptr},
    {10, N::FileForCellName, StartCellDelete, nullptr},
    {11, N::FileForCellName, StartCellRestore, nullptr},
    {12, N::FileForCellName, StartCellList, nullptr},
    {13, N::FileAndCellList, interchange::StartTreeReport, nullptr},
    {14, N::Nothing, interchange::StartEarlierTreeReport, nullptr},
    {15, N::FileForCellName, StartCopyFromDesign, nullptr},
    {16, N::Nothing, StartClearTranscript, nullptr},
    {17, N::Nothing, display::StartFitAll, nullptr},
    {18, N::Nothing, display::StartWindowZoom, display::ContinueWindowZoom},
    {19, N::Nothing, display::StartZoom, display::ContinueZoom},
    {20, N::Nothing, display::StartRedraw, nullptr},
    {21, N::Nothing, display::StartCentre, display::ContinueCentre},
    setter(22),
    {23, N::Nothing, display::StartDisplaySetRedraw, nullptr},
    layerList(24),
    layerList(25),
    layerList(26),
    layerList(27),
    {28, N::Nothing, display::StartShowOneLayer, nullptr},
    {29, N::Nothing, display::StartDisplaySetRedraw, nullptr},
    layerList(30),
    layerList(31),
    setter(32),
    {33, N::Nothing, display::StartHatchCountsDialog, nullptr},
    {34, N::Nothing, display::StartHatchLayersDialog, nullptr},
    {35, N::Nothing, display::StartLayerSetsDialog, nullptr},
    {36, N::Nothing, display::StartPenDialog, nullptr},
    setter(37),
    layerList(38),
    layerList(39),
    layerList(40),
    layerList(41),
    layerList(42),
    layerList(43),
    layerList(44),
    layerList(45),
    layerList(46),
    layerList(47),
    layerList(48),
    layerList(49),
    layerList(50),
    layerList(51),
    layerList(52),
    layerList(53),
    layerList(54),
    layerList(55),
    layerList(56),
    setter(57),
    setter(58),
    setter(59),
    setter(60),
    setter(61),
    setter(62),
    setter(63),
    setter(64),
    {65, N::Nothing, display::StartElementTypeMask, nullptr},
    setter(66),
    setter(67),
    {68, N::Nothing, StartGridOn, nullptr},
    {69, N::Nothing, StartGridOff, nullptr},
    setter(70),
    setter(71),
    setter(72),
    {73, N::Nothing, StartFunctionKey, nullptr},
    {74, N::Nothing, StartLayerName, nullptr},
    {75, N::Nothing, StartListPoints, nullptr},
    {76, N::Nothing, StartCoordinateMode, ContinueCoordinateMode},
    {77, N::Nothing, StartCoordinateQuery, ContinueCoordinateQuery},
    setter(78),
    {79, N::Nothing, StartPickLine, ContinuePickLine},
    {80, N::Nothing, StartCommandList, nullptr},
    setter(81),
    setter(82),
    setter(83),
    setter(84),
    {85, N::Nothing, StartTextInput, nullptr},
    {86, N::Nothing, StartPlacedCellName, ContinuePlacedCellName},
    setter(87),
    setter(88),
    setter(89),
    {90, N::Nothing, StartArray, ContinueArray},
    {91, N::FileAndCell, StartEnterPoints, ContinueEnterPoints},
    {92, N::Nothing, StartClearTemp, nullptr},
    {93, N::Nothing, StartTakeBack, nullptr},
    {94, N::Nothing, StartOutput, nullptr},
    {95, N::Nothing, StartPickFigure, ContinuePickFigure},
    {96, N::Nothing, StartUndoPickOrJoin, nullptr},
    {97, N::Nothing, StartMoveEdge, ContinueMoveEdge},
    {98, N::Nothing, StartMoveVertex, ContinueMoveVertex},
    {99, N::Nothing, StartTransform, ContinueTransform},
    {100, N::Nothing, StartOutputKeep, nullptr},
    {101, N::FileAndCell, font::StartVectorText, font::ContinueVectorText},
    {102, N::FileAndCell, StartArc, ContinueArc},
    {103, N::Nothing, StartArcSettings, ContinueArcSettings},
    {104, N::Nothing, StartJoin, ContinueJoinOrMerge},
    {105, N::Nothing, StartMerge, ContinueJoinOrMerge},
    {106, N::Nothing, StartCompaction, nullptr},
    {107, N::Nothing, StartReorderVertices, nullptr},
    setter(108),
    {109, N::Nothing, StartOutputToCell, ContinueOutputToCell},
    {110, N::Nothing, StartExplodeOrOutline, nullptr},
    {111, N::Nothing, StartPrint, nullptr},
    {112, N::Nothing, macro::StartMacroCommand, macro::ContinueMacroCommand},
    {113, N::Nothing, StartEcho, nullptr},
    {114, N::Nothing, StartTextFileName, nullptr},
    {115, N::Nothing, StartTextFileRead, nullptr},
    {116, N::Nothing, StartTextFileWrite, nullptr},
    {117, N::NoFile, interchange::StartStreamInput, nullptr},
    {118, N::File, interchange::StartStreamOutput, nullptr},
    {119, N::Nothing, StartStreamUnit, ContinueStreamUnit},
    {120, N::NoFile, interchange::StartDxfInput, nullptr},
    {121, N::File, interchange::StartDxfOutput, nullptr},
    {122, N::Nothing, shell::StartPaint, shell::ContinuePaint},
    {123, N::File, StartExportBitmap, nullptr},
    {124, N::Nothing, shell::StartShowToolbar, nullptr},
}};

constexpr bool numbersInOrder() {
  for (std::size_t i = 0; i < kRows.size(); ++i)
    if (kRows[i].number != static_cast<std::int16_t>(i + 1)) return false;
  return true;
}
static_assert(numbersInOrder(), "row k-1 must hold command k");

}  // namespace

const CommandRow* FindCommandRow(std::int32_t number) {
  if (number < 1 || number > kLastBuiltIn) return nullptr;
  return &kRows[static_cast<std::size_t>(number - 1)];
}

const CommandRow* RowForStep(std::int32_t step) {
  if (step >= 1 && step <= kLastBuiltIn) return FindCommandRow(step);
  if (step > kStepOffset) return FindCommandRow(step - kStepOffset);
  return nullptr;
}

}  // namespace lav::command
