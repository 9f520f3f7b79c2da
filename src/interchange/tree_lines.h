// The text of the cell tree report: the raw lines the hierarchy walk reports, the pass that drops
// repeated siblings and the pass that draws the box-drawing connectors. Lines are Shift-JIS bytes
// without their line end.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace lav::interchange {

// Width the first line is filled to with '-'.
inline constexpr std::size_t kTreeFrameWidth = 75;
// The depth numbers start this many columns after the longest cell name.
inline constexpr std::size_t kTreeNameColumnExtra = 21;

// Box-drawing characters of the report (Shift-JIS).
inline constexpr std::string_view kTreeBranch = "\x84\xA5";    // a sibling follows below
inline constexpr std::string_view kTreeLast = "\x84\xA4";      // the last branch
inline constexpr std::string_view kTreeVertical = "\x84\xA0";  // an ancestor's sibling follows

// " ------ <path> ----" filled with '-' to 75 characters.
std::string TreeFirstLine(std::string_view designPath);

// The open cell: name padded to nameColumn, depth 0, "HH:MM:SS MM/DD/YY" and the nesting limit.
std::string TreeRootLine(std::string_view cellName, std::size_t nameColumn, const LocalTime& time,
                         int nest);

// A placement at depth (1 in the open cell): two blanks per depth, the name, blanks up to
// nameColumn, the depth and the kind; a cell the design lacks gets the warning instead.
std::string TreePlacementLine(bool array, bool defined, std::string_view cellName, int depth,
                              std::size_t nameColumn);

// The last raw line of a run stopped by Escape.
std::string_view TreeInterruptedLine();

// Called once per line by the passes; false stops the pass.
using TreeLineStep = std::function<bool()>;

// Keeps one of each identical sibling line (same parent, same name and kind) with its subtree;
// every line after the first gets a leading blank. nullopt when step stopped the pass.
std::optional<std::vector<std::string>> RemoveRepeatedSiblings(
    const std::vector<std::string>& rawLines, const TreeLineStep& step);

// Puts the connectors into the indentation of the lines RemoveRepeatedSiblings made. nullopt
// when step stopped the pass.
std::optional<std::vector<std::string>> DrawTreeConnectors(const std::vector<std::string>& lines,
                                                           const TreeLineStep& step);

// "TREE%03d.TXT".
std::string TreeReportName(int number);

// The cell name a report line stands for: its first word that is not made of connectors.
std::string TreeLineCellName(std::string_view line);

}  // namespace lav::interchange
