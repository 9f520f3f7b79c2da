#include "platform/paths.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <filesystem>

namespace lav::paths {
namespace {

bool exists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

}  // namespace

std::optional<std::string> findCaseInsensitive(const std::string& path) {
  if (path.empty()) return std::nullopt;
  if (exists(path)) return path;
  std::string current = path[0] == '/' ? "/" : "";
  std::size_t pos = path[0] == '/' ? 1 : 0;
  while (pos <= path.size()) {
    std::size_t next = path.find('/', pos);
    if (next == std::string::npos) next = path.size();
    std::string part = path.substr(pos, next - pos);
    pos = next + 1;
    if (part.empty() || part == ".") {
      if (next == path.size()) break;
      continue;
    }
    std::string candidate = current + part;
    if (!exists(candidate)) {
      DIR* d = ::opendir(current.empty() ? "." : current.c_str());
      if (!d) return std::nullopt;
      std::optional<std::string> found;
      while (dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, part.c_str()) == 0) {
          found = current + e->d_name;
          break;
        }
      }
      ::closedir(d);
      if (!found) return std::nullopt;
      candidate = *found;
    }
    current = candidate;
    if (next == path.size()) break;
    current += '/';
  }
  if (current.empty() || !exists(current)) return std::nullopt;
  return current;
}

std::string join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

std::string absolute(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

}  // namespace lav::paths
