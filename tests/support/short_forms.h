// Short forms that keep test tables to one row a case: point lists written as text, a scratch
// folder per test, and the checks of printed lines and message boxes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/scripted_host.h"
#include "support/files.h"

namespace lav::testing {

// "1,2 5,-3.5" gives {{1, 2}, {5, -3.5}}, for any point type with fields x and y.
template <class P>
std::vector<P> PointsOf(std::string_view text) {
  std::vector<P> points;
  std::istringstream in{std::string(text)};
  for (std::string pair; in >> pair;) {
    const auto comma = pair.find(',');
    P p{};
    p.x = static_cast<decltype(p.x)>(std::strtod(pair.substr(0, comma).c_str(), nullptr));
    p.y = static_cast<decltype(p.y)>(std::strtod(pair.substr(comma + 1).c_str(), nullptr));
    points.push_back(p);
  }
  return points;
}

// "a|b|" gives {"a", "b", ""}; "" gives no items. Keeps lists of lines to one table cell.
inline std::vector<std::string> Split(std::string_view text, char sep = '|') {
  std::vector<std::string> items;
  if (text.empty()) return items;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find(sep, at);
    items.emplace_back(text.substr(at, end == std::string_view::npos ? text.npos : end - at));
    if (end == std::string_view::npos) return items;
    at = end + 1;
  }
}

// A fresh folder named after the running test, the current directory while it lives.
class ScratchFolder {
 public:
  ScratchFolder() : dir(EnterTestFolder("t", old) / "work") {}
  ~ScratchFolder() { LeaveTestFolder(dir.parent_path(), old); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::filesystem::path old, dir;
};

inline bool Contains(const std::vector<std::string>& lines, std::string_view line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Whether some line holds the text.
inline bool ContainsPart(const std::vector<std::string>& lines, std::string_view part) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

// Records the files handed to the desktop's default handler (the manual).
class HelpRecordingHost : public ScriptedHost {
 public:
  void openWithDefaultHandler(const std::string& path) override { opened.push_back(path); }
  std::vector<std::string> opened;
};

// Exactly one box was shown, with this text (and caption and icon, when given).
inline ::testing::AssertionResult OneBox(const ScriptedHost& host, std::string_view text,
                                         std::string_view caption = {},
                                         std::optional<Icon> icon = std::nullopt) {
  if (host.boxes.size() != 1)
    return ::testing::AssertionFailure() << host.boxes.size() << " boxes instead of one";
  const RecordedBox& b = host.boxes[0];
  if (b.text != text) return ::testing::AssertionFailure() << "box says " << b.text;
  if (!caption.empty() && b.caption != caption)
    return ::testing::AssertionFailure() << "box caption " << b.caption;
  if (icon && b.icon != *icon)
    return ::testing::AssertionFailure() << "box icon " << static_cast<int>(b.icon);
  return ::testing::AssertionSuccess();
}

}  // namespace lav::testing
