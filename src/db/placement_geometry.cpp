#include "db/placement_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "db/record_codec.h"
#include "db/rounding.h"

namespace lav::db {

void RotateOffset(double& x, double& y, std::uint32_t angle) {
  const std::uint32_t a = angle % static_cast<std::uint32_t>(kFullTurn);
  double nx, ny;
  switch (a) {
    case 0:
      return;
    case 90000000:
      nx = -y;
      ny = x;
      break;
    case 180000000:
      nx = -x;
      ny = -y;
      break;
    case 270000000:
      nx = y;
      ny = -x;
      break;
    default: {
      const double r = a / 1e6 * std::numbers::pi / 180.0;
      nx = x * std::cos(r) - y * std::sin(r);
      ny = x * std::sin(r) + y * std::cos(r);
    }
  }
  x = nx;
  y = ny;
}

std::array<std::int32_t, 4> TransformBox(const PlacementFrame& f, const std::array<double, 4>& b) {
  const double m = f.magnification / 1e6;
  const double cx[4] = {b[0], b[2], b[2], b[0]};
  const double cy[4] = {b[1], b[1], b[3], b[3]};
  std::array<std::int32_t, 4> r{};
  for (int i = 0; i < 4; ++i) {
    double x = cx[i] * m, y = (f.reflection == 1 ? -cy[i] : cy[i]) * m;
    RotateOffset(x, y, f.angle);
    const std::int32_t px = RoundToInt(x + f.x), py = RoundToInt(y + f.y);
    if (i == 0) {
      r = {px, py, px, py};
    } else {
      r[0] = std::min(r[0], px);
      r[1] = std::min(r[1], py);
      r[2] = std::max(r[2], px);
      r[3] = std::max(r[3], py);
    }
  }
  return r;
}

}  // namespace lav::db
