// Picking: the element, vertex or edge nearest to a point, among the vertex lists that the
// drawing would show on visible, selectable layers inside a small square around the point.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "db/element_stream.h"
#include "platform/host.h"

namespace lav {
struct Settings;
}

namespace lav::geometry {

inline constexpr double kNothingFound = 5'000'000'000.0;

// Which element a vertex list belongs to, so that its record can be found again.
struct PickIdentity {
  std::int16_t type = -1;       // record type 0..5
  std::int32_t count = 0;       // vertex count or text length
  std::int16_t layer = -1;      // -1 for placements
  std::int32_t typeOffset = 0;  // image offset of the record's type code
};

struct PickState {
  int aperture = 30;  // pixels, half the side of the search square, 1..300
  db::Vertex point;
  std::array<std::int32_t, 4> window{};  // xmin, ymin, xmax, ymax of the search square
  double best = kNothingFound;
  int bestSegment = -1;  // index of the best segment's end vertex
  PickIdentity element;
  db::Vertex nearEnd, farEnd;        // ends of the best segment, the one nearer the point first
  std::vector<std::uint8_t> record;  // bytes of the best element's record, when picked in a cell
  bool stopped = false;              // Escape cut the search short
  long segmentsTested = 0;           // paces the message step
  int editMode = 0;                  // vertex-move mode of the command waiting for its points

  bool found() const { return best < kNothingFound; }
};

// Starts a pick at the user point (ux, uy): the point in database units, the search square of
// half-side aperture / scale around it, nothing found yet.
void PreparePick(PickState& pick, double ux, double uy, std::int32_t dbPerUserUnit, double scale);

// The nearest-segment test over one vertex list in database units. With a host, the message step
// runs now and then and a cleared flag stops the test.
void OfferVertexList(PickState& pick, std::span<const db::Vertex> points, const PickIdentity& id,
                     Host* host = nullptr, bool* continueFlag = nullptr);

// Distance from p to the segment a-b as the picking measures it; last is the list's last segment.
double SegmentDistance(db::Vertex p, db::Vertex a, db::Vertex b, bool last);

// What the pick considers in a cell.
struct PickFilter {
  int elementTypeMask = 0xFFFF;  // the drawing's mask: bits 0..4 picking, 5..9 drawing
  int onlyLayer = -1;
  int onlyType = -1;  // >= 0: only records of this type
};

// Offers every live element of the cell's own stream: polygons and rectangles by their vertices,
// lines by their centre line and outline, texts and placements by their origins. The best record's
// bytes are kept in pick.record.
void PickInCell(PickState& pick, const db::DesignImage& image, const db::CellEntry& cell,
                const Settings& settings, const PickFilter& filter, Host* host = nullptr,
                bool* continueFlag = nullptr);

}  // namespace lav::geometry
