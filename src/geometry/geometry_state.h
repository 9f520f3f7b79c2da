// What the geometry commands keep between their steps and across commands: the arc settings,
// the transformation in progress, and the figure a join or merge set aside.
#pragma once

#include <cstdint>
#include <vector>

#include "db/element_stream.h"
#include "db/record_codec.h"
#include "db/temp_layer.h"
#include "geometry/arc_polygon.h"

namespace lav::geometry {

// The figure that was in the temporary layer when a join or merge started.
struct SetAsideFigure {
  bool active = false;
  std::vector<db::UserPoint> points;
  std::int32_t elementType = db::TypeCode(db::ElementType::Polygon);
  std::int32_t width = 0;
  std::int32_t acuteTip = 1;
  db::PendingPick pickOfFigure;       // the figure's own pick from a cell, if it had one
  std::int32_t joinedTypeOffset = 0;  // the record the join took out of its cell
};

struct GeometryState {
  ArcSettings arc;
  int arcAnswer = 0;                  // which of the four arc settings command 103 asks for
  db::UserPoint arcStart, arcCentre;  // the first two points of command 102
  bool arcHaveCentre = false;         // command 102 waits for the end point

  int transformMode = 0;      // command 99: 0 mirror, 1 rotate, 2 magnify, 3 oversize
  double transformValue = 0;  // degrees or factor between the two steps
  db::Vertex mirrorFirst;     // first point of the mirror axis, database units

  char mergeOperation = '+';  // '+', '-', '&' or '^' of command 105
  bool pickForMerge = false;  // the second figure of 104 (false) or 105 (true)
  SetAsideFigure beforeJoin;  // what command 96 restores after a join
};

}  // namespace lav::geometry
