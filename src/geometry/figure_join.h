// Joins a figure F (set aside from the temporary layer) to a second figure G by their nearest
// vertices: lines are chained into one line, and for a polygon F replaces the shorter chain of G
// between the two vertices nearest F's ends.
#pragma once

#include <cstdint>
#include <vector>

#include "db/element_stream.h"

namespace lav::geometry {

enum class JoinStatus : std::uint8_t {
  Joined,
  TooManyPoints,  // F and G together hold 200 points or more: "***Error*** Over Points."
  Empty,          // F or G has no points
};

inline constexpr const char* kJoinTooManyPoints = "***Error*** Over Points.";

// The joined vertex list (database units, not yet cleaned). lineRule chains two lines (element
// type 5); otherwise G is treated as a closed polygon (type 4).
JoinStatus JoinFigures(const std::vector<db::Vertex>& f, const std::vector<db::Vertex>& g,
                       bool lineRule, std::vector<db::Vertex>& out);

}  // namespace lav::geometry
