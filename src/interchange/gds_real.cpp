#include "interchange/gds_real.h"

#include <cmath>

namespace lav::gds {

void PutReal8(std::uint8_t* p, double v) {
  for (int i = 0; i < 8; ++i) p[i] = 0;
  if (v == 0 || !std::isfinite(v)) return;
  const bool negative = v < 0;
  int k = 0;
  const double f = std::frexp(std::fabs(v), &k);  // |v| = f * 2^k, f in [0.5, 1)
  int e = (k + 3) >> 2;                           // 16^e just above |v|
  std::uint64_t m = static_cast<std::uint64_t>(std::llround(std::ldexp(f, 56 + k - 4 * e)));
  if (m >= (std::uint64_t{1} << 56)) {  // rounding carried into the next hexadecimal digit
    m >>= 4;
    ++e;
  }
  if (e + 64 > 127) {
    e = 63;
    m = (std::uint64_t{1} << 56) - 1;
  } else if (e + 64 < 0) {
    return;  // too small to represent: zero
  }
  p[0] = static_cast<std::uint8_t>((negative ? 0x80 : 0) | (e + 64));
  for (int i = 7; i >= 1; --i) {
    p[i] = static_cast<std::uint8_t>(m & 0xFF);
    m >>= 8;
  }
}

double GetReal8(const std::uint8_t* p) {
  std::uint64_t m = 0;
  for (int i = 1; i < 8; ++i) m = (m << 8) | p[i];
  const int e = (p[0] & 0x7F) - 64;
  const double v = std::ldexp(static_cast<double>(m), 4 * e - 56);
  return (p[0] & 0x80) ? -v : v;
}

}  // namespace lav::gds
