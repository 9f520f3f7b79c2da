#include "interchange/conversion_log.h"

#include <algorithm>
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "db/safe_write.h"

namespace lav::interchange {

bool LogFile::create(const std::string& path) {
  close();
  path_ = path;
  file_ = std::fopen(path.c_str(), "w");
  failed_ = file_ == nullptr;
  return file_ != nullptr;
}

void LogFile::write(std::string_view text) {
  if (!file_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) failed_ = true;
}

void LogFile::print(const char* format, ...) {
  // Lines name files, and file names may have any length: the line is never cut.
  va_list args, again;
  va_start(args, format);
  va_copy(again, args);
  char buf[512];
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  if (n > 0 && static_cast<std::size_t>(n) < sizeof buf) {
    write(std::string_view(buf, static_cast<std::size_t>(n)));
  } else if (n > 0) {
    std::string line(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(line.data(), line.size(), format, again);
    line.pop_back();
    write(line);
  }
  va_end(again);
}

bool LogFile::close() {
  if (!file_) return !failed_;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  // A log that could not take a single byte (a full disk) tells nothing: it is not left.
  std::error_code ec;
  if (failed_ && std::filesystem::file_size(path_, ec) == 0 && !ec)
    std::filesystem::remove(path_, ec);
  return !failed_;
}

std::string CellLogLine(std::string_view name, const gds::DateTime& c, const gds::DateTime& m) {
  char buf[200];
  const std::string n(name);
  std::snprintf(
      buf, sizeof buf,
      " %-32s %02hd/%02hd/%02hd %02hd:%02hd:%02hd   %02hd/%02hd/%02hd %02hd:%02hd:%02hd\n",
      n.c_str(), c[0], c[1], c[2], c[3], c[4], c[5], m[0], m[1], m[2], m[3], m[4], m[5]);
  return buf;
}

bool SortLog(const std::string& path, int headerLines, int trailerLines, int column) {
  std::vector<std::string> lines;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    if (in.bad()) return false;
  }
  const int count = static_cast<int>(lines.size());
  if (count <= headerLines + trailerLines) return true;
  const bool descending = column < 0;
  std::size_t key =
      static_cast<std::size_t>(descending ? std::min(-column, 99) : std::min(column, 99));
  auto tail = [key](const std::string& s) {
    return key < s.size() ? std::string_view(s).substr(key) : std::string_view();
  };
  const int last = count - trailerLines;  // one past the last sortable line
  // A selection sort that swaps: line i takes the first extreme line from i on, and the line it
  // held moves to that place. Equal keys therefore end in an order of their own, which is kept;
  // a tournament tree finds each extreme in log n, so a log of 100,000 cells sorts at once.
  const int n = last - headerLines;
  int leaves = 1;
  while (leaves < n) leaves *= 2;
  std::vector<int> best(2 * static_cast<std::size_t>(leaves), -1);  // a line index, or -1
  auto better = [&](int a, int b) {
    if (a < 0 || b < 0) return a < 0 ? b : a;
    const int c = tail(lines[a]).compare(tail(lines[b]));
    if (c == 0) return std::min(a, b);
    return (descending ? c > 0 : c < 0) ? a : b;
  };
  auto set = [&](int line) {
    std::size_t at = static_cast<std::size_t>(leaves + line - headerLines);
    for (at /= 2; at >= 1; at /= 2) best[at] = better(best[2 * at], best[2 * at + 1]);
  };
  for (int i = 0; i < n; ++i) best[static_cast<std::size_t>(leaves + i)] = headerLines + i;
  for (int at = leaves - 1; at >= 1; --at)
    best[static_cast<std::size_t>(at)] =
        better(best[2 * static_cast<std::size_t>(at)], best[2 * static_cast<std::size_t>(at) + 1]);
  for (int i = headerLines; i < last; ++i) {
    int chosen = -1;
    for (std::size_t lo = static_cast<std::size_t>(leaves + i - headerLines),
                     hi = static_cast<std::size_t>(leaves + n);
         lo < hi; lo /= 2, hi /= 2) {
      if (lo & 1) chosen = better(chosen, best[lo++]);
      if (hi & 1) chosen = better(chosen, best[--hi]);
    }
    if (chosen != i) {
      std::swap(lines[i], lines[chosen]);
      set(i);
      set(chosen);
    }
  }
  std::string bytes;
  for (const auto& l : lines) bytes += l + '\n';
  // The sorted log replaces the unsorted one whole, or not at all.
  std::string error;
  return db::WriteFileSafely(
             path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), {},
             error) == db::SafeWriteResult::Written;
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.rfind('.');
  std::string out(path);
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash))
    out.resize(dot);
  out += extension;
  return out;
}

}  // namespace lav::interchange
