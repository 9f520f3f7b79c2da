#include "interchange/dxf_pairs.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace lav::interchange {
namespace {

constexpr std::size_t kSpillAt = 1 << 16;
constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF\r\n\x1a";

// Appends v with the given decimals, trimmed; returns the number of bytes appended.
void appendTrimmed(std::string& out, double v, int decimals) {
  char buf[64];
  char* end = buf;
  if (std::isfinite(v) && std::fabs(v) < 1e300) {
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    end = r.ptr;
  }
  if (end == buf) {  // not representable: a value no design holds; written as zero
    std::memcpy(buf, "0.0", 3);
    end = buf + 3;
  } else {
    while (end > buf && end[-1] == '0') --end;
    if (end > buf && end[-1] == '.') *end++ = '0';
  }
  out.append(buf, end);
}

}  // namespace

std::string TrimmedNumber(double v, int decimals) {
  std::string s;
  appendTrimmed(s, v, decimals);
  return s;
}

DxfPairWriter::DxfPairWriter(DxfSink sink) : sink_(std::move(sink)) {
  buffer_.reserve(kSpillAt + 1024);
}

DxfPairWriter::~DxfPairWriter() = default;

void DxfPairWriter::code(int c) {
  if (c >= 0 && c < 1000) {  // "%3d\n" without the formatter: this runs for every group
    char buf[4] = {' ', ' ', ' ', '\n'};
    int i = 2;
    do {
      buf[i--] = static_cast<char>('0' + c % 10);
      c /= 10;
    } while (c > 0);
    buffer_.append(buf, 4);
    return;
  }
  char buf[16];
  const int n = std::snprintf(buf, sizeof buf, "%3d\n", c);
  buffer_.append(buf, static_cast<std::size_t>(n));
}

void DxfPairWriter::spill() {
  if (buffer_.size() < kSpillAt) return;
  flush();
}

void DxfPairWriter::text(int c, std::string_view value) {
  code(c);
  // A line end inside a value would split it into two pairs and shift every pair after it.
  for (char ch : value) buffer_.push_back(ch == '\n' || ch == '\r' ? ' ' : ch);
  buffer_.push_back('\n');
  spill();
}

void DxfPairWriter::integer(int c, long value) {
  code(c);
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  buffer_.append(buf, r.ptr);
  buffer_.push_back('\n');
  spill();
}

void DxfPairWriter::number(double v, int decimals) {
  appendTrimmed(buffer_, v, decimals);
  buffer_.push_back('\n');
  spill();
}

void DxfPairWriter::length(int c, double v) {
  code(c);
  number(v, 4);
}

void DxfPairWriter::factor(int c, double v) {
  code(c);
  number(v, 8);
}

bool DxfPairWriter::flush() {
  if (!failed_ && !buffer_.empty()) {
    if (sink_(buffer_))
      written_ += buffer_.size();
    else
      failed_ = true;
  }
  buffer_.clear();
  return !failed_;
}

DxfSink FileSink(std::FILE* file) {
  return [file](std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  };
}

bool IsBinaryDxf(std::string_view head) {
  return head.substr(0, kBinarySentinel.size()) == kBinarySentinel;
}

DxfPairReader::DxfPairReader(std::string_view text) : text_(text) {}

bool DxfPairReader::readLine(std::string_view& out, bool& tooLong) {
  tooLong = false;
  if (pos_ >= text_.size()) return false;
  std::size_t end = text_.find('\n', pos_);
  std::size_t next = end == std::string_view::npos ? text_.size() : end + 1;
  if (end == std::string_view::npos) end = text_.size();
  out = text_.substr(pos_, end - pos_);
  if (!out.empty() && out.back() == '\r') out.remove_suffix(1);
  pos_ = next;
  ++line_;
  tooLong = out.size() > kMaxLine;
  return true;
}

PairStatus DxfPairReader::next(DxfPair& pair) {
  if (line_ == 0 && IsBinaryDxf(text_)) return PairStatus::Binary;
  std::string_view codeLine, valueLine;
  bool tooLong = false;
  // Blank lines between pairs (some writers end the file with one) are not a code.
  do {
    if (!readLine(codeLine, tooLong)) return PairStatus::End;
  } while (codeLine.find_first_not_of(" \t") == std::string_view::npos && pos_ < text_.size());
  if (tooLong) return PairStatus::TooLong;
  std::size_t b = codeLine.find_first_not_of(" \t");
  if (b == std::string_view::npos) return PairStatus::End;
  std::size_t e = codeLine.find_last_not_of(" \t");
  std::string_view digits = codeLine.substr(b, e - b + 1);
  int c = 0;
  auto r = std::from_chars(digits.data(), digits.data() + digits.size(), c);
  if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) return PairStatus::BadCode;
  if (!readLine(valueLine, tooLong)) return PairStatus::Truncated;
  if (tooLong) return PairStatus::TooLong;
  pair.code = c;
  pair.value.assign(valueLine);
  return PairStatus::Ok;
}

}  // namespace lav::interchange
