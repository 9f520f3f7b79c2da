#include "interchange/dxf_writer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "db/directory_walk.h"
#include "db/element_stream.h"
#include "db/rounding.h"
#include "interchange/dxf_layers.h"
#include "platform/host.h"

namespace lav::interchange {
namespace {

using db::ElementType;
using db::RecordView;

constexpr std::string_view kEntitiesCell = "ENTITIES";

using Point = db::Vertex;

// The live slots of the directory in order: a free slot ends it, deleted ones are skipped.
std::vector<std::int32_t> liveSlots(const db::DesignImage& image) {
  std::vector<std::int32_t> slots;
  for (const std::int32_t at : db::DirectorySlots(image)) {
    const std::uint8_t first = image.bytes[static_cast<std::size_t>(at)];
    if (first == db::kFreeSlotMark) break;
    if (first == db::kDeletedCellMark) continue;
    slots.push_back(at);
  }
  return slots;
}

// Moves end a outward along the segment b->a by half the width, in database units.
Point extendEnd(Point a, Point b, std::int32_t width) {
  const double dx = static_cast<double>(a.x) - b.x, dy = static_cast<double>(a.y) - b.y;
  const double len = std::hypot(dx, dy);
  if (len == 0) return a;  // no direction to extend along
  const double f = (len + width / 2.0) / len;
  return {RoundToInt(b.x + dx * f), RoundToInt(b.y + dy * f)};
}

class CellWriter {
 public:
  CellWriter(const db::DesignImage& image, DxfPairWriter& out, const DxfWriteOptions& o)
      : image_(image), out_(out), o_(o), unit_(o.dbPerUserUnit > 0 ? o.dbPerUserUnit : 1) {}

  std::int64_t elements = 0;
  bool stopped = false;
  std::string brokenCell;  // the first cell whose element stream could not be read to its end

  void cell(const db::CellEntry& entry, bool asBlock) {
    if (o_.onCell) o_.onCell(entry);
    if (asBlock) {
      out_.text(0, "BLOCK");
      out_.text(8, "0");
      out_.text(2, entry.nameText());
      out_.integer(70, 64);
      zeroPoint();
    }
    if (entry.dataSize > 0) {
      const db::ReadEnd end = db::ReadElements(
          image_, entry,
          [&](const RecordView& r) {
            if (!r.deleted()) element(r);
            return !out_.failed();
          },
          o_.host, o_.continueFlag);
      if (end == db::ReadEnd::Stopped && o_.continueFlag && !*o_.continueFlag) stopped = true;
      if (end == db::ReadEnd::Broken && brokenCell.empty()) brokenCell = entry.nameText();
    }
    if (asBlock) {
      out_.text(0, "ENDBLK");
      out_.text(8, "0");
    }
  }

 private:
  double len(std::int64_t v) const { return static_cast<double>(v) / unit_; }

  void zeroPoint() {
    out_.length(10, 0);
    out_.length(20, 0);
    out_.length(30, 0);
  }

  const std::string& layerName(int layer) {
    auto it = names_.find(layer);
    if (it == names_.end()) it = names_.emplace(layer, DxfLayerName(image_, layer)).first;
    return it->second;
  }

  void element(const RecordView& r) {
    ++elements;
    switch (r.kind()) {
      case ElementType::ACell: {
        const db::Placement& p = place_;
        if (!db::DecodePlacement(r.bytes, place_)) break;
        insert(p.cellName, p.reflection, p.magnification, p.angle, p.x, p.y);
        out_.integer(70, p.columns);
        out_.integer(71, p.rows);
        out_.length(44, len(p.pitchX));
        // Rows of a reflected array run below the origin, as the design places them.
        out_.length(45, len(p.reflection ? -std::int64_t{p.pitchY} : p.pitchY));
        break;
      }
      case ElementType::SCell: {
        const db::Placement& p = place_;
        if (db::DecodePlacement(r.bytes, place_))
          insert(p.cellName, p.reflection, p.magnification, p.angle, p.x, p.y);
        break;
      }
      case ElementType::Text:
        if (db::DecodeText(r.bytes, text_)) text(text_);
        break;
      case ElementType::Rect:
      case ElementType::Polygon:
        if (db::DecodeArea(r.bytes, area_)) area(area_.layer, area_.vertices);
        break;
      case ElementType::Line:
        if (db::DecodeLine(r.bytes, line_))
          line(line_.layer, line_.tip, line_.width, line_.vertices);
        break;
    }
  }

  void insert(const std::string& name, std::int16_t reflection, std::uint32_t mag,
              std::uint32_t angle, std::int32_t x, std::int32_t y) {
    const double m = mag / 1e6;
    out_.text(0, "INSERT");
    out_.text(8, "0");
    out_.text(2, name);
    out_.length(10, len(x));
    out_.length(20, len(y));
    out_.length(30, 0);
    out_.factor(41, m);
    out_.factor(42, reflection ? -m : m);
    out_.factor(43, m);
    out_.factor(50, angle / 1e6);
  }

  void text(const db::TextRecord& t) {
    const std::string_view s = std::string_view(t.text).substr(0, db::kTextBytes);
    const std::string& layer = layerName(t.layer);
    out_.text(0, "TEXT");
    out_.text(8, layer);
    out_.length(10, len(t.x));
    out_.length(20, len(t.y));
    out_.length(40, t.magnification / 1e6);
    out_.factor(41, 1.0);
    out_.factor(50, t.angle / 1e6);
    out_.text(1, s);
  }

