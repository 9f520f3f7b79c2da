// The one rounding rule for every value that becomes an integer coordinate, angle or factor:
// nearest integer, exact halves toward positive infinity (2.5 -> 3, -2.5 -> -2, -2.6 -> -3).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace lav {

// std::floor without a library call or a data-dependent branch (drawing rounds every point).
// Below 2^52 the truncation to a 64-bit integer is exact and one too high for negative fractions;
// the result always has v's sign (-0.0 stays -0.0, as floor leaves it). From 2^52 on every
// double is whole already.
inline double Floor(double v) {
  constexpr double kWhole = 4503599627370496.0;
  if (!(std::fabs(v) < kWhole)) return v;  // also NaN and infinities
  const double t = static_cast<double>(static_cast<std::int64_t>(v));
  return std::copysign(t - static_cast<double>(t > v), v);
}

inline double RoundHalfUp(double v) {
  const double f = Floor(v);
  return f + static_cast<double>(v - f >= 0.5);
}

// Rounds, then truncates toward zero after nudging by 0.001 away from zero, so that a result that
// is an integer in exact arithmetic but slightly off in floating point lands on it. Values
// outside the int32 range saturate; callers that take user input use ToCoordinate instead.
inline std::int32_t RoundToInt(double v) {
  double r = RoundHalfUp(v);
  r += r >= 0 ? 0.001 : -0.001;
  if (!(r == r)) return 0;  // NaN
  if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (r <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(r);
}

// RoundToInt with a range check: nullopt when the value (NaN, infinite, or outside the int32
// range after rounding) cannot be stored as a coordinate.
inline std::optional<std::int32_t> ToCoordinate(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  double r = RoundHalfUp(v);
  if (r > 2147483647.0 || r < -2147483648.0) return std::nullopt;
  return RoundToInt(v);
}

}  // namespace lav
