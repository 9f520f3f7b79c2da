#include "db/element_stream.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/byte_io.h"

namespace lav::db {

bool ValidBlock(const DesignImage& image, std::int32_t block) {
  return block >= kDataStart && block <= image.usedSize - kBlockSize;
}

std::int32_t NextBlock(const DesignImage& image, std::int32_t block) {
  return le::getI32(image.at(block + kPayloadSize));
}

void SetNextBlock(DesignImage& image, std::int32_t block, std::int32_t next) {
  le::putI32(image.at(block + kPayloadSize), next);
}

namespace {

// More blocks than the used area holds means the chain loops.
std::int32_t blockLimit(const DesignImage& image) {
  return (image.usedSize - kDataStart) / kBlockSize + 1;
}

constexpr int kRecordsPerMessageStep = 256;

}  // namespace

bool ChainReader::read(std::size_t n, std::vector<std::uint8_t>& out, std::int32_t* firstOffset) {
  while (n > 0) {
    if (pos_ == kPayloadSize) {
      const std::int32_t next = NextBlock(image_, block_);
      if (!ValidBlock(image_, next) || ++blocks_ > blockLimit(image_)) return false;
      block_ = next;
      pos_ = 0;
    }
    if (firstOffset) {
      *firstOffset = block_ + pos_;
      firstOffset = nullptr;
    }
    const std::size_t take = std::min<std::size_t>(n, kPayloadSize - pos_);
    const std::uint8_t* p = image_.at(block_ + pos_);
    out.insert(out.end(), p, p + take);
    pos_ += static_cast<std::int32_t>(take);
    n -= take;
  }
  return true;
}

std::span<const std::uint8_t> ChainReader::rest(std::int32_t& offset) {
  if (pos_ == kPayloadSize) {
    const std::int32_t next = NextBlock(image_, block_);
    if (!ValidBlock(image_, next) || blocks_ + 1 > blockLimit(image_)) return {};
    ++blocks_;
    block_ = next;
    pos_ = 0;
  }
  offset = block_ + pos_;
  return {image_.at(offset), static_cast<std::size_t>(kPayloadSize - pos_)};
}

ElementReader::ElementReader(const DesignImage& image, const CellEntry& entry)
    : entry_(entry), reader_(image, entry.firstBlock) {
  if (entry.dataSize == 0) {
    consumed_ = -1;
  } else if (entry.dataSize < 0 || !ValidBlock(image, entry.firstBlock)) {
    consumed_ = -1;
    end_ = ReadEnd::Broken;
  } else {
    rec_.reserve(2048);
  }
}

bool ElementReader::next(RecordView& view) {
  if (consumed_ < 0 || consumed_ >= entry_.dataSize) return false;
  auto broken = [&] {
    consumed_ = -1;
    end_ = ReadEnd::Broken;
    return false;
  };
  view = {};
  // A record inside one block is seen where it lies; the others are gathered into rec_.
  std::span<const std::uint8_t> in = reader_.rest(view.typeOffset);
  in = in.first(static_cast<std::size_t>(
      std::min<std::int64_t>(std::int64_t(in.size()), entry_.dataSize - consumed_)));
  // (RecordLength reads only the head and is -1 for anything that is not a record.)
  const std::int32_t whole = RecordLength(in);
  if (whole > 0 && static_cast<std::size_t>(whole) <= in.size()) {
    view.type = RecordType(in);
    reader_.skip(whole);
    consumed_ += whole;
    view.bytes = in.first(static_cast<std::size_t>(whole));
    return true;
  }
  rec_.clear();
  if (entry_.dataSize - consumed_ < 2 || !reader_.read(2, rec_, &view.typeOffset)) return broken();
  view.type = RecordType(rec_);
  if (RecordLength(rec_) == -1 &&
      (view.type < 0 || view.type > 105 || (view.type > 5 && view.type < 100)))
    return broken();
  const std::size_t head = RecordHeadBytes(view.type);
  if (consumed_ + static_cast<std::int64_t>(head) > entry_.dataSize ||
      !reader_.read(head - 2, rec_))
    return broken();
  const std::int32_t length = RecordLength(rec_);
  if (length < static_cast<std::int32_t>(head) || consumed_ + length > entry_.dataSize ||
      !reader_.read(static_cast<std::size_t>(length) - head, rec_))
    return broken();
  consumed_ += length;
  view.bytes = std::span<const std::uint8_t>(rec_.data(), rec_.size());
  return true;
}

ReadEnd ReadElements(const DesignImage& image, const CellEntry& entry,
                     const std::function<bool(const RecordView&)>& visit, Host* host,
                     bool* continueFlag) {
  ElementReader reader(image, entry);
  RecordView view;
  int sinceStep = 0;
  while (reader.next(view)) {
    if (!visit(view)) return ReadEnd::Stopped;
    if (host && continueFlag && ++sinceStep >= kRecordsPerMessageStep) {
      sinceStep = 0;
      host->messageStep(*continueFlag);
      if (!*continueFlag) return ReadEnd::Stopped;
    }
  }
  return reader.end();
}

Stamp StampOf(const LocalTime& t) {
  return {static_cast<std::int16_t>(t.year % 100), static_cast<std::int16_t>(t.month),
          static_cast<std::int16_t>(t.day),        static_cast<std::int16_t>(t.hour),
          static_cast<std::int16_t>(t.minute),     static_cast<std::int16_t>(t.second)};
}

AppendResult AppendElement(DesignState& design, std::span<const std::uint8_t> record,
                           const LocalTime& now, Host* host, bool* continueFlag) {
  auto& cell = design.current;
  auto& image = design.image;
  if (!design.hasCell() || record.empty() || record.size() > kMaxRecordBytes)
    return AppendResult::NoCell;
  const auto L = static_cast<std::int32_t>(record.size());
  auto& e = cell.entry;

  // Where the record starts: a block and the payload bytes already in use there.
  std::int32_t block = 0, f = 0;
  const bool empty = e.dataSize == 0;
  if (empty) {
    // A chain left by a deleted cell: its first block is reused, its links kept.
    if (e.firstBlock != 0 && ValidBlock(image, e.firstBlock)) block = e.firstBlock;
  } else if (cell.cursor.valid) {
    block = cell.cursor.block;
    f = cell.cursor.used;
  } else {
    if (!ValidBlock(image, e.firstBlock)) return AppendResult::OutOfImage;
    block = e.firstBlock;
    std::int32_t remaining = e.dataSize;
    std::int32_t blocks = 1;
    while (remaining > kPayloadSize) {
      const std::int32_t next = NextBlock(image, block);
      if (!ValidBlock(image, next) || ++blocks > blockLimit(image)) return AppendResult::OutOfImage;
      block = next;
      remaining -= kPayloadSize;
      if (host && continueFlag && blocks % 64 == 0) {
        host->messageStep(*continueFlag);
        if (!*continueFlag) return AppendResult::Stopped;
      }
    }
    f = remaining;
  }

  // The blocks that take what does not fit the start block: spare blocks of the chain first
  // (never one this record already uses), then new ones. All room is had before a byte is written.
  std::vector<std::int32_t> spare;
  std::int32_t fresh = block == 0 ? 1 : 0;
  for (std::int32_t at = block, rest = L - std::min(L, kPayloadSize - f); rest > 0;
       rest -= std::min(rest, kPayloadSize)) {
    const std::int32_t next = at != 0 ? NextBlock(image, at) : 0;
    if (next >= 1 && ValidBlock(image, next) && next != block &&
        std::find(spare.begin(), spare.end(), next) == spare.end()) {
      spare.push_back(next);
      at = next;
    } else {
      at = 0;
      ++fresh;
    }
  }
  if (fresh > 0 && !Reserve(image, std::int64_t(image.usedSize) + std::int64_t(fresh) * kBlockSize))
    return AppendResult::OutOfImage;

  auto newBlock = [&] {
    const std::int32_t b = image.usedSize;
    image.usedSize += kBlockSize;
    std::memset(image.at(b), 0, kBlockSize);
    return b;
  };
  std::int32_t done = 0;
  auto write = [&](std::int32_t at, std::int32_t from) {
    const std::int32_t n = std::min(L - done, kPayloadSize - from);
    std::memcpy(image.at(at + from), record.data() + done, static_cast<std::size_t>(n));
    done += n;
    return from + n;
  };
  if (block == 0) {
    block = newBlock();
    e.firstBlock = block;
  } else if (empty) {
    const std::int32_t next = NextBlock(image, block);
    std::memset(image.at(block), 0, kPayloadSize);
    SetNextBlock(image, block, next > 0 ? next : 0);
  }
  std::int32_t used = write(block, f);
  std::int32_t last = block;
  for (std::size_t k = 0; done < L; ++k) {
    std::int32_t next;
    if (k < spare.size()) {
      next = spare[k];  // its own link stays
    } else {
      next = newBlock();
      SetNextBlock(image, last, next);
    }
    used = write(next, 0);
    last = next;
  }
  cell.cursor = {last, used, true};
  e.dataSize += L;
  if (RecordVertexCount(record) > kMaxVertices) SetExtension(image, Extension::LongFigures);
  e.modified = StampOf(now);
  WriteCellEntry(image, cell.slotOffset, e);
  return AppendResult::Appended;
}

bool AppendInLastBlock(DesignState& design, std::span<const std::uint8_t> record) {
  auto& cell = design.current;
  const auto L = static_cast<std::int32_t>(record.size());
  if (!design.hasCell() || !cell.cursor.valid || cell.entry.dataSize == 0 || L == 0 ||
      L > kPayloadSize - cell.cursor.used)
    return false;
  std::memcpy(design.image.at(cell.cursor.block + cell.cursor.used), record.data(), record.size());
  cell.cursor.used += L;
  cell.entry.dataSize += L;
  return true;
}

std::uint8_t MarkDeleted(DesignImage& image, std::int32_t typeOffset) {
  // Only the low byte changes: the code may continue in the next block.
  const std::uint8_t saved = image.bytes[typeOffset];
  image.bytes[typeOffset] = static_cast<std::uint8_t>(saved + kDeletedOffset);
  return saved;
}

void UndoMarkDeleted(DesignImage& image, std::int32_t typeOffset, std::uint8_t savedLow) {
  image.bytes[typeOffset] = savedLow;
}

void SetExtent(DesignState& design, const std::array<std::int32_t, 4>& extent) {
  auto& e = design.current.entry;
  const auto& x = e.dataSize == 0 ? kDefaultExtent : extent;
  e.xmin = x[0], e.ymin = x[1], e.xmax = x[2], e.ymax = x[3];
  if (design.current.slotOffset) WriteCellEntry(design.image, design.current.slotOffset, e);
}

}  // namespace lav::db
