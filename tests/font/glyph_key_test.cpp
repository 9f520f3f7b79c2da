#include "font/glyph_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lav::font {
namespace {

struct Keys {
  std::vector<std::string> keys;
  KeyResult last = KeyResult::TextEnd;
};

Keys AllKeys(std::string_view text) {
  Keys out;
  std::size_t pos = 0;
  std::string key;
  for (int guard = 0; guard < 1000; ++guard) {
    out.last = GlyphKeyForNext(text, pos, key);
    if (out.last != KeyResult::Key) return out;
    out.keys.push_back(key);
  }
  ADD_FAILURE() << "no end for " << text;
  return out;
}

TEST(GlyphKeyTest, EverySyllableOfTheRomajiTableInEitherCase) {
  struct Row {
    const char* consonants;
    int base;
  };
  const Row rows[] = {{"", 100}, {"K", 10}, {"S", 15}, {"T", 20}, {"N", 25}, {"H", 30},
                      {"M", 35}, {"Y", 40}, {"R", 45}, {"W", 50}, {"G", 55}, {"J", 60},
                      {"Z", 60}, {"D", 65}, {"B", 70}, {"V", 70}, {"P", 75}};
  const std::string vowels = "AIUEO";
  for (const Row& row : rows)
    for (int v = 0; v < 5; ++v)
      for (bool lower : {false, true}) {
        std::string text = "{" + std::string(row.consonants) + vowels[v];
        if (lower)
          for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        Keys k = AllKeys(text);
        ASSERT_EQ(k.keys, std::vector<std::string>{std::to_string(row.base + v)}) << text;
        EXPECT_EQ(k.last, KeyResult::TextEnd) << text;
      }
}

TEST(GlyphKeyTest, NormalModeCharactersAndSyllables) {
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
      {"{a", {"100"}},
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
  for (const Case& c : cases) {
    Keys k = AllKeys(c.text);
    EXPECT_EQ(k.keys, c.keys) << c.text;
    EXPECT_EQ(k.last, c.last) << c.text;
  }
}

}  // namespace
}  // namespace lav::font
