// The one parser of numeric answers: a list of numbers with vector arithmetic, so "10 20" is a
// point, "(10 20) + (5 5)" the point moved and "(0 0 10 0 10 10) * 2" a scaled vertex list.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace lav::command {

// Returned instead of a count when the text does not read as values.
inline constexpr int kParseError = -1;
// No parse reads more numbers than this, whatever its caller takes.
inline constexpr std::size_t kMaxValues = 1000;
// Brackets nest at most this deep.
inline constexpr int kMaxBracketDepth = 100;

// Reads the text as values (no variables or functions: see macro::ParseValues). Returns the count
// (0 for empty text) with the values in out, or kParseError: a syntax error, an unclosed or
// stray bracket, or more than maxValues values (callers pass what they can take: 1 for a
// setting, 2 for a point).
int ParseNumbers(std::string_view text, std::vector<double>& out,
                 std::size_t maxValues = kMaxValues);

struct Point {
  double x = 0, y = 0;
};

}  // namespace lav::command
