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
#include "platform/host.h"

namespace lav::db {

enum class ElementType : std::int16_t {
  ACell = 0,
  SCell = 1,
  Text = 2,
  Rect = 3,
  Polygon = 4,
  Line = 5
};
inline constexpr std::int16_t kDeletedOffset = 100;

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

// Reads every record of the stream described by entry. The visitor returns false to stop.
// With a host, the shared message step runs between records and a cleared flag stops.
ReadEnd ReadElements(const DesignImage& image, const CellEntry& entry,
                     const std::function<bool(const RecordView&)>& visit, Host* host = nullptr,
                     bool* continueFlag = nullptr);

// A block offset that a chain may hold: a whole block inside the used data area.
bool ValidBlock(const DesignImage& image, std::int32_t block);
// The link to the chain's next block (0 at the end).
std::int32_t NextBlock(const DesignImage& image, std::int32_t block);

// Length of a record from its first bytes (nullopt-like -1 when they are not a record).
std::int32_t RecordLength(std::span<const std::uint8_t> head);

enum class AppendResult : std::uint8_t { Appended, OutOfImage, Stopped, NoCell };

// Appends one record (at most 2000 bytes) to the current cell's stream, refreshing its
// modification stamp unless stamp is given, and writes the working copy back to its slot.
// Nothing is written when a new block would end beyond the image.
AppendResult AppendElement(DesignState& design, std::span<const std::uint8_t> record,
                           const LocalTime& now, Host* host = nullptr,
                           bool* continueFlag = nullptr);

// Marks the record whose type code starts at typeOffset as deleted (type + 100); returns the
// low byte it replaced, for undoing.
std::uint8_t MarkDeleted(DesignImage& image, std::int32_t typeOffset);
void UndoMarkDeleted(DesignImage& image, std::int32_t typeOffset, std::uint8_t savedLow);

// Sets the current cell's extent (the default when it has no data) and writes it back.
void SetExtent(DesignState& design, const std::array<std::int32_t, 4>& extent);

// A stamp from the clock.
Stamp StampOf(const LocalTime& t);

// --- record builders (bytes laid out for the stream) ---
struct Placement {
  std::string cellName;
  std::int16_t reflection = 0;
  std::uint32_t magnification = 1000000;
  std::uint32_t angle = 0;
  std::int32_t x = 0, y = 0;
  std::int32_t columns = 1, rows = 1, pitchX = 0, pitchY = 0;  // arrays only
};
struct TextRecord {
  std::int16_t layer = 0, kind = 0, reflection = 0;
  std::int32_t size = 0;
  std::uint32_t magnification = 1000000, angle = 0;
  std::string text;
  std::int32_t x = 0, y = 0;
};
struct Vertex {
  std::int32_t x = 0, y = 0;
};
std::vector<std::uint8_t> EncodeArray(const Placement& p);
std::vector<std::uint8_t> EncodeSingle(const Placement& p);
std::vector<std::uint8_t> EncodeText(const TextRecord& t);
// Rectangle (type 3) or closed polygon (type 4) with its vertex list as given.
std::vector<std::uint8_t> EncodeArea(ElementType type, std::int16_t layer,
                                     const std::vector<Vertex>& vertices);
std::vector<std::uint8_t> EncodeLine(std::int16_t layer, std::int16_t tip, std::int32_t width,
                                     const std::vector<Vertex>& vertices);

}  // namespace lav::db
