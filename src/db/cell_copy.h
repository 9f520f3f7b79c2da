// Copying a cell, within one design or out of another: the new slot takes the source's entry
// under the new name and a copy of its block chain, reusing the chain of a deleted slot first.
#pragma once

#include <cstdint>
#include <string_view>

#include "db/design_image.h"
#include "platform/host.h"

namespace lav::db {

enum class CopyResult : std::uint8_t {
  Copied,
  NameTaken,  // the new name is a cell of the destination already
  NotFound,   // no such source cell
  NoSlot,     // no free or deleted slot within the destination's slot limit
  TooLarge,   // the new blocks would end beyond the image: nothing was written
  Damaged,    // the source chain leaves its image: nothing was written
  Stopped,    // Escape while the source was read: nothing was written
};

struct CopyOutcome {
  CopyResult result = CopyResult::NotFound;
  std::int32_t slotOffset = 0;  // the new cell's slot when copied
};

// Copies cell sourceName of source into destination as newName (both cut to 32 bytes).
// source may be destination itself. Neither design's current cell is touched.
CopyOutcome CopyCell(const DesignImage& source, std::string_view sourceName,
                     DesignImage& destination, std::int16_t destinationVersion,
                     std::string_view newName, Host* host = nullptr, bool* continueFlag = nullptr);

}  // namespace lav::db
