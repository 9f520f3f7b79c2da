// The byte layout of MOJIDATA.DAT: a directory of 176 ten-byte entries (key, offset), then each
// glyph as records of kind, count and points, all little-endian int32 scaled by 1000.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rings.h"

namespace make_font {

inline constexpr std::size_t kDirectoryEntries = 176;
inline constexpr std::size_t kEntrySize = 10;
inline constexpr std::size_t kMaxKeyLength = 5;
inline constexpr std::size_t kMaxRecordPoints = 200;  // what the text command can enter at once

struct GlyphRecords {
  std::string key;
  std::vector<Ring> setP;  // kind 1
  std::vector<Ring> setN;  // kind 2
};

// The whole file. Each ring is written closed (its first vertex repeated at the end). Fails with
// the reason for too many glyphs, a key too long, or a ring with too many vertices.
bool EncodeFontFile(const std::vector<GlyphRecords>& glyphs, std::vector<std::uint8_t>& out,
                    std::string& why);

}  // namespace make_font
