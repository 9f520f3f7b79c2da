#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "db/cad_file.h"

namespace lav::db {
namespace {

static_assert(std::endian::native == std::endian::little, "the word scans read bytes in order");

constexpr std::size_t kStepEvery = 1 << 16;  // input bytes between message steps
constexpr std::size_t kMaxGroupOutput = 8 * 252;
constexpr std::size_t kMaxGroupInput = 17;
// A short run is written as 16 copies, the surplus overwritten by what follows.
constexpr std::size_t kSplat = 16;

std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Index (0..8) of the first zero byte of v; 8 when there is none.
int firstZeroByte(std::uint64_t v) {
  const std::uint64_t z = (v - kOnes) & ~v & kHighs;  // exact at the lowest zero byte
  return z ? std::countr_zero(z) / 8 : 8;
}

// Index (0..8) of the first non-zero byte of v.
int firstNonZeroByte(std::uint64_t v) {
  return v ? std::countr_zero(v) / 8 : 8;
}

// A group seen from its flag byte: its run items, each after a stretch of literal items (whose
// bytes are copied as they stand), the literals after the last run, and the input bytes of all
// eight items with the flag byte.
struct GroupShape {
  std::uint8_t runs = 0;
  std::array<std::uint8_t, 9> literals{};  // before each run, then after the last
  std::array<std::uint8_t, 8> countAt{};   // offset of each run's count from the flag byte
  std::uint8_t size = 1;
};

constexpr std::array<GroupShape, 256> MakeShapes() {
  std::array<GroupShape, 256> shapes{};
  for (int f = 0; f < 256; ++f) {
    GroupShape& s = shapes[f];
    int at = 1, stretch = 0;
    for (int k = 0; k < 8; ++k) {
      if (f & (0x80 >> k)) {
        ++stretch, ++at;
      } else {
        s.literals[s.runs] = static_cast<std::uint8_t>(stretch);
        s.countAt[s.runs++] = static_cast<std::uint8_t>(at);
        stretch = 0;
        at += 2;
      }
    }
    s.literals[s.runs] = static_cast<std::uint8_t>(stretch);
    s.size = static_cast<std::uint8_t>(at);
  }
  return shapes;
}
constexpr std::array<GroupShape, 256> kShapes = MakeShapes();

// The expanded length of a file's encoded body, counted over its first `upTo` bytes; items cut
// short by the end counted as the decoder takes them.
std::int64_t ExpandedLength(std::span<const std::uint8_t> file, std::size_t upTo) {
  const std::uint8_t* in = file.data();
  const std::size_t n = std::min(file.size(), upTo);
  std::int64_t length = kPrefixSize;
  std::size_t i = kPrefixSize;
  while (i < n) {
    const GroupShape& s = kShapes[in[i]];
    if (i + s.size <= n) {
      const std::uint8_t* g = in + i;
      std::int64_t counts = 0;
      for (int k = 0; k < s.runs; ++k) counts += g[s.countAt[k]];
      length += 8 + counts;
      i += s.size;
      continue;
    }
    const std::uint8_t flags = in[i++];
    for (int bit = 0; bit < 8 && i < n; ++bit) {
      if (flags & (0x80u >> bit)) {
        ++length, ++i;
      } else {
        length += in[i++];
        if (i >= n) break;
        ++length, ++i;
      }
    }
  }
  return length;
}

// The expanded length of a file: exact for a small one, from its first megabytes for a large
// one (with a margin; the image grows if it was still too little).
std::int64_t EstimatedLength(std::span<const std::uint8_t> file) {
  constexpr std::size_t kSample = 4 << 20;
  if (file.size() <= 2 * kSample) return ExpandedLength(file, file.size());
  const double ratio =
      double(ExpandedLength(file, kSample) - kPrefixSize) / (kSample - kPrefixSize);
  return kPrefixSize + static_cast<std::int64_t>(double(file.size() - kPrefixSize) * ratio * 1.1);
}

// Makes bytes n zero bytes; false when memory runs out.
bool TakeZeroed(std::vector<std::uint8_t>& bytes, std::size_t n) {
  try {
    std::vector<std::uint8_t>().swap(bytes);
    bytes.resize(n);
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  std::vector<std::uint8_t>().swap(bytes);
  return false;
}

// Items into groups of eight behind a flag byte (bit set: literal, clear: run), handed to the
// sink in pieces of kPiece bytes. The open group stays in the buffer until it is complete.
class BodyWriter {
 public:
  static constexpr std::size_t kPiece = 20'060;
  BodyWriter(const EncodeSink& sink, std::span<const std::uint8_t> prefix)
      : sink_(sink), buf_(kPiece + 64) {
    std::memcpy(buf_.data(), prefix.data(), prefix.size());
    o_ = prefix.size();
    open();
  }
  bool ok() const { return ok_; }
  // k literal bytes from src, where at least eight bytes can be read when wide is set.
  void literals(const std::uint8_t* src, std::size_t k, bool wide) {
    while (k > 0) {
      const std::size_t take = std::min<std::size_t>(k, 8 - items_);
      if (wide)
        std::memcpy(&buf_[o_], src, 8);  // one fixed copy; the surplus is overwritten next
      else
        std::memcpy(&buf_[o_], src, take);
      o_ += take;
      src += take;
      k -= take;
      items_ += static_cast<int>(take);
      if (items_ == 8) open();
    }
  }
  void run(std::uint8_t count, std::uint8_t b) {
    buf_[flagAt_] &= static_cast<std::uint8_t>(~(0x80u >> items_));
    buf_[o_++] = count;
    buf_[o_++] = b;
    if (++items_ == 8) open();
  }
  void lastCount(std::uint8_t count) {
    buf_[flagAt_] &= static_cast<std::uint8_t>(~(0x80u >> items_));
    buf_[o_++] = count;
  }
  bool finish() {
    if (ok_ && o_ > 0) ok_ = sink_(std::span<const std::uint8_t>(buf_.data(), o_));
    return ok_;
  }

 private:
  // A new group; full pieces before it go to the sink first.
  void open() {
    if (o_ >= kPiece) {
      if (ok_) ok_ = sink_(std::span<const std::uint8_t>(buf_.data(), o_));
      o_ = 0;
    }
    flagAt_ = o_;
    buf_[o_++] = 0xFF;
    items_ = 0;
  }
  const EncodeSink& sink_;
  std::vector<std::uint8_t> buf_;
  std::size_t o_ = 0, flagAt_ = 0;
  int items_ = 0;
  bool ok_ = true;
};

}  // namespace

bool EncodeFileTo(const DesignImage& image, const EncodeSink& sink) {
  std::array<std::uint8_t, kPrefixSize> prefix;
  std::memcpy(prefix.data(), image.bytes.data(), kPrefixSize);
  prefix[kEncodingFlagOffset] = 0;
  BodyWriter w(sink, prefix);
  const std::uint8_t* p = image.bytes.data();
  const std::size_t n = static_cast<std::size_t>(image.usedSize);
  std::size_t i = kPrefixSize;
  // Invariant: p[i - 1] is the previous output byte and no run is pending.
  while (i < n && w.ok()) {
    // Bytes that differ from the one before are literals.
    std::size_t k = 0;
    while (i + k + 8 <= n) {
      const int d = firstZeroByte(load64(p + i + k) ^ load64(p + i + k - 1));
      k += static_cast<std::size_t>(d);
      if (d < 8) break;
    }
    if (i + k + 8 > n)
      while (i + k < n && p[i + k] != p[i + k - 1]) ++k;
    w.literals(p + i, k, i + k + 8 <= n);
    i += k;
    if (i >= n) break;
    // Bytes equal to the previous one: a run item per 252 of them, the rest counted.
    const std::uint8_t prev = p[i - 1];
    const std::uint64_t splat = kOnes * prev;
    std::size_t same = 0;
    while (i + same + 8 <= n) {
      const int d = firstNonZeroByte(load64(p + i + same) ^ splat);
      same += static_cast<std::size_t>(d);
      if (d < 8) break;
    }
    if (i + same + 8 > n)
      while (i + same < n && p[i + same] == prev) ++same;
    for (std::size_t full = same / 252; full > 0; --full) w.run(251, prev);
    const auto r = static_cast<std::uint8_t>(same % 252);
    i += same;
    if (i >= n) {
      if (r > 0) w.lastCount(r);
      break;
    }
    if (r > 0) {
      w.run(r, p[i]);
      ++i;
    }
  }
  return w.finish();
}

std::vector<std::uint8_t> EncodeFile(const DesignImage& image) {
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(image.usedSize) / 2 + 64);
  EncodeFileTo(image, [&](std::span<const std::uint8_t> piece) {
    out.insert(out.end(), piece.begin(), piece.end());
    return true;
  });
  return out;
}

LoadError DecodeFile(std::span<const std::uint8_t> file, DesignImage& image, Host* host,
                     bool* continueFlag) {
  image.usedSize = 0;
  auto fail = [&](LoadError e) {
    image.bytes.clear();
    image.bytes.shrink_to_fit();
    image.usedSize = 0;
    return e;
  };
  if (file.size() < static_cast<std::size_t>(kPrefixSize)) return fail(LoadError::Damaged);
  const bool plain = file[kEncodingFlagOffset] != 0 || file[0] != '#';
  // The image is taken once at the size the file will have, with room for the short runs'
  // surplus copies; it grows only when that was too small.
  const std::int64_t size =
      plain ? std::int64_t(file.size()) : EstimatedLength(file) + kMaxGroupOutput + 2 * kSplat;
  if (plain && size > image.maxSize) return fail(LoadError::TooLarge);
  if (!TakeZeroed(image.bytes,
                  static_cast<std::size_t>(std::min<std::int64_t>(
                      image.maxSize, std::max<std::int64_t>(kClassicImageSize, size)))))
    return fail(LoadError::TooLarge);
  std::uint8_t* out = image.bytes.data();
  std::size_t cap = image.bytes.size();
  // Makes room for output up to `end`; false past the image's largest size or when memory runs
  // out.
  auto room = [&](std::size_t end) {
    if (end <= cap) return true;
    if (!Reserve(image, static_cast<std::int64_t>(end))) return false;
    out = image.bytes.data();
    cap = image.bytes.size();
    return true;
  };
  std::memcpy(out, file.data(), kPrefixSize);
  out[kEncodingFlagOffset] = kInMemoryEncodingFlag;
  auto step = [&](std::size_t done, std::size_t& nextStep) {
    if (!host || !continueFlag || done < nextStep) return true;
    nextStep = done + kStepEvery;
    host->messageStep(*continueFlag);
    return *continueFlag;
  };
  std::size_t nextStep = kStepEvery;
  std::size_t length = kPrefixSize;
  if (plain) {
    std::memcpy(out + kPrefixSize, file.data() + kPrefixSize, file.size() - kPrefixSize);
    length = file.size();
    if (!step(nextStep, nextStep)) return fail(LoadError::Stopped);
  } else {
    const std::uint8_t* in = file.data();
    std::uint8_t prev = out[kPrefixSize - 1];
    std::size_t i = kPrefixSize;
    const std::size_t n = file.size();
    constexpr std::size_t kGroupRoom = kMaxGroupOutput + kSplat;
    while (i < n) {
      const bool wholeGroup = i + kMaxGroupInput + 8 <= n;
      if (wholeGroup && length + kGroupRoom > cap &&
          length + kGroupRoom <= std::size_t(image.maxSize))
        room(std::min(std::max(length + kGroupRoom, cap + cap / 4), std::size_t(image.maxSize)));
      if (wholeGroup && length + kGroupRoom <= cap) {
        // A whole group with room behind it: literal stretches are copied eight bytes at a time
        // (the surplus overwritten next), runs written sixteen copies at a time.
        const GroupShape& s = kShapes[in[i]];
        const std::uint8_t* src = in + i + 1;
        std::uint8_t* o = out + length;
        for (int k = 0; k < s.runs; ++k) {
          std::memcpy(o, src, 8);
          o += s.literals[k];
          src += s.literals[k];
          const std::size_t c = src[0];
          const std::uint64_t copies = kOnes * o[-1];
          std::memcpy(o, &copies, 8);
          std::memcpy(o + 8, &copies, 8);
          if (c > kSplat) std::memset(o + kSplat, o[-1], c - kSplat);
          o += c;
          *o++ = src[1];
          src += 2;
        }
        std::memcpy(o, src, 8);
        o += s.literals[s.runs];
        i += s.size;
        prev = o[-1];
        length = static_cast<std::size_t>(o - out);
      } else {
        // Item by item, exactly as far as the file and the image go.
        const std::uint8_t flags = in[i++];
        for (int bit = 0; bit < 8 && i < n; ++bit) {
          if (flags & (0x80u >> bit)) {
            if (!room(length + 1)) return fail(LoadError::TooLarge);
            out[length++] = prev = in[i++];
          } else {
            const std::size_t count = in[i++];
            if (!room(length + count)) return fail(LoadError::TooLarge);
            std::memset(out + length, prev, count);
            length += count;
            if (i >= n) break;  // a run cut short by the end still gives its copies
            if (!room(length + 1)) return fail(LoadError::TooLarge);
            out[length++] = prev = in[i++];
          }
        }
      }
      if (!step(i, nextStep)) return fail(LoadError::Stopped);
    }
    // The surplus copies beyond the end are zero again.
    std::memset(out + length, 0, std::min(cap - length, kGroupRoom + kSplat));
  }
  image.usedSize = static_cast<std::int32_t>(length);
  if (!ValidateImage(image).empty()) return fail(LoadError::Damaged);
  return LoadError::None;
}

}  // namespace lav::db
