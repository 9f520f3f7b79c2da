// The closed outline of a line with a width, as drawn, bounded and turned into a polygon.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "db/element_stream.h"

namespace lav::db {

inline constexpr int kMaxOutlinePoints = 281;

// Right-hand chain forward, left-hand chain back, closed by the first point again. Tip type 0
// ends flush at the end points, otherwise half the width beyond them. With acuteTip 1, turns
// sharper than a right angle get their outer corner cut at half the width from the vertex.
// At most maxPoints points are kept; 0 keeps them all (the drawing needs every one).
std::vector<Vertex> BuildPathOutline(std::span<const Vertex> points, std::int32_t width,
                                     int tipType, int acuteTip, int maxPoints = kMaxOutlinePoints);
// The same into out (its room is reused: the drawing builds one outline per wide line).
void BuildPathOutline(std::span<const Vertex> points, std::int32_t width, int tipType, int acuteTip,
                      int maxPoints, std::vector<Vertex>& out);

}  // namespace lav::db
