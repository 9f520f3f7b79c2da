// The polygons and lines of the open cell as they are stored, read back from its element stream:
// what a command really wrote, not what it meant to write.
#pragma once

#include <utility>
#include <vector>

#include "db/element_stream.h"
#include "platform/byte_io.h"
#include "shell/app_state.h"

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
    const std::uint8_t* b = r.bytes.data();
    StoredFigure f{polygon ? 4 : 5, r.deleted(), le::getI16(b + 2), {}};
    const std::size_t first = polygon ? 6 : 12;
    for (int i = 0, n = le::getI16(b + (polygon ? 4 : 10)); i < n; ++i)
      f.vertices.push_back({le::getI32(b + first + 8 * i), le::getI32(b + first + 8 * i + 4)});
    out.push_back(std::move(f));
    return true;
  });
  return out;
}

}  // namespace lav::testing
