// The glyphs of the font file: every key the text command can look up, with the character drawn
// for it.
#pragma once

#include <string>
#include <vector>

namespace make_font {

struct GlyphKey {
  std::string key;     // directory key, at most 5 ASCII characters
  char32_t codePoint;  // character taken from the source faces (0: an empty glyph)
};

// Printable ASCII (upper-case letters stand for lower case too, punctuation under its word
// names), the katakana of every romaji syllable key, the syllabic n (80) and the blank (81).
std::vector<GlyphKey> AllGlyphKeys();

}  // namespace make_font
