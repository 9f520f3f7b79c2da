// A cell's element stream: the payloads of its block chain, cut at its DataSize. Records are
// appended at its end and read back one by one; a record may cross from one block to the next.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "db/design_image.h"
#include "db/design_state.h"
#include "db/record_codec.h"
#include "platform/host.h"

namespace lav::db {

// A record as read from a stream: its bytes (contiguous copy) and where its type code lies.
struct RecordView {
  std::int16_t type = 0;        // as stored: 0..5, or 100..105 for a deleted record
  std::int32_t typeOffset = 0;  // image offset of the type code's first byte
  std::span<const std::uint8_t> bytes;
  bool deleted() const { return type >= kDeletedOffset; }
  ElementType kind() const { return static_cast<ElementType>(type % kDeletedOffset); }
};

enum class ReadEnd : std::uint8_t {
  Complete,  // DataSize bytes were read
  Broken,    // the chain or a record does not fit the image: reading stopped there
  Stopped,   // the continue flag was cleared, or the visitor asked to stop
};

// Reads bytes of a stream across its blocks, checking every link.
class ChainReader {
 public:
  ChainReader(const DesignImage& image, std::int32_t first) : image_(image), block_(first) {}
  // Appends n bytes to out; false when the chain breaks. firstOffset receives the image offset
  // of the first byte read.
  bool read(std::size_t n, std::vector<std::uint8_t>& out, std::int32_t* firstOffset = nullptr);
  // The rest of the current block's payload (the next block's when this one is used up),
  // empty when the chain breaks there; where it starts in the image.
  std::span<const std::uint8_t> rest(std::int32_t& offset);
  void skip(std::int32_t n) { pos_ += n; }

 private:
  const DesignImage& image_;
  std::int32_t block_;
  std::int32_t pos_ = 0;
  std::int32_t blocks_ = 1;
};

// The records of the stream described by entry, one at a time, for loops that visit every
// record of large designs (entry must outlive the reader).
class ElementReader {
 public:
  ElementReader(const DesignImage& image, const CellEntry& entry);
  // The next record; false at the end of the stream or where it breaks (end() says which).
  bool next(RecordView& view);
  ReadEnd end() const { return end_; }

 private:
  const CellEntry& entry_;
  ChainReader reader_;
  std::vector<std::uint8_t> rec_;  // a record that spans blocks, gathered
  std::int64_t consumed_ = 0;      // -1 once the reader has ended
  ReadEnd end_ = ReadEnd::Complete;
};

// Reads every record of the stream described by entry. The visitor returns false to stop.
// With a host, the shared message step runs between records and a cleared flag stops.
ReadEnd ReadElements(const DesignImage& image, const CellEntry& entry,
                     const std::function<bool(const RecordView&)>& visit, Host* host = nullptr,
                     bool* continueFlag = nullptr);

// A block offset that a chain may hold: a whole block inside the used data area.
bool ValidBlock(const DesignImage& image, std::int32_t block);
// The link to the chain's next block (0 at the end).
std::int32_t NextBlock(const DesignImage& image, std::int32_t block);
void SetNextBlock(DesignImage& image, std::int32_t block, std::int32_t next);

enum class AppendResult : std::uint8_t { Appended, OutOfImage, Stopped, NoCell };

// The longest record: a line of as many vertices as its count can hold.
inline constexpr std::size_t kMaxRecordBytes = 12 + 8 * std::size_t{kMaxRecordVertices};

// Appends one record to the current cell's stream, refreshing its modification stamp, and writes
// the working copy back to its slot. A record longer than the room left in the last block goes on
// in the chain's spare blocks and then in new ones. Nothing is written when the new blocks would
// end beyond the image. A figure of more than 200 vertices marks the design's extended form.
AppendResult AppendElement(DesignState& design, std::span<const std::uint8_t> record,
                           const LocalTime& now, Host* host = nullptr,
                           bool* continueFlag = nullptr);

// The common case of AppendElement for importers that write many records in a row: a record
// that fits the rest of the current cell's last block (found by the AppendCursor) is copied there.
// Neither the stamp nor the slot is touched: the caller writes the working copy back before
// anything else reads the slot. False, with nothing written, when the append needs more.
bool AppendInLastBlock(DesignState& design, std::span<const std::uint8_t> record);

// Marks the record whose type code starts at typeOffset as deleted (type + 100); returns the
// low byte it replaced, for undoing.
std::uint8_t MarkDeleted(DesignImage& image, std::int32_t typeOffset);
void UndoMarkDeleted(DesignImage& image, std::int32_t typeOffset, std::uint8_t savedLow);

// Sets the current cell's extent (the default when it has no data) and writes it back.
void SetExtent(DesignState& design, const std::array<std::int32_t, 4>& extent);

// A stamp from the clock.
Stamp StampOf(const LocalTime& t);

}  // namespace lav::db
