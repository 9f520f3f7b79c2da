#include "console/command_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include "console/console_state.h"
#include "console/window_messages.h"
#include "platform/paths.h"
#include "platform/sjis.h"

namespace lav::command {
namespace {

// The marker before a function-key number: "f" and the half-width middle dot.
constexpr std::string_view kKeyMarker = "f\xA5";

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::size_t skipSpace(std::string_view s, std::size_t i) {
  while (i < s.size() && isSpace(s[i])) ++i;
  return i;
}

// "%d" at i: blanks, sign, digits. nullopt without digits or beyond the int range.
std::optional<int> scanInt(std::string_view s, std::size_t i) {
  i = skipSpace(s, i);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return std::nullopt;
  long long v = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    v = v * 10 + (s[i++] - '0');
    if (v > 2147483648LL) return std::nullopt;
  }
  v = negative ? -v : v;
  if (v > 2147483647LL) return std::nullopt;
  return static_cast<int>(v);
}

// The marker searched character by character, so that the second byte of a two-byte character
// is never taken for the "f".
std::size_t findKeyMarker(std::string_view s) {
  for (std::size_t i = 0; i + 1 < s.size();) {
    if (s.substr(i, 2) == kKeyMarker) return i;
    i += sjis::isLeadByte(static_cast<std::uint8_t>(s[i])) ? 2 : 1;
  }
  return std::string_view::npos;
}

// The key number of a line: right after the word (" f･ %d"), else after a marker anywhere.
std::optional<int> keyNumber(std::string_view line, std::size_t afterWord) {
  std::size_t i = skipSpace(line, afterWord);
  if (line.substr(i, 2) == kKeyMarker) {
    if (auto k = scanInt(line, i + 2)) return k;
  }
  const std::size_t at = findKeyMarker(line);
  if (at == std::string_view::npos) return std::nullopt;
  return scanInt(line, at + 2);
}

// The command number a line names, when it is one we keep.
std::optional<std::int32_t> commandNumber(double number) {
  if (!std::isfinite(number)) return std::nullopt;
  const double n = std::floor(number);
  if (n < 1 || n > kMaxCommandNumber) return std::nullopt;
  return static_cast<std::int32_t>(n);
}

struct Entry {
  std::int32_t number;
  std::string_view word;
  std::size_t end;
};

// A line that names a command: a number we keep and a word short enough.
std::optional<Entry> entryOf(std::string_view line) {
  NumberAndWord nw;
  if (!ScanNumberAndWord(line, nw)) return std::nullopt;
  auto n = commandNumber(nw.number);
  if (!n || nw.word.size() > kMaxNameBytes) return std::nullopt;
  return Entry{*n, nw.word, nw.end};
}

template <typename Fn>
void forEachLine(std::string_view bytes, Fn fn) {
  while (!bytes.empty()) {
    const std::size_t nl = bytes.find('\n');
    const std::string_view line = bytes.substr(0, nl);
    fn(line.substr(0, kCommandFileLineBytes));
    if (nl == std::string_view::npos) break;
    bytes.remove_prefix(nl + 1);
  }
}

std::string cutKeyText(std::string_view text) {
  return std::string(sjis::cutAt(text, kFunctionKeyBytes - 1));
}

}  // namespace

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(out[i]);
    if (sjis::isLeadByte(b)) {
      ++i;  // the second byte may look like a letter
    } else if (b >= 'a' && b <= 'z') {
      out[i] = static_cast<char>(b - 'a' + 'A');
    }
  }
  return out;
}

bool ScanNumberAndWord(std::string_view line, NumberAndWord& out) {
  // strtod wants a terminated string; a line is short.
  const std::string text(line);
  const char* begin = text.c_str();
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  if (end == begin) return false;
  std::size_t i = skipSpace(line, static_cast<std::size_t>(end - begin));
  const std::size_t start = i;
  while (i < line.size() && !isSpace(line[i])) ++i;
  if (i == start) return false;
  out.number = v;
  out.word = line.substr(start, i - start);
  out.end = i;
  return true;
}

void ReadCommandFile(std::string_view bytes, CommandTable& table) {
  auto& names = table.names;
  auto& keys = table.keys;
  // First pass: the size of the table.
  std::int32_t count = 0;
  std::size_t width = 0;
  forEachLine(bytes, [&](std::string_view line) {
    if (auto e = entryOf(line)) {
      count = std::max(count, e->number);
      width = std::max(width, e->word.size() + 1);
    }
  });
  names.assign(static_cast<std::size_t>(count), std::string());
  table.width = width;
  keys.fill(std::string());

  // Second pass: the names and the function keys.
  forEachLine(bytes, [&](std::string_view line) {
    auto e = entryOf(line);
    if (!e) return;
    const std::string name = UpperCase(e->word);
    names[e->number - 1] = name;
    auto k = keyNumber(line, e->end);
    if (k && *k >= 1 && *k <= kFunctionKeys) keys[*k - 1] = cutKeyText(name);
  });

  // Key 15 by default deletes the temporary figure and picks another one.
  const std::string deleteName = CommandName(table, 92);
  const std::string pickName = CommandName(table, 95);
  if (keys[14].empty() && !deleteName.empty() && !pickName.empty()) {
    keys[14] = cutKeyText(deleteName + " \\" + pickName);
  }
}

bool LoadCommandFile(ConsoleState& app) {
  auto path = paths::findCaseInsensitive(
      paths::join(app.programDir, std::string(winmsg::kCommandFileName)));
  if (!path) return false;
  std::ifstream in(*path, std::ios::binary);
  if (!in) return false;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return false;
  ReadCommandFile(bytes, app.window.commands);
  return true;
}

std::string CommandName(const CommandTable& table, int number) {
  if (number < 1 || static_cast<std::size_t>(number) > table.names.size()) return {};
  return table.names[static_cast<std::size_t>(number) - 1];
}

CommandMatch MatchCommand(const CommandTable& table, std::string_view token) {
  CommandMatch match;
  if (token.empty()) return match;
  const std::string wanted = UpperCase(token);
  std::vector<int> numbers;
  for (std::size_t i = 0; i < table.names.size(); ++i) {
    if (table.names[i].starts_with(wanted)) numbers.push_back(static_cast<int>(i + 1));
  }
  if (numbers.empty()) return match;
  if (numbers.size() > 1) {
    auto exact = std::find_if(numbers.begin(), numbers.end(),
                              [&](int n) { return table.names[n - 1] == wanted; });
    if (exact != numbers.end()) numbers = {*exact};
  }
  if (numbers.size() == 1) {
    match.kind = CommandMatch::Kind::One;
    match.number = numbers.front();
    return match;
  }
  match.kind = CommandMatch::Kind::Several;
  match.candidates = std::move(numbers);
  return match;
}

}  // namespace lav::command
