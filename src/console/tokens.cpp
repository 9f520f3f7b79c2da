#include "console/tokens.h"

#include <cstdlib>
#include <limits>

namespace lav::command {
namespace {

bool isSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isSeparator(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !isSeparator(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::vector<std::string> ArgumentWords(std::string_view line) {
  const auto words = SplitWords(line);
  return words.size() < 2 ? std::vector<std::string>{}
                          : std::vector<std::string>(words.begin() + 1, words.end());
}

std::string_view RestAfterFirstWord(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && isSeparator(line[i])) ++i;
  while (i < line.size() && !isSeparator(line[i])) ++i;
  while (i < line.size() && isSeparator(line[i])) ++i;
  return line.substr(i);
}

std::optional<long> ScanInt(std::string_view word) {
  std::size_t i = 0;
  while (i < word.size() && isSeparator(word[i])) ++i;
  bool negative = false;
  if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
  if (i >= word.size() || word[i] < '0' || word[i] > '9') return std::nullopt;
  long long v = 0;
  while (i < word.size() && word[i] >= '0' && word[i] <= '9') {
    v = v * 10 + (word[i++] - '0');
    if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
    return std::nullopt;
  return static_cast<long>(v);
}

std::optional<double> ScanDouble(std::string_view word) {
  std::string s(word.substr(0, 350));
  const char* begin = s.c_str();
  char* end = nullptr;
  double v = std::strtod(begin, &end);
  if (end == begin) return std::nullopt;
  return v;
}

}  // namespace lav::command
