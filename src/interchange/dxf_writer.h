// The open design as an AC1009 ASCII DXF drawing: a layer table of the layers in use, a block per
// cell, the cell named ENTITIES as the drawing itself. The design is only read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "db/design_image.h"
#include "interchange/dxf_pairs.h"

namespace lav {
class Host;
}

namespace lav::interchange {

enum class DxfWriteEnd : std::uint8_t {
  Normal,
  WriteFailed,  // the sink refused bytes; the text is incomplete
  Stopped,      // the continue flag was cleared (Escape); the text is incomplete
  Broken,       // a cell's element stream is damaged; the text stops before it
};

struct DxfWriteOptions {
  std::int32_t dbPerUserUnit = 1000;
  Host* host = nullptr;          // message step between elements
  bool* continueFlag = nullptr;  // cleared by Escape: the run stops
  // Called for each cell as it is written (for the log).
  std::function<void(const db::CellEntry&)> onCell;
};

struct DxfWriteResult {
  DxfWriteEnd end = DxfWriteEnd::Normal;
  int cells = 0;
  std::int64_t elements = 0;
  std::uint64_t bytes = 0;
  std::string brokenCell;
};

// Writes the whole drawing to the writer's sink and flushes it.
DxfWriteResult WriteDxf(const db::DesignImage& image, DxfPairWriter& out,
                        const DxfWriteOptions& options);

}  // namespace lav::interchange
