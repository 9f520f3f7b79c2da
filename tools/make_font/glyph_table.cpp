#include "glyph_table.h"

#include <array>
#include <utility>

namespace make_font {
namespace {

// Characters looked up under a word instead of themselves.
constexpr std::array<std::pair<char, const char*>, 15> kNamedKeys = {{
    {'#', "SHARP"},
    {'$', "#"},
    {'\'', "KOTE"},
    {'(', "CAT"},
    {')', "CAT1"},
    {'*', "ASUTA"},
    {'+', "PURA"},
    {',', "CONMA"},
    {'-', "HAI"},
    {'.', "POINT"},
    {'/', "SULA"},
    {':', "CORON"},
    {';', "SEMI"},
    {'=', "EQUAL"},
    {'_', "HAI2"},
}};

// Syllable keys: base + vowel (a i u e o), katakana in that order. Rows without a sound of
// their own (yi, ye, wu) repeat the vowel kana, as the older orthography does.
struct KanaRow {
  int base;
  std::array<char32_t, 5> kana;
};
constexpr std::array<KanaRow, 15> kKanaRows = {{
    {100, {U'ア', U'イ', U'ウ', U'エ', U'オ'}},
    {10, {U'カ', U'キ', U'ク', U'ケ', U'コ'}},
    {15, {U'サ', U'シ', U'ス', U'セ', U'ソ'}},
    {20, {U'タ', U'チ', U'ツ', U'テ', U'ト'}},
    {25, {U'ナ', U'ニ', U'ヌ', U'ネ', U'ノ'}},
    {30, {U'ハ', U'ヒ', U'フ', U'ヘ', U'ホ'}},
    {35, {U'マ', U'ミ', U'ム', U'メ', U'モ'}},
    {40, {U'ヤ', U'イ', U'ユ', U'エ', U'ヨ'}},
    {45, {U'ラ', U'リ', U'ル', U'レ', U'ロ'}},
    {50, {U'ワ', U'ヰ', U'ウ', U'ヱ', U'ヲ'}},
    {55, {U'ガ', U'ギ', U'グ', U'ゲ', U'ゴ'}},
    {60, {U'ザ', U'ジ', U'ズ', U'ゼ', U'ゾ'}},
    {65, {U'ダ', U'ヂ', U'ヅ', U'デ', U'ド'}},
    {70, {U'バ', U'ビ', U'ブ', U'ベ', U'ボ'}},
    {75, {U'パ', U'ピ', U'プ', U'ペ', U'ポ'}},
}};

}  // namespace

std::vector<GlyphKey> AllGlyphKeys() {
  std::vector<GlyphKey> keys;
  for (char c = '!'; c <= '~'; ++c) {
    if ((c >= 'a' && c <= 'z') || c == '{' || c == '^') continue;  // never looked up as such
    std::string key(1, c);
    for (const auto& [ch, name] : kNamedKeys)
      if (ch == c) key = name;
    keys.push_back({key, static_cast<char32_t>(c)});
  }
  for (const KanaRow& row : kKanaRows)
    for (int v = 0; v < 5; ++v) keys.push_back({std::to_string(row.base + v), row.kana[v]});
  keys.push_back({"80", U'ン'});
  keys.push_back({"81", 0});
  return keys;
}

}  // namespace make_font
