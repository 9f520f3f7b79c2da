#include "font/glyph_key.h"

#include <array>
#include <optional>
#include <utility>

#include "platform/sjis.h"

namespace lav::font {
namespace {

constexpr std::array<std::pair<char, const char*>, 17> kNamedKeys = {{
    {' ', "81"},
    {'^', "81"},
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

constexpr std::array<std::pair<char, int>, 16> kConsonantBases = {{
    {'K', 10},
    {'S', 15},
    {'T', 20},
    {'N', 25},
    {'H', 30},
    {'M', 35},
    {'Y', 40},
    {'R', 45},
    {'W', 50},
    {'G', 55},
    {'J', 60},
    {'Z', 60},
    {'D', 65},
    {'B', 70},
    {'V', 70},
    {'P', 75},
}};

constexpr std::string_view kVowels = "AIUEO";
constexpr int kVowelBase = 100;
constexpr const char* kSyllabicN = "80";

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::optional<int> ConsonantBase(char upper) {
  for (const auto& [letter, base] : kConsonantBases)
    if (letter == upper) return base;
  return std::nullopt;
}

// One character in normal mode (the caller has handled '{').
void NormalKey(std::string_view text, std::size_t& pos, std::string& key) {
  const char c = text[pos];
  if (sjis::isLeadByte(static_cast<unsigned char>(c)) && pos + 1 < text.size()) {
    key.assign(text.substr(pos, 2));  // a double-byte character is never split
    pos += 2;
    return;
  }
  ++pos;
  for (const auto& [ch, name] : kNamedKeys)
    if (ch == c) {
      key = name;
      return;
    }
  key.assign(1, Upper(c));
}

}  // namespace

KeyResult GlyphKeyForNext(std::string_view text, std::size_t& pos, std::string& key) {
  while (pos < text.size()) {
    if (text[pos] != '{') {
      NormalKey(text, pos, key);
      return KeyResult::Key;
    }
    ++pos;
    std::optional<int> base;
    bool pendingN = false;
    for (;;) {
      if (pos >= text.size()) return KeyResult::InsideKana;
      const char c = Upper(text[pos]);
      if (auto v = kVowels.find(c); v != std::string_view::npos) {
        key = std::to_string(base.value_or(kVowelBase) + static_cast<int>(v));
        ++pos;
        return KeyResult::Key;
      }
      const std::optional<int> consonant = ConsonantBase(c);
      if (pendingN) {
        key = kSyllabicN;
        if (consonant || c == '}') ++pos;  // "nn" and "n}" are the syllabic n
        return KeyResult::Key;
      }
      if (consonant) {
        base = consonant;
        pendingN = c == 'N';
        ++pos;
        continue;
      }
      if (c == '}') ++pos;  // a closing brace alone ends the syllable
      break;                // the next character is read in normal mode
    }
  }
  return KeyResult::TextEnd;
}

}  // namespace lav::font
