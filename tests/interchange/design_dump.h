// A design as readable lines: each live cell and each live element with its fields, so that
// tests compare whole designs and print the difference when they disagree.
#pragma once

#include <string>
#include <vector>

#include "db/design_image.h"
#include "db/element_stream.h"
#include "platform/byte_io.h"

namespace lav::db::testing {

inline std::string NameAt(const std::uint8_t* p) {
  std::size_t n = 0;
  while (n < kNameBytes && p[n]) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

inline std::string Points(const std::uint8_t* p, int m) {
  std::string s;
  for (int i = 0; i < m; ++i, p += 8)
    s += "(" + std::to_string(le::getI32(p)) + "," + std::to_string(le::getI32(p + 4)) + ")";
  return s;
}

// One line per element: its kind and fields. Rectangles print as polygons when asPolygons.
inline std::string DescribeElement(const RecordView& r, bool rectAsPolygon = false) {
  const std::uint8_t* p = r.bytes.data();
  auto i32 = [&](int o) { return std::to_string(le::getI32(p + o)); };
  auto u32 = [&](int o) { return std::to_string(le::getU32(p + o)); };
  auto i16 = [&](int o) { return std::to_string(le::getI16(p + o)); };
  switch (r.kind()) {
    case ElementType::ACell:
      return "AREF " + NameAt(p + 28) + " refl=" + i16(2) + " mag=" + u32(4) + " ang=" + u32(8) +
             " " + i32(12) + "x" + i32(16) + " pitch=" + i32(20) + "," + i32(24) + " at " +
             i32(60) + "," + i32(64);
    case ElementType::SCell:
      return "SREF " + NameAt(p + 12) + " refl=" + i16(2) + " mag=" + u32(4) + " ang=" + u32(8) +
             " at " + i32(44) + "," + i32(48);
    case ElementType::Text: {
      const int n = le::getI16(p + 20);
      return "TEXT L" + i16(2) + " size=" + i32(6) + " refl=" + i16(10) + " mag=" + u32(12) +
             " ang=" + u32(16) + " '" + std::string(reinterpret_cast<const char*>(p + 22), n) +
             "' at " + i32(22 + n) + "," + i32(26 + n);
    }
    case ElementType::Rect:
    case ElementType::Polygon:
      return std::string(r.kind() == ElementType::Rect && !rectAsPolygon ? "RECT" : "POLY") + " L" +
             i16(2) + " " + Points(p + 6, le::getI16(p + 4));
    case ElementType::Line:
      return "LINE L" + i16(2) + " tip=" + i16(4) + " w=" + i32(6) + " " +
             Points(p + 12, le::getI16(p + 10));
  }
  return "?";
}

inline std::vector<std::string> DumpDesign(const DesignImage& image, bool rectAsPolygon = false) {
  std::vector<std::string> out;
  for (int k = 1; k <= kSlotCount; ++k) {
    const CellEntry e = ReadCellEntry(image, SlotOffset(k));
    if (e.isFree()) break;
    if (e.isDeleted()) continue;
    out.push_back("CELL " + e.nameText());
    if (e.dataSize > 0)
      ReadElements(image, e, [&](const RecordView& r) {
        if (!r.deleted()) out.push_back("  " + DescribeElement(r, rectAsPolygon));
        return true;
      });
  }
  return out;
}

}  // namespace lav::db::testing
