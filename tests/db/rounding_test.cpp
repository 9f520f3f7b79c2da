#include "db/rounding.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace lav {
namespace {

// The quick floor must give std::floor's bits for every double: halves, signed zeros, values
// next to whole numbers, the edge of exactness and beyond, infinities and NaN.
TEST(Rounding, QuickFloorIsTheLibrarysBitForBit) {
  std::vector<double> values = {0.0,     -0.0,    0.5,     -0.5,     2.5,       -2.5,    -2.6,
                                1e-300,  -1e-300, 0.99999, -0.9999,  4.5e15,    -4.5e15, 9.1e18,
                                -9.3e18, 1e300,   -1e300,  HUGE_VAL, -HUGE_VAL, NAN};
  for (double v : {1.0, 2147483647.0, -2147483648.0, 4503599627370496.0, -4503599627370496.0})
    for (double d = -2; d <= 2; ++d)
      values.push_back(std::nextafter(v + d, d < 0 ? -HUGE_VAL : HUGE_VAL));
  std::mt19937_64 rng(5);
  for (int i = 0; i < 200000; ++i) {
    const double magnitude = std::ldexp(1.0, static_cast<int>(rng() % 130) - 65);
    values.push_back((static_cast<double>(rng() % 2000001) / 1000000.0 - 1.0) * magnitude);
  }
  for (double v : values) {
    const double want = std::floor(v), got = Floor(v);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want)) << v;
  }
  EXPECT_EQ(RoundHalfUp(-2.5), -2);
  EXPECT_EQ(RoundHalfUp(2.5), 3);
}

}  // namespace
}  // namespace lav
