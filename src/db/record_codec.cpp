#include "db/record_codec.h"

#include <algorithm>
#include <cstring>

#include "db/cell_directory.h"
#include "db/design_image.h"
#include "platform/byte_io.h"
#include "platform/sjis.h"

namespace lav::db {
namespace {

// Where each field lies. Placements share their first 12 bytes; an array then carries its
// lattice before the name.
namespace at {
constexpr std::size_t kType = 0;
constexpr std::size_t kReflection = 2, kMagnification = 4, kAngle = 8;
constexpr std::size_t kColumns = 12, kRows = 16, kPitchX = 20, kPitchY = 24;
constexpr std::size_t kArrayName = 28, kArrayX = 60, kArrayY = 64, kArrayLength = 68;
constexpr std::size_t kSingleName = 12, kSingleX = 44, kSingleY = 48, kSingleLength = 52;
constexpr std::size_t kLayer = 2;  // texts, areas and lines
constexpr std::size_t kTextKind = 4, kTextSize = 6, kTextReflection = 10;
constexpr std::size_t kTextMagnification = 12, kTextAngle = 16, kTextLength = 20, kText = 22;
constexpr std::size_t kTextTail = 8;  // x and y behind the text
constexpr std::size_t kAreaCount = 4, kAreaVertices = 6;
constexpr std::size_t kLineTip = 4, kLineWidth = 6, kLineCount = 10, kLineVertices = 12;
constexpr std::size_t kVertexBytes = 8;
// Cell directory entries.
constexpr std::size_t kEntryName = 0, kEntryExtent = 32, kEntryDataSize = 48;
constexpr std::size_t kEntryFirstBlock = 52, kEntryCreated = 56, kEntryModified = 68;
}  // namespace at

void putName(std::uint8_t* p, const std::string& name) {
  std::memset(p, 0, kNameBytes);
  const std::string_view cut = sjis::cutAt(name, kNameBytes);
  std::memcpy(p, cut.data(), cut.size());
}

void takeName(const std::uint8_t* p, std::string& out) {
  std::size_t n = 0;
  while (n < kNameBytes && p[n] != 0) ++n;
  out.assign(reinterpret_cast<const char*>(p), n);
}

void putVertices(std::uint8_t* p, const std::vector<Vertex>& v) {
  for (std::size_t i = 0; i < v.size(); ++i, p += at::kVertexBytes) {
    le::putI32(p, v[i].x);
    le::putI32(p + 4, v[i].y);
  }
}

// Reads count vertices at offset first; false when the record is too short for them.
bool takeVertices(RecordBytes r, std::size_t first, int count, std::vector<Vertex>& out) {
  if (count < 0 || first + at::kVertexBytes * static_cast<std::size_t>(count) > r.size())
    return false;
  out.resize(static_cast<std::size_t>(count));
  const std::uint8_t* p = r.data() + first;
  for (Vertex& v : out) {
    v = {le::getI32(p), le::getI32(p + 4)};
    p += at::kVertexBytes;
  }
  return true;
}

std::vector<std::uint8_t> areaBytes(ElementType type, std::int16_t layer,
                                    const std::vector<Vertex>& v) {
  std::vector<std::uint8_t> r;
  EncodeArea(type, layer, v, r);
  return r;
}

std::vector<std::uint8_t> lineBytes(std::int16_t layer, std::int16_t tip, std::int32_t width,
                                    const std::vector<Vertex>& v) {
  std::vector<std::uint8_t> r(at::kLineVertices + at::kVertexBytes * v.size(), 0);
  le::putI16(&r[at::kType], static_cast<std::int16_t>(ElementType::Line));
  le::putI16(&r[at::kLayer], layer);
  le::putI16(&r[at::kLineTip], tip);
  le::putI32(&r[at::kLineWidth], width);
  le::putI16(&r[at::kLineCount], static_cast<std::int16_t>(v.size()));
  putVertices(&r[at::kLineVertices], v);
  return r;
}

bool validType(int raw) {
  return (raw >= 0 && raw <= 5) || (raw >= kDeletedOffset && raw <= kDeletedOffset + 5);
}

}  // namespace

std::int16_t RecordType(RecordBytes record) {
  return record.size() < 2 ? std::int16_t{-1} : le::getI16(record.data() + at::kType);
}

std::size_t RecordHeadBytes(int type) {
  switch (static_cast<ElementType>(type % kDeletedOffset)) {
    case ElementType::ACell:
      return at::kArrayLength;
    case ElementType::SCell:
      return at::kSingleLength;
    case ElementType::Text:
      return at::kText;
    case ElementType::Rect:
    case ElementType::Polygon:
      return at::kAreaVertices;
    default:
      return at::kLineVertices;
  }
}

std::int32_t RecordLength(RecordBytes head) {
  const int raw = RecordType(head);
  if (!validType(raw)) return -1;
  const std::size_t need = RecordHeadBytes(raw);
  if (head.size() < need) return -1;
  const std::uint8_t* p = head.data();
  switch (static_cast<ElementType>(raw % kDeletedOffset)) {
    case ElementType::ACell:
    case ElementType::SCell:
      return static_cast<std::int32_t>(need);
    case ElementType::Text: {
      const int n = le::getI16(p + at::kTextLength);
      return n < 0 ? -1 : static_cast<std::int32_t>(at::kText + at::kTextTail) + n;
    }
    case ElementType::Rect:
    case ElementType::Polygon: {
      const int m = le::getI16(p + at::kAreaCount);
      return m < 0 ? -1 : static_cast<std::int32_t>(need + at::kVertexBytes * m);
    }
    default: {
      const int m = le::getI16(p + at::kLineCount);
      return m < 0 ? -1 : static_cast<std::int32_t>(need + at::kVertexBytes * m);
    }
  }
}

std::int32_t RecordVertexCount(RecordBytes record) {
  switch (static_cast<ElementType>(RecordType(record) % kDeletedOffset)) {
    case ElementType::Rect:
    case ElementType::Polygon:
      return record.size() < at::kAreaVertices ? 0 : le::getI16(record.data() + at::kAreaCount);
    case ElementType::Line:
      return record.size() < at::kLineVertices ? 0 : le::getI16(record.data() + at::kLineCount);
    default:
      return 0;
  }
}

std::optional<std::int16_t> RecordLayer(RecordBytes record) {
  const int kind = RecordType(record) % kDeletedOffset;
  if (kind < 2 || record.size() < at::kLayer + 2) return std::nullopt;
  return le::getI16(record.data() + at::kLayer);
}

bool DecodePlacement(RecordBytes r, Placement& out) {
  const int kind = RecordType(r) % kDeletedOffset;
  const bool array = kind == ElementType::ACell;
  if ((kind != ElementType::ACell && kind != ElementType::SCell) ||
      r.size() < (array ? at::kArrayLength : at::kSingleLength))
    return false;
  const std::uint8_t* p = r.data();
  out.reflection = le::getI16(p + at::kReflection);
  out.magnification = le::getU32(p + at::kMagnification);
  out.angle = le::getU32(p + at::kAngle);
  if (array) {
    out.columns = le::getI32(p + at::kColumns);
    out.rows = le::getI32(p + at::kRows);
    out.pitchX = le::getI32(p + at::kPitchX);
    out.pitchY = le::getI32(p + at::kPitchY);
  } else {
    out.columns = out.rows = 1;
    out.pitchX = out.pitchY = 0;
  }
  takeName(p + (array ? at::kArrayName : at::kSingleName), out.cellName);
  out.x = le::getI32(p + (array ? at::kArrayX : at::kSingleX));
  out.y = le::getI32(p + (array ? at::kArrayY : at::kSingleY));
  return true;
}

bool DecodeText(RecordBytes r, TextRecord& out) {
  if (RecordType(r) % kDeletedOffset != 2 || r.size() < at::kText + at::kTextTail) return false;
  const std::uint8_t* p = r.data();
  const int n = le::getI16(p + at::kTextLength);
  if (n < 0 || at::kText + static_cast<std::size_t>(n) + at::kTextTail > r.size()) return false;
  out.layer = le::getI16(p + at::kLayer);
  out.kind = le::getI16(p + at::kTextKind);
  out.size = le::getI32(p + at::kTextSize);
  out.reflection = le::getI16(p + at::kTextReflection);
  out.magnification = le::getU32(p + at::kTextMagnification);
  out.angle = le::getU32(p + at::kTextAngle);
  out.text.assign(reinterpret_cast<const char*>(p + at::kText), static_cast<std::size_t>(n));
  out.x = le::getI32(p + at::kText + n);
  out.y = le::getI32(p + at::kText + n + 4);
  return true;
}

bool DecodeArea(RecordBytes r, AreaRecord& out) {
  const int kind = RecordType(r) % kDeletedOffset;
  if ((kind != ElementType::Rect && kind != ElementType::Polygon) || r.size() < at::kAreaVertices)
    return false;
  out.type = static_cast<ElementType>(kind);
  out.layer = le::getI16(r.data() + at::kLayer);
  return takeVertices(r, at::kAreaVertices, le::getI16(r.data() + at::kAreaCount), out.vertices);
}

bool DecodeLine(RecordBytes r, LineRecord& out) {
  if (RecordType(r) % kDeletedOffset != 5 || r.size() < at::kLineVertices) return false;
  const std::uint8_t* p = r.data();
  out.layer = le::getI16(p + at::kLayer);
  out.tip = le::getI16(p + at::kLineTip);
  out.width = le::getI32(p + at::kLineWidth);
  return takeVertices(r, at::kLineVertices, le::getI16(p + at::kLineCount), out.vertices);
}

std::vector<std::uint8_t> EncodeArray(const Placement& p) {
  std::vector<std::uint8_t> r(at::kArrayLength, 0);
  le::putI16(&r[at::kType], static_cast<std::int16_t>(ElementType::ACell));
  le::putI16(&r[at::kReflection], p.reflection);
  le::putU32(&r[at::kMagnification], p.magnification);
  le::putU32(&r[at::kAngle], p.angle);
  le::putI32(&r[at::kColumns], p.columns);
  le::putI32(&r[at::kRows], p.rows);
  le::putI32(&r[at::kPitchX], p.pitchX);
  le::putI32(&r[at::kPitchY], p.pitchY);
  putName(&r[at::kArrayName], p.cellName);
  le::putI32(&r[at::kArrayX], p.x);
  le::putI32(&r[at::kArrayY], p.y);
  return r;
}

std::vector<std::uint8_t> EncodeSingle(const Placement& p) {
  std::vector<std::uint8_t> r(at::kSingleLength, 0);
  le::putI16(&r[at::kType], static_cast<std::int16_t>(ElementType::SCell));
  le::putI16(&r[at::kReflection], p.reflection);
  le::putU32(&r[at::kMagnification], p.magnification);
  le::putU32(&r[at::kAngle], p.angle);
  putName(&r[at::kSingleName], p.cellName);
  le::putI32(&r[at::kSingleX], p.x);
  le::putI32(&r[at::kSingleY], p.y);
  return r;
}

std::vector<std::uint8_t> EncodeText(const TextRecord& t) {
  const std::size_t fixed = at::kText + at::kTextTail;
  const std::size_t n = sjis::cutAt(t.text, kPayloadSize - fixed).size();
  std::vector<std::uint8_t> r(fixed + n, 0);
  le::putI16(&r[at::kType], static_cast<std::int16_t>(ElementType::Text));
  le::putI16(&r[at::kLayer], t.layer);
  le::putI16(&r[at::kTextKind], t.kind);
  le::putI32(&r[at::kTextSize], t.size);
  le::putI16(&r[at::kTextReflection], t.reflection);
  le::putU32(&r[at::kTextMagnification], t.magnification);
  le::putU32(&r[at::kTextAngle], t.angle);
  le::putI16(&r[at::kTextLength], static_cast<std::int16_t>(n));
  std::memcpy(&r[at::kText], t.text.data(), n);
  le::putI32(&r[at::kText + n], t.x);
  le::putI32(&r[at::kText + n + 4], t.y);
  return r;
}

std::vector<std::uint8_t> EncodeArea(const AreaRecord& a) {
  return areaBytes(a.type, a.layer, a.vertices);
}

std::vector<std::uint8_t> EncodeLine(const LineRecord& l) {
  return lineBytes(l.layer, l.tip, l.width, l.vertices);
}

std::vector<std::uint8_t> EncodeArea(ElementType type, std::int16_t layer,
                                     const std::vector<Vertex>& v) {
  return areaBytes(type, layer, v);
}

void EncodeArea(ElementType type, std::int16_t layer, const std::vector<Vertex>& v,
                std::vector<std::uint8_t>& out) {
  out.resize(at::kAreaVertices + at::kVertexBytes * v.size());
  le::putI16(&out[at::kType], static_cast<std::int16_t>(type));
  le::putI16(&out[at::kLayer], layer);
  le::putI16(&out[at::kAreaCount], static_cast<std::int16_t>(v.size()));
  putVertices(&out[at::kAreaVertices], v);
}

std::vector<std::uint8_t> EncodeLine(std::int16_t layer, std::int16_t tip, std::int32_t width,
                                     const std::vector<Vertex>& v) {
  return lineBytes(layer, tip, width, v);
}

CellEntry ReadCellEntry(const DesignImage& image, std::int32_t off) {
  CellEntry e;
  const std::uint8_t* p = image.at(off);
  std::memcpy(e.name.data(), p + at::kEntryName, kNameBytes);
  e.xmin = le::getI32(p + at::kEntryExtent);
  e.ymin = le::getI32(p + at::kEntryExtent + 4);
  e.xmax = le::getI32(p + at::kEntryExtent + 8);
  e.ymax = le::getI32(p + at::kEntryExtent + 12);
  e.dataSize = le::getI32(p + at::kEntryDataSize);
  e.firstBlock = le::getI32(p + at::kEntryFirstBlock);
  for (std::size_t i = 0; i < e.created.size(); ++i) {
    e.created[i] = le::getI16(p + at::kEntryCreated + 2 * i);
    e.modified[i] = le::getI16(p + at::kEntryModified + 2 * i);
  }
  return e;
}

void WriteCellEntry(DesignImage& image, std::int32_t off, const CellEntry& e) {
  std::uint8_t* p = image.at(off);
  // Only a new name (or mark) concerns the name index; most writes only move the extent.
  const bool renamed = std::memcmp(p + at::kEntryName, e.name.data(), kNameBytes) != 0;
  if (renamed) BeforeSlotWrite(image, off);
  std::memcpy(p + at::kEntryName, e.name.data(), kNameBytes);
  le::putI32(p + at::kEntryExtent, e.xmin);
  le::putI32(p + at::kEntryExtent + 4, e.ymin);
  le::putI32(p + at::kEntryExtent + 8, e.xmax);
  le::putI32(p + at::kEntryExtent + 12, e.ymax);
  le::putI32(p + at::kEntryDataSize, e.dataSize);
  le::putI32(p + at::kEntryFirstBlock, e.firstBlock);
  for (std::size_t i = 0; i < e.created.size(); ++i) {
    le::putI16(p + at::kEntryCreated + 2 * i, e.created[i]);
    le::putI16(p + at::kEntryModified + 2 * i, e.modified[i]);
  }
  if (renamed) AfterSlotWrite(image, off);
}

}  // namespace lav::db
