#include "db/cell_copy.h"

#include <cstring>
#include <unordered_set>
#include <vector>

#include "db/cell_directory.h"
#include "db/element_stream.h"

namespace lav::db {

CopyOutcome CopyCell(const DesignImage& source, std::string_view sourceName,
                     DesignImage& destination, std::int16_t destinationVersion,
                     std::string_view newName, Host* host, bool* continueFlag) {
  const std::string name = CutCellName(newName);
  if (FindCell(destination, name).result == FindResult::Found) return {CopyResult::NameTaken};
  const FindOutcome found = FindCell(source, sourceName);
  if (found.result != FindResult::Found) return {CopyResult::NotFound};
  CellEntry entry = ReadCellEntry(source, found.slotOffset);
  std::int32_t slot = ReusableSlot(destination, destinationVersion);
  // A new chunk of the directory is made last, so a refused copy leaves the design as it was.
  const std::int64_t chunk =
      slot == 0 && MayExtendDirectory(destinationVersion) ? NextChunkBytes(destination) : 0;
  if (slot == 0 && (chunk == 0 || !Reserve(destination, destination.usedSize + chunk)))
    return {CopyResult::NoSlot};
  const std::int32_t reused = slot != 0 && destination.bytes[slot] == kDeletedCellMark
                                  ? ReadCellEntry(destination, slot).firstBlock
                                  : 0;

  const std::int32_t count =
      entry.dataSize > 0 ? (entry.dataSize + kPayloadSize - 1) / kPayloadSize : 0;
  if (count == 0) {
    entry.firstBlock = reused;
  } else {
    // The payloads are taken first, so source and destination may be one image.
    std::vector<std::uint8_t> payload(static_cast<std::size_t>(count) * kPayloadSize);
    std::int32_t block = entry.firstBlock;
    for (std::int32_t i = 0; i < count; ++i) {
      if (!ValidBlock(source, block)) return {CopyResult::Damaged};
      std::memcpy(payload.data() + static_cast<std::size_t>(i) * kPayloadSize, source.at(block),
                  kPayloadSize);
      block = NextBlock(source, block);
      if (host && continueFlag) {
        host->messageStep(*continueFlag);
        if (!*continueFlag) return {CopyResult::Stopped};
      }
    }
    // The deleted slot's chain as far as it goes; a loop or a stray offset ends it.
    std::vector<std::int32_t> existing;
    std::unordered_set<std::int32_t> seen;
    for (block = reused; static_cast<std::int32_t>(existing.size()) < count &&
                         ValidBlock(destination, block) && seen.insert(block).second;) {
      existing.push_back(block);
      const std::int32_t next = NextBlock(destination, block);
      block = next >= 1 ? next : 0;
    }
    const auto kept = static_cast<std::int32_t>(existing.size());
    const std::int32_t fresh = count - kept;
    if (!Reserve(destination,
                 std::int64_t(destination.usedSize) + std::int64_t(fresh) * kBlockSize + chunk))
      return {CopyResult::TooLarge};
    const std::int32_t firstFresh = destination.usedSize;
    for (std::int32_t i = 0; i < count; ++i) {
      const bool isFresh = i >= kept;
      const std::int32_t at = isFresh ? firstFresh + (i - kept) * kBlockSize : existing[i];
      std::memcpy(destination.at(at), payload.data() + static_cast<std::size_t>(i) * kPayloadSize,
                  kPayloadSize);
      if (isFresh)
        SetNextBlock(destination, at, i + 1 < count ? at + kBlockSize : 0);
      else if (i == kept - 1 && fresh > 0)
        SetNextBlock(destination, at, firstFresh);
      // A reused block that is not the last of the old chain keeps its next offset: the spare
      // blocks behind the copy stay in the chain for later appends.
    }
    destination.usedSize += fresh * kBlockSize;
    entry.firstBlock = kept > 0 ? existing[0] : firstFresh;
  }
  if (slot == 0) slot = ExtendDirectory(destination);
  if (slot == 0) return {CopyResult::NoSlot};
  entry.setName(name);
  WriteCellEntry(destination, slot, entry);
  // A long figure copied in takes the destination beyond the classic form too.
  if (HasExtension(source, Extension::LongFigures) &&
      !HasExtension(destination, Extension::LongFigures)) {
    ReadElements(destination, entry, [&](const RecordView& r) {
      if (RecordVertexCount(r.bytes) <= kMaxVertices) return true;
      SetExtension(destination, Extension::LongFigures);
      return false;
    });
  }
  return {CopyResult::Copied, slot};
}

}  // namespace lav::db
