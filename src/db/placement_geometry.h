// Where a placement puts its cell: reflection about the x axis, rotation, magnification and the
// origin, applied to points and boxes of the placed cell.
#pragma once

#include <array>
#include <cstdint>

namespace lav::db {

struct PlacementFrame {
  std::int32_t x = 0, y = 0;
  std::int16_t reflection = 0;
  std::uint32_t angle = 0;                // millionths of a degree
  std::uint32_t magnification = 1000000;  // millionths
};

// Rotates (x, y) about (0, 0) counter-clockwise by angle (millionths of a degree); quarter turns
// are exact.
void RotateOffset(double& x, double& y, std::uint32_t angle);

// The bounding box {xmin, ymin, xmax, ymax} of the four corners of box after the frame.
std::array<std::int32_t, 4> TransformBox(const PlacementFrame& f, const std::array<double, 4>& box);

}  // namespace lav::db
