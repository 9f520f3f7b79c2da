#include "interchange/gds_record_stream.h"

#include <algorithm>
#include <cstring>

#include "interchange/gds_real.h"
#include "interchange/gds_records.h"
#include "platform/byte_io.h"

namespace lav::gds {

RecordReader::RecordReader(std::span<const std::uint8_t> bytes, std::size_t start,
                           std::size_t maxData)
    : bytes_(bytes), pos_(std::min(start, bytes.size())), maxData_(maxData) {}

RecordReader::RecordReader(ByteSource source, std::size_t start, std::size_t maxData)
    : source_(std::move(source)), base_(start), pos_(0), maxData_(maxData) {
  buffer_.resize(kChunk + maxData + 4);
}

std::size_t RecordReader::refill(std::size_t want) {
  std::size_t left = bytes_.size() - pos_;
  if (!source_) return left;
  std::uint8_t* buf = buffer_.data();
  if (left > 0 && pos_ > 0) std::memmove(buf, bytes_.data() + pos_, left);
  base_ += pos_;
  pos_ = 0;
  while (left < want) {
    const std::size_t got = source_(buf + left, buffer_.size() - left);
    if (got == 0) {
      source_ = nullptr;  // the end: nothing more will come
      break;
    }
    left += got;
  }
  bytes_ = std::span<const std::uint8_t>(buf, left);
  return left;
}

const std::uint8_t* RecordReader::peek(std::size_t size) {
  if (bytes_.size() - pos_ < size && refill(size) < size) return nullptr;
  return bytes_.data() + pos_;
}

GetResult RecordReader::next(Record& r) {
  std::size_t left = bytes_.size() - pos_;
  if (left < 4) left = refill(4);
  r.position = base_ + pos_;
  r.data = {};
  if (left == 0) return GetResult::End;
  r.number = number_ + 1;
  if (left < 4) {
    pos_ = bytes_.size();
    return GetResult::ShortHeader;
  }
  const std::uint8_t* p = bytes_.data() + pos_;
  const std::size_t length = le::getU16BE(p);
  r.number = ++number_;
  r.type = p[2];
  r.kind = p[3];
  pos_ += 4;
  if (length < 4 || (length & 1) || length - 4 > maxData_) return GetResult::BadLength;
  if (length - 4 > bytes_.size() - pos_) refill(length - 4);
  if (length - 4 > bytes_.size() - pos_) {
    pos_ = bytes_.size();
    return GetResult::ShortData;
  }
  r.data = bytes_.subspan(pos_, length - 4);
  pos_ += length - 4;
  return GetResult::Ok;
}

double GetReal(const Record& r, std::size_t i) {
  return GetReal8(&r.data[8 * i]);
}

GetResult RecordReader::nextOf(std::uint8_t type, Record& r) {
  for (;;) {
    // Whole records at hand are hopped over; anything else is left to next().
    const std::uint8_t* b = bytes_.data();
    const std::size_t end = bytes_.size();
    std::size_t at = pos_;
    while (end - at >= 4) {
      const std::size_t length = le::getU16BE(b + at);
      if (b[at + 2] == type || length < 4 || (length & 1) || length - 4 > maxData_ ||
          length > end - at)
        break;
      at += length;
      ++number_;
    }
    pos_ = at;
    const GetResult got = next(r);
    if (got != GetResult::Ok || r.type == type) return got;
  }
}

std::string GetString(const Record& r) {
  std::size_t n = r.data.size();
  while (n > 0 && r.data[n - 1] == 0) --n;
  return std::string(reinterpret_cast<const char*>(r.data.data()), n);
}

std::uint8_t* RecordWriter::header(std::uint8_t type, std::uint8_t kind, std::size_t dataBytes) {
  const std::size_t at = buf_.size();
  buf_.resize(at + 4 + dataBytes);
  std::uint8_t* p = buf_.data() + at;
  le::putU16BE(p, static_cast<std::uint16_t>(4 + dataBytes));
  p[2] = type;
  p[3] = kind;
  return p + 4;
}

void RecordWriter::maybeFlush() {
  if (buf_.size() >= kChunk) flush();
}

void RecordWriter::empty(std::uint8_t type) {
  if (failed_) return;
  header(type, static_cast<std::uint8_t>(DataKind::None), 0);
  maybeFlush();
}

void RecordWriter::int16s(std::uint8_t type, std::initializer_list<std::int16_t> values) {
  int16s(type, std::span<const std::int16_t>(values.begin(), values.size()));
}

void RecordWriter::int16s(std::uint8_t type, std::span<const std::int16_t> values) {
  if (failed_) return;
  std::uint8_t* p = header(type, static_cast<std::uint8_t>(DataKind::Int16), 2 * values.size());
  for (std::int16_t v : values) {
    le::putI16BE(p, v);
    p += 2;
  }
  maybeFlush();
}

void RecordWriter::bits(std::uint8_t type, std::uint16_t value) {
  if (failed_) return;
  le::putU16BE(header(type, static_cast<std::uint8_t>(DataKind::BitArray), 2), value);
  maybeFlush();
}

void RecordWriter::int32s(std::uint8_t type, std::span<const std::int32_t> values) {
  if (failed_) return;
  std::uint8_t* p = header(type, static_cast<std::uint8_t>(DataKind::Int32), 4 * values.size());
  for (std::int32_t v : values) {
    le::putI32BE(p, v);
    p += 4;
  }
  maybeFlush();
}

void RecordWriter::reals(std::uint8_t type, std::initializer_list<double> values) {
  if (failed_) return;
  std::uint8_t* p = header(type, static_cast<std::uint8_t>(DataKind::Real8), 8 * values.size());
  for (double v : values) {
    PutReal8(p, v);
    p += 8;
  }
  maybeFlush();
}

void RecordWriter::string(std::uint8_t type, std::string_view text) {
  if (failed_) return;
  text = text.substr(0, 65530);
  const std::size_t padded = text.size() + (text.size() & 1);
  std::uint8_t* p = header(type, static_cast<std::uint8_t>(DataKind::Ascii), padded);
  std::copy(text.begin(), text.end(), p);
  if (padded != text.size()) p[text.size()] = 0;
  maybeFlush();
}

void RecordWriter::raw(std::span<const std::uint8_t> bytes) {
  if (failed_) return;
  buf_.insert(buf_.end(), bytes.begin(), bytes.end());
  maybeFlush();
}

bool RecordWriter::flush() {
  if (failed_) return false;
  if (!buf_.empty()) {
    if (!sink_(buf_.data(), buf_.size())) {
      failed_ = true;
      buf_.clear();
      return false;
    }
    written_ += buf_.size();
    buf_.clear();
  }
  return true;
}

}  // namespace lav::gds
