// The cell tree report (command 13): the open cell is walked once with every placement expanded,
// the placements the walk reports become the raw lines of "TREE.$$$", repeated siblings are
// dropped into "TREE.$1$", and the connectors are drawn into the report TREE%03d.TXT, the first
// free number from the report counter on. The work files are gone after every run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lav::interchange {

struct ExchangeState;

inline constexpr const char* kTreeRawFile = "TREE.$$$";
inline constexpr const char* kTreeUniqueFile = "TREE.$1$";

enum class TreeOutcome : std::uint8_t {
  Written,  // the report exists; the report counter names it
  Stopped,  // Escape: the work files were deleted, no report
  Failed,   // a file could not be written (the message was shown): no report
};

// Runs the walk and both passes in the current directory, with the title and the prompt line
// showing "実行中". Show Scell, Show Acell and the tree mode are as before afterwards.
TreeOutcome WriteTreeReport(ExchangeState& app);

// The lines of a text file without their line ends; nullopt when it cannot be read.
std::optional<std::vector<std::string>> ReadTreeFileLines(const std::string& path);

}  // namespace lav::interchange
