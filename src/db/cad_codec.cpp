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

// Where the items of a group lie, from its flag byte: every item's count byte (masked to 0 for
// a literal) and value byte, as offsets from the flag byte, and the input bytes of all eight.
struct GroupShape {
  std::array<std::uint8_t, 8> countAt{}, byteAt{}, runMask{};
  std::uint8_t size = 1;
};

constexpr std::array<GroupShape, 256> MakeShapes() {
  std::array<GroupShape, 256> shapes{};
  for (int f = 0; f < 256; ++f) {
    GroupShape& s = shapes[f];
    int at = 1;
    for (int k = 0; k < 8; ++k) {
      const bool literal = (f & (0x80 >> k)) != 0;
      s.countAt[k] = static_cast<std::uint8_t>(at);
      s.runMask[k] = literal ? 0 : 0xFF;
      s.byteAt[k] = static_cast<std::uint8_t>(literal ? at : at + 1);
      at += literal ? 1 : 2;
    }
    s.size = static_cast<std::uint8_t>(at);
  }
  return shapes;
}
constexpr std::array<GroupShape, 256> kShapes = MakeShapes();

// The expanded length of a file's encoded body, items cut short by the end counted as the
// decoder takes them.
std::int64_t ExpandedLength(std::span<const std::uint8_t> file) {
  const std::uint8_t* in = file.data();
  const std::size_t n = file.size();
  std::int64_t length = kPrefixSize;
  std::size_t i = kPrefixSize;
  while (i < n) {
    const GroupShape& s = kShapes[in[i]];
    if (i + s.size <= n) {
      const std::uint8_t* g = in + i;
      std::int64_t counts = 0;
      for (int k = 0; k < 8; ++k) counts += g[s.countAt[k]] & s.runMask[k];
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
  // k literal bytes from src.
  void literals(const std::uint8_t* src, std::size_t k) {
    while (k > 0) {
      const std::size_t take = std::min<std::size_t>(k, 8 - items_);
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
    w.literals(p + i, k);
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
  // The image is taken once, at its final size (a classic design at least the classic one),
  // with room for the short runs' surplus copies when that is to be had.
  const std::int64_t length = plain ? static_cast<std::int64_t>(file.size()) : ExpandedLength(file);
  if (length > image.maxSize) return fail(LoadError::TooLarge);
  try {
    std::vector<std::uint8_t>().swap(image.bytes);
    const std::int64_t slack =
        std::min<std::int64_t>(kMaxGroupOutput + 2 * kSplat, std::int64_t(image.maxSize) - length);
    image.bytes.assign(
        static_cast<std::size_t>(std::max<std::int64_t>(kClassicImageSize, length + slack)), 0);
  } catch (const std::bad_alloc&) {
    return fail(LoadError::TooLarge);
  } catch (const std::length_error&) {
    return fail(LoadError::TooLarge);
  }
  std::uint8_t* out = image.bytes.data();
  const std::size_t cap = image.bytes.size();
  std::memcpy(out, file.data(), kPrefixSize);
  out[kEncodingFlagOffset] = kInMemoryEncodingFlag;
  auto step = [&](std::size_t done, std::size_t& nextStep) {
    if (!host || !continueFlag || done < nextStep) return true;
    nextStep = done + kStepEvery;
    host->messageStep(*continueFlag);
    return *continueFlag;
  };
  std::size_t nextStep = kStepEvery;
  if (plain) {
    std::memcpy(out + kPrefixSize, file.data() + kPrefixSize, file.size() - kPrefixSize);
    if (!step(nextStep, nextStep)) return fail(LoadError::Stopped);
  } else {
    const std::uint8_t* in = file.data();
    std::uint8_t* o = out + kPrefixSize;
    std::uint8_t* const fastEnd =
        cap >= kMaxGroupOutput + kSplat ? out + (cap - kMaxGroupOutput - kSplat) : out;
    std::uint8_t prev = out[kPrefixSize - 1];
    std::size_t i = kPrefixSize;
    const std::size_t n = file.size();
    while (i < n) {
      const GroupShape& s = kShapes[in[i]];
      if (i + s.size <= n && o <= fastEnd) {
        // A whole group with room behind it: no checks per item.
        const std::uint8_t* g = in + i;
        for (int k = 0; k < 8; ++k) {
          const std::size_t c = g[s.countAt[k]] & s.runMask[k];
          const std::uint64_t copies = kOnes * prev;
          std::memcpy(o, &copies, 8);
          std::memcpy(o + 8, &copies, 8);
          if (c > kSplat) std::memset(o + kSplat, prev, c - kSplat);
          o += c;
          *o++ = prev = g[s.byteAt[k]];
        }
        i += s.size;
      } else {
        // The last groups: item by item, exactly as far as the file goes. The length was
        // counted the same way, so the image has room.
        const std::uint8_t flags = in[i++];
        for (int bit = 0; bit < 8 && i < n; ++bit) {
          if (flags & (0x80u >> bit)) {
            *o++ = prev = in[i++];
          } else {
            const std::size_t count = in[i++];
            std::memset(o, prev, count);
            o += count;
            if (i >= n) break;  // a run cut short by the end still gives its copies
            *o++ = prev = in[i++];
          }
        }
      }
      if (!step(i, nextStep)) return fail(LoadError::Stopped);
    }
    // The surplus copies beyond the end are zero again.
    const auto end = static_cast<std::size_t>(o - out);
    std::memset(o, 0, std::min(cap - end, kMaxGroupOutput + 2 * kSplat));
  }
  image.usedSize = static_cast<std::int32_t>(length);
  if (!ValidateImage(image).empty()) return fail(LoadError::Damaged);
  return LoadError::None;
}

}  // namespace lav::db
