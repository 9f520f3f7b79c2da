#include "font/mojidata_file.h"

#include <cstring>

#include "db/rounding.h"
#include "platform/byte_io.h"

namespace lav::font {
namespace {

constexpr std::int32_t kFieldScale = 1000;
constexpr std::int32_t kEndMark = 99;
constexpr std::size_t kKeyField = 6;

}  // namespace

std::optional<FontFile> FontFile::Open(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  FontFile font(std::move(in));
  font.readDirectory();
  return font;
}

void FontFile::readDirectory() {
  std::uint8_t entry[kDirectoryEntrySize];
  for (int i = 0; i < kDirectoryEntries; ++i) {
    if (!readAt(static_cast<std::uint64_t>(i) * kDirectoryEntrySize, entry, sizeof entry))
      return;  // a shorter directory ends here
    directory_.insert(directory_.end(), entry, entry + sizeof entry);
  }
}

bool FontFile::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  if (!in_) return false;
  in_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
  return static_cast<std::size_t>(in_.gcount()) == n;
}

std::optional<std::uint32_t> FontFile::FindGlyph(std::string_view key) {
  if (key.empty() || key.size() >= kKeyField) return std::nullopt;
  for (std::size_t at = 0; at + kDirectoryEntrySize <= directory_.size();
       at += kDirectoryEntrySize) {
    const std::uint8_t* entry = directory_.data() + at;
    std::size_t len = 0;
    while (len < kKeyField && entry[len] != 0) ++len;
    if (len == key.size() && std::memcmp(entry, key.data(), len) == 0)
      return le::getU32(entry + kKeyField);
  }
  return std::nullopt;
}

Glyph FontFile::ReadGlyph(std::uint32_t offset, GlyphSet set) {
  Glyph glyph;
  std::uint64_t at = offset;
  std::uint8_t header[8];
  std::vector<std::uint8_t> points;
  for (;;) {
    if (!readAt(at, header, sizeof header)) {
      glyph.error = GlyphError::ShortHeader;
      return glyph;
    }
    at += sizeof header;
    const std::int32_t rawKind = le::getI32(header);
    if (rawKind == kEndMark) return glyph;
    const std::int32_t kind = rawKind / kFieldScale;
    const std::int32_t count = le::getI32(header + 4) / kFieldScale;
    // More points than a figure can hold (or a negative count) cannot be a polygon of ours;
    // reading on would take the rest of the file as points.
    if (count < 0 || count > kMaxGlyphPoints) {
      glyph.error = GlyphError::ShortPoints;
      return glyph;
    }
    points.resize(static_cast<std::size_t>(count) * 8);
    if (!readAt(at, points.data(), points.size())) {
      glyph.error = GlyphError::ShortPoints;
      return glyph;
    }
    at += points.size();
    if (kind != static_cast<std::int32_t>(set)) continue;
    GlyphPolygon polygon(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
      const std::uint8_t* p = points.data() + static_cast<std::size_t>(i) * 8;
      polygon[i].x = RoundHalfUp(le::getI32(p) / static_cast<double>(kFieldScale));
      polygon[i].y = RoundHalfUp(le::getI32(p + 4) / static_cast<double>(kFieldScale));
    }
    glyph.polygons.push_back(std::move(polygon));
  }
}

}  // namespace lav::font
