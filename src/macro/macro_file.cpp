#include "macro/macro_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/paths.h"

namespace lav::macro {
namespace {

constexpr char kEndOfFileMark = '\x1a';

std::int64_t modifiedNs(const struct stat& st) {
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool sameVersion(const MacroSource& s, const std::string& path, const struct stat& st) {
  return s.loaded && s.path == path && s.size == static_cast<std::int64_t>(st.st_size) &&
         s.modifiedNs == modifiedNs(st) && s.inode == static_cast<std::uint64_t>(st.st_ino);
}

}  // namespace

bool Refresh(MacroSource& source, const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    source = MacroSource{};
    return false;
  }
  if (sameVersion(source, path, st)) return true;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  if (!in || !(bytes << in.rdbuf()) || in.bad()) {
    // An empty file makes operator<< fail without reading anything: that is not an error.
    if (!in.is_open() || in.bad() || st.st_size != 0) {
      source = MacroSource{};
      return false;
    }
  }
  source.path = path;
  source.bytes = std::move(bytes).str();
  source.size = static_cast<std::int64_t>(st.st_size);
  source.modifiedNs = modifiedNs(st);
  source.inode = static_cast<std::uint64_t>(st.st_ino);
  source.loaded = true;
  return true;
}

std::optional<MacroLine> ReadMacroLine(std::string_view bytes, std::size_t pos) {
  if (pos >= bytes.size()) return std::nullopt;
  MacroLine line;
  const std::size_t feed = bytes.find('\n', pos);
  const std::size_t end = feed == std::string_view::npos ? bytes.size() : feed;
  line.next = feed == std::string_view::npos ? bytes.size() : feed + 1;
  std::string_view text = bytes.substr(pos, end - pos);
  line.ended = feed != std::string_view::npos;
  if (!text.empty() && text.back() == kEndOfFileMark) text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
    line.ended = true;
  }
  // A zero byte ends the text, as it ends every line the program holds.
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  line.text = std::string(text);
  line.tooLong = line.text.size() > kMaxMacroLine;
  return line;
}

long LineNumberAt(std::string_view bytes, std::size_t pos) {
  pos = std::min(pos, bytes.size());
  return 1 +
         static_cast<long>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(pos), '\n'));
}

std::optional<std::string> FindMacroFile(const std::string& programDir, const std::string& name) {
  if (name.empty()) return std::nullopt;
  auto regular = [](const std::optional<std::string>& p) {
    struct stat st;
    return p && ::stat(p->c_str(), &st) == 0 && S_ISREG(st.st_mode);
  };
  if (auto found = paths::findCaseInsensitive(name); regular(found)) return paths::absolute(*found);
  const std::size_t cut = name.find_last_of("\\:/");
  const std::string last = cut == std::string::npos ? name : name.substr(cut + 1);
  if (last.empty()) return std::nullopt;
  if (auto found = paths::findCaseInsensitive(paths::join(programDir, last)); regular(found))
    return paths::absolute(*found);
  return std::nullopt;
}

}  // namespace lav::macro
