// Builds designs through the program's own database operations, for the database tests.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/cell_directory.h"
#include "db/design_state.h"
#include "db/element_stream.h"
#include "platform/host.h"
#include "shown_refusals.h"

namespace lav::db {
inline bool operator==(const Vertex& a, const Vertex& b) {
  return a.x == b.x && a.y == b.y;
}
inline void PrintTo(const Vertex& v, std::ostream* os) {
  *os << "(" << v.x << "," << v.y << ")";
}
}  // namespace lav::db

namespace lav::db::testing {

inline void NewImage(DesignState& d) {
  CreateEmptyImage(d.image);
  d.path = "/nonexistent/test.cad";
  d.version = 450;
}

// Creates a cell in the first free slot and makes it current.
inline void AddCell(DesignState& d, const std::string& name) {
  const std::int32_t slot = FindSlotForNewCell(d.image, d.version);
  CellEntry e;
  if (d.image.bytes[slot] == kDeletedCellMark)
    e.firstBlock = ReadCellEntry(d.image, slot).firstBlock;
  e.setName(name);
  WriteCellEntry(d.image, slot, e);
  MakeCurrent(d, slot);
}

inline std::vector<Vertex> Square(std::int32_t x, std::int32_t y, std::int32_t s) {
  return {{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}, {x, y}};
}

inline std::vector<Vertex> Zigzag(int n, std::int32_t seed) {
  std::vector<Vertex> v;
  for (int i = 0; i < n; ++i) v.push_back({seed + i * 10, (i % 2) * 7 - seed});
  return v;
}

inline void Append(DesignState& d, const std::vector<std::uint8_t>& r) {
  LocalTime t{2026, 12, 6, 10, 20, 30};
  if (AppendElement(d, r, t) != AppendResult::Appended) throw std::runtime_error("append");
}

// The records of a cell as stored, in stream order; deleted ones only when asked for.
inline std::vector<std::vector<std::uint8_t>> CellRecords(const DesignImage& image,
                                                          const CellEntry& e,
                                                          bool withDeleted = false) {
  std::vector<std::vector<std::uint8_t>> out;
  ReadElements(image, e, [&](const RecordView& r) {
    if (withDeleted || !r.deleted()) out.emplace_back(r.bytes.begin(), r.bytes.end());
    return true;
  });
  return out;
}

// Where the open cell's last record starts.
inline std::int32_t LastRecord(const DesignState& d) {
  std::int32_t last = 0;
  ReadElements(d.image, d.current.entry, [&](const RecordView& r) {
    last = r.typeOffset;
    return true;
  });
  return last;
}

// Many cells with every record type, Shift-JIS texts, 32-byte names and deleted records.
inline void FillRealistic(DesignState& d, int cells, int recordsPerCell) {
  for (int c = 0; c < cells; ++c) {
    std::string name = c == 0 ? std::string(32, 'N') : "CELL_" + std::to_string(c);
    AddCell(d, name);
    for (int i = 0; i < recordsPerCell; ++i) {
      switch (i % 7) {
        case 0:
          Append(d, EncodeArea(ElementType::Rect, static_cast<std::int16_t>(i % 64),
                               Square(i * 100, c * 50, 40)));
          break;
        case 1:
          Append(d, EncodeArea(ElementType::Polygon, 3, Zigzag(3 + i % 190, i)));
          break;
        case 2:
          Append(d, EncodeLine(7, static_cast<std::int16_t>(i % 2), 250, Zigzag(2 + i % 150, c)));
          break;
        case 3:  // テスト
          Append(d, EncodeText({.layer = 9,
                                .text = "\x83\x65\x83\x58\x83\x67 text " + std::to_string(i),
                                .x = i,
                                .y = -i}));
          break;
        case 4:
          Append(d, EncodeSingle({.cellName = "CELL_1", .angle = 90000000, .x = i}));
          break;
        case 5:
          Append(d, EncodeArray({.cellName = "CELL_2",
                                 .reflection = 1,
                                 .columns = 10,
                                 .rows = 3,
                                 .pitchX = 500,
                                 .pitchY = -700}));
          break;
        default: {  // a record that is deleted again
          Append(d, EncodeArea(ElementType::Polygon, 1, Square(0, 0, i)));
          MarkDeleted(d.image, LastRecord(d));
        }
      }
    }
  }
}

}  // namespace lav::db::testing
