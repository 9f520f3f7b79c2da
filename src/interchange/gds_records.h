// The GDSII Stream record vocabulary: record types, data types and the one table of the
// (record, data type) pairs the reader accepts with what it does with each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lav::gds {

enum class Rec : std::uint8_t {
  Header = 0x00,
  BgnLib = 0x01,
  LibName = 0x02,
  Units = 0x03,
  EndLib = 0x04,
  BgnStr = 0x05,
  StrName = 0x06,
  EndStr = 0x07,
  Boundary = 0x08,
  Path = 0x09,
  Sref = 0x0A,
  Aref = 0x0B,
  Text = 0x0C,
  Layer = 0x0D,
  DataType = 0x0E,
  Width = 0x0F,
  Xy = 0x10,
  EndEl = 0x11,
  Sname = 0x12,
  ColRow = 0x13,
  TextNode = 0x14,
  Node = 0x15,
  TextType = 0x16,
  Presentation = 0x17,
  Spacing = 0x18,
  String = 0x19,
  Strans = 0x1A,
  Mag = 0x1B,
  Angle = 0x1C,
  PathType = 0x21,
  StypTable = 0x24,
  Box = 0x2D,
};

enum class DataKind : std::uint8_t {
  None = 0,
  BitArray = 1,
  Int16 = 2,
  Int32 = 3,
  Real4 = 4,
  Real8 = 5,
  Ascii = 6,
};

// The most data a record's 16-bit length allows, and so the most points of one XY record.
inline constexpr std::size_t kMaxRecordData = 65535 - 4;
inline constexpr std::size_t kMaxXyPoints = kMaxRecordData / 8;  // 8191

// Bytes of one value of a data kind (1 for strings, 0 for no data).
inline int ValueSize(DataKind kind) {
  switch (kind) {
    case DataKind::None:
      return 0;
    case DataKind::BitArray:
    case DataKind::Int16:
      return 2;
    case DataKind::Int32:
    case DataKind::Real4:
      return 4;
    case DataKind::Real8:
      return 8;
    case DataKind::Ascii:
      return 1;
  }
  return 0;
}

// What the reader does with a record.
enum class Action : std::uint8_t {
  Ignore,
  BgnLib,
  LibName,
  Units,
  EndLib,
  BgnStr,
  StrName,
  EndStr,
  BeginElement,  // BOUNDARY, PATH, SREF, AREF, TEXT
  NoType,        // BOX, NODE, TEXTNODE: the element type stays as it was
  Layer,
  Width,
  Xy,
  EndEl,
  Sname,
  ColRow,
  Spacing,  // refused: the reader stops
  String,
  Strans,
  Mag,
  Angle,
  PathType,
  StypTable,  // refused: the reader stops
};

struct RecordInfo {
  std::uint8_t type;
  DataKind kind;
  std::string_view name;
  Action action;
  // Values the record must carry at least (values of the data kind; bytes for strings).
  int minValues;
};

// The accepted pair (type, data kind), or null for a pair the reader refuses.
const RecordInfo* FindRecord(std::uint8_t type, std::uint8_t kind);

// The record's name for messages ("XY"), or "?" for an unknown type.
std::string_view RecordName(std::uint8_t type);

}  // namespace lav::gds
