#include "macro/variables.h"

#include "console/user_value.h"
#include "console/value_parser.h"
#include "macro/messages.h"
#include "macro/preprocess.h"
#include "platform/sjis.h"

namespace lav::macro {
namespace {

std::string_view withoutAmp(std::string_view name) {
  if (!name.empty() && name.front() == '&') name.remove_prefix(1);
  return name;
}

}  // namespace

std::string CanonicalValueText(const std::vector<double>& numbers) {
  std::string text;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text += "  ";
    text += command::FormatFixedTrimmed(numbers[i], 14);
  }
  return text;
}

bool Assign(SymbolTable& table, Refusals& refusals, std::string_view nameWithAmp,
            std::string_view expression) {
  auto expanded = Preprocess(expression, table, refusals);
  if (!expanded) return false;
  std::vector<double> numbers;
  // Already expanded: read without a second expansion.
  const int n = command::ParseNumbers(*expanded, numbers);
  const std::string value = n >= 1 ? CanonicalValueText(numbers) : *expanded;

  switch (StoreSymbol(table, withoutAmp(nameWithAmp), value)) {
    case StoreResult::Stored:
      return true;
    case StoreResult::EmptyName:
    case StoreResult::EmptyValue:
      return false;
    case StoreResult::NameTooLong:
      refusals.push_back(msg::kNameTooLong);
      return false;
    case StoreResult::ValueTooLong:
      refusals.push_back(msg::kValueTooLong);
      return false;
    case StoreResult::TableFull:
      refusals.push_back(msg::kSymbolMemoryFull);
      return false;
  }
  return false;
}

std::optional<std::string> LookUp(const SymbolTable& table, std::string_view nameWithAmp) {
  auto value = FindSymbol(table, withoutAmp(nameWithAmp));
  if (!value) return std::nullopt;
  return std::string(*value);
}

}  // namespace lav::macro
