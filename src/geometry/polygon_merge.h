// Union, difference, intersection and exclusive or of two closed integer polygons. The result is
// exact up to the snapping of crossings to the integer grid: every result is a closed ring that
// does not cross itself, counter-clockwise, with any holes joined to it by a bridge.
#pragma once

#include <optional>
#include <vector>

#include "geometry/int_geometry.h"

namespace lav::geometry {

enum class MergeOp : char {
  Union = '+',
  Difference = '-',
  Intersection = '&',
  Xor = '^',
};

// The operation a typed character selects ('*' and the half-width dot 0xA5 mean '&', '!' and
// '|' mean '+', '#', '$', '%' and '/' mean '^'); nullopt for any other character.
std::optional<MergeOp> MergeOpFromChar(char c);

enum class MergeStatus : std::uint8_t {
  Ok,
  HoleNotJoined,  // a hole of the result could not be bridged to its outline: nothing is given
};

struct MergeResult {
  MergeStatus status = MergeStatus::Ok;
  std::vector<Ring> rings;  // empty unless status is Ok
};

// a op b for two polygons (either orientation, closed or not). Degenerate inputs count as empty.
MergeResult MergePolygons(const Ring& a, const Ring& b, MergeOp op);

// What the two regions have in common: whether their insides overlap, and whether their
// boundaries meet at all.
struct Contact {
  bool overlap = false;
  bool touch = false;
};
Contact ContactOf(const Ring& a, const Ring& b);

}  // namespace lav::geometry
