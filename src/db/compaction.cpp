#include "db/compaction.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "db/cell_directory.h"
#include "db/core_state.h"
#include "db/design_files.h"
#include "db/design_header.h"
#include "db/element_stream.h"
#include "db/messages.h"
#include "platform/sjis.h"

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
  int kept = 0;
  std::vector<std::uint8_t> stream;
  for (int k = 1; k <= kSlotCount; ++k) {
    const std::int32_t off = SlotOffset(k);
    if (src.bytes[off] == kFreeSlotMark) break;
    if (src.bytes[off] == kDeletedCellMark && dropDeleted) continue;
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
    WriteCellEntry(dst, SlotOffset(++kept), e);
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

bool CompactDesign(CoreState& app, bool dropDeleted) {
  auto& d = app.design;
  auto show = [&](const char* text, std::string_view arg = {}) {
    ShowRefusalBox(app.host, FormatMessage(text, arg), sjis::fromUtf8(msg::kCaptionError));
  };
  if (!d.isOpen()) {
    show(msg::kNotOpenYet);
    return false;
  }
  PackError error = PackError::None;
  auto packed = PackImage(d.image, dropDeleted, error, &app.host, &app.continueFlag);
  if (!packed) {
    // Refused before anything changed.
    if (error == PackError::TooLarge) show(msg::kCompactionTooLarge);
    if (error == PackError::Damaged) show(msg::kDamaged, d.path);
    return false;
  }
  d.image = std::move(*packed);
  ClearCurrent(d);
  app.host.invalidate(Window::Status);
  app.host.invalidate(Window::Graphics);
  return true;
}

}  // namespace lav::db
