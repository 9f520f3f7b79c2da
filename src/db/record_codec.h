// The one codec of a design's records: a plain struct per record kind with one decode and one
// encode function each. Nothing outside this module (and the header table of design_header.cpp)
// knows where a field lies inside a record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

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

// Type codes kept as plain numbers (settings, the temporary input layer, figures, stored
// records) compare with the enum itself.
constexpr bool operator==(int code, ElementType type) {
  return code == static_cast<int>(type);
}
// The enum as the plain number those places keep.
constexpr std::int16_t TypeCode(ElementType type) {
  return static_cast<std::int16_t>(type);
}

// A text's length limit, in Shift-JIS bytes: longer texts are cut where they enter a design.
inline constexpr std::size_t kTextBytes = 512;
// A full turn in the unit of stored angles (millionths of a degree).
inline constexpr std::int32_t kFullTurn = 360'000'000;

using RecordBytes = std::span<const std::uint8_t>;

// Type code as stored (100..105 for a deleted record); -1 when fewer than two bytes are given.
std::int16_t RecordType(RecordBytes record);

// Length of a record from its first bytes (-1 when they are not a record).
std::int32_t RecordLength(RecordBytes head);

// Bytes of a record of this type (deleted or not) that tell its length.
std::size_t RecordHeadBytes(int type);

// The vertex count of a rectangle, polygon or line (deleted or not); 0 for any other record.
std::int32_t RecordVertexCount(RecordBytes record);

// The layer of a text, rectangle, polygon or line; none for a placement or a short record.
std::optional<std::int16_t> RecordLayer(RecordBytes record);

struct Vertex {
  std::int32_t x = 0, y = 0;
};

// An array (type 0) or single (type 1) placement.
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
// A rectangle (type 3) or closed polygon (type 4).
struct AreaRecord {
  ElementType type = ElementType::Polygon;
  std::int16_t layer = 0;
  std::vector<Vertex> vertices;
};
struct LineRecord {
  std::int16_t layer = 0, tip = 0;
  std::int32_t width = 0;
  std::vector<Vertex> vertices;
};

// Decoders take one whole record (deleted or not) and give its fields as stored: each reader
// applies its own limits. False, with out unspecified, when the bytes are not a whole record of
// that kind. Strings and vectors of out keep their capacity, so a struct reused from record to
// record allocates nothing once it has grown.
bool DecodePlacement(RecordBytes record, Placement& out);  // type 0 or 1; singles get 1 x 1
bool DecodeText(RecordBytes record, TextRecord& out);
bool DecodeArea(RecordBytes record, AreaRecord& out);
bool DecodeLine(RecordBytes record, LineRecord& out);

std::vector<std::uint8_t> EncodeArray(const Placement& p);
std::vector<std::uint8_t> EncodeSingle(const Placement& p);
// The text is cut to what fits one block.
std::vector<std::uint8_t> EncodeText(const TextRecord& t);
std::vector<std::uint8_t> EncodeArea(const AreaRecord& a);
std::vector<std::uint8_t> EncodeLine(const LineRecord& l);
// Rectangle (type 3) or closed polygon (type 4) with its vertex list as given.
std::vector<std::uint8_t> EncodeArea(ElementType type, std::int16_t layer,
                                     const std::vector<Vertex>& vertices);
std::vector<std::uint8_t> EncodeLine(std::int16_t layer, std::int16_t tip, std::int32_t width,
                                     const std::vector<Vertex>& vertices);
// The same area record into out, whose memory serves again (for importers' many records).
void EncodeArea(ElementType type, std::int16_t layer, const std::vector<Vertex>& vertices,
                std::vector<std::uint8_t>& out);

}  // namespace lav::db
