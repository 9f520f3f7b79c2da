// Reading the vector font file: a directory of up to 176 entries (a key of at most 5 characters,
// the offset of its glyph), and per glyph a run of records (kind, point count, points, all int32
// scaled by 1000) ended by the raw kind 99. Every read is checked against the file's end, so a
// short or damaged file gives an error, never a read outside the file.
#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lav::font {

inline constexpr int kDirectoryEntries = 176;
inline constexpr int kDirectoryEntrySize = 10;
inline constexpr int kGlyphCell = 180;  // glyph coordinates span 0..180 in both directions
inline constexpr int kMaxGlyphPoints = 200;

enum class GlyphSet : std::int32_t { P = 1, N = 2 };

struct GlyphPoint {
  double x = 0, y = 0;  // glyph cell units
};
using GlyphPolygon = std::vector<GlyphPoint>;

enum class GlyphError {
  None,
  ShortHeader,  // a record's kind and count could not be read
  ShortPoints,  // its points could not be read, or the count is not a usable one
};

struct Glyph {
  std::vector<GlyphPolygon> polygons;   // the records of the chosen set, in file order
  GlyphError error = GlyphError::None;  // reading stopped early; polygons before it are kept
};

class FontFile {
 public:
  // Opens the file for reading; nullopt when it cannot be opened.
  static std::optional<FontFile> Open(const std::string& path);

  // Offset of the glyph data of key (searched in directory order), nullopt when no entry of the
  // directory that the file holds has it.
  std::optional<std::uint32_t> FindGlyph(std::string_view key);

  // The glyph at offset with the records of one set.
  Glyph ReadGlyph(std::uint32_t offset, GlyphSet set);

 private:
  explicit FontFile(std::ifstream in) : in_(std::move(in)) {}
  void readDirectory();
  // Reads exactly n bytes at offset; false at the end of the file.
  bool readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n);

  std::ifstream in_;
  // The directory as far as the file holds whole entries, read once.
  std::vector<std::uint8_t> directory_;
};

}  // namespace lav::font
