// The polygons and lines of the open cell as they are stored, read back from its element stream:
// what a command really wrote, not what it meant to write.
#pragma once

#include <utility>
#include <vector>

#include "db/element_stream.h"
#include "db/record_codec.h"
#include "state/app_state.h"

namespace lav::testing {

struct StoredFigure {
  int type = 0;  // 4 polygon, 5 line
  bool deleted = false;
  int layer = 0;
  std::vector<std::pair<int, int>> vertices;
  bool operator==(const StoredFigure&) const = default;
};

// In stream order; with deleted ones only when asked for.
inline std::vector<StoredFigure> StoredFigures(const AppState& app, bool withDeleted = false) {
  std::vector<StoredFigure> out;
  db::ReadElements(app.design.image, app.design.current.entry, [&](const db::RecordView& r) {
    const bool polygon = r.kind() == db::ElementType::Polygon;
    if ((!polygon && r.kind() != db::ElementType::Line) || (r.deleted() && !withDeleted))
      return true;
    db::AreaRecord area;
    db::LineRecord line;
    const bool read = polygon ? db::DecodeArea(r.bytes, area) : db::DecodeLine(r.bytes, line);
    if (!read) return true;
    StoredFigure f{polygon ? 4 : 5, r.deleted(), polygon ? area.layer : line.layer, {}};
    for (const db::Vertex& v : polygon ? area.vertices : line.vertices)
      f.vertices.push_back({v.x, v.y});
    out.push_back(std::move(f));
    return true;
  });
  return out;
}

}  // namespace lav::testing
