// Eight bytes at a time: the word scans of the .CAD body's encoder and decoder.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace lav::db {

static_assert(std::endian::native == std::endian::little, "the word scans read bytes in order");

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighs = 0x8080808080808080ull;

inline std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Index (0..8) of the first zero byte of v; 8 when there is none.
inline int firstZeroByte(std::uint64_t v) {
  const std::uint64_t z = (v - kOnes) & ~v & kHighs;  // exact at the lowest zero byte
  return z ? std::countr_zero(z) / 8 : 8;
}

// Index (0..8) of the first non-zero byte of v.
inline int firstNonZeroByte(std::uint64_t v) {
  return v ? std::countr_zero(v) / 8 : 8;
}

// How many bytes of v are not zero (one bit per such byte, summed by a multiplication).
inline int nonZeroBytes(std::uint64_t v) {
  const std::uint64_t marks = ((((v & ~kHighs) + ~kHighs) | v) & kHighs) >> 7;
  return static_cast<int>((marks * kOnes) >> 56);
}

}  // namespace lav::db
