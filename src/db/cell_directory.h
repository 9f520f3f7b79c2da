// The cell directory: 800 slots filled from the first without gaps of free slots, then as many
// chunks of the extension as the design needs; deleted slots stay in place and are skipped by
// searches. Names are looked up through the image's name index.
#pragma once

#include <cstdint>
#include <string_view>

#include "db/design_state.h"

namespace lav::db {

enum class FindResult : std::uint8_t { Found, NotFoundAtEnd, DirectoryFull };

struct FindOutcome {
  FindResult result = FindResult::NotFoundAtEnd;  // DirectoryFull: not found, no slot is free
  std::int32_t slotOffset = 0;
};

// Looks a cell up by name (cut to 32 bytes, compared byte for byte). Changes nothing.
FindOutcome FindCell(const DesignImage& image, std::string_view name);

// Makes the cell in slotOffset the current one: its name, its working copy; the append cursor
// is invalidated, so records of one cell are never written at another's position.
void MakeCurrent(DesignState& design, std::int32_t slotOffset);

// No cell open any more.
void ClearCurrent(DesignState& design);

// Slots a new cell may use among the classic ones: 800, or 399 for designs of format version
// below 450, which also never get the extension.
int SlotLimit(std::int16_t version);
bool MayExtendDirectory(std::int16_t version);

// The first deleted or free slot within the limit, in walk order; 0 when every one is in use.
std::int32_t ReusableSlot(const DesignImage& image, std::int16_t version);

// The bytes ExtendDirectory takes: every chunk of a design has the size its header names.
std::int64_t NextChunkBytes(const DesignImage& image);

// Links a new chunk of free slots behind the directory at usedSize; its first slot, or 0 when
// the image cannot grow by it (nothing changed then).
std::int32_t ExtendDirectory(DesignImage& image);

// The slot for a new cell: a reusable one, else the first of a new chunk where the version
// allows it. 0 only when the design can take no more cells.
std::int32_t FindSlotForNewCell(DesignImage& image, std::int16_t version);

// Deleting a cell: its first name byte becomes the deleted mark; all else stays for a restore.
void MarkCellDeleted(DesignImage& image, std::int32_t slotOffset);

// The name index around a write of the slot at slotOffset (WriteCellEntry calls them).
void BeforeSlotWrite(const DesignImage& image, std::int32_t slotOffset);
void AfterSlotWrite(const DesignImage& image, std::int32_t slotOffset);

// Reads the name index afresh from the directory (after the image was filled whole).
void RebuildNameIndex(const DesignImage& image);

}  // namespace lav::db
