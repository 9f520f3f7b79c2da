#include "font/glyph_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lav::font {
namespace {

// The keys of a whole text and how the last read ended.
std::pair<std::vector<std::string>, KeyResult> AllKeys(std::string_view text) {
  std::vector<std::string> keys;
  std::size_t pos = 0;
  std::string key;
  for (int guard = 0; guard < 1000; ++guard) {
    const KeyResult last = GlyphKeyForNext(text, pos, key);
    if (last != KeyResult::Key) return {keys, last};
    keys.push_back(key);
  }
  ADD_FAILURE() << "no end for " << text;
  return {keys, KeyResult::Key};
}

TEST(GlyphKeyTest, EverySyllableInEitherCaseAndNormalModeCharacters) {
  const std::pair<const char*, int> rows[] = {{"", 100}, {"K", 10}, {"S", 15}, {"T", 20}, {"N", 25},
                                              {"H", 30}, {"M", 35}, {"Y", 40}, {"R", 45}, {"W", 50},
                                              {"G", 55}, {"J", 60}, {"Z", 60}, {"D", 65}, {"B", 70},
                                              {"V", 70}, {"P", 75}};
  for (const auto& [consonants, base] : rows)
    for (int v = 0; v < 5; ++v)
      for (bool lower : {false, true}) {
        std::string text = "{" + std::string(consonants) + "AIUEO"[v];
        if (lower)
          for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(AllKeys(text),
                  std::pair(std::vector{std::to_string(base + v)}, KeyResult::TextEnd))
            << text;
      }

  // Normal mode: characters, and syllables after their brace.
  struct Case {
    std::string text;
    std::vector<std::string> keys;
    KeyResult last = KeyResult::TextEnd;
  };
  const Case cases[] = {
      {"ab", {"A", "B"}},
      {"AB", {"A", "B"}},
      {"A B", {"A", "81", "B"}},
      {"^", {"81"}},
      {"#$'()*+,-./:;=_",
       {"SHARP", "#", "KOTE", "CAT", "CAT1", "ASUTA", "PURA", "CONMA", "HAI", "POINT", "SULA",
        "CORON", "SEMI", "EQUAL", "HAI2"}},
      {"09!?@[]\\|~`}&%<>\"",
       {"0", "9", "!", "?", "@", "[", "]", "\\", "|", "~", "`", "}", "&", "%", "<", ">", "\""}},
      // A double-byte character is one key, never split, and not upper-cased.
      {"\x82\x61x", {"\x82\x61", "X"}},
      {"{ka{na", {"10", "25"}},
      {"{n}", {"80"}},
      {"{nn", {"80"}},
      {"{nk", {"80"}},       // the consonant after n is used up
      {"{n1", {"80", "1"}},  // anything else is read again
      {"{nx", {"80", "X"}},
      {"{n {a", {"80", "81", "100"}},
      {"{kya", {"40"}},  // a later consonant replaces an earlier one
      {"{kna", {"25"}},
      {"{kaa", {"10", "A"}},  // each syllable needs its own brace
      {"{}a", {"A"}},
      {"{k}a", {"A"}},
      {"{}", {}},
      {"{xa", {"X", "A"}},  // a letter outside the table leaves the syllable
      {"{k.", {"POINT"}},
      {"{k{a", {"100"}},
      {"ab{k", {"A", "B"}, KeyResult::InsideKana},
      {"{", {}, KeyResult::InsideKana},
      {"{n", {}, KeyResult::InsideKana},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(AllKeys(c.text), std::pair(c.keys, c.last)) << c.text;
}

}  // namespace
}  // namespace lav::font
