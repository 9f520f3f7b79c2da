#include "db/cell_directory.h"

#include <cstring>

#include "db/directory_walk.h"
#include "platform/byte_io.h"

namespace lav::db {
namespace {

std::string slotName(const DesignImage& image, std::int32_t off) {
  std::size_t n = 0;
  while (n < kNameBytes && image.bytes[off + n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(image.at(off)), n);
}

// A used slot the walk has reached: into the deleted set or the names.
void enter(const DesignImage& image, NameIndex& ix, std::int32_t off) {
  if (image.bytes[off] == kDeletedCellMark) {
    ix.deleted.insert(off);
    return;
  }
  auto [it, added] = ix.live.emplace(slotName(image, off), off);
  if (!added) {
    // The walk finds the first of two cells of one name.
    ix.duplicates = true;
    if (off < it->second) it->second = off;
  }
}

// Takes in the used slots from the end of the walk on, up to the next free slot.
void walkOn(const DesignImage& image, NameIndex& ix) {
  while (ix.end.offset != 0 && image.bytes[ix.end.offset] != kFreeSlotMark) {
    enter(image, ix, ix.end.offset);
    NextSlot(image, ix.end);
  }
}

NameIndex& index(const DesignImage& image) {
  if (!image.names.built) RebuildNameIndex(image);
  return image.names;
}

// Slots at or behind the first free one are not in the walk.
bool reached(const NameIndex& ix, std::int32_t off) {
  return ix.end.offset == 0 || off < ix.end.offset;
}

bool holds(const DesignImage& image, std::int32_t off, const std::string& name) {
  return image.bytes[off] != kFreeSlotMark && image.bytes[off] != kDeletedCellMark &&
         slotName(image, off) == name;
}

}  // namespace

void RebuildNameIndex(const DesignImage& image) {
  NameIndex& ix = image.names;
  ix = {};
  ix.built = true;
  ix.end = FirstSlot();
  if (image.allocated() && image.usedSize >= kDataStart) walkOn(image, ix);
}

FindOutcome FindCell(const DesignImage& image, std::string_view name) {
  if (!image.allocated() || image.usedSize < kDataStart) return {};  // no design: no cells
  const std::string wanted = CutCellName(name);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const NameIndex& ix = index(image);
    auto it = ix.live.find(wanted);
    if (it == ix.live.end())
      return {ix.end.offset == 0 ? FindResult::DirectoryFull : FindResult::NotFoundAtEnd, 0};
    if (holds(image, it->second, wanted)) return {FindResult::Found, it->second};
    image.names.built = false;  // the slot was changed behind the index's back
  }
  return {FindResult::NotFoundAtEnd, 0};
}

void MakeCurrent(DesignState& design, std::int32_t slotOffset) {
  auto& c = design.current;
  c.entry = ReadCellEntry(design.image, slotOffset);
  c.slotOffset = slotOffset;
  c.name = c.entry.nameText();
  c.cursor = {};
}

void ClearCurrent(DesignState& design) {
  design.current = {};
}

int SlotLimit(std::int16_t version) {
  return version < 450 ? kSlotCountBefore450 : kSlotCount;
}

bool MayExtendDirectory(std::int16_t version) {
  return version >= 450;
}

std::int32_t ReusableSlot(const DesignImage& image, std::int16_t version) {
  const NameIndex& ix = index(image);
  std::int32_t slot = ix.end.offset;
  if (!ix.deleted.empty() && (slot == 0 || *ix.deleted.begin() < slot)) slot = *ix.deleted.begin();
  const bool withinLimit = MayExtendDirectory(version) || slot < SlotOffset(SlotLimit(version) + 1);
  return withinLimit ? slot : 0;
}

std::int64_t NextChunkBytes(const DesignImage& image) {
  return ChunkBytes(index(image).end.chunk == 0 ? kSlotsPerChunk
                                                : le::getI32(image.at(kSlotsPerChunkOffset)));
}

std::int32_t ExtendDirectory(DesignImage& image) {
  NameIndex& ix = index(image);
  if (ix.end.offset != 0 || ix.end.broken) return 0;  // free slots left, or no chain to extend
  const bool first = ix.end.chunk == 0;
  const std::int64_t bytes = NextChunkBytes(image);
  const std::int64_t at = image.usedSize;
  if (!Reserve(image, at + bytes)) return 0;
  std::memset(image.at(static_cast<std::int32_t>(at)), 0, static_cast<std::size_t>(bytes));
  if (first) {
    SetExtension(image, Extension::Directory);
    le::putI32(image.at(kFirstChunkOffset), static_cast<std::int32_t>(at));
    le::putI32(image.at(kSlotsPerChunkOffset), kSlotsPerChunk);
  } else {
    le::putI32(image.at(ix.end.regionEnd), static_cast<std::int32_t>(at));
  }
  image.usedSize = static_cast<std::int32_t>(at + bytes);
  NextSlot(image, ix.end);
  return ix.end.offset;
}

std::int32_t FindSlotForNewCell(DesignImage& image, std::int16_t version) {
  if (const std::int32_t slot = ReusableSlot(image, version)) return slot;
  return MayExtendDirectory(version) ? ExtendDirectory(image) : 0;
}

void MarkCellDeleted(DesignImage& image, std::int32_t slotOffset) {
  CellEntry e = ReadCellEntry(image, slotOffset);
  e.name[0] = kDeletedCellMark;
  WriteCellEntry(image, slotOffset, e);
}

void BeforeSlotWrite(const DesignImage& image, std::int32_t off) {
  NameIndex& ix = image.names;
  if (!ix.built || !reached(ix, off)) return;
  const std::uint8_t first = image.bytes[off];
  if (first == kDeletedCellMark) {
    ix.deleted.erase(off);
  } else if (first != kFreeSlotMark) {
    auto it = ix.live.find(slotName(image, off));
    if (ix.duplicates)
      ix.built = false;  // another slot of that name may take its place: read again when asked
    else if (it != ix.live.end() && it->second == off)
      ix.live.erase(it);
  }
}

void AfterSlotWrite(const DesignImage& image, std::int32_t off) {
  NameIndex& ix = image.names;
  if (!ix.built) return;
  const bool free = image.bytes[off] == kFreeSlotMark;
  if (off == ix.end.offset) {
    walkOn(image, ix);
  } else if (reached(ix, off)) {
    if (free)
      ix.built = false;  // a used slot never becomes free again; if one does, read afresh
    else
      enter(image, ix, off);
  }
}

}  // namespace lav::db
