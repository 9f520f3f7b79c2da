// The two halves of ASCII DXF text: a writer of group-code/value pairs with the program's number
// formats, and a reader that hands pairs back one by one (LF or CRLF lines, binary DXF refused).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace lav::interchange {

// "%.4lf" (or "%.8lf" for eight decimals) with trailing zeros removed, one kept after the point:
// 3 -> "3.0", 12.5 -> "12.5".
std::string TrimmedNumber(double v, int decimals);

// Where written DXF text goes; returns false when the bytes could not be written.
using DxfSink = std::function<bool(std::string_view bytes)>;

// Collects pairs in a buffer and passes it to the sink in large pieces. After a failed write
// every further write is dropped and failed() stays true.
class DxfPairWriter {
 public:
  explicit DxfPairWriter(DxfSink sink);
  ~DxfPairWriter();

  void text(int code, std::string_view value);  // keywords, names, strings
  void integer(int code, long value);           // "%d" and "%ld"
  void length(int code, double v);              // four decimals, trimmed
  void factor(int code, double v);              // eight decimals, trimmed

  // Passes the rest of the buffer on; false when any write failed.
  bool flush();
  bool failed() const { return failed_; }
  std::uint64_t bytesWritten() const { return written_; }

 private:
  void code(int c);
  void number(double v, int decimals);
  void spill();

  DxfSink sink_;
  std::string buffer_;
  bool failed_ = false;
  std::uint64_t written_ = 0;
};

// A sink onto an open C file, checking every write.
DxfSink FileSink(std::FILE* file);

// One group as read: the code and the value line without its line end.
struct DxfPair {
  int code = 0;
  std::string value;
};

enum class PairStatus : std::uint8_t {
  Ok,
  End,        // no more lines (the file ended between pairs)
  Truncated,  // a code line without its value line
  BadCode,    // a code line that is not an integer
  Binary,     // the file is a binary DXF
  TooLong,    // a line longer than the reader takes
};

// Reads pairs from text. Lines end at LF; a CR before it is dropped. Values are cut at the
// reader's line limit only by refusing them (TooLong), never silently.
class DxfPairReader {
 public:
  explicit DxfPairReader(std::string_view text);

  PairStatus next(DxfPair& pair);
  // 1-based number of the last line read, for messages.
  long line() const { return line_; }
  std::size_t position() const { return pos_; }

  static constexpr std::size_t kMaxLine = 2000;

 private:
  bool readLine(std::string_view& out, bool& tooLong);

  std::string_view text_;
  std::size_t pos_ = 0;
  long line_ = 0;
};

// True when the bytes start with the binary DXF sentinel.
bool IsBinaryDxf(std::string_view head);

}  // namespace lav::interchange
