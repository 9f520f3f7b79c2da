#include "font_file.h"

#include "platform/byte_io.h"

namespace make_font {
namespace {

constexpr std::int32_t kScale = 1000;
constexpr std::int32_t kEndMark = 99;

void PutI32(std::vector<std::uint8_t>& out, std::int32_t v) {
  std::uint8_t b[4];
  lav::le::putI32(b, v);
  out.insert(out.end(), b, b + 4);
}

void PutRecord(std::vector<std::uint8_t>& out, std::int32_t kind, const Ring& ring) {
  PutI32(out, kind * kScale);
  PutI32(out, static_cast<std::int32_t>(ring.size() + 1) * kScale);
  for (std::size_t i = 0; i <= ring.size(); ++i) {
    const PointI& p = ring[i % ring.size()];
    PutI32(out, p.x * kScale);
    PutI32(out, p.y * kScale);
  }
}

}  // namespace

bool EncodeFontFile(const std::vector<GlyphRecords>& glyphs, std::vector<std::uint8_t>& out,
                    std::string& why) {
  if (glyphs.size() > kDirectoryEntries) {
    why = "more glyphs than directory entries";
    return false;
  }
  out.assign(kDirectoryEntries * kEntrySize, 0);
  for (std::size_t g = 0; g < glyphs.size(); ++g) {
    const GlyphRecords& glyph = glyphs[g];
    if (glyph.key.empty() || glyph.key.size() > kMaxKeyLength) {
      why = "bad key '" + glyph.key + "'";
      return false;
    }
    std::uint8_t* entry = out.data() + g * kEntrySize;
    for (std::size_t i = 0; i < glyph.key.size(); ++i)
      entry[i] = static_cast<std::uint8_t>(glyph.key[i]);
    lav::le::putU32(entry + 6, static_cast<std::uint32_t>(out.size()));
    for (int kind = 1; kind <= 2; ++kind)
      for (const Ring& ring : kind == 1 ? glyph.setP : glyph.setN) {
        if (ring.size() < 3 || ring.size() + 1 > kMaxRecordPoints) {
          why =
              "glyph " + glyph.key + ": a polygon of " + std::to_string(ring.size()) + " vertices";
          return false;
        }
        PutRecord(out, kind, ring);
      }
    PutI32(out, kEndMark);
    PutI32(out, 0);
    entry = out.data() + g * kEntrySize;  // the buffer may have moved
  }
  return true;
}

}  // namespace make_font
