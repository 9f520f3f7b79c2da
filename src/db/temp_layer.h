// The temporary input layer: up to 200 points in user units that become elements of a cell only
// through OutputTempLayer, the one way new elements are made (typed entry, importers, geometry).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "db/design_state.h"
#include "db/element_stream.h"
#include "db/record_codec.h"
#include "platform/host.h"

namespace lav {
struct Settings;
}

namespace lav::db {

// What interactive entry holds. Importers fill a layer of their own that holds as many points
// as a record can (kMaxRecordVertices), so that long figures are stored whole.
inline constexpr int kTempCapacity = 200;

struct UserPoint {
  double x = 0, y = 0;
  bool operator==(const UserPoint&) const = default;
};

// An element taken out of a cell for editing: its record is marked deleted until the edited copy
// is written, or it is put back.
struct PendingPick {
  bool active = false;
  std::int32_t typeOffset = 0;  // image offset of the record's type code
  std::uint8_t savedLow = 0;    // low byte of the type code before it was raised by 100
  std::int16_t type = 0;        // the record's type, 0..5
};

struct TempLayer {
  TempLayer() = default;
  explicit TempLayer(std::int32_t capacity)
      : points(static_cast<std::size_t>(capacity)), capacity(capacity) {}

  std::vector<UserPoint> points = std::vector<UserPoint>(kTempCapacity);
  std::int32_t capacity = kTempCapacity;
  std::int32_t count = 0;  // `TempPointCount`
  PendingPick pick;

  bool empty() const { return count == 0; }
  bool full() const { return count >= capacity; }
  std::span<const UserPoint> used() const { return {points.data(), static_cast<size_t>(count)}; }
  // Appends while there is room; false when full.
  bool push(UserPoint p);
  // Replaces the content (at most capacity points are kept).
  void assign(std::span<const UserPoint> pts);
  void clear() { count = 0; }
};

// The element settings that output reads. Importers and geometry commands fill one of their own;
// the command layer takes it from the program's settings.
struct ElementSettings {
  std::int16_t elementType = TypeCode(ElementType::Polygon);  // 0..5, `ElementType`
  std::int16_t layer = 1;
  std::int32_t width = 0;  // database units
  std::int16_t lineTipType = 0;
  std::int16_t reflection = 0;
  std::uint32_t angle = 0;                // millionths of a degree, 0 <= angle < 360,000,000
  std::uint32_t magnification = 1000000;  // millionths
  std::int32_t columns = 1, rows = 1;
  std::int32_t pitchX = 0, pitchY = 0;  // database units
  std::string cellName;                 // placed cell (Shift-JIS, at most 32 bytes)
  std::string text;                     // text of texts (Shift-JIS, at most 512 bytes)
  std::int16_t textKind = 0;
  std::int32_t textSize = 0;
  std::int32_t dbPerUserUnit = 1000;  // `DbPerUserUnit` of the open design
  int acuteTip = 1;                   // `Acute tip`, shapes the outline that bounds a wide line
};

ElementSettings ElementSettingsOf(const Settings& s);
// The placement that output writes for the placed cell at one point.
Placement PlacementAt(const ElementSettings& s, Vertex at);

// --- entering points ---

// How a typed pair becomes a point. The reference point (database units) is the origin relative
// input is shown against; in mode 3 it is added to the pair.
struct EntryModes {
  int absMode = 0;  // `Abs` 0..3
  int lock = 0;     // `Lock` 0..3
  std::int16_t elementType = TypeCode(ElementType::Polygon);
  std::int32_t dbPerUserUnit = 1000;
};

// Adds the pair (x, y) in the coordinate mode. With applyLock (points of the continued entry) the
// angle constraint of polygons and lines is applied, which may insert a corner point; a point equal
// to the one before it is dropped. Modes 1 and 2 move the reference point. Returns the number of
// points added (0, 1 or 2), or kPointOutOfRange (nothing added, the reference point unchanged)
// when the point is no finite number or lies beyond the int32 range of database units.
inline constexpr int kPointOutOfRange = -1;
int AddTypedPoint(TempLayer& temp, const EntryModes& modes, std::int32_t& refX, std::int32_t& refY,
                  double x, double y, bool applyLock);

// The reference point when an entry starts without arguments: (0, 0) for an empty layer in modes
// 1 and 2, else the last (mode 1) or first (mode 2) point; mode 0 and 3 leave it.
void StartEntryReference(const TempLayer& temp, const EntryModes& modes, std::int32_t& refX,
                         std::int32_t& refY);

// Takes back the last n points (n > 0) or the first -n points (n < 0); |n| is cut to the count.
void TakeBackPoints(TempLayer& temp, int n);

// Cleans database-unit points by element type: placements and texts lose repeated points; the
// others lose consecutive duplicates and collinear middle points, and closed figures are closed
// (while fewer than capacity points) and lose a closing vertex on a straight edge.
void NormalizePoints(std::vector<Vertex>& points, ElementType type,
                     std::size_t capacity = kTempCapacity);

// --- output ---

enum class OutputStatus : std::uint8_t {
  Written,        // records were appended
  Nothing,        // degenerate input (too few points, empty name or text): nothing written
  NoDestination,  // no design or no cell open
  TooManyPoints,  // an unclosed rectangle or polygon that fills the layer
  OutOfImage,     // the design's data area is full; nothing further was written
  Stopped,        // the continue flag was cleared while the end of the stream was searched
};

struct OutputOptions {
  bool keepPoints = false;  // leave the points in the layer (output that keeps the figure)
  bool keepStamp = false;   // an import bringing its own stamps: do not touch the modified stamp
  Host* host = nullptr;     // message step while the end of the stream is searched
  bool* continueFlag = nullptr;
};

struct OutputResult {
  OutputStatus status = OutputStatus::Nothing;
  int records = 0;
  bool written() const { return status == OutputStatus::Written; }
};

// Turns the layer's points and the element settings into records appended to the current cell
// and extends the cell's extent. On success the layer is emptied (unless keepPoints) and a pending
// pick is forgotten: the picked element stays deleted, its edited copy has been written.
OutputResult OutputTempLayer(DesignState& design, TempLayer& temp, const ElementSettings& s,
                             const LocalTime& now, const OutputOptions& options = {});

// The same into the named cell, which does not become current; the points stay in the layer.
// Status Nothing when the cell does not exist.
OutputResult OutputTempLayerToCell(DesignState& design, TempLayer& temp, const ElementSettings& s,
                                   std::string_view cellName, const LocalTime& now,
                                   const OutputOptions& options = {});

// The refusal a command shows for a status (UTF-8), or null for Written and Nothing.
const char* OutputMessage(OutputStatus status);

}  // namespace lav::db
