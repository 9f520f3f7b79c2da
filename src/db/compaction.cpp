#include "db/compaction.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "db/cell_directory.h"
#include "db/core_state.h"
#include "db/design_files.h"
#include "db/design_header.h"
#include "db/directory_walk.h"
#include "db/element_stream.h"
#include "db/messages.h"
#include "db/refusal.h"
#include "platform/byte_io.h"

namespace lav::db {
namespace {

// Copies a layer table that the header marks present to the destination position.
bool copyTable(const DesignImage& src, DesignImage& dst, HeaderBlock which, std::int32_t size,
               std::int32_t& at) {
  if (!HasHeaderBlock(src, which)) return true;
  const std::int32_t from = HeaderBlockAt(src, which);
  if (from < kDataStart || from > src.usedSize - size) return false;
  std::memcpy(dst.at(at), src.at(from), size);
  SetHeaderBlock(dst, which, at);
  at += size;
  return true;
}

// Lays out the extension for `slots` slots beyond the classic ones as consecutive chunks at
// `at`; the offset of each packed slot in order, the classic ones first.
std::vector<std::int32_t> packedSlots(DesignImage& dst, std::int64_t slots, std::int32_t& at) {
  std::vector<std::int32_t> out;
  for (int k = 1; k <= kSlotCount && std::int64_t(out.size()) < slots; ++k)
    out.push_back(SlotOffset(k));
  if (HasExtension(dst, Extension::Directory)) {
    // A design that fits the classic directory again is stored in the classic form.
    ClearExtension(dst, Extension::Directory);
    le::putI32(dst.at(kFirstChunkOffset), 0);
    le::putI32(dst.at(kSlotsPerChunkOffset), 0);
  }
  const std::int64_t beyond = slots - kSlotCount;
  if (beyond <= 0) return out;
  SetExtension(dst, Extension::Directory);
  le::putI32(dst.at(kFirstChunkOffset), at);
  le::putI32(dst.at(kSlotsPerChunkOffset), kSlotsPerChunk);
  const std::int64_t chunks = (beyond + kSlotsPerChunk - 1) / kSlotsPerChunk;
  for (std::int64_t c = 0; c < chunks; ++c) {
    const std::int32_t chunk = at;
    at += static_cast<std::int32_t>(ChunkBytes(kSlotsPerChunk));
    for (int i = 0; i < kSlotsPerChunk; ++i) out.push_back(chunk + i * kSlotSize);
    le::putI32(dst.at(chunk + kSlotsPerChunk * kSlotSize), c + 1 < chunks ? at : 0);
  }
  return out;
}

}  // namespace

std::optional<DesignImage> PackImage(const DesignImage& src, bool dropDeleted, PackError& error,
                                     Host* host, bool* continueFlag) {
  error = PackError::None;
  DesignImage dst;
  dst.maxSize = src.maxSize;
  // The packed design is rarely larger than the source: one allocation is usually all it takes.
  std::int32_t at = kDataStart;
  if (!Reserve(dst, std::min(src.maxSize, std::max(kClassicImageSize, src.usedSize))) ||
      !Reserve(dst, std::int64_t(at) + kHatchBlockSize + kLayerNamesBlockSize)) {
    error = PackError::TooLarge;
    return std::nullopt;
  }
  std::memcpy(dst.bytes.data(), src.bytes.data(), kHeaderSize);
  if (!copyTable(src, dst, HeaderBlock::HatchCounts, kHatchBlockSize, at) ||
      !copyTable(src, dst, HeaderBlock::LayerNames, kLayerNamesBlockSize, at)) {
    error = PackError::Damaged;
    return std::nullopt;
  }
  // The slots that stay, then a directory just large enough for them, behind the layer tables.
  std::vector<std::int32_t> keep;
  for (const std::int32_t off : DirectorySlots(src)) {
    if (src.bytes[off] == kFreeSlotMark) break;
    if (src.bytes[off] == kDeletedCellMark && dropDeleted) continue;
    keep.push_back(off);
  }
  const std::int64_t beyond = std::int64_t(keep.size()) - kSlotCount;
  const std::int64_t chunks = beyond > 0 ? (beyond + kSlotsPerChunk - 1) / kSlotsPerChunk : 0;
  if (!Reserve(dst, std::int64_t(at) + chunks * ChunkBytes(kSlotsPerChunk))) {
    error = PackError::TooLarge;
    return std::nullopt;
  }
  const std::vector<std::int32_t> slots = packedSlots(dst, std::int64_t(keep.size()), at);
  std::size_t kept = 0;
  std::vector<std::uint8_t> stream;
  for (const std::int32_t off : keep) {
    CellEntry e = ReadCellEntry(src, off);
    stream.clear();
    const ReadEnd end = ReadElements(
        src, e,
        [&](const RecordView& r) {
          if (!r.deleted()) stream.insert(stream.end(), r.bytes.begin(), r.bytes.end());
          return true;
        },
        host, continueFlag);
    if (end != ReadEnd::Complete) {
      // A record that cannot be read would be lost silently by packing around it.
      error = end == ReadEnd::Stopped ? PackError::Stopped : PackError::Damaged;
      return std::nullopt;
    }
    // Even a cell without live records advances the destination by one whole block.
    const auto size = static_cast<std::int32_t>(stream.size());
    const std::int32_t blocks = std::max<std::int32_t>(1, (size + kPayloadSize - 1) / kPayloadSize);
    if (!Reserve(dst, std::int64_t(at) + std::int64_t(blocks) * kBlockSize)) {
      error = PackError::TooLarge;
      return std::nullopt;
    }
    e.dataSize = size;
    e.firstBlock = size == 0 ? 0 : at;
    for (std::int32_t b = 0; b < blocks; ++b) {
      const std::int32_t block = at + b * kBlockSize;
      const std::int32_t from = b * kPayloadSize;
      const std::int32_t n = std::clamp(size - from, 0, kPayloadSize);
      if (n > 0) std::memcpy(dst.at(block), stream.data() + from, static_cast<std::size_t>(n));
      SetNextBlock(dst, block, b + 1 < blocks ? block + kBlockSize : 0);
    }
    at += blocks * kBlockSize;
    WriteCellEntry(dst, slots[kept++], e);
    // The reader steps only every few hundred records; small cells get one step each.
    if (host && continueFlag) {
      host->messageStep(*continueFlag);
      if (!*continueFlag) {
        error = PackError::Stopped;
        return std::nullopt;
      }
    }
  }
  dst.usedSize = at;
  return dst;
}

bool CompactDesign(CoreState& app, bool dropDeleted, Refusal& refusal) {
  auto& d = app.design;
  if (!d.isOpen()) {
    refusal = {msg::kNotOpenYet};
    return false;
  }
  PackError error = PackError::None;
  auto packed = PackImage(d.image, dropDeleted, error, &app.host, &app.continueFlag);
  if (!packed) {
    // Refused before anything changed.
    if (error == PackError::TooLarge) refusal = {msg::kCompactionTooLarge};
    if (error == PackError::Damaged) refusal = {msg::kDamaged, d.path};
    return false;
  }
  d.image = std::move(*packed);
  ClearCurrent(d);
  app.host.invalidate(Window::Status);
  app.host.invalidate(Window::Graphics);
  return true;
}

}  // namespace lav::db
