#include "db/cell_directory.h"

#include <cstring>

namespace lav::db {

FindOutcome FindCell(const DesignImage& image, std::string_view name) {
  FindOutcome out;
  const std::string wanted = CutCellName(name);
  for (int k = 1; k <= kSlotCount; ++k) {
    const std::int32_t off = SlotOffset(k);
    const std::uint8_t first = image.bytes[off];
    if (first == kFreeSlotMark) {
      out.result = FindResult::NotFoundAtEnd;
      return out;
    }
    if (first == kDeletedCellMark) continue;
    std::size_t n = 0;
    while (n < kNameBytes && image.bytes[off + n] != 0) ++n;
    if (static_cast<int>(n) > out.longestName) out.longestName = static_cast<int>(n);
    if (n == wanted.size() && std::memcmp(image.at(off), wanted.data(), n) == 0) {
      out.result = FindResult::Found;
      out.slotOffset = off;
      return out;
    }
  }
  out.result = FindResult::DirectoryFull;
  return out;
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

std::int32_t FindSlotForNewCell(const DesignImage& image, std::int16_t version) {
  for (int k = 1; k <= SlotLimit(version); ++k) {
    const std::uint8_t first = image.bytes[SlotOffset(k)];
    if (first == kFreeSlotMark || first == kDeletedCellMark) return SlotOffset(k);
  }
  return 0;
}

}  // namespace lav::db
