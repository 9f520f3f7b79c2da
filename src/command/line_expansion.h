// The expansion of typed and read text (variables, assignments, functions) as the commands use
// it: every refusal met on the way is shown and counted as an error of the run.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/value_parser.h"

namespace lav {
struct AppState;
}  // namespace lav

namespace lav::command {

// The expanded text, or nullopt when it was too long.
std::optional<std::string> ExpandLine(AppState& app, std::string_view text);

// The text read as at most maxValues values after its expansion: their count, or kParseError.
int ParseAnswerValues(AppState& app, std::string_view text, std::vector<double>& out,
                      std::size_t maxValues = kMaxValues);

// An answer that expands to exactly two values is a point.
std::optional<Point> PointAnswer(AppState& app, std::string_view text);

// Assigns the expression to the variable (name with its '&'); false when nothing was stored.
bool AssignVariable(AppState& app, std::string_view nameWithAmp, std::string_view expression);

}  // namespace lav::command