  void polylineHead(const std::string& layer) {
    out_.text(0, "POLYLINE");
    out_.text(8, layer);
    out_.integer(66, 1);
    zeroPoint();
  }

  void vertex(const std::string& layer, Point v) {
    out_.text(0, "VERTEX");
    out_.text(8, layer);
    out_.length(10, len(v.x));
    out_.length(20, len(v.y));
    out_.length(30, 0);
  }

  void seqend(const std::string& layer) {
    out_.text(0, "SEQEND");
    out_.text(8, layer);
  }

  void area(int layerNumber, const std::vector<Point>& pts) {
    const std::string& layer = layerName(layerNumber);
    polylineHead(layer);
    out_.integer(70, 1);
    for (const Point& v : pts) vertex(layer, v);
    seqend(layer);
  }

  void line(int layerNumber, int tip, std::int32_t width, std::vector<Point> pts) {
    const std::string& layer = layerName(layerNumber);
    if (tip == 1 && width != 0 && pts.size() >= 2) {
      pts.front() = extendEnd(pts[0], pts[1], width);
      const std::size_t n = pts.size();
      pts.back() = extendEnd(pts[n - 1], pts[n - 2], width);
    }
    const double w = len(width);
    polylineHead(layer);
    out_.length(40, w);
    out_.length(41, w);
    for (const Point& v : pts) {
      vertex(layer, v);
      out_.length(40, w);
      out_.length(41, w);
      out_.length(42, 0);
    }
    seqend(layer);
  }

  const db::DesignImage& image_;
  DxfPairWriter& out_;
  const DxfWriteOptions& o_;
  const std::int32_t unit_;
  std::map<int, std::string> names_;
  // Records decoded into the same buffers from element to element.
  db::Placement place_;
  db::TextRecord text_;
  db::AreaRecord area_;
  db::LineRecord line_;
};

// Layers that texts, rectangles, polygons and lines of any cell lie on.
std::set<int> usedLayers(const db::DesignImage& image, const std::vector<std::int32_t>& slots) {
  std::set<int> layers;
  for (std::int32_t at : slots) {
    const db::CellEntry e = db::ReadCellEntry(image, at);
    if (e.dataSize <= 0) continue;
    db::ReadElements(image, e, [&](const RecordView& r) {
      if (r.deleted()) return true;
      if (const auto layer = db::RecordLayer(r.bytes)) layers.insert(*layer);
      return true;
    });
  }
  return layers;
}

}  // namespace

DxfWriteResult WriteDxf(const db::DesignImage& image, DxfPairWriter& out,
                        const DxfWriteOptions& options) {
  DxfWriteResult result;
  const std::vector<std::int32_t> slots = liveSlots(image);

  out.text(0, "SECTION");
  out.text(2, "HEADER");
  out.text(9, "$ACADVER");
  out.text(1, "AC1009");
  out.text(9, "$FILLMODE");
  out.integer(70, 0);
  out.text(0, "ENDSEC");

  const std::set<int> layers = usedLayers(image, slots);
  out.text(0, "SECTION");
  out.text(2, "TABLES");
  out.text(0, "TABLE");
  out.text(2, "LAYER");
  out.integer(70, static_cast<long>(layers.size()));
  for (int l : layers) {
    out.text(0, "LAYER");
    out.text(2, DxfLayerName(image, l));
    out.integer(70, 64);
    out.integer(62, 7);
    out.text(6, "CONTINUOUS");
  }
  out.text(0, "ENDTAB");
  out.text(0, "ENDSEC");

  CellWriter cells(image, out, options);
  std::int32_t entitiesSlot = 0;
  bool blocks = false;
  for (std::int32_t at : slots) {
    if (out.failed() || cells.stopped || !cells.brokenCell.empty()) break;
    const db::CellEntry e = db::ReadCellEntry(image, at);
    if (entitiesSlot == 0 && e.nameText() == kEntitiesCell) {
      entitiesSlot = at;
      continue;
    }
    if (!blocks) {
      out.text(0, "SECTION");
      out.text(2, "BLOCKS");
      blocks = true;
    }
    cells.cell(e, true);
    ++result.cells;
  }
  if (blocks) out.text(0, "ENDSEC");
  if (entitiesSlot != 0 && !out.failed() && !cells.stopped && cells.brokenCell.empty()) {
    out.text(0, "SECTION");
    out.text(2, "ENTITIES");
    cells.cell(db::ReadCellEntry(image, entitiesSlot), false);
    ++result.cells;
    out.text(0, "ENDSEC");
  }
  out.text(0, "EOF");
  out.flush();
  result.elements = cells.elements;
  result.bytes = out.bytesWritten();
  result.brokenCell = cells.brokenCell;
  if (out.failed())
    result.end = DxfWriteEnd::WriteFailed;
  else if (cells.stopped)
    result.end = DxfWriteEnd::Stopped;
  else if (!cells.brokenCell.empty())
    result.end = DxfWriteEnd::Broken;
  return result;
}

}  // namespace lav::interchange
