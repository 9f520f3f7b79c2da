// GDSII records as a stream that knows only lengths, types and byte order: records are taken
// one by one from the bytes of a file, or appended to an output buffer.
// What the records mean is the parser's and the writer's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/byte_io.h"

namespace lav::gds {

struct Record {
  std::uint8_t type = 0;
  std::uint8_t kind = 0;  // data type byte
  std::span<const std::uint8_t> data;
  std::size_t position = 0;  // file offset of the record's first byte
  long number = 0;           // 1 for the first record read
};

enum class GetResult : std::uint8_t {
  Ok,
  End,          // no byte left
  ShortHeader,  // fewer than 4 bytes left
  BadLength,    // below 4, odd, or above the reader's limit
  ShortData,    // the record runs past the end of the file
};

// Delivers the next bytes of a file: fills at most size bytes at data and says how many (0 at
// the end).
using ByteSource = std::function<std::size_t(std::uint8_t* data, std::size_t size)>;

class RecordReader {
 public:
  // Reads bytes from offset start; records with more than maxData data bytes are refused.
  RecordReader(std::span<const std::uint8_t> bytes, std::size_t start, std::size_t maxData);
  // Reads a file through source, which delivers its bytes from offset start on, in large chunks:
  // however long the file, only one chunk is held. A record's data stays valid until the next
  // call of next().
  RecordReader(ByteSource source, std::size_t start, std::size_t maxData);

  GetResult next(Record& r);
  // The next record of this type, or what stops the way there: records in between are passed
  // over by their headers alone, as next() would pass them.
  GetResult nextOf(std::uint8_t type, Record& r);
  // The next size bytes of the file without taking them, or null when fewer are left; valid
  // until the next call. size is at most maxData + 4.
  const std::uint8_t* peek(std::size_t size);
  // Takes size bytes, as peek() showed them, that hold count whole records.
  void skip(std::size_t size, long count) {
    pos_ += size;
    number_ += count;
  }
  // Offset of the first byte not yet taken.
  std::size_t position() const { return base_ + pos_; }
  long records() const { return number_; }

 private:
  // Moves the unread bytes to the front of the buffer and reads behind them until at least want
  // are there or the source ends; the bytes now left.
  std::size_t refill(std::size_t want);

  static constexpr std::size_t kChunk = 1 << 20;
  std::span<const std::uint8_t> bytes_;  // the bytes at hand, from file offset base_
  ByteSource source_;
  std::vector<std::uint8_t> buffer_;
  std::size_t base_ = 0;
  std::size_t pos_;
  std::size_t maxData_;
  long number_ = 0;
};

// Values inside a record's data (i counts values; callers check the count first).
inline std::int16_t GetInt16(const Record& r, std::size_t i) {
  return le::getI16BE(&r.data[2 * i]);
}
inline std::uint16_t GetUInt16(const Record& r, std::size_t i) {
  return le::getU16BE(&r.data[2 * i]);
}
inline std::int32_t GetInt32(const Record& r, std::size_t i) {
  return le::getI32BE(&r.data[4 * i]);
}
double GetReal(const Record& r, std::size_t i);
// The string without its padding NULs.
std::string GetString(const Record& r);
// Number of values of size bytes the record carries.
inline std::size_t ValueCount(const Record& r, int size) {
  return size > 0 ? r.data.size() / static_cast<std::size_t>(size) : 0;
}

// Receives the bytes of a finished buffer; false when they could not be written.
using ByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Builds records into a buffer that is handed to the sink whenever it grows large, and at
// flush(). After a failed hand-over every later call is ignored and failed() stays true.
class RecordWriter {
 public:
  explicit RecordWriter(ByteSink sink) : sink_(std::move(sink)) { buf_.reserve(kChunk + 4096); }

  void empty(std::uint8_t type);  // a record without data
  void int16s(std::uint8_t type, std::initializer_list<std::int16_t> values);
  void int16s(std::uint8_t type, std::span<const std::int16_t> values);
  void bits(std::uint8_t type, std::uint16_t value);
  void int32s(std::uint8_t type, std::span<const std::int32_t> values);
  void reals(std::uint8_t type, std::initializer_list<double> values);
  // A string: padded with one NUL to even length; cut to fit a record.
  void string(std::uint8_t type, std::string_view text);
  void raw(std::span<const std::uint8_t> bytes);

  bool flush();
  bool failed() const { return failed_; }
  std::uint64_t written() const { return written_ + buf_.size(); }

 private:
  std::uint8_t* header(std::uint8_t type, std::uint8_t kind, std::size_t dataBytes);
  void maybeFlush();

  static constexpr std::size_t kChunk = 1 << 20;
  ByteSink sink_;
  std::vector<std::uint8_t> buf_;
  std::uint64_t written_ = 0;
  bool failed_ = false;
};

}  // namespace lav::gds
