#include "macro/line_forms.h"

#include <strings.h>

#include <array>

namespace lav::macro {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         ::strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

constexpr std::string_view kGoto = "GOTO#";
constexpr std::string_view kEcho = "ECHO$";
constexpr std::string_view kInkey = "INKEY$";

struct JumpKeyword {
  char mark;
  JumpTest test;
};
constexpr std::array<JumpKeyword, 4> kJumpKeywords = {{
    {'!', JumpTest::NotZero},
    {'0', JumpTest::Zero},
    {'-', JumpTest::Negative},
    {'+', JumpTest::Positive},
}};

std::optional<JumpTest> jumpTestOf(std::string_view line) {
  if (!startsWithNoCase(line, kGoto) || line.size() <= kGoto.size()) return std::nullopt;
  for (const auto& k : kJumpKeywords)
    if (line[kGoto.size()] == k.mark) return k.test;
  return std::nullopt;
}

}  // namespace

std::string_view SkipBlanks(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  return line.substr(i);
}

LineKind KindOf(std::string_view line) {
  if (line.empty()) return LineKind::Other;
  if (line.front() == '#' || line.front() == '$') return LineKind::Skipped;
  if (jumpTestOf(line)) return LineKind::Jump;
  if (startsWithNoCase(line, kEcho)) return LineKind::Echo;
  if (startsWithNoCase(line, kInkey)) return LineKind::Input;
  return LineKind::Other;
}

std::string_view AfterKeyword(std::string_view line) {
  switch (KindOf(line)) {
    case LineKind::Jump:
      return line.substr(kGoto.size() + 1);
    case LineKind::Echo:
      return line.substr(kEcho.size());
    case LineKind::Input:
      return line.substr(kInkey.size());
    default:
      return line;
  }
}

JumpLine ParseJump(std::string_view line) {
  JumpLine jump;
  jump.test = jumpTestOf(line).value_or(JumpTest::NotZero);
  const std::string_view rest = AfterKeyword(line);
  std::size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && isBlank(rest[i])) ++i;
    const std::size_t start = i;
    while (i < rest.size() && !isBlank(rest[i])) ++i;
    if (i > start && rest[start] == '$') {
      jump.condition = std::string(rest.substr(0, start));
      jump.label = std::string(rest.substr(start, i - start));
      return jump;
    }
  }
  jump.condition = std::string(rest);
  return jump;
}

bool JumpTaken(JumpTest test, std::optional<double> v) {
  if (!v) return true;
  switch (test) {
    case JumpTest::NotZero:
      return *v != 0;
    case JumpTest::Zero:
      return *v == 0;
    case JumpTest::Negative:
      return *v < 0;
    case JumpTest::Positive:
      return *v > 0;
  }
  return false;
}

bool StartsWithLabel(std::string_view line, std::string_view label) {
  return !label.empty() && startsWithNoCase(SkipBlanks(line), label);
}

InkeyLine ParseInput(std::string_view text) {
  InkeyLine in;
  bool quoted = false;
  std::size_t nameAt = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') {
      quoted = !quoted;
    } else if (text[i] == '&' && !quoted) {
      nameAt = i;
      break;
    }
  }
  in.unclosedQuote = quoted;
  std::string_view before = text.substr(0, std::min(nameAt, text.size()));
  if (!before.empty() && before.back() == '\r') before.remove_suffix(1);
  for (char c : before)
    if (c != '"') in.prompt += c;
  if (nameAt != std::string_view::npos) {
    std::size_t end = nameAt;
    while (end < text.size() && !isBlank(text[end])) ++end;
    in.variable = std::string(text.substr(nameAt, end - nameAt));
  }
  return in;
}

}  // namespace lav::macro
