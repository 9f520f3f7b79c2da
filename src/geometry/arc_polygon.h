// Arcs, circles and elliptic arcs entered as start, centre and end, turned into straight segments
// whose vertices (snapped to the database grid) are appended to the temporary layer's points.
#pragma once

#include <cstdint>
#include <vector>

#include "db/temp_layer.h"

namespace lav::geometry {

// The settings of command 103; program settings, not saved with the design.
struct ArcSettings {
  std::int32_t ellipse = 0;    // 0 arc of a circle, 1 ellipse through the end point
  std::int32_t clockwise = 0;  // 0 counter-clockwise, 1 clockwise
  std::int32_t segments = 32;  // segments of a full circle; 0 chooses them from the radius
  std::int32_t tangent = 0;    // 0 vertices on the curve, 1 segments tangent to it (outside)
};

enum class ArcStatus : std::uint8_t {
  Done,
  Radius,     // start or end equal to the centre: "***Error*** Radius"
  LayerFull,  // 200 points reached: "***Error*** Point>200" (points so far stay)
};

inline constexpr const char* kArcRadiusError = "***Error*** Radius";
inline constexpr const char* kArcFullError = "***Error*** Point>200";

// Where the curve starts, turns about and ends, in user units.
struct ArcInput {
  db::UserPoint start, centre, end;
};

// Appends the curve to points (at most capacity in all). elementType 4 and 5 skip a start point
// equal to the last point already there; placements and texts always get it.
ArcStatus GenerateArc(const ArcSettings& settings, const ArcInput& in, int elementType,
                      std::int32_t dbPerUserUnit, std::vector<db::UserPoint>& points,
                      std::size_t capacity = db::kTempCapacity);

// Segments of a full circle for the automatic count: chord deviation below 0.1 user units, cut to
// a multiple of 4, and no more than 96 segments over the given sweep.
std::int32_t AutomaticSegments(double radius, double sweep);

}  // namespace lav::geometry
