// Shift-JIS (CP932) is the program's inner text encoding; UTF-8 is the encoding of source files,
// windows and the file system. These are the only conversions between the two.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lav::sjis {

// True for a byte that starts a two-byte Shift-JIS character (0x81..0x9F, 0xE0 and above).
inline bool isLeadByte(std::uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || b >= 0xE0;
}

// UTF-8 text to Shift-JIS bytes; characters CP932 lacks become '?'.
std::string fromUtf8(std::string_view utf8);
// Shift-JIS bytes to UTF-8; undecodable bytes become U+FFFD.
std::string toUtf8(std::string_view sjisBytes);

// Cuts text to at most maxBytes without splitting a two-byte character.
std::string_view cutAt(std::string_view sjisBytes, std::size_t maxBytes);

}  // namespace lav::sjis
