#include "interchange/tree_lines.h"

#include <cstdio>
#include <cstdlib>
#include <unordered_set>

namespace lav::interchange {
namespace {

// Indentation and name, padded with blanks to the column (never cut).
std::string padded(std::string_view name, int depth, std::size_t column) {
  std::string s(static_cast<std::size_t>(depth > 0 ? 2 * depth : 0), ' ');
  s += name;
  if (s.size() < column) s.append(column - s.size(), ' ');
  return s;
}

std::size_t leadingBlanks(std::string_view line) {
  std::size_t n = 0;
  while (n < line.size() && line[n] == ' ') ++n;
  return n;
}

bool allBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The depth number after a line's first word ("%s%d"); the indentation when there is none.
int levelOf(std::string_view line) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0;
  i = line.find_first_of(" \t", i);
  if (i != std::string_view::npos) {
    i = line.find_first_not_of(" \t", i);
    if (i != std::string_view::npos) {
      const std::string rest(line.substr(i, 12));
      char* end = nullptr;
      const long v = std::strtol(rest.c_str(), &end, 10);
      if (end != rest.c_str() && v >= 0 && v < 10000) return static_cast<int>(v);
    }
  }
  const std::size_t blanks = leadingBlanks(line);
  return blanks > 0 ? static_cast<int>((blanks - 1) / 2) : 0;
}

bool isConnectorAt(std::string_view s, std::size_t i) {
  if (i + 1 >= s.size()) return false;
  const std::string_view c = s.substr(i, 2);
  return c == kTreeBranch || c == kTreeLast || c == kTreeVertical;
}

// Puts a two-byte character at columns 2k-1 and 2k, where the indentation has blanks.
void putAt(std::string& line, int k, std::string_view ch) {
  const std::size_t at = static_cast<std::size_t>(2 * k - 1);
  if (k < 1 || at + 1 >= line.size() || line[at] != ' ' || line[at + 1] != ' ') return;
  line.replace(at, 2, ch);
}

}  // namespace

std::string TreeFirstLine(std::string_view designPath) {
  std::string s = " ------ ";
  s += designPath;
  s += " ----";
  if (s.size() < kTreeFrameWidth) s.append(kTreeFrameWidth - s.size(), '-');
  return s;
}

std::string TreeRootLine(std::string_view cellName, std::size_t nameColumn, const LocalTime& t,
                         int nest) {
  char tail[80];
  std::snprintf(tail, sizeof tail, " 0(%02d:%02d:%02d %02d/%02d/%02d) Nest(%d)", t.hour, t.minute,
                t.second, t.month, t.day, ((t.year % 100) + 100) % 100, nest);
  return padded(cellName, 0, nameColumn) + tail;
}

std::string TreePlacementLine(bool array, bool defined, std::string_view cellName, int depth,
                              std::size_t nameColumn) {
  std::string s = padded(cellName, depth, nameColumn);
  s += ' ';
  s += std::to_string(depth);
  if (!defined)
    s += array ? "*** WARNING *** Undefind Cell (Array)" : "*** WARNING *** Undefind Cell ";
  else if (array)
    s += "(Array)";
  return s;
}

std::string_view TreeInterruptedLine() {
  return "*** ERROR ****** ERROR ****** ERROR ****** ERROR ****** ERROR ***";
}

std::optional<std::vector<std::string>> RemoveRepeatedSiblings(const std::vector<std::string>& raw,
                                                               const TreeLineStep& step) {
  std::vector<std::string> out;
  if (raw.empty()) return out;
  out.push_back(raw.front());
  // The siblings written so far at each open level, below the current parent.
  std::vector<std::unordered_set<std::string>> seen(1);  // a set: a cell may place 100,000
  std::size_t current = 0;
  bool keep = true;
  for (std::size_t i = 1; i < raw.size(); ++i) {
    if (step && !step()) return std::nullopt;
    const std::string& line = raw[i];
    if (allBlank(line)) continue;
    const std::size_t level = leadingBlanks(line) / 2;
    if (level == 0) {
      seen.resize(1);
      current = 0;
      keep = true;
      out.push_back(" " + line);
      continue;
    }
    if (level > current) {
      if (level != current + 1 || !keep) continue;  // inside a dropped subtree, or a gap
      seen.emplace_back();
      current = level;
    } else if (level < current) {
      seen.resize(level + 1);
      current = level;
    }
    keep = seen[current].insert(line).second;
    if (!keep) continue;
    out.push_back(" " + line);
  }
  return out;
}

std::optional<std::vector<std::string>> DrawTreeConnectors(const std::vector<std::string>& lines,
                                                           const TreeLineStep& step) {
  if (lines.size() < 2) return std::vector<std::string>{};
  const std::size_t n = lines.size();
  std::vector<int> level(n, 0);
  for (std::size_t i = 1; i < n; ++i) level[i] = levelOf(lines[i]);
  // Whether a later line has the same level before any shallower one, found from the end.
  std::vector<bool> siblingFollows(n, false);
  std::vector<bool> seen;
  for (std::size_t i = n; i-- > 1;) {
    const auto L = static_cast<std::size_t>(level[i]);
    if (seen.size() <= L) seen.resize(L + 1, false);
    siblingFollows[i] = seen[L];
    seen[L] = true;
    seen.resize(L + 1);
  }
  std::vector<std::string> out;
  out.reserve(n);
  out.push_back(lines.front());
  std::vector<bool> follows;  // the answer remembered per level for the ancestors
  for (std::size_t i = 1; i < n; ++i) {
    if (step && !step()) return std::nullopt;
    std::string line = lines[i];
    const int L = level[i];
    if (follows.size() <= static_cast<std::size_t>(L)) follows.resize(L + 1, false);
    if (L == 0) {
      follows[0] = false;
      out.push_back(std::move(line));
      continue;
    }
    follows[static_cast<std::size_t>(L)] = siblingFollows[i];
    putAt(line, L, siblingFollows[i] ? kTreeBranch : kTreeLast);
    for (int k = L - 1; k >= 1; --k)
      if (follows[static_cast<std::size_t>(k)]) putAt(line, k, kTreeVertical);
    out.push_back(std::move(line));
  }
  return out;
}

std::string TreeReportName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "TREE%03d.TXT", number);
  return name;
}

std::string TreeLineCellName(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
    } else if (isConnectorAt(line, i)) {
      i += 2;
    } else {
      break;
    }
  }
  std::size_t j = i;
  while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
  return std::string(line.substr(i, j - i));
}

}  // namespace lav::interchange
