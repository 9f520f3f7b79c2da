// The GDSII eight-byte real: sign bit, 7-bit exponent of 16 biased by 64, 56-bit mantissa in
// [1/16, 1). Written by the stream writer, read by the stream reader.
#pragma once

#include <cstdint>

namespace lav::gds {

// Encodes v into 8 bytes at p. Zero is all zero bytes; values beyond the format's range are
// clamped to its largest or smallest magnitude.
void PutReal8(std::uint8_t* p, double v);

// Decodes the 8 bytes at p.
double GetReal8(const std::uint8_t* p);

}  // namespace lav::gds
