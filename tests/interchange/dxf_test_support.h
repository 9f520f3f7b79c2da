// Shared pieces of the DXF tests: DXF text from group lists, and a design's cells decoded into
// plain values to compare.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "db/element_stream.h"
#include "platform/byte_io.h"

namespace lav::interchange::testing {

struct G {
  int code;
  std::string value;
};

inline std::string TextOf(const std::vector<G>& groups) {
  std::string s;
  char buf[16];
  for (const G& g : groups) {
    std::snprintf(buf, sizeof buf, "%3d\n", g.code);
    s += buf + g.value + "\n";
  }
  return s;
}

// An element as plain values.
struct El {
  int type = -1;
  int layer = -1, width = 0, tip = 0;
  std::vector<db::Vertex> pts;
  std::string name, text;
  std::uint32_t mag = 0, angle = 0;
  int refl = 0, cols = 0, rows = 0, px = 0, py = 0;
};

inline std::vector<db::Vertex> VerticesAt(const std::uint8_t* p, int m) {
  std::vector<db::Vertex> v;
  for (int i = 0; i < m; ++i) v.push_back({le::getI32(p + 8 * i), le::getI32(p + 8 * i + 4)});
  return v;
}

inline std::string NameAt(const std::uint8_t* p) {
  std::size_t n = 0;
  while (n < db::kNameBytes && p[n]) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

inline El Decode(const db::RecordView& r) {
  const std::uint8_t* p = r.bytes.data();
  El e;
  e.type = r.type;
  switch (r.kind()) {
    case db::ElementType::ACell:
      e.refl = le::getI16(p + 2), e.mag = le::getU32(p + 4), e.angle = le::getU32(p + 8);
      e.cols = le::getI32(p + 12), e.rows = le::getI32(p + 16);
      e.px = le::getI32(p + 20), e.py = le::getI32(p + 24);
      e.name = NameAt(p + 28);
      e.pts = VerticesAt(p + 60, 1);
      break;
    case db::ElementType::SCell:
      e.refl = le::getI16(p + 2), e.mag = le::getU32(p + 4), e.angle = le::getU32(p + 8);
      e.name = NameAt(p + 12);
      e.pts = VerticesAt(p + 44, 1);
      break;
    case db::ElementType::Text: {
      const int n = le::getI16(p + 20);
      e.layer = le::getI16(p + 2);
      e.refl = le::getI16(p + 10), e.mag = le::getU32(p + 12), e.angle = le::getU32(p + 16);
      e.text.assign(reinterpret_cast<const char*>(p + 22), static_cast<std::size_t>(n));
      e.pts = VerticesAt(p + 22 + n, 1);
      break;
    }
    case db::ElementType::Rect:
    case db::ElementType::Polygon:
      e.layer = le::getI16(p + 2);
      e.pts = VerticesAt(p + 6, le::getI16(p + 4));
      break;
    case db::ElementType::Line:
      e.layer = le::getI16(p + 2), e.tip = le::getI16(p + 4), e.width = le::getI32(p + 6);
      e.pts = VerticesAt(p + 12, le::getI16(p + 10));
      break;
  }
  return e;
}

// The live elements of the named cell; empty when there is no such cell.
inline std::vector<El> CellElements(const db::DesignImage& image, const std::string& cell) {
  std::vector<El> out;
  const db::FindOutcome f = db::FindCell(image, cell);
  if (f.result != db::FindResult::Found) return out;
  db::ReadElements(image, db::ReadCellEntry(image, f.slotOffset), [&](const db::RecordView& r) {
    if (!r.deleted()) out.push_back(Decode(r));
    return true;
  });
  return out;
}

// Names of the live cells in directory order.
inline std::vector<std::string> CellNames(const db::DesignImage& image) {
  std::vector<std::string> names;
  for (int k = 1; k <= db::kSlotCount; ++k) {
    const db::CellEntry e = db::ReadCellEntry(image, db::SlotOffset(k));
    if (e.isFree()) break;
    if (e.isLive()) names.push_back(e.nameText());
  }
  return names;
}

}  // namespace lav::interchange::testing

namespace lav::interchange::testing {

// "0 LINE 8 0 10 1.5" as groups: words taken in pairs (values without blanks).
inline std::vector<G> Groups(const std::string& words) {
  std::vector<G> g;
  std::vector<std::string> w;
  std::string cur;
  for (char c : words + " ") {
    if (c == ' ' || c == '\n') {
      if (!cur.empty()) w.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  for (std::size_t i = 0; i + 1 < w.size(); i += 2) g.push_back({std::stoi(w[i]), w[i + 1]});
  return g;
}

// A file with only an ENTITIES section holding the given groups.
inline std::string EntitiesFile(const std::string& words) {
  return TextOf(Groups("0 SECTION 2 ENTITIES " + words + " 0 ENDSEC 0 EOF"));
}

}  // namespace lav::interchange::testing
