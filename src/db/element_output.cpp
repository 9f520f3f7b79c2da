// The one road by which new elements enter a cell: the temporary layer's points and the element
// settings become records appended to the cell's stream, and the cell's extent grows with them.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "db/cell_directory.h"
#include "db/entry_messages.h"
#include "db/line_outline.h"
#include "db/messages.h"
#include "db/placement_geometry.h"
#include "db/rounding.h"
#include "db/temp_layer.h"
#include "platform/sjis.h"

namespace lav::db {
namespace {

using Box = std::array<std::int32_t, 4>;

void include(Box& box, bool& any, std::int32_t x, std::int32_t y) {
  if (!any) {
    box = {x, y, x, y};
    any = true;
    return;
  }
  box[0] = std::min(box[0], x);
  box[1] = std::min(box[1], y);
  box[2] = std::max(box[2], x);
  box[3] = std::max(box[3], y);
}

// The placed cell's extent, grown by the array's spread, in the frame of the placing cell.
Box placementExtent(const DesignImage& image, const ElementSettings& s, bool array, Vertex at,
                    bool& found) {
  found = false;
  const auto where = FindCell(image, s.cellName);
  if (where.result != FindResult::Found) return {};
  const CellEntry placed = ReadCellEntry(image, where.slotOffset);
  found = true;
  double xmin = placed.xmin, ymin = placed.ymin, xmax = placed.xmax, ymax = placed.ymax;
  if (array) {
    const double m = s.magnification == 0 ? 1.0 : s.magnification / 1e6;
    const double sx = double(std::max(s.columns, 1) - 1) * s.pitchX / m;
    const double sy = double(std::max(s.rows, 1) - 1) * s.pitchY / m;
    (sx >= 0 ? xmax : xmin) += sx;
    (sy >= 0 ? ymax : ymin) += sy;
  }
  const PlacementFrame frame{at.x, at.y, s.reflection, s.angle, s.magnification};
  return TransformBox(frame, {xmin, ymin, xmax, ymax});
}

void extendCell(DesignState& design, const Box& add, bool& first) {
  auto& e = design.current.entry;
  // A cell that was empty keeps none of the placeholder extent.
  Box box = first ? add : Box{e.xmin, e.ymin, e.xmax, e.ymax};
  first = false;
  box[0] = std::min(box[0], add[0]);
  box[1] = std::min(box[1], add[1]);
  box[2] = std::max(box[2], add[2]);
  box[3] = std::max(box[3], add[3]);
  SetExtent(design, box);
}

Box boundsOf(std::span<const Vertex> v) {
  Box b{};
  bool any = false;
  for (const auto& p : v) include(b, any, p.x, p.y);
  return b;
}

OutputStatus appendRecord(DesignState& design, const std::vector<std::uint8_t>& bytes,
                          const LocalTime& now, const OutputOptions& o) {
  const Stamp kept = design.current.entry.modified;
  switch (AppendElement(design, bytes, now, o.host, o.continueFlag)) {
    case AppendResult::Appended:
      if (o.keepStamp) {
        design.current.entry.modified = kept;
        WriteCellEntry(design.image, design.current.slotOffset, design.current.entry);
      }
      return OutputStatus::Written;
    case AppendResult::Stopped:
      return OutputStatus::Stopped;
    case AppendResult::NoCell:
      return OutputStatus::NoDestination;
    case AppendResult::OutOfImage:
      break;
  }
  return OutputStatus::OutOfImage;
}

bool unclosedFull(const TempLayer& temp, std::int16_t type) {
  if (type != ElementType::Rect && type != ElementType::Polygon) return false;
  return temp.full() && !(temp.points[0] == temp.points[temp.count - 1]);
}

}  // namespace

Placement PlacementAt(const ElementSettings& s, Vertex at) {
  Placement p;
  p.cellName = CutCellName(s.cellName);
  p.reflection = s.reflection;
  p.magnification = s.magnification;
  p.angle = s.angle;
  p.x = at.x;
  p.y = at.y;
  p.columns = s.columns;
  p.rows = s.rows;
  p.pitchX = s.pitchX;
  p.pitchY = s.pitchY;
  return p;
}

const char* OutputMessage(OutputStatus status) {
  switch (status) {
    case OutputStatus::NoDestination:
      return msg::kNoDestination;
    case OutputStatus::TooManyPoints:
      return msg::kTooManyCoordinates;
    case OutputStatus::OutOfImage:
      return msg::kOutOfMemory;
    default:
      return nullptr;
  }
}

OutputResult OutputTempLayer(DesignState& design, TempLayer& temp, const ElementSettings& s,
                             const LocalTime& now, const OutputOptions& o) {
  OutputResult result;
  const std::int16_t typeCode = s.elementType;
  if (temp.empty() || typeCode < 0 || typeCode > 5) return result;
  if (unclosedFull(temp, typeCode)) return {OutputStatus::TooManyPoints, 0};
  if (!design.hasCell()) return {OutputStatus::NoDestination, 0};
  const auto type = static_cast<ElementType>(typeCode);

  if (type == ElementType::Polygon && temp.count >= 3 &&
      !(temp.points[temp.count - 1] == temp.points[0]))
    temp.push(temp.points[0]);

  const std::int32_t unit = s.dbPerUserUnit;
  std::vector<Vertex> v;
  v.reserve(static_cast<size_t>(temp.count) + 1);
  for (const auto& p : temp.used())
    v.push_back({RoundToInt(double(unit) * p.x), RoundToInt(double(unit) * p.y)});
  if (type == ElementType::Rect) {
    if (v.size() < 2) return result;
    const Vertex a = v[0], b = v[1];
    v = {{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, {a.x, a.y}};
  }
  const auto capacity = static_cast<std::size_t>(temp.capacity);
  NormalizePoints(v, type, capacity);
  if (type == ElementType::Polygon) {
    if (v.size() < 3) return result;
    const bool closed = v.front().x == v.back().x && v.front().y == v.back().y;
    if (!closed) {
      if (v.size() >= capacity) return {OutputStatus::TooManyPoints, 0};
      v.push_back(v.front());
      NormalizePoints(v, type, capacity);
    }
  }

  bool firstExtent = design.current.entry.dataSize == 0;
  auto put = [&](const std::vector<std::uint8_t>& bytes, const Box& extent) {
    const OutputStatus st = appendRecord(design, bytes, now, o);
    if (st != OutputStatus::Written) return st;
    extendCell(design, extent, firstExtent);
    ++result.records;
    return st;
  };

  OutputStatus st = OutputStatus::Written;
  switch (type) {
    case ElementType::ACell:
    case ElementType::SCell: {
      if (CutCellName(s.cellName).empty()) return result;
      const bool array = type == ElementType::ACell;
      for (const auto& p : v) {
        const Placement pl = PlacementAt(s, p);
        bool found = false;
        const Box ext = placementExtent(design.image, s, array, p, found);
        const auto bytes = array ? EncodeArray(pl) : EncodeSingle(pl);
        st = found ? put(bytes, ext) : put(bytes, Box{p.x, p.y, p.x, p.y});
        if (st != OutputStatus::Written) break;
      }
      break;
    }
    case ElementType::Text: {
      if (s.text.empty()) return result;
      for (const auto& p : v) {
        TextRecord t;
        t.layer = s.layer;
        t.kind = s.textKind;
        t.size = s.textSize;
        t.reflection = s.reflection;
        t.magnification = s.magnification;
        t.angle = s.angle;
        t.text = std::string(sjis::cutAt(s.text, kTextBytes));
        t.x = p.x;
        t.y = p.y;
        st = put(EncodeText(t), Box{p.x, p.y, p.x, p.y});
        if (st != OutputStatus::Written) break;
      }
      break;
    }
    case ElementType::Rect:
    case ElementType::Polygon:
      if (v.size() < 4) return result;
      st = put(EncodeArea(type, s.layer, v), boundsOf(v));
      break;
    case ElementType::Line: {
      if (v.size() < 2) return result;
      auto lineExtent = [&](std::span<const Vertex> part) {
        if (s.width < 1) return boundsOf(part);
        return boundsOf(BuildPathOutline(part, s.width, s.lineTipType, s.acuteTip));
      };
      auto putLine = [&](const std::vector<Vertex>& part) {
        return put(EncodeLine(s.layer, s.lineTipType, s.width, part), lineExtent(part));
      };
      // A wide line that the interactive layer could hold goes in two halves, as it always
      // did; a longer one (from an importer) is stored whole.
      if (v.size() >= 101 && v.size() <= kTempCapacity && s.width != 0) {
        const std::size_t h = v.size() / 2;
        const Vertex m{RoundToInt((double(v[h - 1].x) + v[h].x) / 2),
                       RoundToInt((double(v[h - 1].y) + v[h].y) / 2)};
        std::vector<Vertex> first(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h));
        first.push_back(m);
        std::vector<Vertex> second{m};
        second.insert(second.end(), v.begin() + static_cast<std::ptrdiff_t>(h), v.end());
        st = putLine(first);
        if (st == OutputStatus::Written) st = putLine(second);
      } else {
        st = putLine(v);
      }
      break;
    }
  }
  if (result.records == 0) return {st == OutputStatus::Written ? OutputStatus::Nothing : st, 0};
  if (st != OutputStatus::Written) {
    result.status = st;  // some records went in before the failure; the layer is kept
    return result;
  }
  result.status = OutputStatus::Written;
  if (!o.keepPoints) temp.clear();
  temp.pick = {};
  return result;
}

OutputResult OutputTempLayerToCell(DesignState& design, TempLayer& temp, const ElementSettings& s,
                                   std::string_view cellName, const LocalTime& now,
                                   const OutputOptions& options) {
  if (temp.empty()) return {};
  if (unclosedFull(temp, s.elementType)) return {OutputStatus::TooManyPoints, 0};
  if (!design.isOpen()) return {OutputStatus::NoDestination, 0};
  const auto where = FindCell(design.image, cellName);
  if (where.result != FindResult::Found) return {};

  const CurrentCell saved = design.current;
  const PendingPick pick = temp.pick;
  const bool wasCurrent = !saved.name.empty() && saved.slotOffset == where.slotOffset;
  // The named cell is written through a working copy of its own; its end is found by walking.
  design.current.name = CutCellName(cellName);
  design.current.slotOffset = where.slotOffset;
  design.current.entry = ReadCellEntry(design.image, where.slotOffset);
  design.current.cursor = {};
  OutputOptions o = options;
  o.keepPoints = true;
  const OutputResult r = OutputTempLayer(design, temp, s, now, o);
  design.current = saved;
  if (wasCurrent) {
    // The records just written belong to the open cell too: its copy must not write over them.
    design.current.entry = ReadCellEntry(design.image, saved.slotOffset);
    design.current.cursor = {};
  }
  temp.pick = pick;
  return r;
}

}  // namespace lav::db
