#include "platform/ini_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_lock.h"
#include "platform/sjis.h"

namespace lav::ini {
namespace {

std::string_view trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compare without ASCII case, but the second byte of a two-byte character is compared
// exactly: it may look like a letter and still stand for a different character.
bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (sjis::isLeadByte(static_cast<std::uint8_t>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

// The section name of a "[name]" line.
std::optional<std::string_view> sectionOf(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(line.substr(1, close - 1));
}

struct KeyValue {
  std::string_view key, value;
};

std::optional<KeyValue> keyValueOf(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() == ';') return std::nullopt;
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  KeyValue kv{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
  if (kv.key.empty()) return std::nullopt;
  const std::string_view v = kv.value;
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    kv.value = v.substr(1, v.size() - 2);
  return kv;
}

// A value never carries a line end into the file.
std::string oneLine(std::string_view value) {
  std::string s(value);
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  return s;
}

}  // namespace

IniFile IniFile::parse(std::string_view bytes) {
  IniFile f;
  f.endsWithNewline_ = bytes.empty() || bytes.back() == '\n';
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    auto nl = bytes.find('\n', pos);
    if (nl == std::string_view::npos) nl = bytes.size();
    f.lines_.emplace_back(bytes.substr(pos, nl - pos));
    pos = nl + 1;
  }
  return f;
}

IniFile IniFile::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return IniFile{};
  std::ostringstream ss;
  ss << in.rdbuf();
  return parse(ss.str());
}

IniFile::Found IniFile::find(std::string_view section, std::string_view key) const {
  Found f;
  bool inside = false;
  for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
    const std::string& line = lines_[static_cast<std::size_t>(i)];
    if (auto s = sectionOf(line)) {
      if (inside) break;  // the first section of that name is the one used
      inside = sameName(*s, section);
      if (inside) {
        f.sectionLine = i;
        f.sectionEnd = i + 1;
      }
      continue;
    }
    if (!inside) continue;
    if (!trim(line).empty()) f.sectionEnd = i + 1;
    if (f.keyLine < 0) {
      auto kv = keyValueOf(line);
      if (kv && sameName(kv->key, key)) f.keyLine = i;
    }
  }
  return f;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  const Found f = find(section, key);
  if (f.keyLine < 0) return std::nullopt;
  return std::string(keyValueOf(lines_[static_cast<std::size_t>(f.keyLine)])->value);
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  const Found f = find(section, key);
  // A file with CR LF line ends gets its new lines in the same form.
  const bool crlf = !lines_.empty() && !lines_.front().empty() && lines_.front().back() == '\r';
  const std::string end = crlf ? "\r" : "";
  std::string line = std::string(key) + "=" + oneLine(value) + end;
  if (f.keyLine >= 0) {
    lines_[static_cast<std::size_t>(f.keyLine)] = std::move(line);
    return;
  }
  if (!endsWithNewline_ && !lines_.empty()) endsWithNewline_ = true;
  if (f.sectionLine >= 0) {
    lines_.insert(lines_.begin() + f.sectionEnd, std::move(line));
    return;
  }
  lines_.push_back("[" + std::string(section) + "]" + end);
  lines_.push_back(std::move(line));
  endsWithNewline_ = true;
}

bool IniFile::remove(std::string_view section, std::string_view key) {
  bool any = false;
  for (Found f = find(section, key); f.keyLine >= 0; f = find(section, key)) {
    lines_.erase(lines_.begin() + f.keyLine);
    any = true;
  }
  return any;
}

std::string IniFile::bytes() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i];
    if (i + 1 < lines_.size() || endsWithNewline_) out += '\n';
  }
  return out;
}

bool IniFile::save(const std::string& path) const {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  const std::string temp = path + ".tmp" + std::to_string(::getpid());
  const std::string data = bytes();
  std::FILE* out = std::fopen(temp.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(data.data(), 1, data.size(), out) == data.size();
  const bool closed = std::fclose(out) == 0;
  if (!written || !closed) {
    std::remove(temp.c_str());
    return false;
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

std::string SettingsFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string dir;
  if (xdg && *xdg) {
    dir = xdg;
  } else {
    const char* home = std::getenv("HOME");
    dir = std::string(home && *home ? home : ".") + "/.config";
  }
  return dir + "/Lavinor.ini";
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
  auto v = IniFile::load(path).get(section, key);
  return v ? *v : std::string(fallback);
}

bool UpdateProfile(const std::string& path, const std::function<void(IniFile&)>& change) {
  filelock::Lock lock;
  // Without a lock (a folder that cannot be written) the update still goes ahead as before.
  lock.acquire(path + ".lock", true, true);
  IniFile f = IniFile::load(path);
  change(f);
  return f.save(path);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  return UpdateProfile(path, [&](IniFile& f) { f.set(section, key, value); });
}

}  // namespace lav::ini
