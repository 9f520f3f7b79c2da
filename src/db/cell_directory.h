// The cell directory: 800 slots filled from the first without gaps of free slots; deleted
// slots stay in place and are skipped by searches.
#pragma once

#include <cstdint>
#include <string_view>

#include "db/design_state.h"

namespace lav::db {

enum class FindResult : std::uint8_t { Found, NotFoundAtEnd, DirectoryFull };

struct FindOutcome {
  FindResult result = FindResult::NotFoundAtEnd;
  std::int32_t slotOffset = 0;
  int longestName = 0;  // longest name seen, for laying out lists
};

// Looks a cell up by name (cut to 32 bytes, compared byte for byte). Changes nothing.
FindOutcome FindCell(const DesignImage& image, std::string_view name);

// Makes the cell in slotOffset the current one: its name, its working copy; the append cursor
// is invalidated, so records of one cell are never written at another's position.
void MakeCurrent(DesignState& design, std::int32_t slotOffset);

// No cell open any more.
void ClearCurrent(DesignState& design);

// Slots a new cell may use: 800, or 399 for designs of format version below 450.
int SlotLimit(std::int16_t version);

// The first slot from 1 up to the limit that is free or deleted; 0 when none.
std::int32_t FindSlotForNewCell(const DesignImage& image, std::int16_t version);

}  // namespace lav::db
