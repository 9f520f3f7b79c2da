// Macro files: finding them, and reading them line by line from a byte position. The runner
// holds no file open while a line runs; it keeps the bytes and reads the file again whenever it
// changed on disk, so a line may rewrite or delete the macro it came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lav::macro {

// The longest macro line, in bytes without its line end.
inline constexpr std::size_t kMaxMacroLine = 91;

// One line of a macro file.
struct MacroLine {
  std::string text;      // without line feed, carriage return and end-of-file mark
  std::size_t next = 0;  // byte offset of the line after it
  bool ended = false;    // the line had a line end (the last line of a file may not)
  bool tooLong = false;  // longer than kMaxMacroLine (text holds the whole line)
};

// The bytes of one macro file as last read, with what identifies that version on disk.
struct MacroSource {
  std::string path;
  std::string bytes;
  std::int64_t size = -1;
  std::int64_t modifiedNs = 0;
  std::uint64_t inode = 0;
  bool loaded = false;
};

// Makes source hold the current bytes of path, reading the file only when it is another file or
// changed since the last read. False when the file cannot be read (source is then empty).
bool Refresh(MacroSource& source, const std::string& path);

// The line at byte position pos, or nullopt at the end of the bytes.
std::optional<MacroLine> ReadMacroLine(std::string_view bytes, std::size_t pos);

// 1-based number of the line that starts at or contains byte position pos.
long LineNumberAt(std::string_view bytes, std::size_t pos);

// Finds a macro file: the name as given (relative to the current directory), else the program's
// directory joined with the name's last component; both without regard to case. Name is in the
// file system's encoding. The result is an absolute path.
std::optional<std::string> FindMacroFile(const std::string& programDir, const std::string& name);

}  // namespace lav::macro
