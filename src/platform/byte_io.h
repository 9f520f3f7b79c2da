// Little-endian field access inside byte buffers. Every record of a design and every binary file
// field is read and written through these helpers, never by casting structs.
#pragma once

#include <cstdint>
#include <cstring>

namespace lav::le {

inline std::uint8_t getU8(const std::uint8_t* p) {
  return p[0];
}
inline std::uint16_t getU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int16_t getI16(const std::uint8_t* p) {
  return static_cast<std::int16_t>(getU16(p));
}
inline std::uint32_t getU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t getI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(getU32(p));
}

inline void putU8(std::uint8_t* p, std::uint8_t v) {
  p[0] = v;
}
inline void putU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putI16(std::uint8_t* p, std::int16_t v) {
  putU16(p, static_cast<std::uint16_t>(v));
}
inline void putU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void putI32(std::uint8_t* p, std::int32_t v) {
  putU32(p, static_cast<std::uint32_t>(v));
}

// Big-endian access, for GDSII Stream records.
inline std::uint16_t getU16BE(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::int16_t getI16BE(const std::uint8_t* p) {
  return static_cast<std::int16_t>(getU16BE(p));
}
inline std::uint32_t getU32BE(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
inline std::int32_t getI32BE(const std::uint8_t* p) {
  return static_cast<std::int32_t>(getU32BE(p));
}
inline void putU16BE(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}
inline void putI16BE(std::uint8_t* p, std::int16_t v) {
  putU16BE(p, static_cast<std::uint16_t>(v));
}
inline void putU32BE(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}
inline void putI32BE(std::uint8_t* p, std::int32_t v) {
  putU32BE(p, static_cast<std::uint32_t>(v));
}

}  // namespace lav::le
