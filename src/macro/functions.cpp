#include "macro/functions.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "console/value_parser.h"
#include "macro/messages.h"
#include "platform/sjis.h"

namespace lav::macro {
namespace {

struct FunctionName {
  std::string_view name;
  Function function;
};

// Tested in this order at every position, so ATAN is found before TAN inside it.
constexpr std::array<FunctionName, 6> kFunctions = {{{"SIN", Function::Sin},
                                                     {"COS", Function::Cos},
                                                     {"TAN", Function::Tan},
                                                     {"ATAN", Function::Atan},
                                                     {"POW", Function::Pow},
                                                     {"HYP", Function::Hyp}}};

constexpr std::size_t kMaxArgumentText = 199;

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool namedAt(const std::string& line, std::size_t i, std::string_view name) {
  if (line.size() - i < name.size()) return false;
  for (std::size_t k = 0; k < name.size(); ++k)
    if (upper(line[i + k]) != name[k]) return false;
  return true;
}

const FunctionName* functionAt(const std::string& line, std::size_t i) {
  switch (upper(line[i])) {  // the first letters of the names: most positions are no call
    case 'S':
    case 'C':
    case 'T':
    case 'A':
    case 'P':
    case 'H':
      break;
    default:
      return nullptr;
  }
  for (const auto& f : kFunctions)
    if (namedAt(line, i, f.name)) return &f;
  return nullptr;
}

// Degrees brought into (-360, 360), keeping the sign.
double reduced(double a) {
  return a - 360.0 * std::trunc(a / 360.0);
}

double pi() {
  return std::atan2(0.0, -1.0);
}

std::string printed(double v) {
  if (!std::isfinite(v)) return msg::kNoResult;
  char buffer[400];
  int n = std::snprintf(buffer, sizeof buffer, "%.12f", v);
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// The closing parenthesis that matches the one at open, or npos.
std::size_t matchingParen(const std::string& line, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < line.size(); ++i) {
    if (line[i] == '(') ++depth;
    if (line[i] == ')' && --depth == 0) return i;
  }
  return std::string::npos;
}

}  // namespace

int ArgumentCount(Function f) {
  return f == Function::Sin || f == Function::Cos || f == Function::Tan ? 1 : 2;
}

std::string EvaluateFunction(Function f, const double* args) {
  switch (f) {
    case Function::Sin:
      return printed(std::sin(reduced(args[0]) / 180.0 * pi()));
    case Function::Cos:
      return printed(std::cos(reduced(args[0]) / 180.0 * pi()));
    case Function::Tan: {
      const double a = reduced(args[0]);
      const double quarters = a / 90.0;
      if (quarters == std::trunc(quarters)) return msg::kNoResult;
      return printed(std::tan(a / 180.0 * pi()));
    }
    case Function::Atan:
      return printed(std::atan2(args[1], args[0]) / pi() * 180.0);
    case Function::Pow:
      return printed(std::pow(args[0], args[1]));
    case Function::Hyp:
      return printed(std::sqrt(args[0] * args[0] + args[1] * args[1]));
  }
  return msg::kNoResult;
}

void ApplyFunctions(std::string& line) {
  std::vector<double> args;
  std::size_t i = 0;
  while (i < line.size()) {
    const FunctionName* f = functionAt(line, i);
    if (!f) {
      i += sjis::isLeadByte(static_cast<std::uint8_t>(line[i])) ? 2 : 1;
      continue;
    }
    std::size_t open = i + f->name.size();
    while (open < line.size() && (line[open] == ' ' || line[open] == '\t')) ++open;
    if (open >= line.size() || line[open] != '(') return;
    const std::size_t close = matchingParen(line, open);
    if (close == std::string::npos) return;
    const std::size_t length = close - open - 1;
    if (length < 1 || length > kMaxArgumentText) return;
    // Read as plain numbers: a call inside the argument is not expanded, so it fails here.
    const int want = ArgumentCount(f->function);
    if (command::ParseNumbers(std::string_view(line).substr(open + 1, length), args,
                              static_cast<std::size_t>(want)) != want)
      return;
    const std::string result = EvaluateFunction(f->function, args.data());
    line.replace(i, close + 1 - i, result);
    i += result.size();
  }
}

}  // namespace lav::macro
