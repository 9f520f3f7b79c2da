// The one parser of numeric answers: a list of numbers with vector arithmetic, so "10 20" is a
// point, "(10 20) + (5 5)" the point moved and "(0 0 10 0 10 10) * 2" a scaled vertex list.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "macro/symbol_table.h"
#include "platform/host.h"

namespace lav::command {

// Returned instead of a count when the text does not read as values.
inline constexpr int kParseError = -1;
// No parse reads more numbers than this, whatever its caller takes.
inline constexpr std::size_t kMaxValues = 1000;
// Brackets nest at most this deep.
inline constexpr int kMaxBracketDepth = 100;

// Reads the text as values after its variables and functions are expanded. Returns the count
// (0 for an empty expansion) with the values in out, or kParseError: a syntax error, an unclosed
// or stray bracket, or more than maxValues values (callers pass what they can take: 1 for a
// setting, 2 for a point).
int ParseValues(std::string_view text, std::vector<double>& out, macro::SymbolTable& symbols,
                Host& host, std::size_t maxValues = kMaxValues);

// The same without the expansion, for text that is already expanded or must not be.
int ParseNumbers(std::string_view text, std::vector<double>& out,
                 std::size_t maxValues = kMaxValues);

struct Point {
  double x = 0, y = 0;
};

// An answer that is exactly two values is a point; anything else (also an empty answer) is not.
std::optional<Point> IsPointAnswer(std::string_view text, macro::SymbolTable& symbols, Host& host);

}  // namespace lav::command
