// Private-profile (INI) files: "[section]" headers and "key=value" lines, names compared without
// regard to ASCII case, values trimmed of surrounding blanks and of one pair of quotes. Writing a
// key keeps every other line of the file as it was. Text is taken as bytes (Shift-JIS here).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lav::ini {

class IniFile {
 public:
  // A file that is missing or unreadable reads as empty.
  static IniFile load(const std::string& path);
  static IniFile parse(std::string_view bytes);

  // The value of section/key, nullopt when the key is not there.
  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  // Replaces the first key of that name in the first such section, else adds the key at the
  // end of the section, else adds the section at the end of the file.
  void set(std::string_view section, std::string_view key, std::string_view value);
  // Removes every line of section/key; false when there was none.
  bool remove(std::string_view section, std::string_view key);

  std::string bytes() const;
  // Writes a temporary file beside path and renames it over path, so a failure never leaves a
  // half-written file. Creates the directory when it is missing.
  bool save(const std::string& path) const;

 private:
  struct Found {
    int sectionLine = -1;  // index of the "[section]" line, -1 when absent
    int sectionEnd = -1;   // index after the section's last non-blank line
    int keyLine = -1;      // index of the key's line, -1 when absent
  };
  Found find(std::string_view section, std::string_view key) const;

  std::vector<std::string> lines_;
  bool endsWithNewline_ = true;
};

// Where Lavinor.ini lives: $XDG_CONFIG_HOME, else ~/.config.
std::string SettingsFilePath();

// Reads the file, lets change edit it and writes it back, all under an exclusive lock on
// "<path>.lock": two programs updating it at once see each other's change and lose none.
bool UpdateProfile(const std::string& path, const std::function<void(IniFile&)>& change);

// One-call forms in the manner of the platform's profile functions: each reads the file, and
// the writer writes it back at once. A missing key reads as fallback.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback);
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace lav::ini
