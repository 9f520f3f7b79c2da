// What the cell tree report keeps for the whole run of the program.
#pragma once

#include <cstdint>

namespace lav::interchange {

enum class TreeRun : std::uint8_t {
  Off,
  Writing,   // the walk is reporting placements
  Aborted,   // a check or a file failed: no passes, no report
  NoDesign,  // the writer found no design open
};

struct TreeState {
  TreeRun run = TreeRun::Off;
  int reportNumber = 0;  // TREE%03d.TXT last written or chosen; the next search starts here
};

}  // namespace lav::interchange
