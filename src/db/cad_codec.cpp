#include <algorithm>
#include <cstring>

#include "db/cad_file.h"

namespace lav::db {
namespace {

// Collects items into groups of eight behind a flag byte (bit set: literal, clear: run).
class GroupWriter {
 public:
  explicit GroupWriter(std::vector<std::uint8_t>& out) : out_(out) { open(); }
  void literal(std::uint8_t b) {
    out_.push_back(b);
    next();
  }
  void run(std::uint8_t count, std::uint8_t b) {
    clearBit();
    out_.push_back(count);
    out_.push_back(b);
    next();
  }
  void lastCount(std::uint8_t count) {
    clearBit();
    out_.push_back(count);
  }

 private:
  void open() {
    flagAt_ = out_.size();
    out_.push_back(0xFF);
    items_ = 0;
  }
  void clearBit() { out_[flagAt_] &= static_cast<std::uint8_t>(~(0x80u >> items_)); }
  void next() {
    if (++items_ == 8) open();
  }
  std::vector<std::uint8_t>& out_;
  std::size_t flagAt_ = 0;
  int items_ = 0;
};

constexpr std::size_t kStepEvery = 1 << 16;  // input bytes between message steps

}  // namespace

std::vector<std::uint8_t> EncodeFile(const DesignImage& image) {
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(image.usedSize) / 2 + 64);
  out.insert(out.end(), image.bytes.begin(), image.bytes.begin() + kPrefixSize);
  out[kEncodingFlagOffset] = 0;
  GroupWriter w(out);
  std::uint8_t prev = image.bytes[kPrefixSize - 1];
  int r = 0;
  const std::uint8_t* p = image.bytes.data();
  for (std::int32_t i = kPrefixSize; i < image.usedSize; ++i) {
    const std::uint8_t x = p[i];
    if (x != prev) {
      if (r > 0) {
        w.run(static_cast<std::uint8_t>(r), x);
        r = 0;
      } else {
        w.literal(x);
      }
      prev = x;
    } else if (r > 250) {
      w.run(251, x);
      r = 0;
    } else {
      ++r;
    }
  }
  if (r > 0) w.lastCount(static_cast<std::uint8_t>(r));
  return out;
}

LoadError DecodeFile(std::span<const std::uint8_t> file, DesignImage& image, Host* host,
                     bool* continueFlag) {
  image.usedSize = 0;
  // A classic design fits the first allocation; a larger one grows it as it is decoded.
  image.bytes.assign(
      std::min<std::size_t>(image.maxSize, std::max<std::size_t>(kClassicImageSize, file.size())),
      0);
  auto fail = [&](LoadError e) {
    image.bytes.clear();
    image.bytes.shrink_to_fit();
    image.usedSize = 0;
    return e;
  };
  if (file.size() < static_cast<std::size_t>(kPrefixSize)) return fail(LoadError::Damaged);
  const bool plain = file[kEncodingFlagOffset] != 0 || file[0] != '#';
  std::uint8_t* out = image.bytes.data();
  std::size_t have = image.bytes.size();
  // Makes room for output up to `end`; false past the image's largest size or when memory runs
  // out.
  auto room = [&](std::size_t end) {
    if (end <= have) return true;
    if (!Reserve(image, static_cast<std::int64_t>(end))) return false;
    out = image.bytes.data();
    have = image.bytes.size();
    return true;
  };
  std::memcpy(out, file.data(), kPrefixSize);
  out[kEncodingFlagOffset] = kInMemoryEncodingFlag;
  std::size_t length = kPrefixSize;
  auto step = [&](std::size_t done, std::size_t& nextStep) {
    if (!host || !continueFlag || done < nextStep) return true;
    nextStep = done + kStepEvery;
    host->messageStep(*continueFlag);
    return *continueFlag;
  };
  std::size_t nextStep = kStepEvery;
  if (plain) {
    if (!room(file.size())) return fail(LoadError::TooLarge);
    std::memcpy(out + kPrefixSize, file.data() + kPrefixSize, file.size() - kPrefixSize);
    length = file.size();
    if (!step(nextStep, nextStep)) return fail(LoadError::Stopped);
  } else {
    std::uint8_t prev = out[kPrefixSize - 1];
    std::size_t i = kPrefixSize;
    const std::size_t n = file.size();
    while (i < n) {
      const std::uint8_t flags = file[i++];
      for (int bit = 0; bit < 8 && i < n; ++bit) {
        if (flags & (0x80u >> bit)) {
          if (!room(length + 1)) return fail(LoadError::TooLarge);
          out[length++] = prev = file[i++];
        } else {
          const std::size_t count = file[i++];
          if (!room(length + count)) return fail(LoadError::TooLarge);
          std::memset(out + length, prev, count);
          length += count;
          if (i >= n) break;  // a run cut short by the end still gives its copies
          if (!room(length + 1)) return fail(LoadError::TooLarge);
          out[length++] = prev = file[i++];
        }
      }
      if (!step(i, nextStep)) return fail(LoadError::Stopped);
    }
  }
  image.usedSize = static_cast<std::int32_t>(length);
  if (!ValidateImage(image).empty()) return fail(LoadError::Damaged);
  return LoadError::None;
}

}  // namespace lav::db
