// Hand-made font files for tests: a directory and glyph records written byte by byte, so that
// damaged layouts can be made as easily as sound ones.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/byte_io.h"
#include "support/files.h"

namespace lav::testing {

struct FontRecord {
  std::int32_t rawKind;  // 1000 for P, 2000 for N, 99 ends
  std::vector<std::pair<double, double>> points;
};

struct FontGlyph {
  std::string key;
  std::vector<FontRecord> records;  // the end record is added
};

inline void PutLE32(std::vector<std::uint8_t>& b, std::int32_t v) {
  b.resize(b.size() + 4);
  le::putI32(b.data() + b.size() - 4, v);
}

// A 176-entry directory followed by the glyphs.
inline std::vector<std::uint8_t> FontBytes(const std::vector<FontGlyph>& glyphs) {
  std::vector<std::uint8_t> b(176 * 10, 0);
  for (std::size_t g = 0; g < glyphs.size(); ++g) {
    for (std::size_t i = 0; i < glyphs[g].key.size() && i < 6; ++i)
      b[g * 10 + i] = static_cast<std::uint8_t>(glyphs[g].key[i]);
    le::putU32(b.data() + g * 10 + 6, static_cast<std::uint32_t>(b.size()));
    for (const FontRecord& r : glyphs[g].records) {
      PutLE32(b, r.rawKind);
      PutLE32(b, static_cast<std::int32_t>(r.points.size()) * 1000);
      for (auto [x, y] : r.points) {
        PutLE32(b, static_cast<std::int32_t>(x * 1000));
        PutLE32(b, static_cast<std::int32_t>(y * 1000));
      }
    }
    PutLE32(b, 99);
    PutLE32(b, 0);
  }
  return b;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& b) {
  WriteFile(path, std::string(b.begin(), b.end()));
}

// A square of side 180 as a P record and a smaller one as an N record.
inline FontGlyph SquareGlyph(const std::string& key) {
  return {key,
          {{1000, {{0, 0}, {180, 0}, {180, 180}, {0, 180}, {0, 0}}},
           {2000, {{40, 40}, {140, 40}, {140, 140}, {40, 140}, {40, 40}}}}};
}

// The font file the build writes beside the program.
inline std::filesystem::path BuiltFontFile() {
  return std::filesystem::path(LAVINOR_BINARY).parent_path() / "MOJIDATA.DAT";
}

}  // namespace lav::testing
