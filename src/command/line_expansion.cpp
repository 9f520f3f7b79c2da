#include "command/line_expansion.h"

#include "console/command_steps.h"
#include "macro/messages.h"
#include "macro/preprocess.h"
#include "macro/variables.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

// Shows what the expansion refused, in the order it was met.
template <typename T>
T shown(AppState& app, const macro::Refusals& refusals, T result) {
  for (const char* message : refusals)
    ShowError(app, sjis::fromUtf8(message), sjis::fromUtf8(macro::msg::kErrorCaption));
  return result;
}

}  // namespace

std::optional<std::string> ExpandLine(AppState& app, std::string_view text) {
  macro::Refusals refusals;
  auto expanded = macro::Preprocess(text, app.symbols, refusals);
  return shown(app, refusals, std::move(expanded));
}

int ParseAnswerValues(AppState& app, std::string_view text, std::vector<double>& out,
                      std::size_t maxValues) {
  macro::Refusals refusals;
  const int n = macro::ParseValues(text, out, app.symbols, refusals, maxValues);
  return shown(app, refusals, n);
}

std::optional<Point> PointAnswer(AppState& app, std::string_view text) {
  macro::Refusals refusals;
  auto point = macro::IsPointAnswer(text, app.symbols, refusals);
  return shown(app, refusals, point);
}

bool AssignVariable(AppState& app, std::string_view nameWithAmp, std::string_view expression) {
  macro::Refusals refusals;
  const bool stored = macro::Assign(app.symbols, refusals, nameWithAmp, expression);
  return shown(app, refusals, stored);
}

}  // namespace lav::command
