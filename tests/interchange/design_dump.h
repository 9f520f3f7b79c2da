// A design as readable lines: each live cell and each live element with its fields, so that
// tests compare whole designs and print the difference when they disagree.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "db/cell_directory.h"
#include "db/design_image.h"
#include "db/directory_walk.h"
#include "db/element_stream.h"
#include "db/record_codec.h"

namespace lav::db::testing {

inline std::string Points(const std::vector<Vertex>& v) {
  std::string s;
  for (const Vertex& p : v) s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
  return s;
}

// One line per element: its kind and fields. Rectangles print as polygons when rectAsPolygon.
inline std::string DescribeElement(const RecordView& r, bool rectAsPolygon = false) {
  auto n = [](auto v) { return std::to_string(v); };
  Placement p;
  TextRecord t;
  AreaRecord a;
  LineRecord l;
  const ElementType kind = r.kind();
  if ((kind == ElementType::ACell || kind == ElementType::SCell) && DecodePlacement(r.bytes, p)) {
    const bool array = kind == ElementType::ACell;
    return (array ? "AREF " : "SREF ") + p.cellName + " refl=" + n(p.reflection) +
           " mag=" + n(p.magnification) + " ang=" + n(p.angle) +
           (array
                ? " " + n(p.columns) + "x" + n(p.rows) + " pitch=" + n(p.pitchX) + "," + n(p.pitchY)
                : "") +
           " at " + n(p.x) + "," + n(p.y);
  }
  if (kind == ElementType::Text && DecodeText(r.bytes, t))
    return "TEXT L" + n(t.layer) + " size=" + n(t.size) + " refl=" + n(t.reflection) +
           " mag=" + n(t.magnification) + " ang=" + n(t.angle) + " '" + t.text + "' at " + n(t.x) +
           "," + n(t.y);
  if ((kind == ElementType::Rect || kind == ElementType::Polygon) && DecodeArea(r.bytes, a))
    return std::string(kind == ElementType::Rect && !rectAsPolygon ? "RECT" : "POLY") + " L" +
           n(a.layer) + " " + Points(a.vertices);
  if (kind == ElementType::Line && DecodeLine(r.bytes, l))
    return "LINE L" + n(l.layer) + " tip=" + n(l.tip) + " w=" + n(l.width) + " " +
           Points(l.vertices);
  return "?";
}

inline std::vector<std::string> DumpDesign(const DesignImage& image, bool rectAsPolygon = false) {
  std::vector<std::string> out;
  for (const std::int32_t slot : DirectorySlots(image)) {
    const CellEntry e = ReadCellEntry(image, slot);
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

// A live element of a cell: its line, and the vertices of a figure or a placement's origin.
struct Element {
  std::string line;
  std::vector<Vertex> pts;
};

// The live elements of the named cell; empty when there is no such cell.
inline std::vector<Element> CellElements(const DesignImage& image, const std::string& cell) {
  std::vector<Element> out;
  const FindOutcome f = FindCell(image, cell);
  if (f.result != FindResult::Found) return out;
  ReadElements(image, ReadCellEntry(image, f.slotOffset), [&](const RecordView& r) {
    if (r.deleted()) return true;
    Element e{DescribeElement(r), {}};
    AreaRecord a;
    LineRecord l;
    Placement p;
    TextRecord t;
    if (DecodeArea(r.bytes, a)) e.pts = a.vertices;
    if (DecodeLine(r.bytes, l)) e.pts = l.vertices;
    if (DecodePlacement(r.bytes, p)) e.pts = {{p.x, p.y}};
    if (DecodeText(r.bytes, t)) e.pts = {{t.x, t.y}};
    out.push_back(std::move(e));
    return true;
  });
  return out;
}

// The lines of the named cell's live elements.
inline std::vector<std::string> CellLines(const DesignImage& image, const std::string& cell) {
  std::vector<std::string> lines;
  for (const Element& e : CellElements(image, cell)) lines.push_back(e.line);
  return lines;
}

// Records in one expression. A placement of cell at (x, y), reflected, magnified (millionths)
// and turned (millionths of a degree) as given.
inline Placement Placed(const std::string& cell, std::int32_t x, std::int32_t y,
                        std::int16_t reflection = 0, std::uint32_t magnification = 1000000,
                        std::uint32_t angle = 0) {
  return {cell, reflection, magnification, angle, x, y};
}
// The placement as an array of columns x rows at the given pitch.
inline Placement Grid(const Placement& p, std::int32_t columns, std::int32_t rows,
                      std::int32_t pitchX, std::int32_t pitchY) {
  return {p.cellName, p.reflection, p.magnification, p.angle, p.x, p.y,
          columns,    rows,         pitchX,          pitchY};
}
inline TextRecord Text(std::int16_t layer, const std::string& text, std::int32_t x, std::int32_t y,
                       std::uint32_t magnification = 1000000, std::uint32_t angle = 0,
                       std::int16_t reflection = 0, std::int32_t size = 0) {
  return {layer, 0, reflection, size, magnification, angle, text, x, y};
}

// Exactly one box was shown, and its text holds part.
inline ::testing::AssertionResult OneBoxWith(const std::vector<std::string>& boxes,
                                             std::string_view part) {
  if (boxes.size() == 1 && boxes[0].find(part) != std::string::npos)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << ::testing::PrintToString(boxes);
}

}  // namespace lav::db::testing
