#include "macro/preprocess.h"

#include <vector>

#include "console/user_value.h"
#include "console/value_parser.h"
#include "macro/functions.h"
#include "macro/messages.h"
#include "macro/variables.h"
#include "platform/sjis.h"

namespace lav::macro {
namespace {

bool isSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Characters that end a variable name inside a word.
bool endsName(char c) {
  return c != '\0' && std::string_view("\"()*+-/<>[]{}=").find(c) != std::string_view::npos;
}

bool onlySeparators(std::string_view s) {
  for (char c : s)
    if (!isSeparator(c)) return false;
  return true;
}

// A '-' just before the '&' at p negates the value when it is a sign, not a binary minus: at the
// start of the line or after a blank, a tab or an operator. Then the '-' becomes a blank and the
// value its numbers negated, each after one blank. A value that is no number is left as it is.
std::string negatedIfSigned(std::string& line, std::size_t p, std::string_view value) {
  if (p == 0 || line[p - 1] != '-') return std::string(value);
  if (p >= 2) {
    char before = line[p - 2];
    if (!isBlank(before) && before != '*' && before != '+' && before != '-' && before != '/')
      return std::string(value);
  }
  std::vector<double> numbers;
  if (command::ParseNumbers(value, numbers) < 1) return std::string(value);
  line[p - 1] = ' ';
  std::string negated;
  for (double v : numbers) {
    negated += ' ';
    negated += command::FormatFixedTrimmed(-v, 12);
  }
  return negated;
}

// "&NAME=..." at p, with the '=' at eq: assigns the text after it, or with nothing after it
// reads the variable; the rest of the line becomes the value, or is cut off when that fails.
void assignOrRead(std::string& line, std::size_t p, std::size_t eq, std::string_view name,
                  SymbolTable& table, Refusals& refusals) {
  const std::string rest = line.substr(eq + 1);
  std::optional<std::string> value;
  if (onlySeparators(rest)) {
    value = LookUp(table, name);
  } else if (Assign(table, refusals, name, rest)) {
    value = LookUp(table, name);
  }
  line.resize(p);
  if (value) line += *value;
}

}  // namespace

void SubstituteVariables(std::string& line, SymbolTable& table, Refusals& refusals) {
  std::size_t p = 0;
  while ((p = line.find('&', p)) != std::string::npos) {
    std::size_t wordEnd = p + 1;
    while (wordEnd < line.size() && !isSeparator(line[wordEnd])) ++wordEnd;
    std::size_t nameEnd = p + 1;
    while (nameEnd < wordEnd && !endsName(line[nameEnd]))
      nameEnd += sjis::isLeadByte(static_cast<std::uint8_t>(line[nameEnd])) ? 2 : 1;
    nameEnd = std::min(nameEnd, wordEnd);
    if (nameEnd == p + 1) {
      // No name follows: not a variable but the character itself (MERGE & is intersection).
      ++p;
      continue;
    }
    // The name with its '&' (copied: the line changes under it).
    const std::string name = line.substr(p, nameEnd - p);
    if (nameEnd < wordEnd && line[nameEnd] == '=') {
      assignOrRead(line, p, nameEnd, name, table, refusals);
      return;
    }
    std::size_t after = nameEnd;
    while (after < line.size() && isBlank(line[after])) ++after;
    if (after == line.size()) {
      auto value = LookUp(table, name);
      if (!value) {
        line.resize(p);
      } else {
        std::string shown = negatedIfSigned(line, p, *value);
        line.resize(p);
        line += shown;
      }
      return;
    }
    if (line[after] == '=') {
      assignOrRead(line, p, after, name, table, refusals);
      return;
    }
    auto value = FindSymbol(table, std::string_view(name).substr(1));
    if (!value || value->empty()) {
      line.replace(p, after - p, after - p, ' ');
      p = after;
      continue;
    }
    std::string shown = negatedIfSigned(line, p, *value);
    if (after > nameEnd) shown += ' ';
    line.replace(p, after - p, shown);
    p += shown.size();
  }
}

void JoinWords(std::string& line) {
  std::size_t out = 0;
  bool pendingBlank = false;
  for (char c : line) {
    if (isSeparator(c)) {
      pendingBlank = out > 0;
      continue;
    }
    if (pendingBlank) line[out++] = ' ';
    pendingBlank = false;
    line[out++] = c;
  }
  line.resize(out);
}

std::optional<std::string> Preprocess(std::string_view text, SymbolTable& table,
                                      Refusals& refusals) {
  auto refuse = [&refusals]() -> std::optional<std::string> {
    refusals.push_back(msg::kLineTooLong);
    return std::nullopt;
  };
  if (text.size() > kMaxExpandedLength) return refuse();
  std::string line(text);
  if (line.find('&') != std::string::npos) SubstituteVariables(line, table, refusals);
  JoinWords(line);
  if (line.size() > kMaxExpandedLength) return refuse();
  ApplyFunctions(line);
  if (line.size() > kMaxExpandedLength) return refuse();
  return line;
}

int ParseValues(std::string_view text, std::vector<double>& out, SymbolTable& symbols,
                Refusals& refusals, std::size_t maxValues) {
  auto expanded = Preprocess(text, symbols, refusals);
  if (!expanded) {
    out.clear();
    return command::kParseError;
  }
  return command::ParseNumbers(*expanded, out, maxValues);
}

std::optional<command::Point> IsPointAnswer(std::string_view text, SymbolTable& symbols,
                                            Refusals& refusals) {
  if (text.empty()) return std::nullopt;
  std::vector<double> values;
  if (ParseValues(text, values, symbols, refusals, 2) != 2) return std::nullopt;
  return command::Point{values[0], values[1]};
}

}  // namespace lav::macro
