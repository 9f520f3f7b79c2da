// Which glyph of the font file draws the next character of a text: punctuation under its word
// names, lower case as upper case, blank and '^' as the blank glyph 81, and katakana syllables
// written in romaji after '{' ("{ka" is key 10, "{n}" the syllabic n, key 80).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lav::font {

enum class KeyResult {
  Key = 0,         // key holds the next glyph's key
  InsideKana = 1,  // the text ended inside a syllable
  TextEnd = 2,     // nothing but a closing '}' was left
};

// Reads the next key of text (Shift-JIS) from pos and moves pos past what it used.
KeyResult GlyphKeyForNext(std::string_view text, std::size_t& pos, std::string& key);

}  // namespace lav::font
