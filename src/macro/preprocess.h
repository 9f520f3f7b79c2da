// The expansion every command line, macro line and argument text goes through before it is read
// as values: variables are replaced (and assigned where a line says &NAME=...), runs of
// separators become single blanks, and the functions SIN COS TAN ATAN POW HYP are evaluated.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/value_parser.h"
#include "macro/symbol_table.h"

namespace lav::macro {

// The refusals met while a text is expanded, in order: messages of the string table (UTF-8),
// each shown by the command that expanded the text as an error box captioned kErrorCaption.
using Refusals = std::vector<const char*>;

// The longest text the expansion takes or gives, in bytes.
inline constexpr std::size_t kMaxExpandedLength = 299;

// The expanded text. A text longer than kMaxExpandedLength, before or after expansion, is
// refused (kLineTooLong) and gives nullopt (assignments made on the way stay made).
std::optional<std::string> Preprocess(std::string_view text, SymbolTable& table,
                                      Refusals& refusals);

// The first pass alone: variable references replaced, assignments carried out.
void SubstituteVariables(std::string& line, SymbolTable& table, Refusals& refusals);

// The second pass alone: words separated by blank, tab or line feed, joined by single blanks.
void JoinWords(std::string& line);

// Reads the text as values after its variables and functions are expanded. Returns the count
// (0 for an empty expansion) with the values in out, or command::kParseError: a syntax error,
// an unclosed or stray bracket, or more than maxValues values (callers pass what they can take:
// 1 for a setting, 2 for a point).
int ParseValues(std::string_view text, std::vector<double>& out, SymbolTable& symbols,
                Refusals& refusals, std::size_t maxValues = command::kMaxValues);

// An answer that is exactly two values is a point; anything else (also an empty answer) is not.
std::optional<command::Point> IsPointAnswer(std::string_view text, SymbolTable& symbols,
                                            Refusals& refusals);

}  // namespace lav::macro
