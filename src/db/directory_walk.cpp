#include "db/directory_walk.h"

#include "platform/byte_io.h"

namespace lav::db {

SlotCursor FirstSlot() {
  SlotCursor c;
  c.offset = kHeaderSize;
  c.regionEnd = kDataStart;
  return c;
}

void NextSlot(const DesignImage& image, SlotCursor& c) {
  if (c.broken) return;
  if (c.offset != 0) {
    c.offset += kSlotSize;
    ++c.number;
    if (c.offset < c.regionEnd) return;
    c.offset = 0;
  }
  std::int32_t link = 0;
  if (c.chunk == 0) {
    if (HasExtension(image, Extension::Directory)) link = le::getI32(image.at(kFirstChunkOffset));
  } else if (std::int64_t(c.regionEnd) + 4 <= image.usedSize) {
    link = le::getI32(image.at(c.regionEnd));
  }
  if (link == 0) return;
  const std::int32_t slots = le::getI32(image.at(kSlotsPerChunkOffset));
  const std::int64_t after = c.chunk == 0 ? kDataStart : std::int64_t(c.regionEnd) + 4;
  if (slots < 1 || link < after || link + ChunkBytes(slots) > image.usedSize) {
    c.broken = true;
    return;
  }
  c.chunk = link;
  c.offset = link;
  c.regionEnd = static_cast<std::int32_t>(link + std::int64_t(slots) * kSlotSize);
}

}  // namespace lav::db
