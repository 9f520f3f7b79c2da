// make_font OUTPUT P_FACE N_FACE: writes the vector font file from two outline faces, the first
// for the P set of every glyph and the second for the N set.
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "cuts.h"
#include "font_file.h"
#include "glyph_table.h"
#include "outline.h"

namespace make_font {
namespace {

// Finer curves first; coarser outlines only when a glyph would not fit a record or rounding
// to whole units makes contours touch.
constexpr double kFlatness[] = {0.3, 0.6};
constexpr double kThinning[] = {0.0, 0.5, 0.8, 1.2, 1.6, 2.0, 3.0};

std::optional<std::vector<Ring>> GlyphPolygons(FT_Face face, char32_t codePoint, std::string& why) {
  for (double flat : kFlatness)
    for (double thin : kThinning) {
      std::vector<Ring> rings;
      for (const ContourD& c : FlattenedGlyph(face, codePoint, flat)) {
        Ring r = RoundedRing(c);
        if (thin > 0) r = ThinnedRing(std::move(r), thin);
        if (r.size() >= 3) rings.push_back(std::move(r));
      }
      auto polygons = PolygonsWithCuts(rings, why);
      if (!polygons) continue;
      bool fits = true;
      for (const Ring& p : *polygons) fits = fits && p.size() + 1 <= kMaxRecordPoints;
      if (fits) return polygons;
      why = "too many vertices";
    }
  return std::nullopt;
}

int Run(const char* output, const char* facePathP, const char* facePathN) {
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "make_font: FreeType cannot start\n");
    return 1;
  }
  FT_Face faces[2];
  const char* paths[2] = {facePathP, facePathN};
  for (int i = 0; i < 2; ++i)
    if (FT_New_Face(library, paths[i], 0, &faces[i]) != 0) {
      std::fprintf(stderr, "make_font: cannot read the face %s\n", paths[i]);
      return 1;
    }

  std::vector<GlyphRecords> glyphs;
  for (const GlyphKey& key : AllGlyphKeys()) {
    GlyphRecords g{key.key, {}, {}};
    for (int i = 0; i < 2; ++i) {
      std::string why;
      auto polygons = GlyphPolygons(faces[i], key.codePoint, why);
      if (!polygons) {
        std::fprintf(stderr, "make_font: glyph %s (U+%04X) of %s: %s\n", key.key.c_str(),
                     static_cast<unsigned>(key.codePoint), paths[i], why.c_str());
        return 1;
      }
      if (key.codePoint != 0 && polygons->empty()) {
        std::fprintf(stderr, "make_font: %s has no outline for U+%04X\n", paths[i],
                     static_cast<unsigned>(key.codePoint));
        return 1;
      }
      (i == 0 ? g.setP : g.setN) = std::move(*polygons);
    }
    glyphs.push_back(std::move(g));
  }

  std::vector<std::uint8_t> bytes;
  std::string why;
  if (!EncodeFontFile(glyphs, bytes, why)) {
    std::fprintf(stderr, "make_font: %s\n", why.c_str());
    return 1;
  }
  std::string temp = std::string(output) + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "make_font: cannot write %s\n", temp.c_str());
      return 1;
    }
  }
  if (std::rename(temp.c_str(), output) != 0) {
    std::fprintf(stderr, "make_font: cannot write %s\n", output);
    return 1;
  }
  for (FT_Face f : faces) FT_Done_Face(f);
  FT_Done_FreeType(library);
  return 0;
}

}  // namespace
}  // namespace make_font

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_font OUTPUT P_FACE N_FACE\n");
    return 2;
  }
  return make_font::Run(argv[1], argv[2], argv[3]);
}
