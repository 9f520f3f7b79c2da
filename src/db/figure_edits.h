// Edits of the figure in the temporary layer that the entry commands offer: exploding an array
// into single placements, a wide line into its outline polygon, reordering and moving vertices.
#pragma once

#include <cstdint>
#include <optional>

#include "db/temp_layer.h"

namespace lav {
struct Settings;
}

namespace lav::db {

// Writes one single placement per array member at the layer's first point, then empties the
// layer and leaves the element type at 0. Status Nothing when the layer holds no array. Either
// every member is written or none (OutOfImage before anything when they would not all fit).
OutputResult ExplodeArray(DesignState& design, TempLayer& temp, Settings& settings,
                          const LocalTime& now, Host* host = nullptr, bool* continueFlag = nullptr);

enum class OutlineResult : std::uint8_t { Replaced, TooManyVertices, Nothing };

// Replaces the line in the layer by its closed outline and makes the element type 4; nothing
// changes when the outline has 200 vertices or more.
OutlineResult LineToOutline(TempLayer& temp, Settings& settings);

// With vertex number n (1-based) of a polygon that has at least n vertices, the list starts at
// vertex n (a closing vertex stays closing); otherwise its order is reversed.
void ReorderVertices(TempLayer& temp, int elementType, std::optional<long> n);

// Adds (dx, dy) user units to every vertex (modes 0 and 2) or only to the vertices that are the
// picked one in database units (other modes).
void MoveVertices(TempLayer& temp, int mode, Vertex picked, double dx, double dy,
                  std::int32_t dbPerUserUnit);

// Removes the vertices that are the picked one; a closed polygon stays closed.
void DeleteVertex(TempLayer& temp, Vertex picked, std::int32_t dbPerUserUnit);

// The layer's points in database units.
std::vector<Vertex> TempToDb(const TempLayer& temp, std::int32_t dbPerUserUnit);

}  // namespace lav::db
