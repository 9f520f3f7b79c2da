// The conversion log that every converter writes beside its output: a text file of header
// lines, one line per cell, and trailer lines; the cell lines are sorted at the end of a run.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "interchange/gds_writer.h"

namespace lav::interchange {

inline constexpr const char* kLogDashes =
    "-------------------------------------------------------------------------\n";
inline constexpr const char* kLogHeading =
    "  CellName                                Create             Modefy \n";
inline constexpr const char* kLogNormalEnd =
    "------------------ nomal end --------------------------------------------\n\n";
inline constexpr const char* kLogErrorEnd =
    "------------------ Error end --------------------------------------------\n\n";

// A text file written line by line; a failed write is remembered, not reported at once. A log
// that stayed empty because of a failed write is removed when it is closed.
class LogFile {
 public:
  LogFile() = default;
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;
  ~LogFile() { close(); }

  bool create(const std::string& path);
  bool isOpen() const { return file_ != nullptr; }
  void write(std::string_view text);
  // printf-style; the line is never cut.
  void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool close();
  bool failed() const { return failed_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// " name  yy/mm/dd hh:mm:ss   yy/mm/dd hh:mm:ss\n", the cell line of every converter's log.
std::string CellLogLine(std::string_view name, const gds::DateTime& created,
                        const gds::DateTime& modified);

// Sorts the lines between the first headerLines and the last trailerLines of the log at path
// by the text from column onward: ascending for column >= 0, descending from column -column
// for column < 0 (|column| at most 99); equal lines keep their order. False when the file
// could not be read or written back.
bool SortLog(const std::string& path, int headerLines, int trailerLines, int column);

// path with the part after its last '.' replaced by extension (".txt"); appended when the file
// name has no '.'.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

}  // namespace lav::interchange
